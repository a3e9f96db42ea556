// Every logic, shift and selection class configured with widths of zero or below, or with
// absurdly large select and shift inputs: created, run over clock edges, defined outputs,
// no evaluation failure.
#include <gtest/gtest.h>

#include <functional>

#include "nodes/logic.h"
#include "nodes/lpm_mux.h"
#include "nodes/select.h"
#include "nodes/shifts.h"
#include "one_node_design.h"

using namespace node_tests;

namespace {

struct ClassUnderTest {
    const char* name;
    std::function<Sim::Node_Base*(OneNodeDesign&, const Params&)> create;
    std::vector<const char*> width_params;
};

template <class T>
std::function<Sim::Node_Base*(OneNodeDesign&, const Params&)> Creator()
{
    return [](OneNodeDesign& design, const Params& params) -> Sim::Node_Base* {
        return design.CreateAllLinked<T>(params, {"dataout", "out", "result"});
    };
}

std::vector<ClassUnderTest> AllClasses()
{
    std::vector<const char*> gate = {"width", "width_datain"};
    std::vector<const char*> shift = {"width", "width_in", "width_amount", "width_out"};
    return {
        {"CombOr", Creator<Sim::Node_CombOr>(), gate},
        {"CombOr_Sm", Creator<Sim::Node_CombOr_Sm>(), gate},
        {"CombAnd", Creator<Sim::Node_CombAnd>(), gate},
        {"CombAnd_Sm", Creator<Sim::Node_CombAnd_Sm>(), gate},
        {"CombXor", Creator<Sim::Node_CombXor>(), gate},
        {"CombXor_Sm", Creator<Sim::Node_CombXor_Sm>(), gate},
        {"SHL", Creator<Sim::Node_SHL>(), shift},
        {"SHR", Creator<Sim::Node_SHR>(), shift},
        {"ROL", Creator<Sim::Node_ROL>(), shift},
        {"ROR", Creator<Sim::Node_ROR>(), shift},
        {"BufTri", Creator<Sim::Node_BufTri>(), {"width"}},
        {"BufDrn", Creator<Sim::Node_BufDrn>(), {"width"}},
        {"Decoder", Creator<Sim::Node_Decoder>(), {"width", "width_i", "width_o"}},
        {"Mux2to1", Creator<Sim::Node_Mux2to1>(), {"width", "array_width"}},
        {"MuxSmall", Creator<Sim::Node_MuxSmall>(), {"width", "array_width"}},
        {"MuxSimple", Creator<Sim::Node_MuxSimple>(), {"width", "data_width"}},
        {"BusMux2", Creator<Sim::Node_BusMux2>(), {"width", "width_a", "width_b", "width_o"}},
        {"Mux", Creator<Sim::Node_Mux>(), {"width", "width_data", "width_select"}},
        {"Mux_Sm", Creator<Sim::Node_Mux_Sm>(), {"width", "width_data", "width_select"}},
        {"Selector", Creator<Sim::Node_Selector>(), {"width_sel", "width_data"}},
        {"Selector_Sm", Creator<Sim::Node_Selector_Sm>(), {"width_sel", "width_data"}},
        {"MuxConc", Creator<Sim::Node_MuxConc>(), {"lpm_width", "lpm_size", "lpm_widths", "lpm_pipeline"}},
        {"MuxPiped", Creator<Sim::Node_MuxPiped>(), {"lpm_width", "lpm_size", "lpm_widths", "lpm_pipeline"}},
    };
}

}  // namespace

TEST(DegenerateConfigurations, WidthsOfZeroOrBelowGiveOneBitPortsAndDefinedResults)
{
    for (const ClassUnderTest& c : AllClasses())
        for (int32_t width : {0, -1, -100}) {
            SCOPED_TRACE(std::string(c.name) + " width " + std::to_string(width));
            Params params;
            for (const char* name : c.width_params)
                params[name] = width;
            OneNodeDesign design;
            Sim::Node_Base* node = c.create(design, params);
            EXPECT_GE(CountReports(SEV_ERROR) + CountReports(SEV_FATAL), 1) << "the widths are reported";
            clear_messages();
            for (Sim::Port_Base* input : node->Inputs()) {
                EXPECT_GE(input->Width(), 1);
                design.Set(input->Name(), 1);
            }
            design.Run(0);
            design.Run(3);
            EXPECT_EQ(CountReports(SEV_ERROR), 0);
            for (const char* name : {"dataout", "out", "result"})
                if (node->LookupPort(name)) {
                    EXPECT_EQ(node->LookupPort(name)->Width(), 1);
                    EXPECT_LE(design.ReadU64(name), 1u);
                }
            (void)node->TraceText();
        }
}

TEST(DegenerateConfigurations, HugeInputsOnWidePortsEvaluateWithoutFailure)
{
    // Every input at 40 bits and all ones: selects, amounts and decoder inputs far beyond
    // anything the node holds.
    for (const ClassUnderTest& c : AllClasses()) {
        SCOPED_TRACE(c.name);
        Params params;
        for (const char* name : c.width_params)
            params[name] = 40;
        params["lpm_size"] = 3;
        params["lpm_pipeline"] = std::string(c.name) == "MuxPiped" ? 2 : 0;
        OneNodeDesign design;
        Sim::Node_Base* node = c.create(design, params);
        EXPECT_EQ(CountReports(SEV_ERROR) + CountReports(SEV_FATAL), 0);
        for (Sim::Port_Base* input : node->Inputs())
            design.Set(input->Name(), ~0ull);
        design.Run(0);
        design.Run(3);
        EXPECT_EQ(CountReports(SEV_ERROR), 0);
        EXPECT_FALSE(node->TypeName().empty());
    }
}

TEST(DegenerateConfigurations, CorruptHugeWidthsSizesAndDepthsAreReportedAndTakenAsOne)
{
    OneNodeDesign mux;
    mux.Create<Sim::Node_Mux2to1>({{"width", 1 << 30}}, {}, {});
    EXPECT_EQ(mux.Width("dataout"), 1);
    EXPECT_EQ(CountReports(SEV_ERROR), 1);

    OneNodeDesign conc;
    conc.Create<Sim::Node_MuxConc>({{"lpm_width", 1 << 12}, {"lpm_size", 1 << 12}}, {}, {});
    EXPECT_EQ(conc.Width("data"), 1 << 12) << "the size that would make a 2^24-bit input is taken as 1";
    EXPECT_EQ(CountReports(SEV_FATAL), 1);

    OneNodeDesign piped;
    piped.Create<Sim::Node_MuxPiped>({{"lpm_width", 8}, {"lpm_size", 2}, {"lpm_pipeline", 1 << 30}},
                                     {"data", "sel"}, {"result"});
    EXPECT_EQ(CountReports(SEV_FATAL), 1);
    piped.Set("data", 0xBBAA);
    piped.Set("sel", 1);
    piped.Run(0);
    piped.Run(1);
    EXPECT_EQ(piped.ReadU64("result"), 0xBBu) << "a depth of 1: the choice shows at the next edge";
}
