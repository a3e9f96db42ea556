// The module types of the default map that the reference tests use, and the writing of a
// design as netlist text and of its stimulus as readable lines.
#include "model/ref_design.h"

#include <sstream>

namespace reference {

const std::vector<ModuleType>& ModuleTypes()
{
    // Transcribed from maps/blocktide_map.xml (netlist name -> simulator name).
    static const std::vector<ModuleType> types = {
        {"bt_dffe", 1,
         {{"d", "datain"}, {"adata", "adata"}, {"preset", "preset"}, {"clear", "clear"}, {"aload", "aload"},
          {"ena", "ena"}, {"sclr", "sclr"}, {"sload", "sload"}},
         {{"q", "dataout"}}, {{"width", "array_width"}}, "clk"},
        {"bt_mux2", 2, {{"dataa", "dataa"}, {"datab", "datab"}, {"sel", "outputselect"}}, {{"result", "dataout"}},
         {{"width", "array_width"}, {"data_width", "data_width"}}, ""},
        {"bt_or_reduce", 3, {{"data", "datain"}}, {{"result", "dataout"}}, {{"width", "width_datain"}}, ""},
        {"bt_add", 4, {{"dataa", "dataa"}, {"datab", "datab"}, {"cin", "cin"}},
         {{"result", "dataout"}, {"cout", "cout"}},
         {{"width", "width"}, {"width_a", "width_a"}, {"width_b", "width_b"}, {"width_o", "width_o"}, {"signed", "signed"}},
         ""},
        {"bt_mult", 5, {{"dataa", "dataa"}, {"datab", "datab"}}, {{"result", "dataout"}},
         {{"width", "width"}, {"width_a", "width_a"}, {"width_b", "width_b"}, {"width_o", "width_o"}, {"signed", "signed"}},
         ""},
        {"bt_xor_reduce", 6, {{"data", "datain"}}, {{"result", "dataout"}}, {{"width", "width_datain"}}, ""},
        {"bt_and_reduce", 7, {{"data", "datain"}}, {{"result", "dataout"}}, {{"width", "width_datain"}}, ""},
        {"bt_addsub", 8, {{"dataa", "dataa"}, {"datab", "datab"}, {"add_sub", "flag"}}, {{"result", "dataout"}},
         {{"width", "width"}, {"width_a", "width_a"}, {"width_b", "width_b"}, {"width_o", "width_o"}, {"signed", "signed"}},
         ""},
        {"bt_selector", 9, {{"data", "data"}, {"mask", "mask"}}, {{"result", "out"}},
         {{"width_sel", "width_sel"}, {"width_data", "width_data"}}, ""},
        {"bt_compare_le", 10, {{"dataa", "dataa"}, {"datab", "datab"}, {"or_equal", "equ_ok"}}, {{"result", "out"}},
         {{"width", "width"}, {"width_a", "width_a"}, {"width_b", "width_b"}, {"signed", "signed"}}, ""},
        {"bt_tribuf", 11, {{"data", "datain"}, {"oe", "enable"}}, {{"result", "dataout"}}, {{"width", "width"}}, ""},
        {"bt_bitselect", 12, {{"data", "datain"}, {"sel", "select"}}, {{"result", "dataout"}},
         {{"width", "width"}, {"width_data", "width_data"}, {"width_select", "width_select"}}, ""},
        {"bt_div", 13, {{"numer", "dataa"}, {"denom", "datab"}}, {{"result", "dataout"}},
         {{"width", "width"}, {"width_a", "width_a"}, {"width_b", "width_b"}, {"width_o", "width_o"}, {"signed", "signed"}},
         ""},
        {"bt_mod", 14, {{"numer", "dataa"}, {"denom", "datab"}}, {{"result", "dataout"}},
         {{"width", "width"}, {"width_a", "width_a"}, {"width_b", "width_b"}, {"width_o", "width_o"}, {"signed", "signed"}},
         ""},
        {"bt_shl", 15, {{"data", "datain"}, {"distance", "amount"}, {"fill", "fill"}}, {{"result", "dataout"}},
         {{"width", "width"}, {"width_in", "width_in"}, {"width_amount", "width_amount"}, {"width_out", "width_out"},
          {"fill", "fill"}},
         ""},
        {"bt_shr", 16, {{"data", "datain"}, {"distance", "amount"}, {"fill", "fill"}}, {{"result", "dataout"}},
         {{"width", "width"}, {"width_in", "width_in"}, {"width_amount", "width_amount"}, {"width_out", "width_out"},
          {"fill", "fill"}},
         ""},
        {"bt_rol", 17, {{"data", "datain"}, {"distance", "amount"}}, {{"result", "dataout"}},
         {{"width", "width"}, {"width_in", "width_in"}, {"width_amount", "width_amount"}, {"width_out", "width_out"}},
         ""},
        {"bt_ror", 18, {{"data", "datain"}, {"distance", "amount"}}, {{"result", "dataout"}},
         {{"width", "width"}, {"width_in", "width_in"}, {"width_amount", "width_amount"}, {"width_out", "width_out"}},
         ""},
        {"bt_opendrain", 19, {{"data", "datain"}}, {{"result", "dataout"}}, {{"width", "width"}}, ""},
        {"bt_decoder", 21, {{"data", "datain"}}, {{"result", "dataout"}},
         {{"width", "width"}, {"width_i", "width_i"}, {"width_o", "width_o"}}, ""},
        {"bt_busmux2", 22, {{"dataa", "dataa"}, {"datab", "datab"}, {"sel", "select"}}, {{"result", "dataout"}},
         {{"width", "width"}, {"width_a", "width_a"}, {"width_b", "width_b"}, {"width_o", "width_o"}}, ""},
        {"bt_latch", 23, {{"d", "datain"}, {"ena", "latch_enable"}, {"aclr", "aclr"}, {"apre", "apre"}},
         {{"q", "dataout"}}, {}, ""},
        {"lpm_compare", 103, {{"dataa", "dataa"}, {"datab", "datab"}, {"aclr", "aclr"}, {"clken", "clken"}},
         {{"alb", "alb"}, {"aeb", "aeb"}, {"agb", "agb"}, {"aleb", "aleb"}, {"aneb", "aneb"}, {"ageb", "ageb"}},
         {{"lpm_width", "lpm_width"}, {"lpm_pipeline", "lpm_pipeline"}, {"lpm_representation", "lpm_representation"},
          {"lpm_type", "lpm_type"}, {"lpm_hint", "lpm_hint"}},
         "clock"},
        {"bt_shift_taps", 105, {{"shiftin", "shiftin"}, {"clken", "clken"}}, {{"shiftout", "shiftout"}, {"taps", "taps"}},
         {{"number_of_taps", "number_of_taps"}, {"tap_distance", "tap_distance"}, {"width", "width"},
          {"power_up_state", "power_up_state"}, {"lpm_type", "lpm_type"}, {"lpm_hint", "lpm_hint"}},
         "clock"},
        {"lpm_abs", 111, {{"data", "data"}}, {{"result", "result"}, {"overflow", "overflow"}},
         {{"lpm_width", "lpm_width"}, {"lpm_type", "lpm_type"}, {"lpm_hint", "lpm_hint"}}, ""},
        {"lpm_mux", 112, {{"data", "data"}, {"sel", "sel"}, {"aclr", "aclr"}, {"clken", "clken"}}, {{"result", "result"}},
         {{"lpm_width", "lpm_width"}, {"lpm_size", "lpm_size"}, {"lpm_widths", "lpm_widths"},
          {"lpm_pipeline", "lpm_pipeline"}, {"lpm_type", "lpm_type"}, {"lpm_hint", "lpm_hint"}},
         "clock"},
    };
    return types;
}

const ModuleType* FindModuleType(const std::string& name)
{
    for (const ModuleType& t : ModuleTypes())
        if (t.name == name)
            return &t;
    return nullptr;
}

int Design::WidthOf(const std::string& name) const
{
    for (const Signal& s : inputs)
        if (s.name == name)
            return s.width;
    for (const Signal& s : wires)
        if (s.name == name)
            return s.width;
    for (const ConstantWire& c : constants)
        if (c.name == name)
            return c.width;
    for (const Alias& a : aliases)
        if (a.name == name)
            return WidthOf(a.target);
    return 0;
}

namespace {

std::string Range(int width) { return width > 1 ? "[" + std::to_string(width - 1) + ":0] " : ""; }

std::string TermText(const Term& t)
{
    if (t.kind != Term::kNamed)
        return std::to_string(t.Width()) + (t.kind == Term::kOnes ? "'b1" : "'b0");
    std::string text = t.inverted ? "~" + t.name : t.name;
    if (t.ranged)
        text += t.msb == t.lsb ? "[" + std::to_string(t.msb) + "]"
                               : "[" + std::to_string(t.msb) + ":" + std::to_string(t.lsb) + "]";
    return t.parenthesized ? "(" + text + ")" : text;
}

bool SameTerm(const Term& a, const Term& b)
{
    return a.kind == Term::kNamed && b.kind == Term::kNamed && a.name == b.name && a.msb == b.msb &&
           a.lsb == b.lsb && a.inverted == b.inverted && a.ranged == b.ranged && a.parenthesized == b.parenthesized;
}

// A run of equal named terms is written as a replication, "3{a[1:0]}".
std::string ExpressionText(const Expression& e)
{
    std::vector<std::string> parts;
    for (size_t i = 0; i < e.size();) {
        size_t run = 1;
        while (i + run < e.size() && SameTerm(e[i], e[i + run]))
            ++run;
        parts.push_back(run > 1 ? std::to_string(run) + "{" + TermText(e[i]) + "}" : TermText(e[i]));
        i += run;
    }
    if (parts.size() == 1 && e.size() == 1)
        return parts[0];
    std::string text = "{";
    for (size_t i = 0; i < parts.size(); ++i)
        text += (i ? ", " : "") + parts[i];
    return text + "}";
}

}  // namespace

std::string NetlistText(const Design& d)
{
    std::ostringstream out;
    out << "// generated by the reference tests\n";
    out << "module " << d.module << " (";
    std::vector<std::string> header;
    if (d.has_clock)
        header.push_back("clk");
    for (const Signal& s : d.inputs)
        header.push_back(s.name);
    for (const Signal& s : d.outputs)
        header.push_back(s.name);
    for (size_t i = 0; i < header.size(); ++i)
        out << (i ? ", " : "") << header[i];
    out << ");\n";
    if (d.has_clock)
        out << "input clk;\n";
    for (const Signal& s : d.inputs)
        out << "input " << Range(s.width) << s.name << ";\n";
    for (const Signal& s : d.outputs)
        out << "output " << Range(s.width) << s.name << ";\n";
    for (const Signal& s : d.wires)
        out << "wire " << Range(s.width) << s.name << ";\n";
    for (const ConstantWire& c : d.constants)
        out << "wire " << Range(c.width) << c.name << ";\n";
    for (const Alias& a : d.aliases)
        out << "wire " << Range(d.WidthOf(a.target)) << a.name << ";\n";
    for (const Instance& inst : d.instances) {
        const ModuleType* type = FindModuleType(inst.type);
        out << inst.type << " " << inst.name << " (";
        std::vector<std::string> connections;
        if (inst.clocked && type && !type->clock.empty())
            connections.push_back("." + type->clock + "(clk)");
        for (const auto& [port, expression] : inst.inputs)
            connections.push_back("." + port + "(" + ExpressionText(expression) + ")");
        for (const auto& [port, wire] : inst.outputs) {
            const int w = d.WidthOf(wire);
            connections.push_back("." + port + "(" + wire + (w > 1 ? "[" + std::to_string(w - 1) + ":0]" : "") + ")");
        }
        for (size_t i = 0; i < connections.size(); ++i)
            out << (i ? ", " : "") << connections[i];
        out << ");\n";
        if (!inst.params.empty()) {
            out << "defparam ";
            for (size_t i = 0; i < inst.params.size(); ++i) {
                const Parameter& p = inst.params[i];
                out << (i ? ", " : "") << inst.name << "." << p.name << " = "
                    << (p.text.empty() ? std::to_string(p.integer) : "\"" + p.text + "\"");
            }
            out << ";\n";
        }
    }
    for (const ConstantWire& c : d.constants)
        out << "assign " << c.name << " = " << (c.ones ? "1'b1" : "1'b0") << ";\n";
    for (const Alias& a : d.aliases)
        out << "assign " << a.name << " = " << a.target << ";\n";
    for (size_t i = 0; i < d.outputs.size(); ++i)
        out << "assign " << d.outputs[i].name << " = " << ExpressionText(d.output_exprs[i]) << ";\n";
    out << "endmodule\n";
    return out.str();
}

std::string StimulusText(const Design& d, const Stimulus& stimulus)
{
    std::ostringstream out;
    for (const StimulusLine& line : stimulus) {
        for (const Write& w : line.writes)
            out << d.inputs[w.input].name << "=" << w.value.Text() << " ";
        out << (line.cycles ? "run " + std::to_string(line.cycles) : "settle") << "\n";
    }
    return out.str();
}

}  // namespace reference
