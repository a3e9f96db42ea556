// Node conventions: parameter presets and overrides, small-width checks, trace formatting.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "base/messages.h"
#include "engine/manager.h"
#include "engine/node_registry.h"
#include "nodes/conventions.h"

namespace {

ParamQuery query_of(std::map<std::string, ParamValue> params)
{
    return [params](const std::string& name, ParamValue& value) {
        auto found = params.find(name);
        if (found == params.end())
            return false;
        value = found->second;
        return true;
    };
}

struct Widths {
    int32_t a = 1, b = 1, o = 1;
};

Widths ReadThreeWidths(const ParamQuery& query)
{
    Widths w;
    Sim::ParamReader params(query);
    params.Read("width", w.a);
    params.Read("width", w.b);
    params.Read("width", w.o);
    params.Read("width_a", w.a);
    params.Read("width_b", w.b);
    params.Read("width_o", w.o);
    return w;
}

}  // namespace

TEST(NodeConventions, LaterNamesOverrideAndMissingNamesKeepPresets)
{
    Widths general = ReadThreeWidths(query_of({{"width", ParamValue(12)}}));
    EXPECT_EQ(general.a, 12);
    EXPECT_EQ(general.b, 12);
    EXPECT_EQ(general.o, 12);
    Widths specific = ReadThreeWidths(query_of({{"width", ParamValue(12)}, {"width_o", ParamValue(13)}}));
    EXPECT_EQ(specific.a, 12);
    EXPECT_EQ(specific.o, 13);
    Widths only_output = ReadThreeWidths(query_of({{"width_o", ParamValue(5)}}));
    EXPECT_EQ(only_output.a, 1);
    EXPECT_EQ(only_output.o, 5);
    Widths none = ReadThreeWidths(ParamQuery());
    EXPECT_EQ(none.b, 1);

    std::string text = "preset";
    const ParamQuery mode_query = query_of({{"mode", ParamValue(std::string("SIGNED"))}});
    Sim::ParamReader reader(mode_query);
    EXPECT_TRUE(reader.Read("mode", text));
    EXPECT_EQ(text, "SIGNED");
    EXPECT_FALSE(reader.Read("other", text));
    EXPECT_EQ(text, "SIGNED");
}

TEST(NodeConventions, SmallWidthBeyondLimitIsAnInternalReport)
{
    clear_messages();
    EXPECT_TRUE(Sim::CheckSmallWidth(31, 31, "too wide"));
    EXPECT_TRUE(pending_messages().empty());
    EXPECT_FALSE(Sim::CheckSmallWidth(32, 31, "too wide"));
    ASSERT_EQ(pending_messages().size(), 1u);
    EXPECT_EQ(pending_messages()[0].severity, SEV_INTERNAL);
    EXPECT_EQ(pending_messages()[0].text, "too wide");
    clear_messages();
}

TEST(NodeConventions, TraceFormatsSignedAndHexWords)
{
    EXPECT_EQ(Sim::TraceFormat("%d  -->  %08X %s", Sim::TraceSigned(0xFFFFFFFFu), 0xABCu, "X0"),
              "-1  -->  00000ABC X0");
    std::string long_text(5000, 'a');
    EXPECT_EQ(Sim::TraceFormat("%s", long_text.c_str()).size(), 5000u);
}

// Every class the registry makes, narrow and wide, one-bit and bus, signed and pipelined.
TEST(NodeConventions, EveryTypeNameHasEightCharacters)
{
    const std::map<std::string, ParamValue> wide = {
        {"array_width", ParamValue(40)}, {"width_datain", ParamValue(40)}, {"width_data", ParamValue(40)},
        {"width_o", ParamValue(40)},     {"signed", ParamValue(1)},        {"lpm_pipeline", ParamValue(1)}};
    Sim::Manager manager("names");
    int index = 0;
    for (const Sim::OperatorCodeName& entry : Sim::kOperatorCodes) {
        for (const auto& params : {std::map<std::string, ParamValue>(), wide}) {
            Sim::Node_Base* node =
                Sim::FindNodeMaker(static_cast<int>(entry.code))(manager, std::to_string(index++), query_of(params));
            EXPECT_EQ(node->TypeName().size(), 8u) << entry.name << ": '" << node->TypeName() << "'";
        }
    }
    clear_messages();
}
