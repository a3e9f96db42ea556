// The exported gateway driven end to end on a small imported design: setup and its
// feed-through flags, double writes and reads with and without a formatter, sc_fix and
// sc_ufix values of 40 and 100 bits, non-finite doubles, and the calling-order faults.
#define SC_INCLUDE_FX
#include <gtest/gtest.h>

#include <sysc/datatypes/fx/fx.h>

#include <cmath>
#include <limits>

#include "design_fixture.h"
#include "host/gateway.h"

using sc_dt::sc_fix;
using sc_dt::sc_ufix;

namespace {

// Port indexes of widepath in the order the tests name them.
enum Input { C, A, B, X, Y };
enum Output { SUM, CARRY, HELD, SMALL, TOTAL };

class GatewayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_messages();
        ASSERT_TRUE(design.imported());
        gateway.ExportAddInputNames({"c", "a", "b", "x", "y"});
        gateway.ExportAddOutputNames({"sum", "carry", "held", "small", "total"});
        feed_through.assign(5, false);
        ASSERT_FALSE(gateway.ExportSetupModels(design.netlist(), "", false, 0, {"c", "a", "b", "x", "y"},
                                               feed_through, true))
            << console.text();
    }

    // a hexadecimal text as an unsigned fixed-point value of the given word length
    static sc_ufix Unsigned(int width, const char* hex)
    {
        sc_ufix value(width, width);
        value = sc_ufix(hex, width, width);
        return value;
    }

    ImportedDesign design{"widepath"};
    ConsoleCapture console;
    ExportKelvornC_Gateway gateway;
    std::vector<bool> feed_through;
};

}  // namespace

TEST_F(GatewayTest, SetupNamesTheDesignAndGivesFeedThroughInNameOrder)
{
    EXPECT_EQ(gateway.ExportGetTopLevelName(), "widepath");
    // ascending names a, b, c, x, y: only c goes through a register
    EXPECT_EQ(feed_through, (std::vector<bool>{true, true, false, true, true}));
    std::vector<bool> short_vector(2, false);
    ExportKelvornC_Gateway second;
    EXPECT_FALSE(second.ExportSetupModels(design.netlist(), "", false, 0, {}, short_vector, true));
    EXPECT_EQ(short_vector, (std::vector<bool>{true, true}));  // never resized
}

TEST_F(GatewayTest, DoublesPassThroughWithoutAFormatter)
{
    gateway.ExportWriteInput(X, 200);
    gateway.ExportWriteInput(Y, 2.9);  // truncated toward zero
    EXPECT_FALSE(gateway.ExportRun(1));
    EXPECT_EQ(gateway.ExportReadOutput(TOTAL), 202);
    gateway.ExportWriteInput(X, -1.0);  // cut to the input's 8 bits
    gateway.ExportRun(1);
    EXPECT_EQ(gateway.ExportReadOutput(SMALL), 255);
}

TEST_F(GatewayTest, FormatterScalesFixedPointInputsAndSignsOutputs)
{
    // inputs c a b x y: x is fixed point with 3 fraction bits; outputs: small as 4.4 fixed
    // point, total as a signed 8-bit integer, sum unsigned.
    gateway.Exportcreate_port_formatter("sssfs", "ubsfs", {40, 100, 100, 8, 8}, {0, 0, 0, 3, 0},
                                        {100, 1, 40, 4, 8}, {0, 0, 0, 4, 0}, 7, 9);
    gateway.ExportWriteInput(X, 1.5);  // sent as 12
    gateway.ExportWriteInput(Y, 0xE4);
    gateway.ExportRun(1);
    EXPECT_EQ(gateway.ExportReadOutput(SMALL), 12.0 / 16);  // raw 0x0C in 4.4
    EXPECT_EQ(gateway.ExportReadOutput(TOTAL), -16);        // raw 0xF0 signed
    gateway.ExportWriteInput(X, 29);                        // 232 = 0xE8
    gateway.ExportRun(1);
    EXPECT_EQ(gateway.ExportReadOutput(SMALL), -1.5);

    gateway.Exportdelete_port_formatter();
    EXPECT_EQ(gateway.ExportReadOutput(SMALL), 0xE8);
    gateway.Exportcreate_port_formatter("off", "ffff", {1}, {2}, {3}, {4}, 0, 0);
    gateway.ExportWriteInput(X, 3);
    gateway.ExportRun(1);
    EXPECT_EQ(gateway.ExportReadOutput(SMALL), 3);
}

TEST_F(GatewayTest, HundredBitUnsignedValuesAddWithCarry)
{
    gateway.ExportWriteUnsignedWideInput(A, Unsigned(100, "0xF0000000123456789ABCDEF01"));
    gateway.ExportWriteUnsignedWideInput(B, Unsigned(100, "0x10000000000000000000000FF"));
    gateway.ExportRun(1);
    sc_ufix sum(100, 100);
    gateway.ExportReadUnsignedWideOutput(sum, SUM);
    EXPECT_EQ(sum, Unsigned(100, "0x0000000123456789ABCDF000"));
    EXPECT_EQ(gateway.ExportReadOutput(CARRY), 1);

    // a signed value of the same word length carries the same bits
    sc_fix minus_one(100, 100);
    minus_one = -1;
    gateway.ExportWriteWideInput(A, minus_one);
    gateway.ExportWriteUnsignedWideInput(B, Unsigned(100, "0x2"));
    gateway.ExportRun(1);
    sc_fix signed_sum(100, 100);
    gateway.ExportReadWideOutput(signed_sum, SUM);
    EXPECT_EQ(signed_sum.to_double(), 1.0);
}

TEST_F(GatewayTest, FortyBitFixedPointCrossesWithItsBitPatternWhereverThePointLies)
{
    sc_fix value(40, 20);  // 20 integer and 20 fraction bits
    value = -1.5;
    gateway.ExportWriteWideInput(C, value);
    gateway.ExportRun(2);  // the register takes it at the next edge
    sc_fix held(40, 20);
    gateway.ExportReadWideOutput(held, HELD);
    EXPECT_EQ(held.to_double(), -1.5);
    // the raw pattern: bits 0-31 in word 0, bits 32-39 in word 1
    sc_ufix raw(40, 40);
    gateway.ExportReadUnsignedWideOutput(raw, HELD);
    EXPECT_EQ(raw.range(31, 0).to_uint(), 0xFFE80000u);
    EXPECT_EQ(raw.range(39, 32).to_uint(), 0xFFu);
    EXPECT_EQ(gateway.ExportReadOutput(HELD), static_cast<double>(0xFFFFE80000LL));
}

TEST_F(GatewayTest, WideReadsKeepHigherBitsAndDropWhatDoesNotFit)
{
    gateway.ExportWriteUnsignedWideInput(A, Unsigned(100, "0xABCDEF0123456789ABCDEF012"));
    gateway.ExportWriteUnsignedWideInput(B, Unsigned(8, "0x0"));
    gateway.ExportRun(1);

    sc_ufix wider(128, 128);
    wider = Unsigned(128, "0xFFFFFFFF000000000000000000000000");
    gateway.ExportReadUnsignedWideOutput(wider, SUM);
    EXPECT_EQ(wider, Unsigned(128, "0xFFFFFFFABCDEF0123456789ABCDEF012"));

    sc_ufix narrower(64, 64);
    gateway.ExportReadUnsignedWideOutput(narrower, SUM);  // no SystemC range error
    EXPECT_EQ(narrower, Unsigned(64, "0x3456789ABCDEF012"));
    gateway.ExportRun(0);
    EXPECT_TRUE(console.contains("Blocktide Warning: widepath: Wide output #0 has 100 bits but the value read into "
                                 "holds only 64; the upper bits were dropped\n"));
}

TEST_F(GatewayTest, NonFiniteAndHugeDoublesAreDefinedAndReported)
{
    const struct {
        double value;
        double small;  // what the 8-bit pass-through shows
        const char* report;
    } cases[] = {
        {std::nan(""), 0, "Input value is not a number; 0 was written instead"},
        {std::numeric_limits<double>::infinity(), 255, "Input value is beyond the 64-bit range; it was saturated"},
        {1e30, 255, "Input value is beyond the 64-bit range; it was saturated"},
        {-std::numeric_limits<double>::infinity(), 0, "Input value is beyond the 64-bit range; it was saturated"},
        {-1e300, 0, "Input value is beyond the 64-bit range; it was saturated"},
    };
    for (const auto& c : cases) {
        gateway.ExportWriteInput(X, 77);
        gateway.ExportRun(1);
        console.clear();
        gateway.ExportWriteInput(X, c.value);
        gateway.ExportRun(1);
        EXPECT_EQ(gateway.ExportReadOutput(SMALL), c.small) << c.value;
        EXPECT_EQ(console.text(), std::string("Blocktide Warning: widepath: ") + c.report + "\n") << c.value;
    }
    // a fixed-point input scaled past the range saturates the same way
    gateway.Exportcreate_port_formatter("sssfs", "sssss", {0, 0, 0, 0, 0}, {0, 0, 0, 2000, 0}, {0, 0, 0, 0, 0},
                                        {0, 0, 0, 0, 0}, 0, 0);
    console.clear();
    gateway.ExportWriteInput(X, 1.0);
    gateway.ExportRun(1);
    EXPECT_EQ(gateway.ExportReadOutput(SMALL), 255);
    EXPECT_TRUE(console.contains("saturated"));
}

TEST_F(GatewayTest, BadIndexesChangeNothingAndAreReportedAtTheNextRun)
{
    gateway.ExportWriteInput(X, 9);
    gateway.ExportRun(1);
    console.clear();
    EXPECT_FALSE(gateway.ExportWriteInput(-1, 1.0));
    EXPECT_FALSE(gateway.ExportWriteInput(5, 1.0));
    EXPECT_FALSE(gateway.ExportWriteUnsignedWideInput(7, Unsigned(8, "0x1")));
    EXPECT_EQ(gateway.ExportReadOutput(5), 0.0);
    sc_ufix wide(40, 40);
    wide = Unsigned(40, "0xFF00000001");
    gateway.ExportReadUnsignedWideOutput(wide, -3);  // a 32-bit zero lands in the low bits
    EXPECT_EQ(wide, Unsigned(40, "0xFF00000000"));
    EXPECT_TRUE(console.text().empty());  // nothing is printed before the run
    EXPECT_FALSE(gateway.ExportRun(1));
    EXPECT_EQ(console.text(),
              "Blocktide Fatal Error: widepath: Passed an input index (-1) that was out of bounds\n"
              "Blocktide Fatal Error: widepath: Passed an input index (5) that was out of bounds\n"
              "Blocktide Fatal Error: widepath: Passed an input index (7) that was out of bounds\n"
              "Blocktide Fatal Error: widepath: Passed an output index (5) that was out of bounds\n"
              "Blocktide Fatal Error: widepath: Passed an output index (-3) that was out of bounds\n");
    EXPECT_EQ(gateway.ExportReadOutput(SMALL), 9);
}

TEST(GatewayLifecycle, BeforeSetupEveryCallReportsTheMissingSimulation)
{
    clear_messages();
    ConsoleCapture console;
    ExportKelvornC_Gateway gateway;
    EXPECT_EQ(gateway.ExportGetTopLevelName(), "");
    EXPECT_FALSE(gateway.ExportWriteInput(0, 1.0));  // no formatter: passes through
    EXPECT_EQ(gateway.ExportReadOutput(0), 0.0);
    sc_fix value(8, 8);
    value = 5;
    gateway.ExportReadWideOutput(value, 0);
    EXPECT_EQ(value.to_double(), 0.0);
    EXPECT_FALSE(gateway.ExportRun(5));
    const std::string internal =
        " A Blocktide Internal Error has occurred. Please contact Morvane technical support for assistance.";
    EXPECT_EQ(console.text(), internal + internal + internal + internal);
    console.clear();
    gateway.HelloWorld();
    EXPECT_EQ(console.text(), "hello world!\n");
}

TEST(GatewayLifecycle, MissingDesignAndUnknownNamesFailOrShiftIndexes)
{
    clear_messages();
    ImportedDesign design("widepath");
    ConsoleCapture console;
    std::vector<bool> flags(5, false);
    {
        ExportKelvornC_Gateway missing;
        EXPECT_TRUE(missing.ExportSetupModels(design.directory() + "/absent.vo", "", false, 0, {}, flags, false));
        EXPECT_TRUE(console.contains("Blocktide Fatal Error: absent: "));
    }
    console.clear();
    ExportKelvornC_Gateway gateway;
    gateway.ExportAddInputNames({"x", "nothing", "y"});
    gateway.ExportAddOutputNames({"total"});
    EXPECT_FALSE(gateway.ExportSetupModels(design.netlist(), "", false, 0, {}, flags, false));
    EXPECT_EQ(console.text(), "Blocktide Fatal Error: widepath: Unable to locate design input #1 named nothing\n");
    gateway.ExportWriteInput(0, 40);
    gateway.ExportWriteInput(1, 2);  // index 1 is y now
    gateway.ExportRun(1);
    EXPECT_EQ(gateway.ExportReadOutput(0), 42);
}
