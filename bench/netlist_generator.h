// A generator of synthetic netlists and their XML map for the front-end benchmark: a chain
// of adders and registers of any length, with ranges, concatenations, inverted terms,
// literals, defparams and assignments, in the shape synthesis tools write.
#pragma once

#include <fstream>
#include <string>

namespace NetlistGenerator {

// The map file for the generated netlists.
inline std::string MapText()
{
    return "<KelvornCMap>\n"
           "<Module VName=\"add\" opcode=\"1\">\n<PortSection n_Ports=\"3\">\n"
           "<InpPort n=\"dataa\" s=\"a\" w=\"8\" d e=\"0\"/>\n<InpPort n=\"datab\" s=\"b\" w=\"8\" d e=\"0\"/>\n"
           "<OutPort n=\"result\" s=\"sum\" w=\"8\" d e=\"0\"/>\n</PortSection>\n"
           "<ParameterSection n_Parameters=\"1\">\n<Param n=\"lpm_width\" s=\"width\" t=\"int\" d=\"8\"/>\n"
           "</ParameterSection>\n</Module>\n"
           "<Module VName=\"dff\" opcode=\"40\">\n<PortSection n_Ports=\"3\">\n"
           "<InpPort n=\"d\" s=\"data\" w=\"8\" d e=\"0\"/>\n<ClkPort n=\"clk\" s=\"clock\" w=\"1\" d e=\"0\"/>\n"
           "<OutPort n=\"q\" s=\"result\" w=\"8\" d e=\"0\"/>\n</PortSection>\n"
           "<ParameterSection n_Parameters=\"1\">\n<Param n=\"init_file\" s=\"file\" t=\"string\" d=\"x\"/>\n"
           "</ParameterSection>\n</Module>\n"
           "</KelvornCMap>\n";
}

// prefix followed by the decimal number.
inline std::string Numbered(const char* prefix, int number)
{
    std::string name(prefix);
    name += std::to_string(number);
    return name;
}

// A netlist of `instances` instances: even ones are adders, odd ones registers, each fed by
// the previous instance's wire.
inline std::string NetlistText(int instances)
{
    std::string text = "`timescale 1 ps / 1 ps\n// generated\nmodule gen (clk, a, b, y);\n"
                       "input clk;\ninput [7:0] a;\ninput [7:0] b;\noutput [7:0] y;\n";
    text.reserve(static_cast<size_t>(instances) * 160);
    for (int i = 0; i < instances; ++i) text += "wire [7:0] " + Numbered("w", i) + ";\n";
    for (int i = 0; i < instances; ++i) {
        const std::string wire = Numbered("w", i);
        const std::string previous = i == 0 ? std::string("a") : Numbered("w", i - 1);
        if (i % 2 == 0) {
            const std::string name = Numbered("u", i);
            text += "add " + name + " (.dataa(" + previous + "[7:0]), .datab({b[3:0], ~" + previous +
                    "[3:1], 1'b0}), .result(" + wire + "));\ndefparam " + name + ".lpm_width = 8;\n";
        } else {
            const std::string name = Numbered("r", i);
            text += "dff " + name + " (.clk(clk), .d(" + previous + "[7:0]), .q(" + wire + "[7:0]));\ndefparam " +
                    name + ".init_file = \"none\";\n";
        }
    }
    text += "assign y = " + Numbered("w", instances - 1) + "[7:0];\nendmodule\n";
    return text;
}

inline void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

}  // namespace NetlistGenerator
