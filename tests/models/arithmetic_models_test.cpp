// The arithmetic models driven through the bridge: multiplier, adder/subtractor,
// accumulator, parallel adder and multiply-add.
#include <gtest/gtest.h>

#include "model_design.h"

namespace {

using model_test::Design;
using model_test::Int;
using model_test::Text;

TEST(MultiplierModel, ProductsSignedUnsignedTruncatedAndWithSum)
{
    struct Case {
        const char* name;
        model_test::Params params;
        uint64_t a, b, sum;
        bool drive_sum;
        uint64_t expected;
    };
    const model_test::Params w8 = {{"lpm_widtha", Int(8)}, {"lpm_widthb", Int(8)}, {"lpm_widthp", Int(16)}};
    auto with = [&](model_test::Params extra) {
        model_test::Params params = w8;
        for (const auto& [name, value] : extra)
            params[name] = value;
        return params;
    };
    const Case cases[] = {
        {"unsigned", w8, 200, 100, 0, false, 20000},
        {"signed", with({{"lpm_representation", Text("SIGNED")}}), 0xFD, 5, 0, false, 0xFFF1},  // -3 * 5
        {"high bits kept", with({{"lpm_widthp", Int(8)}}), 200, 100, 0, false, 20000 >> 8},
        {"sign-extended result", with({{"lpm_representation", Text("SIGNED")}, {"lpm_widthp", Int(20)}}), 0xFF, 2, 0,
         false, 0xFFFFE},
        {"with sum", with({{"lpm_widths", Int(16)}}), 10, 10, 1000, true, 1100},
        {"wide", {{"lpm_widtha", Int(32)}, {"lpm_widthb", Int(32)}, {"lpm_widthp", Int(64)}}, 0xFFFFFFFF, 0xFFFFFFFF,
         0, false, 0xFFFFFFFE00000001ull},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Design d;
        d.Add(101, "m", c.params);
        d.DriveAll("m", {"dataa", "datab"});
        if (c.drive_sum) {
            d.Drive("m", "sum");
            d.Set("m", "sum", c.sum);
        }
        d.Set("m", "dataa", c.a);
        d.Set("m", "datab", c.b);
        d.Settle();
        EXPECT_EQ(d.Get("m", "result"), c.expected);
    }
}

TEST(MultiplierModel, PipelineDelaysTheProductAndClears)
{
    Design d;
    d.Add(101, "m", {{"lpm_widtha", Int(8)}, {"lpm_widthb", Int(8)}, {"lpm_widthp", Int(16)}, {"lpm_pipeline", Int(2)}});
    d.DriveAll("m", {"dataa", "datab", "aclr"});
    d.Set("m", "dataa", 7);
    d.Set("m", "datab", 6);
    d.Clock();
    EXPECT_EQ(d.Get("m", "result"), 0u);
    d.Clock();
    EXPECT_EQ(d.Get("m", "result"), 42u);
    d.Set("m", "aclr", 1);
    d.Settle();
    EXPECT_EQ(d.Get("m", "result"), 0u);
}

TEST(AddSubModel, SumsDifferencesCarriesAndOverflows)
{
    struct Case {
        const char* name;
        model_test::Params params;
        uint64_t a, b;
        int add_sub;  // -1: not linked
        int cin;      // -1: not linked
        uint64_t result, cout, overflow;
    };
    const Case cases[] = {
        {"add with carry out", {{"lpm_width", Int(8)}}, 200, 100, -1, -1, 44, 1, 1},
        {"add", {{"lpm_width", Int(8)}}, 20, 10, 1, -1, 30, 0, 0},
        {"subtract with borrow", {{"lpm_width", Int(8)}}, 5, 7, 0, -1, 254, 0, 1},
        {"subtract", {{"lpm_width", Int(8)}}, 7, 5, 0, -1, 2, 1, 0},
        {"subtract with borrow in", {{"lpm_width", Int(8)}}, 7, 5, 0, 0, 1, 1, 0},
        {"add with carry in", {{"lpm_width", Int(8)}}, 7, 5, 1, 1, 13, 0, 0},
        {"fixed direction", {{"lpm_width", Int(8)}, {"lpm_direction", Text("SUB")}}, 9, 4, 1, -1, 5, 1, 0},
        {"signed overflow", {{"lpm_width", Int(8)}, {"lpm_representation", Text("SIGNED")}}, 100, 100, -1, -1, 200, 0,
         1},
        {"signed no overflow", {{"lpm_width", Int(8)}, {"lpm_representation", Text("SIGNED")}}, 0xFF, 0xFF, -1, -1,
         0xFE, 1, 0},
        {"wide", {{"lpm_width", Int(48)}}, 0xFFFFFFFFFFFFull, 1, -1, -1, 0, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Design d;
        d.Add(104, "s", c.params);
        d.DriveAll("s", {"dataa", "datab"});
        d.Set("s", "dataa", c.a);
        d.Set("s", "datab", c.b);
        if (c.add_sub >= 0) {
            d.Drive("s", "add_sub");
            d.Set("s", "add_sub", static_cast<uint64_t>(c.add_sub));
        }
        if (c.cin >= 0) {
            d.Drive("s", "cin");
            d.Set("s", "cin", static_cast<uint64_t>(c.cin));
        }
        d.Settle();
        EXPECT_EQ(d.Get("s", "result"), c.result);
        EXPECT_EQ(d.Get("s", "cout"), c.cout);
        EXPECT_EQ(d.Get("s", "overflow"), c.overflow);
    }
}

TEST(AddSubModel, PipelinedResultFollowsTheClockEnable)
{
    Design d;
    d.Add(104, "s", {{"lpm_width", Int(8)}, {"lpm_pipeline", Int(1)}});
    d.DriveAll("s", {"dataa", "datab", "clken"});
    d.Set("s", "dataa", 3);
    d.Set("s", "datab", 4);
    d.Clock();
    EXPECT_EQ(d.Get("s", "result"), 0u);  // clken linked and still 0
    d.Set("s", "clken", 1);
    d.Clock();
    EXPECT_EQ(d.Get("s", "result"), 7u);
}

TEST(AccumulatorModel, AddsLoadsSubtractsAndClears)
{
    Design d;
    d.Add(102, "acc", {{"width_in", Int(8)}, {"width_out", Int(16)}});
    d.DriveAll("acc", {"data", "sload", "add_sub", "aclr", "sign_data"});
    d.Set("acc", "add_sub", 1);
    d.Set("acc", "data", 10);
    d.Clock(3);
    EXPECT_EQ(d.Get("acc", "result"), 30u);
    d.Set("acc", "sload", 1);
    d.Set("acc", "data", 100);
    d.Clock();
    EXPECT_EQ(d.Get("acc", "result"), 100u);
    d.Set("acc", "sload", 0);
    d.Set("acc", "add_sub", 0);
    d.Set("acc", "data", 1);
    d.Clock(2);
    EXPECT_EQ(d.Get("acc", "result"), 98u);
    d.Set("acc", "add_sub", 1);
    d.Set("acc", "sign_data", 1);
    d.Set("acc", "data", 0xFE);  // -2 as signed data
    d.Clock();
    EXPECT_EQ(d.Get("acc", "result"), 96u);
    d.Set("acc", "aclr", 1);
    d.Settle();
    EXPECT_EQ(d.Get("acc", "result"), 0u);
}

TEST(AccumulatorModel, CarryOutWhenTheSumWraps)
{
    Design d;
    d.Add(102, "acc", {{"width_in", Int(4)}, {"width_out", Int(4)}});
    d.Drive("acc", "data");
    d.Set("acc", "data", 9);
    d.Clock(2);
    EXPECT_EQ(d.Get("acc", "result"), 2u);
    EXPECT_EQ(d.Get("acc", "cout"), 1u);
    EXPECT_EQ(d.Get("acc", "overflow"), 1u);
}

TEST(ParallelAdderModel, SumsShiftedWordsWithSubtractionAndAlignment)
{
    struct Case {
        const char* name;
        model_test::Params params;
        uint64_t data;
        uint64_t expected;
    };
    const model_test::Params base = {{"width_in", Int(8)}, {"size", Int(3)}, {"width_out", Int(10)}};
    auto with = [&](model_test::Params extra) {
        model_test::Params params = base;
        for (const auto& [name, value] : extra)
            params[name] = value;
        return params;
    };
    const Case cases[] = {
        {"plain sum", base, 0x030201, 6},
        {"full words", base, 0xFFFFFF, 765},
        {"shifted", with({{"shift", Int(1)}}), 0x030201, 1 + 4 + 12},
        {"last word subtracted", with({{"msw", Text("YES")}}), 0x010305, (5 + 3 - 1)},
        {"signed", with({{"representation", Text("SIGNED")}}), 0xFF0102, 2 /* 2 + 1 - 1 */},
        {"high bits", with({{"width_out", Int(4)}, {"alignment", Text("MSB")}}), 0xFFFFFF, 765 >> 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Design d;
        d.Add(106, "p", c.params);
        d.Drive("p", "data");
        d.Set("p", "data", c.data);
        d.Settle();
        EXPECT_EQ(d.Get("p", "result"), c.expected);
    }
}

// A two-multiplier block with every register bypassed unless the case says otherwise.
model_test::Params MultAdd(model_test::Params extra)
{
    model_test::Params params = {{"number_of_multipliers", Int(2)}, {"width_a", Int(8)}, {"width_b", Int(8)},
                                 {"width_result", Int(17)}};
    for (const char* stage : {"input_register_a0", "input_register_a1", "input_register_b0", "input_register_b1",
                              "multiplier_register0", "multiplier_register1", "output_register"})
        params[stage] = Text("UNREGISTERED");
    for (const auto& [name, value] : extra)
        params[name] = value;
    return params;
}

TEST(MultAddModel, SumsAndDifferencesOfProducts)
{
    struct Case {
        const char* name;
        model_test::Params params;
        uint64_t a, b;  // two packed operands each
        uint64_t expected;
    };
    const Case cases[] = {
        {"sum", MultAdd({}), 0x0302, 0x0504, 2 * 4 + 3 * 5},
        {"difference", MultAdd({{"multiplier1_direction", Text("SUB")}}), 0x0302, 0x0504, (8 - 15) & 0x1FFFF},
        {"signed", MultAdd({{"representation_a", Text("SIGNED")}, {"representation_b", Text("SIGNED")}}), 0xFF02,
         0x0304, 2 * 4 - 1 * 3},
        {"unsigned large", MultAdd({}), 0xFFFF, 0xFFFF, 2 * 255 * 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Design d;
        d.Add(109, "ma", c.params);
        d.DriveAll("ma", {"dataa", "datab"});
        d.Set("ma", "dataa", c.a);
        d.Set("ma", "datab", c.b);
        d.Settle();
        EXPECT_EQ(d.Get("ma", "result"), c.expected);
    }
}

TEST(MultAddModel, DefaultRegistersGiveThreeClocksOfLatency)
{
    Design d;
    d.Add(109, "ma", {{"number_of_multipliers", Int(2)}, {"width_a", Int(8)}, {"width_b", Int(8)},
                      {"width_result", Int(17)}});
    d.DriveAll("ma", {"dataa", "datab"});
    d.Set("ma", "dataa", 0x0102);
    d.Set("ma", "datab", 0x0304);
    d.Clock(2);
    EXPECT_EQ(d.Get("ma", "result"), 0u);
    d.Clock(1);
    EXPECT_EQ(d.Get("ma", "result"), 2u * 4 + 1u * 3);
    EXPECT_EQ(d.Get("ma", "scanouta"), 1u);
}

TEST(MultAddModel, AccumulatorAddsEachSum)
{
    Design d;
    d.Add(109, "ma", MultAdd({{"accumulator", Text("YES")}, {"output_register", Text("CLOCK0")},
                             {"intended_device_family", Text("Orrin")}}));
    d.DriveAll("ma", {"dataa", "datab", "accum_sload"});
    d.Set("ma", "dataa", 0x0101);
    d.Set("ma", "datab", 0x0203);
    d.Clock(3);
    EXPECT_EQ(d.Get("ma", "result"), 15u);
    d.Set("ma", "accum_sload", 1);
    d.Clock();
    EXPECT_EQ(d.Get("ma", "result"), 5u);
}

TEST(MultAddModel, UnsupportedFeaturesAreReportedOnce)
{
    Design d;
    d.Add(109, "ma", MultAdd({{"output_rounding", Text("YES")}, {"input_source_a0", Text("SCANA")}}));
    clear_messages();
    d.Clock(2);
    std::vector<std::string> warnings = model_test::TakeMessages(SEV_WARNING);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0], "mrvmult_add model: parameter output_rounding = \"YES\" is not supported; the model "
                           "behaves as for \"NO\"");
    EXPECT_NE(warnings[1].find("input_source_a0 = \"SCANA\""), std::string::npos);
}

}  // namespace
