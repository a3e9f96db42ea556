// mexFunction of the MEX module blocktide_sim: simulation from Octave scripts through the
// gateway. One function with sub-commands over numeric handles: open a design, write inputs
// (doubles or wide values), run cycles, read outputs, close. Misuse raises an Octave error.
#include <mex.h>

#include <sysc/datatypes/fx/fx.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "sim/design_interface.h"
#include "host/gateway.h"
#include "host/mex/mex_support.h"

namespace {

// A failure to hand to the host as an error: an identifier and a readable message.
struct CallError {
    std::string id;
    std::string text;
};

[[noreturn]] void Fail(const std::string& id, const std::string& text)
{
    throw CallError{"blocktide_sim:" + id, text};  // the host puts the module name in front
}

// One open design: its gateway and the interface the import reported.
struct OpenDesign {
    ExportKelvornC_Gateway gateway;
    std::string top_level_name;
    std::vector<std::string> inputs;    // design inputs, in the design's order (gateway index order)
    std::vector<int> input_widths;      // bits of each input
    std::vector<std::string> outputs;   // design outputs, in the design's order
    std::vector<int> output_widths;     // bits of each output
    std::vector<std::string> clocks;    // clock names
    std::vector<bool> feed_through;     // per input, in inputs' order: reaches an output combinationally
};

// Open designs by handle.
std::map<uint64_t, std::unique_ptr<OpenDesign>>& Designs()
{
    static std::map<uint64_t, std::unique_ptr<OpenDesign>> designs;
    return designs;
}

// A new handle: a random 24-bit tag of this load of the module above a 28-bit count, so
// that a closed handle stays invalid, also after the module is unloaded and loaded again
// (its count starts over then). Handles stay below 2^52, exact as Octave doubles.
uint64_t NewHandle()
{
    static const uint64_t tag = 1 + std::random_device{}() % 0xFFFFFF;
    static uint64_t count = 0;
    count = (count + 1) & 0xFFFFFFF;
    return (tag << 28) | count;
}

// Called when the host unloads the module (clear blocktide_sim, clear all, exit).
void CloseAll() { Designs().clear(); }

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::vector<int> Widths(const std::string& text)
{
    std::vector<int> widths;
    for (const std::string& word : Words(text))
        widths.push_back(std::atoi(word.c_str()));
    return widths;
}

std::string Text(const mxArray* argument, const char* what)
{
    if (!mxIsChar(argument))
        Fail("badArgument", std::string(what) + " must be text");
    return ReadTextArgument(argument);
}

double Scalar(const mxArray* argument, const char* what)
{
    if ((!mxIsNumeric(argument) && !mxIsLogical(argument)) || mxIsComplex(argument) ||
        mxGetNumberOfElements(argument) != 1)
        Fail("badArgument", std::string(what) + " must be a real number");
    return mxGetScalar(argument);
}

// A whole number within [low, high].
int64_t WholeNumber(const mxArray* argument, const char* what, int64_t low, int64_t high)
{
    const double value = Scalar(argument, what);
    if (!std::isfinite(value) || value != std::floor(value) || value < static_cast<double>(low) ||
        value > static_cast<double>(high))
        Fail("badArgument", std::string(what) + " must be a whole number from " + std::to_string(low) + " to " +
                                std::to_string(high));
    return static_cast<int64_t>(value);
}

std::vector<int> IntegerList(const mxArray* argument, const char* what)
{
    if (!mxIsDouble(argument) || mxIsComplex(argument))
        Fail("badArgument", std::string(what) + " must be a list of whole numbers");
    const double* values = mxGetPr(argument);
    std::vector<int> list;
    for (size_t i = 0; i < mxGetNumberOfElements(argument); ++i) {
        if (!std::isfinite(values[i]) || values[i] != std::floor(values[i]) || std::fabs(values[i]) > 1e9)
            Fail("badArgument", std::string(what) + " must be a list of whole numbers");
        list.push_back(static_cast<int>(values[i]));
    }
    return list;
}

OpenDesign& Handle(const mxArray* argument)
{
    const double value = Scalar(argument, "the handle");
    if (!std::isfinite(value) || value < 1 || value != std::floor(value) || value > 9.0e15)
        Fail("badHandle", "not a simulation handle");
    auto found = Designs().find(static_cast<uint64_t>(value));
    if (found == Designs().end())
        Fail("badHandle", "handle " + std::to_string(static_cast<uint64_t>(value)) +
                              " is not an open simulation (closed, or never opened)");
    return *found->second;
}

// A port given by name or by its position counted from 1; answers the gateway's index.
int Port(const mxArray* argument, const std::vector<std::string>& names, const char* kind)
{
    if (mxIsChar(argument)) {
        const std::string name = ReadTextArgument(argument);
        auto found = std::find(names.begin(), names.end(), name);
        if (found == names.end())
            Fail("badPort", "the design has no " + std::string(kind) + " named '" + name + "'");
        return static_cast<int>(found - names.begin());
    }
    if (names.empty())
        Fail("badPort", "the design has no " + std::string(kind) + "s");
    return static_cast<int>(WholeNumber(argument, (std::string(kind) + " number").c_str(), 1,
                                        static_cast<int64_t>(names.size())) - 1);
}

void NeedArguments(int nrhs, int low, int high, const char* usage)
{
    if (nrhs < low || nrhs > high)
        Fail("badArgumentCount", std::string("usage: ") + usage);
}

// Hexadecimal text (an optional "0x", digits, optional "_" separators) as 32-bit words,
// least significant first, and its number of bits (4 per digit).
std::vector<uint32_t> ParseHex(const std::string& text, int& bits)
{
    std::string digits;
    size_t start = (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) ? 2 : 0;
    for (size_t i = start; i < text.size(); ++i) {
        if (text[i] == '_')
            continue;
        if (HexDigit(text[i]) < 0)
            Fail("badValue", "'" + text + "' is not a hexadecimal value");
        digits += text[i];
    }
    if (digits.empty())
        Fail("badValue", "a hexadecimal value needs at least one digit");
    bits = static_cast<int>(digits.size()) * 4;
    std::vector<uint32_t> words((digits.size() + 7) / 8, 0);
    for (size_t i = 0; i < digits.size(); ++i) {
        const size_t position = digits.size() - 1 - i;  // digit position from the right
        const uint32_t nibble = static_cast<uint32_t>(HexDigit(digits[i]));
        words[position / 8] |= nibble << (4 * (position % 8));
    }
    return words;
}

std::string Hex(const std::vector<uint32_t>& words, int bits)
{
    static const char DIGITS[] = "0123456789abcdef";
    std::string text;
    for (int digit = (bits + 3) / 4 - 1; digit >= 0; --digit)
        text += DIGITS[(words[static_cast<size_t>(digit / 8)] >> (4 * (digit % 8))) & 0xF];
    return text;
}

mxArray* CellOfTexts(const std::vector<std::string>& texts)
{
    mxArray* cell = mxCreateCellMatrix(1, texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        mxSetCell(cell, i, mxCreateString(texts[i].c_str()));
    return cell;
}

mxArray* RowOfNumbers(const std::vector<int>& numbers)
{
    mxArray* row = mxCreateDoubleMatrix(1, numbers.size(), mxREAL);
    for (size_t i = 0; i < numbers.size(); ++i)
        mxGetPr(row)[i] = numbers[i];
    return row;
}

mxArray* NumberOf(double value)
{
    mxArray* result = mxCreateDoubleMatrix(1, 1, mxREAL);
    *mxGetPr(result) = value;
    return result;
}

// h = blocktide_sim('open', netlist, map[, hex_directory])
mxArray* Open(int nrhs, const mxArray* prhs[])
{
    NeedArguments(nrhs, 3, 4, "h = blocktide_sim('open', netlist, map[, hex_directory])");
    const std::string netlist = Text(prhs[1], "the netlist path");
    const std::string map = Text(prhs[2], "the map path");
    bool read = false;
    const DesignInterface design = ImportDesignInterface(netlist, map, read);
    if (!read)
        Fail("importFailed", "the design '" + netlist + "' could not be read (see the messages above)");

    auto opened = std::make_unique<OpenDesign>();
    opened->top_level_name = design.top_level_name;
    opened->inputs = Words(design.input_port_names);
    opened->input_widths = Widths(design.inptbwl);
    opened->outputs = Words(design.output_port_names);
    opened->output_widths = Widths(design.outptbwl);
    opened->clocks = Words(design.clock_names);
    if (nrhs == 4)
        opened->gateway.ExportSetHexFileDirectory(Text(prhs[3], "the hex directory"));
    opened->gateway.ExportAddInputNames(opened->inputs);
    opened->gateway.ExportAddOutputNames(opened->outputs);
    std::vector<bool> by_name(opened->inputs.size(), false);
    if (opened->gateway.ExportSetupModels(netlist, "", false, 0, opened->inputs, by_name, true))
        Fail("setupFailed", "the design '" + netlist + "' could not be set up (see the messages above)");
    // The gateway answers the flags in ascending name order; keep them in the inputs' order.
    std::vector<std::string> sorted = opened->inputs;
    std::stable_sort(sorted.begin(), sorted.end());
    for (const std::string& name : opened->inputs) {
        const size_t rank = static_cast<size_t>(std::find(sorted.begin(), sorted.end(), name) - sorted.begin());
        opened->feed_through.push_back(by_name[rank]);
    }
    const uint64_t handle = NewHandle();
    Designs()[handle] = std::move(opened);
    return NumberOf(static_cast<double>(handle));
}

mxArray* Info(const OpenDesign& design)
{
    const char* fields[] = {"top_level_name", "inputs", "input_widths", "outputs", "output_widths", "clocks",
                            "feed_through"};
    mxArray* info = mxCreateStructMatrix(1, 1, 7, fields);
    mxSetField(info, 0, "top_level_name", mxCreateString(design.top_level_name.c_str()));
    mxSetField(info, 0, "inputs", CellOfTexts(design.inputs));
    mxSetField(info, 0, "input_widths", RowOfNumbers(design.input_widths));
    mxSetField(info, 0, "outputs", CellOfTexts(design.outputs));
    mxSetField(info, 0, "output_widths", RowOfNumbers(design.output_widths));
    mxSetField(info, 0, "clocks", CellOfTexts(design.clocks));
    mxArray* flags = mxCreateLogicalMatrix(1, design.feed_through.size());
    for (size_t i = 0; i < design.feed_through.size(); ++i)
        mxGetLogicals(flags)[i] = design.feed_through[i];
    mxSetField(info, 0, "feed_through", flags);
    return info;
}

void WriteWide(OpenDesign& design, int index, const mxArray* value)
{
    std::vector<uint32_t> words;
    int bits = 0;
    if (mxIsChar(value)) {
        words = ParseHex(ReadTextArgument(value), bits);
    } else if (mxIsUint32(value) && mxGetNumberOfElements(value) > 0) {
        const uint32_t* data = static_cast<const uint32_t*>(mxGetData(value));
        words.assign(data, data + mxGetNumberOfElements(value));
        bits = static_cast<int>(words.size()) * 32;
    } else {
        Fail("badValue", "a wide value is hexadecimal text or a uint32 row of words, least significant first");
    }
    sc_dt::sc_ufix fixed(bits, bits);
    for (int chunk = 0; chunk <= (bits - 1) / 32; ++chunk)
        fixed.range(std::min(32 * chunk + 31, bits - 1), 32 * chunk) = words[static_cast<size_t>(chunk)];
    design.gateway.ExportWriteUnsignedWideInput(index, fixed);
}

void ReadWide(OpenDesign& design, int index, int nlhs, mxArray* plhs[])
{
    const int bits = std::max(1, design.output_widths[static_cast<size_t>(index)]);
    sc_dt::sc_ufix fixed(bits, bits);
    fixed = 0;
    design.gateway.ExportReadUnsignedWideOutput(fixed, index);
    std::vector<uint32_t> words(static_cast<size_t>((bits + 31) / 32), 0);
    for (int chunk = 0; chunk <= (bits - 1) / 32; ++chunk)
        words[static_cast<size_t>(chunk)] = fixed.range(std::min(32 * chunk + 31, bits - 1), 32 * chunk).to_uint();
    plhs[0] = mxCreateString(Hex(words, bits).c_str());
    if (nlhs > 1) {
        plhs[1] = mxCreateNumericMatrix(1, words.size(), mxUINT32_CLASS, mxREAL);
        std::copy(words.begin(), words.end(), static_cast<uint32_t*>(mxGetData(plhs[1])));
    }
}

void Call(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    if (nrhs < 1 || !mxIsChar(prhs[0]))
        Fail("badArgument", "the first argument names a command: open, close, info, format, write, write_wide, "
                            "run, read, read_wide or handles");
    const std::string command = ReadTextArgument(prhs[0]);
    if (command == "open") {
        plhs[0] = Open(nrhs, prhs);
    } else if (command == "handles") {
        NeedArguments(nrhs, 1, 1, "handles = blocktide_sim('handles')");
        plhs[0] = mxCreateDoubleMatrix(1, Designs().size(), mxREAL);
        size_t i = 0;
        for (const auto& entry : Designs())
            mxGetPr(plhs[0])[i++] = static_cast<double>(entry.first);
    } else if (command == "close") {
        NeedArguments(nrhs, 2, 2, "blocktide_sim('close', h)");
        Handle(prhs[1]);
        Designs().erase(static_cast<uint64_t>(mxGetScalar(prhs[1])));
    } else if (command == "info") {
        NeedArguments(nrhs, 2, 2, "info = blocktide_sim('info', h)");
        plhs[0] = Info(Handle(prhs[1]));
    } else if (command == "format") {
        NeedArguments(nrhs, 3, 8,
                      "blocktide_sim('format', h, 'off') or blocktide_sim('format', h, in_format, out_format, "
                      "in_int_bits, in_frac_bits, out_int_bits, out_frac_bits)");
        OpenDesign& design = Handle(prhs[1]);
        const std::string in_format = Text(prhs[2], "the input format");
        if (nrhs == 3) {
            if (in_format != "off")
                Fail("badArgumentCount", "only the format 'off' stands alone");
            design.gateway.Exportcreate_port_formatter("off", "", {}, {}, {}, {}, 0, 0);
        } else {
            NeedArguments(nrhs, 8, 8,
                          "blocktide_sim('format', h, in_format, out_format, in_int_bits, in_frac_bits, "
                          "out_int_bits, out_frac_bits)");
            design.gateway.Exportcreate_port_formatter(
                in_format, Text(prhs[3], "the output format"), IntegerList(prhs[4], "in_int_bits"),
                IntegerList(prhs[5], "in_frac_bits"), IntegerList(prhs[6], "out_int_bits"),
                IntegerList(prhs[7], "out_frac_bits"), 0, 0);
        }
    } else if (command == "write") {
        NeedArguments(nrhs, 4, 4, "blocktide_sim('write', h, input, value)");
        OpenDesign& design = Handle(prhs[1]);
        const int index = Port(prhs[2], design.inputs, "input");
        design.gateway.ExportWriteInput(index, Scalar(prhs[3], "the value"));
    } else if (command == "write_wide") {
        NeedArguments(nrhs, 4, 4, "blocktide_sim('write_wide', h, input, hex_text_or_uint32_words)");
        OpenDesign& design = Handle(prhs[1]);
        WriteWide(design, Port(prhs[2], design.inputs, "input"), prhs[3]);
    } else if (command == "run") {
        NeedArguments(nrhs, 3, 3, "blocktide_sim('run', h, cycles)");
        OpenDesign& design = Handle(prhs[1]);
        design.gateway.ExportRun(static_cast<int>(WholeNumber(prhs[2], "the number of cycles", 0, INT32_MAX)));
    } else if (command == "read") {
        NeedArguments(nrhs, 3, 3, "value = blocktide_sim('read', h, output)");
        OpenDesign& design = Handle(prhs[1]);
        plhs[0] = NumberOf(design.gateway.ExportReadOutput(Port(prhs[2], design.outputs, "output")));
    } else if (command == "read_wide") {
        NeedArguments(nrhs, 3, 3, "[hex, words] = blocktide_sim('read_wide', h, output)");
        OpenDesign& design = Handle(prhs[1]);
        ReadWide(design, Port(prhs[2], design.outputs, "output"), nlhs, plhs);
    } else {
        Fail("badCommand", "unknown command '" + command + "'");
    }
}

}  // namespace

extern "C" void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    static bool exit_hook_installed = false;
    if (!exit_hook_installed) {
        mexAtExit(CloseAll);
        exit_hook_installed = true;
    }
    static std::string failure_id;
    static std::string failure_text;
    failure_text.clear();
    {
        MexConsole console;
        try {
            Call(nlhs, plhs, nrhs, prhs);
        } catch (const CallError& error) {
            failure_id = error.id;
            failure_text = error.text;
        } catch (const std::exception& error) {
            failure_id = "blocktide_sim:failure";
            failure_text = error.what();
        }
    }
    // Raised after every object of the call is gone: the host's error does not return.
    if (!failure_text.empty())
        mexErrMsgIdAndTxt(failure_id.c_str(), "%s", failure_text.c_str());
}
