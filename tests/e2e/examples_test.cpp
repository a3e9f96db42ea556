// The bundled examples, imported with the default map and simulated from their stimulus
// files through the command; every expected line is worked out by hand from the primitives'
// behaviour.
//
// Timing used throughout: a stimulus line writes its inputs and then runs its cycles; a cycle
// is a clock edge followed by settling. A register takes at an edge what it saw at its last
// evaluation, which happened during the settling before that edge, so the inputs a line
// writes reach a register's output one edge later: at the next line's edge (or at the second
// cycle of a line with several). Combinational outputs follow the line's own inputs.
#include <gtest/gtest.h>

#include "command_runner.h"

namespace {

using e2e::Workspace;

// Simulates examples/<name>/<name>.vo with its stimulus and answers the output CSV.
std::string RunExample(const std::string& name)
{
    Workspace ws;
    ws.CopyExample(name);
    e2e::CommandResult result = ws.Simulate(name + ".vo", name + "_stimulus.csv");
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.err, "");
    return result.out;
}

TEST(Examples, CounterCountsEnabledEdgesWrapsAndClearsAtOnce)
{
    // count = register q; the adder feeds q + 1 back; wrap = the adder's carry (q == 255).
    EXPECT_EQ(RunExample("counter"),
              "cycle,count,wrap\n"
              "1,00,0\n" // first edge: nothing seen yet (register starts at 0)
              "2,01,0\n" // edge takes en = 1 and q + 1 seen on line 1
              "3,02,0\n"
              "4,03,0\n"   // line 4 writes en = 0, but this edge still sees line 3's en = 1
              "6,03,0\n"   // two cycles with en = 0: held
              "7,03,0\n"   // en = 1 written; this line's edge saw en = 0
              "257,FD,0\n" // 250 enabled edges: 3 + 250 = 253
              "259,FF,1\n" // 255: the adder's carry out is 1
              "260,00,0\n" // wraps to 0
              "263,03,0\n"
              "264,00,0\n" // edge gives 4, then clr clears at once (asynchronous)
              "265,00,0\n" // the clear left the register idle; en = 0 seen
              "266,00,0\n" // en = 1 written now, acts at the next edge
              "267,01,0\n");
}

TEST(Examples, Mac40AccumulatesFortyBitProductsModuloTwoToTheForty)
{
    // product = a * b cut to 40 bits; next = load ? product : acc + product; acc takes next
    // at an edge that saw en = 1; carry = bit 40 of acc + product.
    EXPECT_EQ(RunExample("mac40"),
              "cycle,acc,carry,product\n"
              "1,0000000000,0,000000000F\n" // 3 * 5
              "2,000000000F,0,0100000000\n" // load seen on line 1: acc = 15; 2^16 * 2^16
              "3,010000000F,0,0100000000\n" // 15 + 2^32
              "4,020000000F,1,FFFFE00001\n" // 15 + 2^33; 0xFFFFF^2; their sum passes 2^40: carry
              "5,01FFE00010,1,FFFFFFFFFE\n" // (0x020000000F + 0xFFFFE00001) mod 2^40; -1 is 2^40 - 1, times 2
              "6,01FFE0000E,0,0000000000\n" // + 0xFFFFFFFFFE wraps: minus 2
              "7,01FFE0000E,0,000000002A\n" // en = 0 seen on line 6: held
              "8,01FFE0000E,0,000000002A\n" // en = 0 seen on line 7: held
              "9,000000002A,0,0000000000\n" // load and en seen on line 8: acc = 7 * 6
    );
}

TEST(Examples, ShuffleConcatenatesInvertsSlicesAndReadsThroughTheAlias)
{
    // mixed = sel ? {y, ~x[11:0]} : {x[7:0], x[15:8]}; same reads mixed through the alias
    // view; bytesum = view[15:8] + view[7:0] mod 256; nibble = x[15:12];
    // packed = {4'b1, y, 4'b0}; parity = XOR of {y, x[3:0]}.
    EXPECT_EQ(RunExample("shuffle"),
              "cycle,bytesum,mixed,nibble,packed,parity,same\n"
              "1,46,3412,1,F50,1,3412\n" // 0x34 + 0x12; 0101 0100 has three ones
              "2,28,5DCB,1,F50,1,5DCB\n" // ~0x234 = 0xDCB; 0x5D + 0xCB = 0x128
              "3,26,F432,A,FF0,1,F432\n" // ~0xBCD = 0x432; 0xF4 + 0x32 = 0x126; 1111 1101: seven ones
              "4,FF,FF00,0,F00,0,FF00\n" // 0xFF + 0x00; 0000 1111: four ones
    );
}

TEST(Examples, RamFifoQueuesTheWordsTheTableShows)
{
    // The RAM registers its address at the edge; the FIFO pushes the word the RAM showed
    // during the settling before the edge and pops likewise (see the example's README).
    EXPECT_EQ(RunExample("ram_fifo"),
              "cycle,empty,fifo_q,full,ram_q,usedw\n"
              "1,1,00,0,00,0\n"  // address 0 read at the first edge: 0 squared
              "2,1,00,0,09,0\n"  // address 3: 9
              "3,1,00,0,C8,0\n"  // 200 written to word 3 at this edge, shown at once
              "4,1,00,0,19,0\n"  // address 5: 25
              "5,0,00,0,C8,1\n"  // push seen with 25 on show; address 3 again: 200
              "6,0,00,0,E1,2\n"  // push of 200; address 15: 225
              "7,0,00,0,00,3\n"  // push of 225; address 0
              "8,0,19,0,00,2\n"  // pop: 25
              "9,0,C8,0,00,1\n"  // pop: 200
              "10,1,E1,0,00,0\n" // pop: 225, now empty
    );
}

} // namespace
