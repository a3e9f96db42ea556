// The operator codes of the XML map: the number a module type gives to say which simulation
// primitive implements it. The netlist database and the SimDB file keep them as plain
// integers; a code that is not listed here is unknown to the system.
#pragma once

#include <string_view>

namespace Sim {

enum class OperatorCode : int {
    Register = 1,
    Mux2 = 2,
    OrReduce = 3,
    Add = 4,
    Multiply = 5,
    XorReduce = 6,
    AndReduce = 7,
    AddSub = 8,
    Selector = 9,
    CompareLessEqual = 10,
    TriStateBuffer = 11,
    BitSelect = 12,
    Divide = 13,
    Modulo = 14,
    ShiftLeft = 15,
    ShiftRight = 16,
    RotateLeft = 17,
    RotateRight = 18,
    OpenDrainBuffer = 19,
    Decoder = 21,
    BusMux2 = 22,
    Latch = 23,
    SyncRam = 100,
    LpmMult = 101,
    Accumulator = 102,
    LpmCompare = 103,
    LpmAddSub = 104,
    ShiftTaps = 105,
    ParallelAdd = 106,
    Counter = 107,
    DualPortRam = 108,
    MultAdd = 109,
    GrayCounter = 110,
    LpmAbs = 111,
    LpmMux = 112,
    Fifo = 113,
    DualClockFifo = 114,
};

// Every code with its name, in ascending order of code.
struct OperatorCodeName {
    OperatorCode code;
    std::string_view name;
};
inline constexpr OperatorCodeName kOperatorCodes[] = {
    {OperatorCode::Register, "register"},
    {OperatorCode::Mux2, "two-input multiplexer"},
    {OperatorCode::OrReduce, "OR reduction"},
    {OperatorCode::Add, "adder"},
    {OperatorCode::Multiply, "multiplier"},
    {OperatorCode::XorReduce, "XOR reduction"},
    {OperatorCode::AndReduce, "AND reduction"},
    {OperatorCode::AddSub, "adder/subtracter"},
    {OperatorCode::Selector, "selector"},
    {OperatorCode::CompareLessEqual, "less-or-equal comparator"},
    {OperatorCode::TriStateBuffer, "tri-state buffer"},
    {OperatorCode::BitSelect, "bit selector"},
    {OperatorCode::Divide, "divider"},
    {OperatorCode::Modulo, "remainder"},
    {OperatorCode::ShiftLeft, "left shifter"},
    {OperatorCode::ShiftRight, "right shifter"},
    {OperatorCode::RotateLeft, "left rotator"},
    {OperatorCode::RotateRight, "right rotator"},
    {OperatorCode::OpenDrainBuffer, "open-drain buffer"},
    {OperatorCode::Decoder, "decoder"},
    {OperatorCode::BusMux2, "bus multiplexer"},
    {OperatorCode::Latch, "latch"},
    {OperatorCode::SyncRam, "synchronous RAM"},
    {OperatorCode::LpmMult, "LPM multiplier"},
    {OperatorCode::Accumulator, "accumulator"},
    {OperatorCode::LpmCompare, "LPM comparator"},
    {OperatorCode::LpmAddSub, "LPM adder/subtracter"},
    {OperatorCode::ShiftTaps, "shift register with taps"},
    {OperatorCode::ParallelAdd, "parallel adder"},
    {OperatorCode::Counter, "counter"},
    {OperatorCode::DualPortRam, "dual-port RAM"},
    {OperatorCode::MultAdd, "multiply-add"},
    {OperatorCode::GrayCounter, "Gray-code counter"},
    {OperatorCode::LpmAbs, "absolute value"},
    {OperatorCode::LpmMux, "LPM multiplexer"},
    {OperatorCode::Fifo, "FIFO"},
    {OperatorCode::DualClockFifo, "dual-clock FIFO"},
};

// The name of a code; empty for a code the system does not know.
constexpr std::string_view NameOfOperatorCode(int code)
{
    for (const OperatorCodeName& entry : kOperatorCodes)
        if (static_cast<int>(entry.code) == code)
            return entry.name;
    return {};
}

} // namespace Sim
