// Blocks configured from hostile netlists: every width and size parameter at the largest
// 32-bit integer. Each block must come up bounded (ports no wider than the width limit,
// storage capped) with its parameters reported, and run cycles without failing.
#include <gtest/gtest.h>

#include "base/limits.h"
#include "model_design.h"

namespace {

using model_test::Design;
using model_test::Int;

TEST(HostileParameters, HugeWidthsAndSizesAreReportedAndBounded)
{
    const int32_t huge = 2147483647;
    model_test::Params params;
    for (const char* name :
         {"width", "width_a", "width_b", "widthad_a", "widthad_b", "width_byteena_a", "width_byteena_b", "lpm_width",
          "lpm_widtha", "lpm_widthb", "lpm_widthp", "lpm_widths", "lpm_widthu", "lpm_widthad", "width_in",
          "width_out", "widthr", "width_result", "width_chainin", "size", "lpm_size", "number_of_multipliers",
          "lpm_numwords", "numwords_a", "numwords_b", "ram_size", "addr_wid", "tap_distance", "number_of_taps",
          "pipeline", "lpm_pipeline", "extra_latency", "shift", "byte_size"})
        params[name] = Int(huge);
    for (int code = 100; code <= 114; ++code) {
        SCOPED_TRACE("operator code " + std::to_string(code));
        Design d;
        clear_messages();
        Sim::Node_Base* node = d.Add(code, "block", params);
        ASSERT_NE(node, nullptr);
        for (const Sim::Port_Base* port : node->Inputs())
            EXPECT_LE(port->Width(), kMaxBits) << port->Name();
        for (const Sim::Port_Base* port : node->Outputs())
            EXPECT_LE(port->Width(), kMaxBits) << port->Name();
        EXPECT_FALSE(pending_messages().empty());
        d.Clock(2);
    }
}

}  // namespace
