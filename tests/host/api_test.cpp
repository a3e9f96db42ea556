// The public C++ interface on the gateway tests' design: import results and messages as data,
// values of any width with undefined bits and the Z flag through writes and reads, stepping
// against the same cycles written, run and read one by one, and the failures it throws.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "design_fixture.h"
#include "host/blocktide.h"

namespace {

using blocktide::Samples;
using Level = blocktide::Severity;
using blocktide::Value;

class ApiTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(design.imported()); }

    blocktide::Simulation Open(bool report_undefined_reads = true)
    {
        blocktide::SimulationOptions options;
        options.print_messages = false;
        options.report_undefined_reads = report_undefined_reads;
        return blocktide::Simulation(design.netlist(), options);
    }

    static bool HasMessage(const std::vector<blocktide::Message>& messages, Level severity, const std::string& part)
    {
        for (const blocktide::Message& message : messages)
            if (message.severity == severity && message.text.find(part) != std::string::npos)
                return true;
        return false;
    }

    ImportedDesign design{"widepath"};
};

}  // namespace

TEST_F(ApiTest, ImportAnswersPortsInDeclarationOrderAndFailsWithItsMessages)
{
    const blocktide::Design imported = blocktide::ImportDesign(design.netlist(), design.map(), false);
    EXPECT_EQ(imported.module_name, "widepath");
    std::vector<std::string> inputs;
    for (const blocktide::Port& port : imported.inputs)
        inputs.push_back(port.name + ":" + std::to_string(port.width));
    EXPECT_EQ(inputs, (std::vector<std::string>{"c:40", "a:100", "b:100", "x:8", "y:8"}));
    ASSERT_EQ(imported.outputs.size(), 5u);
    EXPECT_EQ(imported.outputs[0].direction, blocktide::Direction::Output);
    EXPECT_EQ(imported.clocks, (std::vector<std::string>{"clk"}));

    std::ofstream(design.directory() + "/broken.vo") << "module broken (a);\ninput a;\nwire w\nendmodule\n";
    try {
        blocktide::ImportDesign(design.directory() + "/broken.vo", design.map(), false);
        FAIL() << "a broken netlist imported";
    } catch (const blocktide::Error& error) {
        EXPECT_TRUE(HasMessage(error.messages(), Level::Fatal, "Expected")) << error.what();
        EXPECT_NE(std::string(error.what()).find("broken.vo"), std::string::npos);
    }
}

TEST_F(ApiTest, ValuesOfAnyWidthKeepTheirUndefinedBitsAndZFlag)
{
    blocktide::Simulation sim = Open();
    ASSERT_EQ(sim.Inputs().size(), 5u);
    EXPECT_EQ(sim.Inputs()[0].name, "a");  // handles follow name order
    EXPECT_EQ(sim.InputHandle("x"), 3);

    // 2^99 + 5 plus 2^99 - 1 carries out of the 100-bit adder.
    sim.Write("a", Value::from_words(100, {5, uint64_t{1} << 35}));
    sim.Write("b", Value::from_hex(100, "7FFFFFFFFFFFFFFFFFFFFFFFF"));
    sim.Run(1);
    EXPECT_EQ(sim.Read("sum").to_hex(), "0000000000000000000000004");
    EXPECT_EQ(sim.Read("carry"), Value(1, 1));

    // A wholly undefined value reaches the register's output after its edge.
    sim.Write("c", Value::undefined(40));
    sim.Run(2);
    const Value held = sim.Read("held");
    EXPECT_EQ(held.undefined_mask(), (std::vector<uint64_t>{0xFFFFFFFFFF}));
    EXPECT_FALSE(held.is_defined());
    EXPECT_EQ(held.to_hex(), "XXXXXXXXXX");

    sim.Write("c", Value::from_hex(40, "x000000005"));
    sim.Run(2);
    EXPECT_EQ(sim.Read("held").to_hex(), "X000000005");
    EXPECT_EQ(sim.Read("held").undefined_mask()[0], 0xF000000000u);
    Value high_impedance(12, 0x3C);
    high_impedance.set_high_z(true);
    EXPECT_EQ(high_impedance.to_hex(), "ZZZ");
    EXPECT_FALSE(high_impedance.is_defined());

    // Writes are cut to the input's width.
    sim.Write("x", uint64_t{0x1FF});
    sim.Run(1);
    EXPECT_EQ(sim.Read("small").to_uint64(), 0xFFu);
    EXPECT_EQ(sim.Cycle(), 6);
}

TEST_F(ApiTest, StepGivesWhatWritingRunningAndReadingEachCycleGives)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 random(seed);
    constexpr size_t kCycles = 300;
    Samples x{"x", 8, {}, {}, {}}, c{"c", 0, {}, {}, {}}, a{"a", 100, {}, {}, {}};
    for (size_t i = 0; i < kCycles; ++i) {
        x.bits.push_back(random() & 0xFF);
        c.bits.push_back(random());  // bits above 40 are cut
        a.bits.push_back(random());
        a.bits.push_back(random() & 0xFFFFFFFFFull);
    }
    // every tenth cycle an undefined low nibble of c
    c.undefined.assign(kCycles, 0);
    for (size_t i = 0; i < kCycles; i += 10)
        c.undefined[i] = 0xF;
    blocktide::Simulation stepped = Open(false);
    const std::vector<Samples> results = stepped.Step({x, c, a}, {"small", "held", "sum"});
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[2].cycles(), kCycles);

    blocktide::Simulation looped = Open(false);
    for (size_t i = 0; i < kCycles; ++i) {
        looped.Write("x", x.At(i));
        looped.Write("c", c.At(i));
        looped.Write("a", a.At(i));
        looped.Run(1);
        ASSERT_EQ(results[0].At(i), looped.Read("small")) << "cycle " << i;
        ASSERT_EQ(results[1].At(i), looped.Read("held")) << "cycle " << i;
        ASSERT_EQ(results[2].At(i), looped.Read("sum")) << "cycle " << i;
    }
    EXPECT_FALSE(results[1].undefined.empty());  // the undefined nibbles of c reach held
    EXPECT_TRUE(results[0].undefined.empty());
}

TEST_F(ApiTest, MessagesComeBackAsData)
{
    // An adder input connected to a wire nothing drives: the import reports the missing source
    // and the build the floating input.
    const std::string netlist = design.directory() + "/floating.vo";
    std::ofstream(netlist) << "module floating (x, t);\ninput [7:0] x;\noutput [7:0] t;\nwire [7:0] w;\n"
                              "wire [7:0] s;\nmrvadd u (.dataa(x), .datab(w), .cin(1'b0), .result(s));\n"
                              "defparam u.lpm_width = 8;\nassign t = s;\nendmodule\n";
    const blocktide::Design imported = blocktide::ImportDesign(netlist, design.map(), false);
    EXPECT_TRUE(HasMessage(imported.messages, Level::Internal, "NewSlice"));
    blocktide::SimulationOptions quiet;
    quiet.print_messages = false;
    blocktide::Simulation sim(netlist, quiet);
    const std::vector<blocktide::Message> messages = sim.TakeMessages();
    EXPECT_TRUE(HasMessage(messages, Level::Warning, "Found a floating input port    (unconnected: u.datab)"));
    EXPECT_TRUE(sim.TakeMessages().empty());
}

TEST_F(ApiTest, MisuseThrowsWithoutChangingTheSimulation)
{
    blocktide::Simulation sim = Open();
    EXPECT_THROW(sim.Write("nothing", uint64_t{1}), blocktide::Error);
    EXPECT_THROW(sim.Read(17), blocktide::Error);
    EXPECT_THROW(sim.Run(-1), blocktide::Error);
    EXPECT_THROW(sim.Step({}, {"sum"}), blocktide::Error);
    EXPECT_THROW(sim.Step({Samples{"x", 8, {1, 2}, {}, {}}, Samples{"y", 8, {1}, {}, {}}}, {}), blocktide::Error);
    EXPECT_THROW(sim.Step({Samples{"x", 9, {1}, {}, {}}}, {}), blocktide::Error);
    EXPECT_EQ(sim.Cycle(), 0);
    EXPECT_THROW(Value::from_hex(8, "12g"), blocktide::Error);

    try {
        blocktide::SimulationOptions quiet;
        quiet.print_messages = false;
        blocktide::Simulation missing(design.directory() + "/missing.vo", quiet);
        FAIL() << "a missing design opened";
    } catch (const blocktide::Error& error) {
        EXPECT_TRUE(HasMessage(error.messages(), Level::Fatal, "The simulation model is missing"));
    }
}

// 300 inputs of 2^20 bits (a netlist of a few kilobytes) would ask for gigabytes of values: the
// build refuses the design with a message instead of allocating.
TEST_F(ApiTest, DesignBeyondTheBitBudgetIsRefusedWithAMessage)
{
    const std::string netlist = design.directory() + "/huge.vo";
    {
        std::ofstream out(netlist);
        out << "module huge (";
        for (int i = 0; i < 300; ++i)
            out << "a" << i << ", ";
        out << "y);\n";
        for (int i = 0; i < 300; ++i)
            out << "input [1048575:0] a" << i << ";\n";
        out << "output y;\nassign y = a0[0:0];\nendmodule\n";
    }
    blocktide::ImportDesign(netlist, design.map(), false);
    blocktide::SimulationOptions quiet;
    quiet.print_messages = false;
    try {
        blocktide::Simulation sim(netlist, quiet);
        FAIL() << "a design of 300 * 2^20 bits was built";
    } catch (const blocktide::Error& error) {
        EXPECT_TRUE(HasMessage(error.messages(), Level::Fatal, "bits, more than the 268435456"));
    }
}
