// The eight-character type names of every node class, kept in one place. The blanks
// that pad a short word belong to the name; two classes may share one.
#pragma once

namespace Sim::TypeNames {

inline constexpr char Unknown[] = "UNKNOWN!";
// Arithmetic and comparison
inline constexpr char UnsnAdd[] = "UNSN ADD";
inline constexpr char UnsnAdd_Sm[] = "UNSN-ADD";
inline constexpr char SignAdd[] = "SIGN ADD";
inline constexpr char UnsnAddSub[] = "UNSN +/-";
inline constexpr char SignAddSub[] = "SIGN +/-";
inline constexpr char UnsnMul[] = "UNSN MUL";
inline constexpr char SignMul[] = "SIGN MUL";
inline constexpr char UnsnDiv[] = "UNSN DIV";
inline constexpr char SignDiv[] = "SIGN DIV";
inline constexpr char UnsnMod[] = "UNSN MOD";
inline constexpr char SignMod[] = "SIGN MOD";
inline constexpr char UnsnCmpLE[] = "UNSN <= ";
inline constexpr char SignCmpLE[] = "SIGN <= ";
inline constexpr char LpmCompare[] = "LPM COMP";
inline constexpr char LpmComparePiped[] = "LPM COMP";
inline constexpr char Abs[] = "ABSOLUTE";
// Logic, shift and buffers
inline constexpr char CombOr[] = "COMB OR ";
inline constexpr char CombOr_Sm[] = "COMB-OR ";
inline constexpr char CombAnd[] = "COMB AND";
inline constexpr char CombAnd_Sm[] = "COMB-AND";
inline constexpr char CombXor[] = "COMB XOR";
inline constexpr char CombXor_Sm[] = "COMB-XOR";
inline constexpr char SHL[] = "SHL BITS";
inline constexpr char SHR[] = "SHR BITS";
inline constexpr char ROL[] = "ROL BITS";
inline constexpr char ROR[] = "ROR BITS";
inline constexpr char BufTri[] = "BUF TRI ";
inline constexpr char BufDrn[] = "BUFDRAIN";
inline constexpr char Decoder[] = "DECODER ";
// Selection
inline constexpr char Mux2to1[] = "MUX 2to1";
inline constexpr char MuxSmall[] = "MUX_2to1";
inline constexpr char MuxSimple[] = "MUX-2to1";
inline constexpr char BusMux2[] = "BUS MUX ";
inline constexpr char Mux[] = "MUX     ";
inline constexpr char Mux_Sm[] = "MUX-    ";
inline constexpr char Selector[] = "SELECTOR";
inline constexpr char Selector_Sm[] = "SELECTOR";
inline constexpr char MuxConc[] = "MUX CONC";
inline constexpr char MuxPiped[] = "MUX PIPE";
// Registers, latch, shift-taps
inline constexpr char DFFE[] = "DFFE REG";
inline constexpr char DFFE_Bit[] = "DFFE BIT";
inline constexpr char Latch[] = "LATCH CC";
inline constexpr char MrvShiftTaps[] = "SHIFTAPS";
// Engine nodes
inline constexpr char Perimeter[] = "PERIM IO";
inline constexpr char Adapter[] = "*ADAPTER";
inline constexpr char Downshifter[] = "*DNSHIFT";

}  // namespace Sim::TypeNames
