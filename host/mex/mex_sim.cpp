// mexFunction of the MEX module blocktide_sim: simulation from Octave scripts through the
// public C++ interface. One function with sub-commands over numeric handles: open a design
// (importing it only when its SimDB file is missing or older than the netlist or the map),
// write inputs (doubles, exact integers, wide values with undefined bits), run cycles, step
// many cycles in one call, read outputs (undefined bits as NaN or as a mask), close.
// Misuse raises an Octave error, never a crash.
#include <mex.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "base/bits.h"
#include "base/messages.h"
#include "host/blocktide.h"
#include "host/formatport.h"
#include "host/mex/mex_support.h"

namespace {

namespace fs = std::filesystem;

// A failure to hand to the host as an error: an identifier and a readable message.
struct CallError {
    std::string id;
    std::string text;
};

[[noreturn]] void Fail(const std::string& id, const std::string& text)
{
    throw CallError{"blocktide_sim:" + id, text}; // the host puts the module name in front
}

// One open design: its simulation and, optionally, a port formatter for double values.
struct OpenDesign {
    std::optional<blocktide::Simulation> sim;
    std::string top_level_name;            // the design file's base name
    std::vector<std::string> clocks;       // as the import found them (empty when not imported now)
    std::unique_ptr<formatport> formatter; // scales doubles; none: values pass unchanged
    std::vector<bool> warned_wide;         // per input: a too-wide write has been reported
    std::vector<bool> warned_inexact;      // per output: a double that lost bits has been reported
};

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
void CloseAll()
{
    Designs().clear();
}

// ---------------------------------------------------------------- arguments

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
        Fail("badArgument",
             std::string(what) + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high));
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

int PortNamed(const std::string& name, const std::vector<blocktide::Port>& ports, const char* kind)
{
    for (size_t i = 0; i < ports.size(); ++i)
        if (ports[i].name == name)
            return static_cast<int>(i);
    Fail("badPort", "the design has no " + std::string(kind) + " named '" + name + "'");
}

// A port given by name or by its position counted from 1; answers its handle.
int Port(const mxArray* argument, const std::vector<blocktide::Port>& ports, const char* kind)
{
    if (mxIsChar(argument))
        return PortNamed(ReadTextArgument(argument), ports, kind);
    if (ports.empty())
        Fail("badPort", "the design has no " + std::string(kind) + "s");
    return static_cast<int>(
        WholeNumber(argument, (std::string(kind) + " number").c_str(), 1, static_cast<int64_t>(ports.size())) - 1);
}

void NeedArguments(int nrhs, int low, int high, const char* usage)
{
    if (nrhs < low || nrhs > high)
        Fail("badArgumentCount", std::string("usage: ") + usage);
}

// ---------------------------------------------------------------- values

// Reports, once per input, a value with bits above the input's width (they are cut); a
// negative value fits while it is a two's complement of the width.
void WarnIfTooWide(OpenDesign& design, int input, const blocktide::Value& value, bool negative = false)
{
    const blocktide::Port& port = design.sim->Inputs()[static_cast<size_t>(input)];
    const int kept = negative ? port.width - 1 : port.width; // bits that may differ from the fill
    bool wide = false;
    for (size_t w = 0; w < value.words().size(); ++w) {
        const int low = 64 * static_cast<int>(w);
        const uint64_t beyond = kept <= low ? ~uint64_t{0} : ~LowBitsMask64(kept - low);
        uint64_t bits = value.words()[w];
        if (negative) {
            const int top = value.width() - low; // bits of this word within the value
            bits = ~bits & LowBitsMask64(top);
        }
        wide = wide || (bits & beyond) != 0;
    }
    if (wide && !design.warned_wide[static_cast<size_t>(input)]) {
        design.warned_wide[static_cast<size_t>(input)] = true;
        report(SEV_WARNING, "Value for input " + port.name + " has bits above its " + std::to_string(port.width) +
                                "-bit width; values are cut to the width");
    }
}

// An integer argument of an integer class (int8 to uint64, logical) as 64 bits; a negative
// one becomes its two's complement. Null for other classes.
std::optional<uint64_t> IntegerBits(const mxArray* argument, size_t index = 0)
{
    const void* data = mxGetData(argument);
    switch (mxGetClassID(argument)) {
    case mxINT8_CLASS:
        return static_cast<uint64_t>(static_cast<int64_t>(static_cast<const int8_t*>(data)[index]));
    case mxUINT8_CLASS:
        return static_cast<const uint8_t*>(data)[index];
    case mxINT16_CLASS:
        return static_cast<uint64_t>(static_cast<int64_t>(static_cast<const int16_t*>(data)[index]));
    case mxUINT16_CLASS:
        return static_cast<const uint16_t*>(data)[index];
    case mxINT32_CLASS:
        return static_cast<uint64_t>(static_cast<int64_t>(static_cast<const int32_t*>(data)[index]));
    case mxUINT32_CLASS:
        return static_cast<const uint32_t*>(data)[index];
    case mxINT64_CLASS:
        return static_cast<uint64_t>(static_cast<const int64_t*>(data)[index]);
    case mxUINT64_CLASS:
        return static_cast<const uint64_t*>(data)[index];
    case mxLOGICAL_CLASS:
        return static_cast<const mxLogical*>(data)[index] ? 1u : 0u;
    default:
        return std::nullopt;
    }
}

bool IsSignedClass(const mxArray* argument)
{
    switch (mxGetClassID(argument)) {
    case mxINT8_CLASS:
    case mxINT16_CLASS:
    case mxINT32_CLASS:
    case mxINT64_CLASS:
        return true;
    default:
        return false;
    }
}

// Hexadecimal text (an optional "0x", "_" separators, 'x' digits undefined) or uint32/uint64
// words, least significant first, as a value; its width is that of the digits or words.
blocktide::Value WideValue(const mxArray* argument)
{
    if (mxIsChar(argument)) {
        std::string text = ReadTextArgument(argument);
        text.erase(std::remove(text.begin(), text.end(), '_'), text.end());
        const size_t digits =
            text.size() - ((text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) ? 2 : 0);
        try {
            return blocktide::Value::from_hex(std::max(1, static_cast<int>(digits) * 4), text);
        } catch (const blocktide::Error& error) {
            Fail("badValue", error.what());
        }
    }
    const size_t count = mxGetNumberOfElements(argument);
    if (count > 0 && mxIsUint32(argument)) {
        const uint32_t* data = static_cast<const uint32_t*>(mxGetData(argument));
        std::vector<uint64_t> words((count + 1) / 2, 0);
        for (size_t i = 0; i < count; ++i)
            words[i / 2] |= uint64_t{data[i]} << (32 * (i % 2));
        return blocktide::Value::from_words(static_cast<int>(count) * 32, words);
    }
    if (count > 0 && mxIsUint64(argument)) {
        const uint64_t* data = static_cast<const uint64_t*>(mxGetData(argument));
        return blocktide::Value::from_words(static_cast<int>(count) * 64, std::vector<uint64_t>(data, data + count));
    }
    Fail("badValue", "a wide value is hexadecimal text or a row of uint32 or uint64 words, least significant first");
}

// The value as Octave sees a double: NaN when any bit is undefined or the value is
// high-impedance; bits beyond what a double holds exactly are reported once.
double DoubleOf(OpenDesign& design, int output, const blocktide::Value& value)
{
    if (!value.is_defined())
        return std::nan("");
    const blocktide::Port& port = design.sim->Outputs()[static_cast<size_t>(output)];
    for (size_t w = 1; w < value.words().size(); ++w)
        if (value.words()[w] != 0)
            Fail("tooWide", "output " + port.name + " holds a value of more than 64 bits; read it with read_wide");
    const uint64_t bits = value.to_uint64();
    if (bits > (uint64_t{1} << 53) && !design.warned_inexact[static_cast<size_t>(output)]) {
        design.warned_inexact[static_cast<size_t>(output)] = true;
        report(SEV_WARNING, "Output " + port.name +
                                " holds more bits than a double keeps exactly; read it as "
                                "'uint64' for the exact value");
    }
    return static_cast<double>(bits);
}

// A numeric vector as 64-bit patterns (two's complement for negative values), one class at a
// time; false when a double is not a whole number within 64 bits.
template <class T> void TypedBits(const mxArray* field, std::vector<uint64_t>& bits, std::vector<bool>& negative)
{
    const T* data = static_cast<const T*>(mxGetData(field));
    for (size_t i = 0; i < bits.size(); ++i) {
        bits[i] = static_cast<uint64_t>(data[i]);
        if constexpr (std::is_signed_v<T>)
            negative[i] = data[i] < 0;
    }
}

bool ColumnBits(const mxArray* field, std::vector<uint64_t>& bits, std::vector<bool>& negative)
{
    switch (mxGetClassID(field)) {
    case mxINT8_CLASS:
        TypedBits<int8_t>(field, bits, negative);
        return true;
    case mxUINT8_CLASS:
        TypedBits<uint8_t>(field, bits, negative);
        return true;
    case mxINT16_CLASS:
        TypedBits<int16_t>(field, bits, negative);
        return true;
    case mxUINT16_CLASS:
        TypedBits<uint16_t>(field, bits, negative);
        return true;
    case mxINT32_CLASS:
        TypedBits<int32_t>(field, bits, negative);
        return true;
    case mxUINT32_CLASS:
        TypedBits<uint32_t>(field, bits, negative);
        return true;
    case mxINT64_CLASS:
        TypedBits<int64_t>(field, bits, negative);
        return true;
    case mxUINT64_CLASS:
        TypedBits<uint64_t>(field, bits, negative);
        return true;
    case mxLOGICAL_CLASS:
        TypedBits<mxLogical>(field, bits, negative);
        return true;
    case mxDOUBLE_CLASS: {
        const double* data = mxGetPr(field);
        for (size_t i = 0; i < bits.size(); ++i) {
            const double number = data[i];
            if (!std::isfinite(number) || number != std::floor(number) || number >= 18446744073709551616.0 ||
                number < -9223372036854775808.0)
                return false;
            negative[i] = number < 0;
            bits[i] = negative[i] ? static_cast<uint64_t>(static_cast<int64_t>(number)) : static_cast<uint64_t>(number);
        }
        return true;
    }
    default:
        return false;
    }
}

// The classes a read or a step may answer in.
enum class Answer { Double, Uint64, Int64, Hex };

Answer AnswerClass(const mxArray* argument)
{
    const std::string name = Text(argument, "the class");
    if (name == "double")
        return Answer::Double;
    if (name == "uint64")
        return Answer::Uint64;
    if (name == "int64")
        return Answer::Int64;
    if (name == "hex")
        return Answer::Hex;
    Fail("badArgument", "the class is 'double', 'uint64', 'int64' or 'hex', not '" + name + "'");
}

// The low 64 bits of a value as an int64 of the port's width (sign-extended from its top bit).
int64_t SignedOf(uint64_t bits, int width)
{
    if (width >= 64)
        return static_cast<int64_t>(bits);
    const uint64_t sign = uint64_t{1} << (width - 1);
    return static_cast<int64_t>((bits ^ sign) - sign);
}

void CheckFitsIn64(const blocktide::Port& port)
{
    if (port.width > 64)
        Fail("tooWide", "output " + port.name + " has " + std::to_string(port.width) +
                            " bits; a uint64 or int64 holds 64: read it with read_wide");
}

// ---------------------------------------------------------------- Octave values

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

mxArray* Uint64Of(uint64_t value)
{
    mxArray* result = mxCreateNumericMatrix(1, 1, mxUINT64_CLASS, mxREAL);
    *static_cast<uint64_t*>(mxGetData(result)) = value;
    return result;
}

std::string LowerHex(const blocktide::Value& value)
{
    std::string text = value.to_hex();
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// ---------------------------------------------------------------- commands

// Whether the design's SimDB file is missing or older than its netlist or its map.
bool NeedsImport(const std::string& netlist, const std::string& map)
{
    std::error_code error;
    const fs::path database = netlist + ".simdb";
    if (!fs::exists(database, error))
        return true;
    const auto built = fs::last_write_time(database, error);
    if (error)
        return true;
    for (const std::string& source : {netlist, map})
        if (!source.empty() && fs::last_write_time(source, error) > built)
            return true;
    return false;
}

// h = blocktide_sim('open', netlist[, map[, hex_directory]])
mxArray* Open(int nrhs, const mxArray* prhs[])
{
    NeedArguments(nrhs, 2, 4, "h = blocktide_sim('open', netlist[, map[, hex_directory]])");
    const std::string netlist = Text(prhs[1], "the netlist path");
    const std::string map = nrhs >= 3 ? Text(prhs[2], "the map path") : std::string();
    std::error_code error;
    auto opened = std::make_unique<OpenDesign>();
    if (!map.empty()) {
        if (!fs::is_regular_file(netlist, error))
            Fail("noNetlist", "the netlist '" + netlist + "' does not exist");
        if (!fs::is_regular_file(map, error))
            Fail("noMap", "the map '" + map + "' does not exist");
        if (NeedsImport(netlist, map)) {
            if (fs::exists(netlist + ".simdb", error))
                console_print("Blocktide: " + netlist + ".simdb is older than its netlist or map; importing again\n");
            try {
                opened->clocks = blocktide::ImportDesign(netlist, map).clocks;
            } catch (const blocktide::Error&) {
                Fail("importFailed", "the design '" + netlist + "' could not be read (see the messages above)");
            }
        }
    } else if (!fs::exists(netlist + ".simdb", error)) {
        Fail("noDatabase", "the design '" + netlist + "' has no simulation database yet; give its map to import it");
    } else if (fs::is_regular_file(netlist, error) && NeedsImport(netlist, "")) {
        Fail("staleDatabase",
             "the simulation database of '" + netlist + "' is older than the netlist; give its map to import it again");
    }

    blocktide::SimulationOptions options;
    if (nrhs == 4)
        options.hex_directory = Text(prhs[3], "the hex directory");
    options.find_feed_through = true;
    options.map_path = map; // the netlist's own names for peeks and waveforms
    try {
        opened->sim.emplace(netlist, options);
    } catch (const blocktide::Error&) {
        Fail("setupFailed", "the design '" + netlist + "' could not be set up (see the messages above)");
    }
    std::string base = fs::path(netlist).filename().string();
    if (base.size() > 3 && base.compare(base.size() - 3, 3, ".vo") == 0)
        base.resize(base.size() - 3);
    opened->top_level_name = base;
    opened->warned_wide.assign(opened->sim->Inputs().size(), false);
    opened->warned_inexact.assign(opened->sim->Outputs().size(), false);
    const uint64_t handle = NewHandle();
    Designs()[handle] = std::move(opened);
    return NumberOf(static_cast<double>(handle));
}

mxArray* Info(const OpenDesign& design)
{
    const char* fields[] = {"top_level_name", "inputs", "input_widths", "outputs",
                            "output_widths",  "clocks", "feed_through", "cycle"};
    mxArray* info = mxCreateStructMatrix(1, 1, 8, fields);
    std::vector<std::string> inputs, outputs;
    std::vector<int> input_widths, output_widths;
    for (const blocktide::Port& port : design.sim->Inputs()) {
        inputs.push_back(port.name);
        input_widths.push_back(port.width);
    }
    for (const blocktide::Port& port : design.sim->Outputs()) {
        outputs.push_back(port.name);
        output_widths.push_back(port.width);
    }
    mxSetField(info, 0, "top_level_name", mxCreateString(design.top_level_name.c_str()));
    mxSetField(info, 0, "inputs", CellOfTexts(inputs));
    mxSetField(info, 0, "input_widths", RowOfNumbers(input_widths));
    mxSetField(info, 0, "outputs", CellOfTexts(outputs));
    mxSetField(info, 0, "output_widths", RowOfNumbers(output_widths));
    mxSetField(info, 0, "clocks", CellOfTexts(design.clocks));
    const std::vector<bool>& reaching = design.sim->InputsReachingOutputs();
    mxArray* flags = mxCreateLogicalMatrix(1, reaching.size());
    for (size_t i = 0; i < reaching.size(); ++i)
        mxGetLogicals(flags)[i] = reaching[i];
    mxSetField(info, 0, "feed_through", flags);
    mxSetField(info, 0, "cycle", NumberOf(static_cast<double>(design.sim->Cycle())));
    return info;
}

// blocktide_sim('write', h, input, value[, undefined_mask])
void Write(OpenDesign& design, int nrhs, const mxArray* prhs[])
{
    const int input = Port(prhs[2], design.sim->Inputs(), "input");
    const mxArray* value = prhs[3];
    const int width = design.sim->Inputs()[static_cast<size_t>(input)].width;
    if (mxGetNumberOfElements(value) != 1 || mxIsComplex(value) || (!mxIsNumeric(value) && !mxIsLogical(value)))
        Fail("badArgument", "the value must be a real number");
    bool negative = false;
    uint64_t low = 0;
    if (std::optional<uint64_t> bits = IntegerBits(value)) { // exact, whatever the width
        low = *bits;
        negative = IsSignedClass(value) && static_cast<int64_t>(low) < 0;
    } else if (nrhs == 4) { // a double: the gateway's conversion, through the formatter
        const double scaled =
            design.formatter ? design.formatter->ToSimulation(mxGetScalar(value), input) : mxGetScalar(value);
        design.sim->WriteDouble(input, scaled);
        return;
    } else { // a double with a mask: a whole number
        const double number = mxGetScalar(value);
        if (!std::isfinite(number) || number != std::floor(number) || std::fabs(number) >= 9007199254740992.0)
            Fail("badArgument", "a value with an undefined mask must be a whole number below 2^53, or an integer");
        low = static_cast<uint64_t>(static_cast<int64_t>(number));
        negative = number < 0;
    }
    std::vector<uint64_t> words(static_cast<size_t>((std::max(width, 64) + 63) / 64), negative ? ~uint64_t{0} : 0);
    words[0] = low;
    const blocktide::Value full = blocktide::Value::from_words(std::max(width, 64), words);
    WarnIfTooWide(design, input, full, negative);
    std::vector<uint64_t> masks;
    if (nrhs == 5) {
        const std::optional<uint64_t> mask = IntegerBits(prhs[4]);
        masks.push_back(mask ? *mask
                             : static_cast<uint64_t>(WholeNumber(prhs[4], "the undefined mask", 0, int64_t{1} << 53)));
    }
    design.sim->Write(input, blocktide::Value::from_words(width, full.words(), masks));
}

// A value as a read or a peek answers it: [value, undefined, high_z]. `output` is the design
// output read (its formatter and once-only reports apply), or -1 for any other signal.
void AnswerValue(OpenDesign& design, int output, const std::string& name, const blocktide::Value& value, Answer answer,
                 int nlhs, mxArray* plhs[])
{
    const blocktide::Port port{name, value.width(), blocktide::Direction::Output};
    if (answer == Answer::Hex) {
        plhs[0] = mxCreateString(LowerHex(value).c_str());
        return;
    }
    if (answer == Answer::Double && output < 0) {
        bool wide = false;
        for (size_t w = 1; w < value.words().size(); ++w)
            wide = wide || value.words()[w] != 0;
        if (wide)
            Fail("tooWide", "signal " + name + " holds a value of more than 64 bits; peek it as 'hex'");
        plhs[0] = NumberOf(value.is_defined() ? static_cast<double>(value.to_uint64()) : std::nan(""));
        if (nlhs > 1)
            plhs[1] = Uint64Of(value.undefined_mask()[0]);
        if (nlhs > 2)
            plhs[2] = mxCreateLogicalScalar(value.high_z());
        return;
    }
    if (answer == Answer::Double) {
        double number = DoubleOf(design, output, value);
        if (design.formatter && !std::isnan(number))
            number = design.formatter->FromSimulation(static_cast<double>(SignedOf(value.to_uint64(), 64)), output);
        plhs[0] = NumberOf(number);
        if (nlhs > 1)
            plhs[1] = Uint64Of(value.undefined_mask()[0]);
        if (nlhs > 2)
            plhs[2] = mxCreateLogicalScalar(value.high_z());
        return;
    }
    CheckFitsIn64(port);
    if (answer == Answer::Uint64) {
        plhs[0] = Uint64Of(value.to_uint64());
    } else {
        plhs[0] = mxCreateNumericMatrix(1, 1, mxINT64_CLASS, mxREAL);
        *static_cast<int64_t*>(mxGetData(plhs[0])) = SignedOf(value.to_uint64(), port.width);
    }
    if (nlhs > 1)
        plhs[1] = Uint64Of(value.undefined_mask()[0]);
    if (nlhs > 2)
        plhs[2] = mxCreateLogicalScalar(value.high_z());
}

// [value, undefined, high_z] = blocktide_sim('read', h, output[, class])
void Read(OpenDesign& design, int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const int output = Port(prhs[2], design.sim->Outputs(), "output");
    const Answer answer = nrhs == 4 ? AnswerClass(prhs[3]) : Answer::Double;
    AnswerValue(design, output, design.sim->Outputs()[static_cast<size_t>(output)].name, design.sim->Read(output),
                answer, nlhs, plhs);
}

// [value, undefined, high_z] = blocktide_sim('peek', h, signal[, class])
void Peek(OpenDesign& design, int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const std::string name = Text(prhs[2], "the signal name");
    const Answer answer = nrhs == 4 ? AnswerClass(prhs[3]) : Answer::Double;
    blocktide::Value value;
    try {
        value = design.sim->Peek(name);
    } catch (const blocktide::Error& error) {
        Fail("badSignal", error.what());
    }
    AnswerValue(design, -1, name, value, answer, nlhs, plhs);
}

// blocktide_sim('waveform', h, path[, patterns]) starts a VCD; blocktide_sim('waveform', h) ends it.
void Waveform(OpenDesign& design, int nrhs, const mxArray* prhs[])
{
    try {
        if (nrhs == 2) {
            design.sim->CloseWaveform();
            return;
        }
        std::vector<std::string> patterns;
        if (nrhs == 4) {
            if (mxIsChar(prhs[3])) {
                patterns.push_back(ReadTextArgument(prhs[3]));
            } else if (mxIsCell(prhs[3])) {
                for (size_t i = 0; i < mxGetNumberOfElements(prhs[3]); ++i)
                    patterns.push_back(Text(mxGetCell(prhs[3], i), "each signal pattern"));
            } else {
                Fail("badArgument", "the signals are a pattern or a cell of patterns");
            }
        }
        design.sim->OpenWaveform(Text(prhs[2], "the waveform path"), patterns);
    } catch (const blocktide::Error& error) {
        Fail("waveformFailed", error.what());
    }
}

// [hex, words, undefined_words] = blocktide_sim('read_wide', h, output)
void ReadWide(OpenDesign& design, int nlhs, mxArray* plhs[], const mxArray* prhs[])
{
    const int output = Port(prhs[2], design.sim->Outputs(), "output");
    const blocktide::Value value = design.sim->Read(output);
    plhs[0] = mxCreateString(LowerHex(value).c_str());
    auto words32 = [&](const std::vector<uint64_t>& words) {
        const size_t count = static_cast<size_t>((value.width() + 31) / 32);
        mxArray* row = mxCreateNumericMatrix(1, count, mxUINT32_CLASS, mxREAL);
        uint32_t* data = static_cast<uint32_t*>(mxGetData(row));
        for (size_t i = 0; i < count; ++i)
            data[i] = static_cast<uint32_t>(words[i / 2] >> (32 * (i % 2)));
        return row;
    };
    if (nlhs > 1)
        plhs[1] = words32(value.words());
    if (nlhs > 2)
        plhs[2] = words32(value.undefined_mask());
}

// [Y, X] = blocktide_sim('step', h, inputs, outputs[, class]): inputs is a struct whose fields
// name inputs and hold one value per cycle (a vector of doubles or integers; a cell of
// hexadecimal texts for any width). Y holds a row per cycle and a column per named output
// (doubles with NaN where undefined, or uint64/int64); X the undefined bits as uint64.
void Step(OpenDesign& design, int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const mxArray* inputs = prhs[2];
    if (!mxIsStruct(inputs) || mxGetNumberOfElements(inputs) != 1)
        Fail("badArgument", "the inputs must be a struct with one field per input, a value per cycle in each");
    const Answer answer = nrhs == 5 ? AnswerClass(prhs[4]) : Answer::Double;
    if (answer == Answer::Hex)
        Fail("badArgument", "a step answers 'double', 'uint64' or 'int64' values; read wide outputs with read_wide");
    std::vector<std::string> output_names;
    if (mxIsChar(prhs[3])) {
        output_names.push_back(ReadTextArgument(prhs[3]));
    } else if (mxIsCell(prhs[3])) {
        for (size_t i = 0; i < mxGetNumberOfElements(prhs[3]); ++i)
            output_names.push_back(Text(mxGetCell(prhs[3], i), "each output name"));
    } else {
        Fail("badArgument", "the outputs must be a name or a cell of names");
    }
    std::vector<int> output_handles;
    for (const std::string& name : output_names) {
        const int handle = PortNamed(name, design.sim->Outputs(), "output");
        if (answer != Answer::Double)
            CheckFitsIn64(design.sim->Outputs()[static_cast<size_t>(handle)]);
        output_handles.push_back(handle);
    }

    std::vector<blocktide::Samples> columns;
    size_t cycles = SIZE_MAX;
    for (int f = 0; f < mxGetNumberOfFields(inputs); ++f) {
        const std::string name = mxGetFieldNameByNumber(inputs, f);
        const mxArray* field = mxGetFieldByNumber(inputs, 0, f);
        const int handle = PortNamed(name, design.sim->Inputs(), "input");
        const int width = design.sim->Inputs()[static_cast<size_t>(handle)].width;
        blocktide::Samples column{name, width, {}, {}, {}};
        const size_t per = static_cast<size_t>(column.words_per_value());
        const size_t count = field ? mxGetNumberOfElements(field) : 0;
        if (field && mxIsCell(field)) {
            for (size_t i = 0; i < count; ++i) {
                const mxArray* text = mxGetCell(field, i);
                if (!text || !mxIsChar(text))
                    Fail("badValue", "the values of input " + name + " in a cell must be hexadecimal texts");
                blocktide::Value value = WideValue(text);
                WarnIfTooWide(design, handle, value);
                value = blocktide::Value::from_words(width, value.words(), value.undefined_mask());
                column.bits.insert(column.bits.end(), value.words().begin(), value.words().end());
                column.undefined.insert(column.undefined.end(), value.undefined_mask().begin(),
                                        value.undefined_mask().end());
            }
        } else if (field && (mxIsNumeric(field) || mxIsLogical(field)) && !mxIsComplex(field)) {
            std::vector<uint64_t> values(count);
            std::vector<bool> negative(count, false);
            if (!ColumnBits(field, values, negative))
                Fail("badValue", "the values of input " + name + " must be whole numbers");
            bool wide = false;
            column.bits.reserve(count * per);
            for (size_t i = 0; i < count; ++i) {
                wide = wide || (width < 64 && !negative[i] && (values[i] & ~LowBitsMask64(width)) != 0);
                column.bits.push_back(values[i]);
                for (size_t w = 1; w < per; ++w)
                    column.bits.push_back(negative[i] ? ~uint64_t{0} : 0);
            }
            if (wide && !design.warned_wide[static_cast<size_t>(handle)]) {
                design.warned_wide[static_cast<size_t>(handle)] = true;
                report(SEV_WARNING, "Value for input " + name + " has bits above its " + std::to_string(width) +
                                        "-bit width; values are cut to the width");
            }
        } else {
            Fail("badValue",
                 "the values of input " + name + " must be a numeric vector or a cell of hexadecimal texts");
        }
        const size_t column_cycles = column.cycles();
        if (cycles != SIZE_MAX && column_cycles != cycles)
            Fail("badValue", "every input of a step needs the same number of values");
        cycles = column_cycles;
        columns.push_back(std::move(column));
    }
    if (columns.empty())
        Fail("badArgument", "the inputs name no input: run cycles without inputs with 'run'");

    std::vector<blocktide::Samples> results;
    try {
        results = design.sim->Step(columns, output_names);
    } catch (const blocktide::Error& error) {
        Fail("badValue", error.what());
    }
    const size_t outputs = results.size();
    mxArray* values = nullptr;
    if (answer == Answer::Double)
        values = mxCreateDoubleMatrix(cycles, outputs, mxREAL);
    else
        values =
            mxCreateNumericMatrix(cycles, outputs, answer == Answer::Uint64 ? mxUINT64_CLASS : mxINT64_CLASS, mxREAL);
    mxArray* masks = mxCreateNumericMatrix(cycles, outputs, mxUINT64_CLASS, mxREAL);
    uint64_t* mask_data = static_cast<uint64_t*>(mxGetData(masks));
    for (size_t o = 0; o < outputs; ++o) {
        const blocktide::Samples& result = results[o];
        const int width = result.width;
        const size_t per = static_cast<size_t>(result.words_per_value());
        for (size_t i = 0; i < cycles; ++i) {
            const uint64_t bits = result.bits[i * per];
            const uint64_t undefined = result.undefined.empty() ? 0 : result.undefined[i * per];
            bool any_undefined = undefined != 0;
            bool high = false;
            for (size_t w = 1; w < per; ++w) {
                any_undefined = any_undefined || (!result.undefined.empty() && result.undefined[i * per + w] != 0);
                high = high || result.bits[i * per + w] != 0;
            }
            const bool z = !result.high_z.empty() && result.high_z[i];
            mask_data[o * cycles + i] = undefined;
            if (answer == Answer::Double) {
                double number = std::nan("");
                if (!any_undefined && !z) {
                    if (high)
                        Fail("tooWide", "output " + result.port +
                                            " holds a value of more than 64 bits; step it "
                                            "with read_wide reads instead");
                    number = static_cast<double>(bits);
                    if (bits > (uint64_t{1} << 53) && !design.warned_inexact[static_cast<size_t>(output_handles[o])]) {
                        design.warned_inexact[static_cast<size_t>(output_handles[o])] = true;
                        report(SEV_WARNING, "Output " + result.port +
                                                " holds more bits than a double keeps "
                                                "exactly; step it as 'uint64' for the exact values");
                    }
                }
                mxGetPr(values)[o * cycles + i] = number;
            } else if (answer == Answer::Uint64) {
                static_cast<uint64_t*>(mxGetData(values))[o * cycles + i] = bits;
            } else {
                static_cast<int64_t*>(mxGetData(values))[o * cycles + i] = SignedOf(bits, width);
            }
        }
    }
    plhs[0] = values;
    if (nlhs > 1)
        plhs[1] = masks;
    else
        mxDestroyArray(masks);
}

void Call(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    if (nrhs < 1 || !mxIsChar(prhs[0]))
        Fail("badCommand", "the first argument names a command: open, info, write, write_wide, run, step, read, "
                           "read_wide, peek, signals, waveform, save, restore, format, close or handles (see 'help "
                           "blocktide_sim')");
    const std::string command = ReadTextArgument(prhs[0]);
    if (command == "open") {
        plhs[0] = Open(nrhs, prhs);
        Handle(plhs[0]).sim->TakeMessages();
        return;
    }
    if (command == "handles") {
        NeedArguments(nrhs, 1, 1, "handles = blocktide_sim('handles')");
        plhs[0] = mxCreateDoubleMatrix(1, Designs().size(), mxREAL);
        size_t i = 0;
        for (const auto& entry : Designs())
            mxGetPr(plhs[0])[i++] = static_cast<double>(entry.first);
        return;
    }
    if (command == "close") {
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
            design.formatter.reset();
        } else {
            NeedArguments(nrhs, 8, 8,
                          "blocktide_sim('format', h, in_format, out_format, in_int_bits, in_frac_bits, "
                          "out_int_bits, out_frac_bits)");
            design.formatter = std::make_unique<formatport>(
                in_format, Text(prhs[3], "the output format"), IntegerList(prhs[4], "in_int_bits"),
                IntegerList(prhs[5], "in_frac_bits"), IntegerList(prhs[6], "out_int_bits"),
                IntegerList(prhs[7], "out_frac_bits"));
        }
    } else if (command == "write") {
        NeedArguments(nrhs, 4, 5, "blocktide_sim('write', h, input, value[, undefined_mask])");
        OpenDesign& design = Handle(prhs[1]);
        Write(design, nrhs, prhs);
    } else if (command == "write_wide") {
        NeedArguments(nrhs, 4, 4, "blocktide_sim('write_wide', h, input, hex_text_or_words)");
        OpenDesign& design = Handle(prhs[1]);
        const int input = Port(prhs[2], design.sim->Inputs(), "input");
        const blocktide::Value value = WideValue(prhs[3]);
        WarnIfTooWide(design, input, value);
        design.sim->Write(input, value);
    } else if (command == "run") {
        NeedArguments(nrhs, 3, 3, "blocktide_sim('run', h, cycles)");
        OpenDesign& design = Handle(prhs[1]);
        design.sim->Run(static_cast<int>(WholeNumber(prhs[2], "the number of cycles", 0, INT32_MAX)));
    } else if (command == "step") {
        NeedArguments(nrhs, 4, 5, "[Y, X] = blocktide_sim('step', h, inputs, outputs[, class])");
        Step(Handle(prhs[1]), nlhs, plhs, nrhs, prhs);
    } else if (command == "read") {
        NeedArguments(nrhs, 3, 4, "[value, undefined] = blocktide_sim('read', h, output[, class])");
        Read(Handle(prhs[1]), nlhs, plhs, nrhs, prhs);
    } else if (command == "peek") {
        NeedArguments(nrhs, 3, 4, "[value, undefined, high_z] = blocktide_sim('peek', h, signal[, class])");
        Peek(Handle(prhs[1]), nlhs, plhs, nrhs, prhs);
    } else if (command == "signals") {
        NeedArguments(nrhs, 2, 2, "names = blocktide_sim('signals', h)");
        plhs[0] = CellOfTexts(Handle(prhs[1]).sim->Signals());
    } else if (command == "waveform") {
        NeedArguments(nrhs, 2, 4,
                      "blocktide_sim('waveform', h, path[, signal_patterns]) or blocktide_sim('waveform', h)");
        Waveform(Handle(prhs[1]), nrhs, prhs);
    } else if (command == "read_wide") {
        NeedArguments(nrhs, 3, 3, "[hex, words, undefined_words] = blocktide_sim('read_wide', h, output)");
        ReadWide(Handle(prhs[1]), nlhs, plhs, prhs);
    } else if (command == "save") {
        NeedArguments(nrhs, 3, 3, "blocktide_sim('save', h, path)");
        OpenDesign& design = Handle(prhs[1]);
        design.sim->SaveState(Text(prhs[2], "the checkpoint path"));
    } else if (command == "restore") {
        NeedArguments(nrhs, 3, 3, "blocktide_sim('restore', h, path)");
        OpenDesign& design = Handle(prhs[1]);
        design.sim->RestoreState(Text(prhs[2], "the checkpoint path"));
    } else {
        Fail("badCommand", "unknown command '" + command + "'");
    }
    // What this module reported itself (values cut to a width, inexact doubles) is printed
    // by the end of the call; the messages kept as data are not needed here.
    if (command != "close")
        Handle(prhs[1]).sim->TakeMessages();
}

} // namespace

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
