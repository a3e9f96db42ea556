// The configurations of ten model-library blocks (the multiply-add block has its own file):
// library names, parameter tables in hand-over order, and port lists in creation order.
#include "models/configurations.h"

#include "engine/node_registry.h"

#include "models/init_file.h"

namespace Sim {

void Node_LpmMult::CreatePorts(const ParamQuery& query)
{
    ModelParameters p({
        TextParam("lpm_representation", "UNSIGNED"),
        TextParam("lpm_type", "lpm_mult"),
        TextParam("lpm_hint", "UNUSED"),
        TextParam("use_ahdl_implementation", "OFF"),
        IntParam("lpm_widtha", 1),
        IntParam("lpm_widthb", 1),
        IntParam("lpm_widthp", 1),
        IntParam("lpm_widths", 1),
        IntParam("lpm_pipeline", 0),
    });
    if (!LoadWithParameters("modlib_lpm_mult.dll", p, query))
        return;
    AddModelClock("clock");
    AddModelInput("dataa", p.Integer("lpm_widtha"), KIND_NONE);
    AddModelInput("datab", p.Integer("lpm_widthb"), KIND_NONE);
    AddModelInput("sum", p.Integer("lpm_widths"), KIND_ZERO);
    AddModelInput("aclr", 1, KIND_ZERO);
    AddModelInput("clken", 1, KIND_ONE);
    AddModelOutput("result", p.Integer("lpm_widthp"));
}

void Node_MrvAccumulate::CreatePorts(const ParamQuery& query)
{
    ModelParameters p({
        TextParam("lpm_representation", "UNSIGNED"),
        TextParam("use_wys", "ON"),
        TextParam("lpm_hint", "UNUSED"),
        TextParam("lpm_type", "mrvaccumulate"),
        IntParam("width_in", 4),
        IntParam("width_out", 8),
        IntParam("extra_latency", 0),
    });
    if (!LoadWithParameters("modlib_mrvaccumulate.dll", p, query))
        return;
    AddModelClock("clock");
    AddModelInput("cin", 1, KIND_ZERO);
    AddModelInput("data", p.Integer("width_in"), KIND_NONE);
    AddModelInput("add_sub", 1, KIND_ONE);
    AddModelInput("sload", 1, KIND_ZERO);
    AddModelInput("clken", 1, KIND_ONE);
    AddModelInput("sign_data", 1, KIND_ZERO);
    AddModelInput("aclr", 1, KIND_ZERO);
    AddModelOutput("result", p.Integer("width_out"));
    AddModelOutput("cout", 1);
    AddModelOutput("overflow", 1);
}

void Node_LpmAddSub::CreatePorts(const ParamQuery& query)
{
    ModelParameters p({
        TextParam("lpm_representation", "UNSIGNED"),
        TextParam("lpm_direction", "UNUSED"),
        TextParam("lpm_hint", "UNUSED"),
        TextParam("lpm_type", "lpm_add_sub"),
        IntParam("lpm_width", 1),
        IntParam("lpm_pipeline", 0),
    });
    if (!LoadWithParameters("modlib_lpm_add_sub.dll", p, query))
        return;
    const int width = p.Integer("lpm_width");
    AddModelClock("clock");
    AddModelInput("cin", 1, KIND_ZERO);
    AddModelInput("dataa", width, KIND_NONE);
    AddModelInput("datab", width, KIND_NONE);
    AddModelInput("add_sub", 1, KIND_ONE);
    AddModelInput("clken", 1, KIND_ONE);
    AddModelInput("aclr", 1, KIND_ZERO);
    AddModelOutput("result", width);
    AddModelOutput("cout", 1);
    AddModelOutput("overflow", 1);
}

void Node_ParallelAdd::CreatePorts(const ParamQuery& query)
{
    ModelParameters p({
        IntParam("width", 4, "width_in"),
        IntParam("size", 2),
        IntParam("widthr", 4, "width_out"),
        IntParam("shift", 0),
        IntParam("pipeline", 0),
        TextParam("representation", "UNSIGNED"),
        TextParam("msw_subtract", "NO", "msw"),
        TextParam("result_alignment", "LSB", "alignment"),
        TextParam("lpm_type", "mrvpar_add"),
    });
    if (!LoadWithParameters("modlib_mrvpar_add.dll", p, query))
        return;
    AddModelClock("clock");
    AddModelInput("data", int64_t{p.Integer("width")} * p.Integer("size"), KIND_NONE);
    AddModelInput("aclr", 1, KIND_ZERO);
    AddModelInput("clken", 1, KIND_ONE);
    AddModelOutput("result", p.Integer("widthr"));
}

void Node_Counter::CreatePorts(const ParamQuery& query)
{
    ModelParameters p({
        IntParam("lpm_width", 1, "width"),
        IntParam("lpm_modulus", 0, "modulus"),
        TextParam("lpm_direction", "UNUSED", "direction"),
        TextParam("lpm_avalue", "UNUSED", "avalue"),
        TextParam("lpm_svalue", "UNUSED", "svalue"),
        TextParam("lpm_pvalue", "UNUSED", "pvalue"),
        TextParam("lpm_type", "lpm_counter", "type"),
        TextParam("lpm_hint", "UNUSED", "hint"),
        TextParam("lpm_port_updown", "PORT_CONNECTIVITY", "port_updown"),
    });
    if (!LoadWithParameters("modlib_lpm_counter.dll", p, query))
        return;
    const int width = p.Integer("lpm_width");
    AddModelClock("clock");
    AddModelInput("data", width, KIND_NONE);
    AddModelInput("clk_en", 1, KIND_ONE);
    AddModelInput("cnt_en", 1, KIND_ONE);
    AddModelInput("updown", 1, KIND_ONE);
    for (const char* control : {"aclr", "aset", "aload", "sclr", "sset", "sload", "cin"})
        AddModelInput(control, 1, KIND_ZERO);
    AddModelOutput("q", width);
    AddModelOutput("cout", 1);
    AddModelOutput("eq", 16);  // sixteen decodes of the count, whatever the width
}

void Node_RamDP::CreatePorts(const ParamQuery& query)
{
    ModelParameters p({
        IntParam("lpm_width", 1, "width"),
        IntParam("lpm_widthad", 1, "addr_wid"),
        IntParam("lpm_numwords", 1, "ram_size"),
        TextParam("lpm_indata", "REGISTERED", "input"),
        TextParam("lpm_rdaddress_control", "REGISTERED", "r_ctrl"),
        TextParam("lpm_wraddress_control", "REGISTERED", "w_ctrl"),
        TextParam("lpm_outdata", "REGISTERED", "output"),
        TextParam("lpm_file", "UNUSED", "file"),  // handed as written: no lookup for this block
        TextParam("use_eab", "OFF", "eab"),
        TextParam("rden_used", "TRUE", "use_r_en"),
        TextParam("intended_device_family", "DELLOR2K", "device_fam"),
        TextParam("lpm_type", "lpm_ram_dp", "type"),
        TextParam("lpm_hint", "UNUSED", "hint"),
    });
    if (!LoadWithParameters("modlib_lpm_ram_dp.dll", p, query))
        return;
    const int width = p.Integer("lpm_width");
    const int address_width = p.Integer("lpm_widthad");
    AddModelClock("rdclock");
    AddModelClock("wrclock");
    AddModelInput("data", width, KIND_NONE);
    AddModelInput("rdaddress", address_width, KIND_NONE);
    AddModelInput("wraddress", address_width, KIND_NONE);
    for (const char* control : {"rdclken", "wrclken", "rden", "wren"})
        AddModelInput(control, 1, KIND_ONE);
    AddModelOutput("q", width);
}

void Node_GrayCounter::CreatePorts(const ParamQuery& query)
{
    ModelParameters p({
        IntParam("width", 3),
        IntParam("pvalue", 0),
        TextParam("lpm_type", "mrvgray_counter"),
    });
    if (!LoadWithParameters("modlib_mrvgray_counter.dll", p, query))
        return;
    const int width = p.Integer("width");
    AddModelClock("clock");
    AddModelInput("cnt_en", 1, KIND_ONE);
    AddModelInput("clk_en", 1, KIND_ONE);
    AddModelInput("updown", 1, KIND_ZERO);
    AddModelInput("aclr", 1, KIND_ZERO);
    AddModelInput("sclr", 1, KIND_ZERO);
    AddModelOutput("q", width);
    AddModelOutput("qbin", width);
}

void Node_SnglFifo::CreatePorts(const ParamQuery& query)
{
    ModelParameters p({
        IntParam("lpm_width", 1),
        IntParam("lpm_widthu", 1),
        IntParam("lpm_numwords", 2),
        TextParam("lpm_showahead", "OFF"),
        TextParam("lpm_type", "mrvfifo_s"),
        TextParam("lpm_hint", "USE_EAB=ON"),
        TextParam("intended_device_family", "DELLOR2K"),
        TextParam("underflow_checking", "ON"),
        TextParam("overflow_checking", "ON"),
        TextParam("allow_rwcycle_when_full", "OFF"),
        TextParam("use_eab", "ON"),
        TextParam("add_ram_output_register", "OFF"),
        IntParam("almost_full_value", 0),
        IntParam("almost_empty_value", 0),
        IntParam("maximum_depth", 0),
        IntParam("showahead_area", 0),
        IntParam("showahead_speed", 0),
        IntParam("legacy_speed", 0),
    });
    if (!LoadWithParameters("modlib_mrvfifo_s.dll", p, query))
        return;
    const int width = p.Integer("lpm_width");
    AddModelClock("clock");
    AddModelInput("data", width, KIND_ZERO);
    AddModelInput("wrreq", 1, KIND_ZERO);
    AddModelInput("rdreq", 1, KIND_ONE);
    AddModelInput("aclr", 1, KIND_ZERO);
    AddModelInput("sclr", 1, KIND_ZERO);
    AddModelOutput("q", width);
    AddModelOutput("usedw", p.Integer("lpm_widthu"));
    for (const char* flag : {"full", "empty", "almost_full", "almost_empty"})
        AddModelOutput(flag, 1);
}

void Node_DualFifo::CreatePorts(const ParamQuery& query)
{
    ModelParameters p({
        IntParam("lpm_width", 1),
        IntParam("lpm_widthu", 1),
        IntParam("lpm_numwords", 2),
        IntParam("delay_rdusedw", 1),
        IntParam("delay_wrusedw", 1),
        IntParam("rdsync_delaypipe", 3),
        IntParam("wrsync_delaypipe", 3),
        TextParam("intended_device_family", "DELLOR2K"),
        TextParam("lpm_showahead", "OFF"),
        TextParam("add_usedw_msb_bit", "OFF"),
        TextParam("write_aclr_synch", "OFF"),
        TextParam("underflow_checking", "ON"),
        TextParam("overflow_checking", "ON"),
        TextParam("clocks_are_synchronized", "FALSE"),
        TextParam("use_eab", "ON"),
        TextParam("add_ram_output_register", "OFF"),
        IntParam("add_width", 1),
        TextParam("lpm_hint", "USE_EAB=ON"),
        TextParam("lpm_type", "mrvfifo_d"),
    });
    if (!LoadWithParameters("modlib_mrvfifo_d.dll", p, query))
        return;
    const int width = p.Integer("lpm_width");
    const int used_width = p.Integer("lpm_widthu");
    AddModelClock("rdclk");
    AddModelClock("wrclk");
    AddModelInput("data", width, KIND_ZERO);
    AddModelInput("aclr", 1, KIND_ZERO);
    AddModelInput("rdreq", 1, KIND_ONE);
    AddModelInput("wrreq", 1, KIND_ZERO);
    for (const char* flag : {"rdfull", "wrfull", "rdempty", "wrempty"})
        AddModelOutput(flag, 1);
    AddModelOutput("rdusedw", used_width);
    AddModelOutput("wrusedw", used_width);
    AddModelOutput("q", width);
}

void Node_MrvSyncRam::CreatePorts(const ParamQuery& query)
{
    ModelParameters p({
        TextParam("operation_mode", "SINGLE_PORT"),
        TextParam("outdata_reg_a", "UNREGISTERED"),
        TextParam("address_aclr_a", "NONE"),
        TextParam("outdata_aclr_a", "NONE"),
        TextParam("indata_aclr_a", "CLEAR0"),
        TextParam("wrcontrol_aclr_a", "CLEAR0"),
        TextParam("byteena_aclr_a", "NONE"),
        TextParam("rdcontrol_reg_b", "CLOCK1"),
        TextParam("address_reg_b", "CLOCK1"),
        TextParam("outdata_reg_b", "UNREGISTERED"),
        TextParam("outdata_aclr_b", "NONE"),
        TextParam("rdcontrol_aclr_b", "NONE"),
        TextParam("indata_reg_b", "CLOCK1"),
        TextParam("wrcontrol_wraddress_reg_b", "CLOCK1"),
        TextParam("byteena_reg_b", "CLOCK1"),
        TextParam("indata_aclr_b", "NONE"),
        TextParam("wrcontrol_aclr_b", "NONE"),
        TextParam("address_aclr_b", "NONE"),
        TextParam("byteena_aclr_b", "NONE"),
        TextParam("clock_enable_input_a", "NORMAL"),
        TextParam("clock_enable_output_a", "NORMAL"),
        TextParam("clock_enable_input_b", "NORMAL"),
        TextParam("clock_enable_output_b", "NORMAL"),
        TextParam("read_during_write_mode_port_a", "NEW_DATA_NO_NBE_READ"),
        TextParam("read_during_write_mode_port_b", "NEW_DATA_NO_NBE_READ"),
        TextParam("enable_ecc", "FALSE"),
        TextParam("eccstatus_reg", "UNREGISTERED"),
        TextParam("eccstatus_aclr", "NONE"),
        TextParam("clock_enable_eccstatus", "NORMAL"),
        TextParam("read_during_write_mode_mixed_ports", "DONT_CARE"),
        TextParam("ram_block_type", "AUTO"),
        TextParam("init_file", "UNUSED"),  // handed as the path the lookup settles on
        TextParam("init_file_layout", "UNUSED"),
        TextParam("intended_device_family", "PELLAN"),
        TextParam("lpm_hint", "UNUSED", "hint"),
        IntParam("maximum_depth", 0),
        IntParam("width_byteena_b", 1),
        IntParam("byte_size", 8),
        IntParam("width_byteena", 1),
        IntParam("width_byteena_a", 1),
        IntParam("width_b", 8),
        IntParam("widthad_b", 4),
        IntParam("numwords_b", 4),
        IntParam("width_a", 8),
        IntParam("widthad_a", 2),
        IntParam("numwords_a", 4),
    });
    p.Read(query);
    // The lookup and its reports come before the load, so they happen even without a library.
    const std::string init_path = LookUpInitFile(p.Text("operation_mode"), p.Text("init_file"), manager);

    LoadModel("modlib_mrvsyncram.dll");
    if (!HasModel())
        return;
    HandOverParameters(p, "init_file", init_path);
    AddModelClock("clock0");
    AddModelClock("clock1");
    AddModelInput("data_a", p.Integer("width_a"), KIND_ZERO);
    AddModelInput("data_b", p.Integer("width_b"), KIND_ZERO);
    AddModelInput("address_a", p.Integer("widthad_a"), KIND_ZERO);
    AddModelInput("address_b", p.Integer("widthad_b"), KIND_ZERO);
    AddModelInput("wren_a", 1, KIND_ZERO);
    AddModelInput("rden_a", 1, KIND_ZERO);
    AddModelInput("wren_b", 1, KIND_ZERO);
    AddModelInput("rden_b", 1, KIND_ONE);
    for (const char* enable : {"clocken0", "clocken1", "clocken2", "clocken3"})
        AddModelInput(enable, 1, KIND_ONE);
    for (const char* control : {"aclr0", "aclr1", "addressstall_a", "addressstall_b"})
        AddModelInput(control, 1, KIND_ZERO);
    AddModelInput("byteena_a", p.Integer("width_byteena_a"), KIND_ONE);
    AddModelInput("byteena_b", p.Integer("width_byteena_b"), KIND_ONE);
    AddModelOutput("q_a", p.Integer("width_a"));
    AddModelOutput("q_b", p.Integer("width_b"));
    AddModelOutput("eccstatus", 2);
}

// The operator codes this file serves.
namespace {

const NodeRegistration sync_ram_code(OperatorCode::SyncRam, MakeNode<Node_MrvSyncRam>);
const NodeRegistration lpm_mult_code(OperatorCode::LpmMult, MakeNode<Node_LpmMult>);
const NodeRegistration accumulator_code(OperatorCode::Accumulator, MakeNode<Node_MrvAccumulate>);
const NodeRegistration lpm_add_sub_code(OperatorCode::LpmAddSub, MakeNode<Node_LpmAddSub>);
const NodeRegistration parallel_add_code(OperatorCode::ParallelAdd, MakeNode<Node_ParallelAdd>);
const NodeRegistration counter_code(OperatorCode::Counter, MakeNode<Node_Counter>);
const NodeRegistration dual_port_ram_code(OperatorCode::DualPortRam, MakeNode<Node_RamDP>);
const NodeRegistration gray_counter_code(OperatorCode::GrayCounter, MakeNode<Node_GrayCounter>);
const NodeRegistration fifo_code(OperatorCode::Fifo, MakeNode<Node_SnglFifo>);
const NodeRegistration dual_clock_fifo_code(OperatorCode::DualClockFifo, MakeNode<Node_DualFifo>);

}  // namespace

}  // namespace Sim
