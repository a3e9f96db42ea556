// The multiply-add block's configuration: 158 parameters handed in ascending byte order of
// their names, and the newer device families' different defaults, hand-overs and ports.
#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "engine/node_registry.h"
#include "models/configurations.h"

namespace Sim {

namespace {

struct DefaultGroup {
    const char* text_default;
    std::vector<const char*> names;
};

// Every text parameter, grouped by its default for the older families.
const std::vector<DefaultGroup>& TextGroups()
{
    static const std::vector<DefaultGroup> groups = {
        {"UNUSED",
         {"accum_direction", "multiplier1_direction", "multiplier3_direction", "port_chainout_sat_is_overflow",
          "port_mult0_is_saturated", "port_mult1_is_saturated", "port_mult2_is_saturated", "port_mult3_is_saturated",
          "port_output_is_overflow", "representation_a", "representation_b"}},
        {"NONE",
         {"accum_sload_aclr", "accum_sload_pipeline_aclr", "chainout_aclr", "chainout_round_aclr",
          "chainout_round_output_aclr", "chainout_round_pipeline_aclr", "chainout_saturate_aclr",
          "chainout_saturate_output_aclr", "chainout_saturate_pipeline_aclr", "output_round_aclr",
          "output_round_pipeline_aclr", "output_saturate_aclr", "output_saturate_pipeline_aclr", "rotate_aclr",
          "rotate_output_aclr", "rotate_pipeline_aclr", "scanouta_aclr", "shift_right_aclr",
          "shift_right_output_aclr", "shift_right_pipeline_aclr", "zero_chainout_output_aclr", "zero_loopback_aclr",
          "zero_loopback_output_aclr", "zero_loopback_pipeline_aclr"}},
        {"UNREGISTERED",
         {"accum_sload_pipeline_register", "accum_sload_register", "chainout_register",
          "chainout_round_output_register", "chainout_round_pipeline_register", "chainout_round_register",
          "chainout_saturate_output_register", "chainout_saturate_pipeline_register", "chainout_saturate_register",
          "output_round_pipeline_register", "output_round_register", "output_saturate_pipeline_register",
          "output_saturate_register", "rotate_output_register", "rotate_pipeline_register", "rotate_register",
          "scanouta_register", "shift_right_output_register", "shift_right_pipeline_register",
          "shift_right_register", "zero_chainout_output_register", "zero_loopback_output_register",
          "zero_loopback_pipeline_register", "zero_loopback_register"}},
        {"NO",
         {"accumulator", "adder1_rounding", "adder3_rounding", "chainout_adder", "chainout_rounding",
          "chainout_saturation", "multiplier01_rounding", "multiplier01_saturation", "multiplier23_rounding",
          "multiplier23_saturation", "output_rounding", "output_saturation", "shift_mode"}},
        {"ACLR3",
         {"addnsub1_round_aclr", "addnsub1_round_pipeline_aclr", "addnsub3_round_aclr",
          "addnsub3_round_pipeline_aclr", "addnsub_multiplier_aclr1", "addnsub_multiplier_aclr3",
          "addnsub_multiplier_pipeline_aclr1", "addnsub_multiplier_pipeline_aclr3", "input_aclr_a0",
          "input_aclr_a1", "input_aclr_a2", "input_aclr_a3", "input_aclr_b0", "input_aclr_b1", "input_aclr_b2",
          "input_aclr_b3", "mult01_round_aclr", "mult01_saturation_aclr", "mult23_round_aclr",
          "mult23_saturation_aclr", "multiplier_aclr0", "multiplier_aclr1", "multiplier_aclr2", "multiplier_aclr3",
          "signed_aclr_a", "signed_aclr_b", "signed_pipeline_aclr_a", "signed_pipeline_aclr_b"}},
        {"CLOCK0",
         {"addnsub1_round_pipeline_register", "addnsub1_round_register", "addnsub3_round_pipeline_register",
          "addnsub3_round_register", "addnsub_multiplier_pipeline_register1", "addnsub_multiplier_pipeline_register3",
          "addnsub_multiplier_register1", "addnsub_multiplier_register3", "input_register_a0", "input_register_a1",
          "input_register_a2", "input_register_a3", "input_register_b0", "input_register_b1", "input_register_b2",
          "input_register_b3", "mult01_round_register", "mult01_saturation_register", "mult23_round_register",
          "mult23_saturation_register", "multiplier_register0", "multiplier_register1", "multiplier_register2",
          "multiplier_register3", "output_register", "signed_pipeline_register_a", "signed_pipeline_register_b",
          "signed_register_a", "signed_register_b"}},
        {"PORT_CONNECTIVITY", {"port_addnsub1", "port_addnsub3", "port_signa", "port_signb"}},
        {"DATAA", {"input_source_a0", "input_source_a1", "input_source_a2", "input_source_a3"}},
        {"DATAB", {"input_source_b0", "input_source_b1", "input_source_b2", "input_source_b3"}},
        {"AUTO", {"dedicated_multiplier_circuitry", "dsp_block_balancing"}},
        {"ACLR0", {"output_aclr"}},
        {"BIASED", {"output_round_type"}},
        {"ASYMMETRIC", {"output_saturate_type"}},
        {"Pellan", {"intended_device_family"}},
        {"mrvmult_add", {"lpm_type"}},
    };
    return groups;
}

// The defaults a newer family changes before the query.
struct NewerDefault {
    const char* name;
    const char* text_default;
};
constexpr NewerDefault kNewerDefaults[] = {
    {"port_addnsub1", "UNUSED"},
    {"port_addnsub3", "UNUSED"},
    {"port_mult0_is_saturated", "UNUSED"},
    {"port_mult1_is_saturated", "UNUSED"},
    {"port_mult2_is_saturated", "UNUSED"},
    {"port_mult3_is_saturated", "UNUSED"},
    {"addnsub_multiplier_register1", "UNREGISTERED"},
    {"addnsub_multiplier_register3", "UNREGISTERED"},
    {"addnsub_multiplier_pipeline_register1", "UNREGISTERED"},
    {"addnsub_multiplier_pipeline_register3", "UNREGISTERED"},
    {"addnsub_multiplier_aclr1", "NONE"},
    {"addnsub_multiplier_aclr3", "NONE"},
    {"addnsub_multiplier_pipeline_aclr1", "NONE"},
    {"addnsub_multiplier_pipeline_aclr3", "NONE"},
};

// Not handed to the model for a newer family.
bool IsSaturationPortParameter(const char* name)
{
    return std::strncmp(name, "port_mult", 9) == 0 && std::strstr(name, "_is_saturated") != nullptr;
}

std::vector<ModelParameterDef> MultAddParameters(bool newer)
{
    std::vector<ModelParameterDef> definitions = {
        IntParam("extra_latency", 0),         IntParam("number_of_multipliers", 1),
        IntParam("round_fraction_width", 10), IntParam("saturate_fraction_width", 1),
        IntParam("width_a", 1),               IntParam("width_b", 1),
        IntParam("width_chainin", 1),         IntParam("width_msb", 10),
        IntParam("width_result", 1),          IntParam("width_saturate_sign", 1),
    };
    for (const DefaultGroup& group : TextGroups())
        for (const char* name : group.names) {
            const char* text_default = group.text_default;
            if (newer)
                for (const NewerDefault& changed : kNewerDefaults)
                    if (std::strcmp(changed.name, name) == 0)
                        text_default = changed.text_default;
            if (newer && IsSaturationPortParameter(name))
                continue;
            definitions.push_back(TextParam(name, text_default));
        }
    std::sort(definitions.begin(), definitions.end(), [](const ModelParameterDef& a, const ModelParameterDef& b) {
        return std::strcmp(a.name, b.name) < 0;
    });
    return definitions;
}

}  // namespace

bool IsNewerMultAddFamily(const std::string& family)
{
    for (const char* newer : {"PellanIII", "Pellan III", "Orrin", "PIII"})
        if (SameIgnoringCase(family, newer))
            return true;
    return false;
}

void Node_MrvMultAdd::CreatePorts(const ParamQuery& query)
{
    LoadModel("modlib_mrvmult_add.dll");
    if (!HasModel())
        return;
    ParamValue family(std::string("Pellan"));
    if (query)
        query("intended_device_family", family);
    const bool newer = IsNewerMultAddFamily(family.text_form());

    ModelParameters p(MultAddParameters(newer));
    p.Read(query);
    HandOverParameters(p);

    const int multipliers = p.Integer("number_of_multipliers");
    const int width_a = p.Integer("width_a");
    const int width_b = p.Integer("width_b");
    for (const char* clock : {"clock0", "clock1", "clock2", "clock3"})
        AddModelClock(clock);
    AddModelInput("dataa", int64_t{width_a} * multipliers, KIND_NONE);
    AddModelInput("datab", int64_t{width_b} * multipliers, KIND_NONE);
    AddModelInput("scanina", width_a, KIND_NONE);
    AddModelInput("scaninb", width_b, KIND_NONE);
    for (const char* control : {"aclr3", "aclr2", "aclr1", "aclr0", "ena3", "ena2", "ena1", "ena0", "signa", "signb",
                                "mult01_round", "mult23_round", "mult01_saturation", "mult23_saturation",
                                "addnsub1_round", "addnsub3_round"})
        AddModelInput(control, 1, KIND_NONE);
    if (newer) {
        for (const char* control : {"output_saturate", "output_round", "chainout_saturate", "chainout_round",
                                    "zero_chainout", "zero_loopback", "accum_sload"})
            AddModelInput(control, 1, KIND_NONE);
        AddModelInput("chainin", p.Integer("width_chainin"), KIND_NONE);
        AddModelInput("rotate", 1, KIND_NONE);
        AddModelInput("shift_right", 1, KIND_NONE);
        AddModelInput("addnsub1", 1, KIND_ZERO);
        AddModelInput("addnsub3", 1, KIND_ZERO);
        AddModelInput("sourcea", multipliers, KIND_ZERO);
        AddModelInput("sourceb", multipliers, KIND_ZERO);
    } else {
        AddModelInput("addnsub1", 1, KIND_NONE);
        AddModelInput("addnsub3", 1, KIND_NONE);
        AddModelInput("sourcea", multipliers, KIND_NONE);
        AddModelInput("sourceb", multipliers, KIND_NONE);
    }
    AddModelOutput("result", p.Integer("width_result"));
    AddModelOutput("scanouta", width_a);
    AddModelOutput("scanoutb", width_b);
    for (const char* flag : {"mult0_is_saturated", "mult1_is_saturated", "mult2_is_saturated", "mult3_is_saturated"})
        AddModelOutput(flag, 1);
    if (newer) {
        AddModelOutput("overflow", 1);
        AddModelOutput("chainout_sat_overflow", 1);
    }
}

// The operator codes this file serves.
namespace {

const NodeRegistration mult_add_code(OperatorCode::MultAdd, MakeNode<Node_MrvMultAdd>);

}  // namespace

}  // namespace Sim
