// The public C++ interface on top of the simulation session: values converted between the
// public 64-bit-word form and the engine's, messages captured as data at every call, and one
// process-wide lock around every call into the library.
#include "host/blocktide.h"

#include <algorithm>
#include <filesystem>
#include <mutex>

#include "base/bits.h"
#include "base/messages.h"
#include "netlistdb/netlist_db.h"
#include "sim/checkpoint.h"
#include "sim/design_path.h"
#include "sim/import.h"
#include "sim/session.h"
#include "sim/signals.h"
#include "sim/waveform.h"

namespace blocktide {

namespace {

constexpr size_t kMaxKeptMessages = 10000;

// The message store, the shared constant node and the model-library settings are
// process-wide: one call at a time (recursive, as a call may use another).
std::recursive_mutex& LibraryLock()
{
    static std::recursive_mutex lock;
    return lock;
}

size_t WordCount(int width)
{
    return static_cast<size_t>((width + 63) / 64);
}

// For the length of one call: every message the session flushes is appended to `kept`
// (beyond the cap only counted), and printing is suppressed unless wanted.
class MessageCapture {
public:
    MessageCapture(std::vector<Message>& kept, size_t& dropped, bool print)
        : previous_sink_(console_sink()), print_(print)
    {
        set_flush_listener([&kept, &dropped](const ::Message& message) {
            if (kept.size() < kMaxKeptMessages)
                kept.push_back({static_cast<Severity>(message.severity), message.text});
            else
                ++dropped;
        });
        if (!print_)
            set_console_sink([](const std::string&) {});
    }
    ~MessageCapture()
    {
        set_flush_listener({});
        if (!print_)
            set_console_sink(previous_sink_);
    }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

private:
    ConsoleSink previous_sink_;
    bool print_;
};

// Runs a call's body, turning whatever else it throws (memory exhausted by a huge design, a
// failure deep in the library) into Error: nothing escapes the interface but Error.
template <class Body> auto Guarded(const char* operation, Body&& body) -> decltype(body())
{
    try {
        return body();
    } catch (const Error&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw Error(std::string(operation) + " ran out of memory");
    } catch (const std::exception& failure) {
        throw Error(std::string(operation) + " failed: " + failure.what());
    }
}

std::string JoinedTexts(const std::vector<Message>& messages)
{
    std::string text;
    for (const Message& message : messages)
        if (message.severity >= Severity::Warning)
            text += "\n  " + message.text;
    return text;
}

// The engine's value for a public one, at the given width (cut or zero-extended). A value
// whose every bit is undefined also carries the engine's undefined flag.
void ToEngine(const Value& value, MLIB_UINTEGER& target)
{
    const int width = target.width();
    bool any_undefined = false, all_undefined = true;
    for (int i = 0; i < target.words(); ++i) {
        const size_t word = static_cast<size_t>(i / 2);
        const int shift = (i % 2) * 32;
        uint32_t bits = 0, undefined = 0;
        if (word < value.words().size()) {
            bits = static_cast<uint32_t>(value.words()[word] >> shift);
            undefined = static_cast<uint32_t>(value.undefined_mask()[word] >> shift);
        }
        const int remaining = width - 32 * i;
        const uint32_t mask = remaining >= 32 ? 0xFFFFFFFFu : (1u << remaining) - 1u;
        bits &= mask;
        undefined &= mask;
        target.set_word(i, bits);
        target.set_undef_word(i, undefined);
        any_undefined |= undefined != 0;
        all_undefined &= undefined == mask;
    }
    target.clear_flags();
    if (any_undefined && all_undefined)
        target.set_undefined();
    if (value.high_z())
        target.set_high_z();
}

// Writes the engine's value into words. The undefined bits are those of its mask, as its text
// form shows them (the engine's whole-value undefined flag, which only its reports test, is
// set together with a mask whenever a value becomes wholly undefined).
void FromEngine(const MLIB_UINTEGER& value, uint64_t* bits, uint64_t* undefined, size_t words)
{
    for (size_t w = 0; w < words; ++w) {
        const int low = static_cast<int>(2 * w), high = low + 1;
        bits[w] = value.word(low) | uint64_t{value.word(high)} << 32;
        undefined[w] = value.undef_word(low) | uint64_t{value.undef_word(high)} << 32;
    }
}

Value FromEngine(const MLIB_UINTEGER& value)
{
    std::vector<uint64_t> bits(WordCount(value.width())), undefined(bits.size());
    FromEngine(value, bits.data(), undefined.data(), bits.size());
    return Value::from_words(value.width(), std::move(bits), std::move(undefined), value.is_high_z());
}

} // namespace

// ---------------------------------------------------------------- errors

Error::Error(const std::string& what, std::vector<Message> messages)
    : std::runtime_error(what), messages_(std::move(messages))
{
}

// ---------------------------------------------------------------- values

Value::Value(int width, uint64_t bits)
    : width_(std::max(1, width)), words_(WordCount(width_), 0), undefined_(words_.size(), 0)
{
    words_[0] = bits;
    cut_to_width();
}

Value Value::from_words(int width, std::vector<uint64_t> words, std::vector<uint64_t> undefined, bool high_z)
{
    Value value(width);
    words.resize(value.words_.size(), 0);
    undefined.resize(value.words_.size(), 0);
    value.words_ = std::move(words);
    value.undefined_ = std::move(undefined);
    value.high_z_ = high_z;
    value.cut_to_width();
    return value;
}

Value Value::undefined(int width)
{
    Value value(width);
    std::fill(value.undefined_.begin(), value.undefined_.end(), ~uint64_t{0});
    value.cut_to_width();
    return value;
}

Value Value::from_hex(int width, std::string_view text)
{
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty())
        throw Error("a hexadecimal value needs at least one digit");
    Value value(width);
    const int width_bits = value.width_;
    int position = 0;
    for (auto digit = text.rbegin(); digit != text.rend(); ++digit, position += 4) {
        uint64_t nibble = 0, unknown = 0;
        const char c = *digit;
        if (c >= '0' && c <= '9')
            nibble = static_cast<uint64_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            nibble = static_cast<uint64_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            nibble = static_cast<uint64_t>(c - 'A' + 10);
        else if (c == 'x' || c == 'X')
            unknown = 0xF;
        else
            throw Error("'" + std::string(text) + "' is not a hexadecimal value");
        if (position >= width_bits)
            continue; // digits beyond the width are cut
        const size_t word = static_cast<size_t>(position / 64);
        value.words_[word] |= nibble << (position % 64);
        value.undefined_[word] |= unknown << (position % 64);
    }
    value.cut_to_width();
    return value;
}

bool Value::has_undefined_bits() const
{
    return std::any_of(undefined_.begin(), undefined_.end(), [](uint64_t word) { return word != 0; });
}

bool Value::is_defined() const
{
    return !high_z_ && !has_undefined_bits();
}

std::string Value::to_hex() const
{
    static const char digits[] = "0123456789ABCDEF";
    const int count = (width_ + 3) / 4;
    std::string text(static_cast<size_t>(count), '0');
    for (int d = 0; d < count; ++d) {
        const int position = 4 * d;
        const size_t word = static_cast<size_t>(position / 64);
        const uint64_t nibble = (words_[word] >> (position % 64)) & 0xF;
        const uint64_t unknown = (undefined_[word] >> (position % 64)) & 0xF;
        text[static_cast<size_t>(count - 1 - d)] = unknown ? 'X' : high_z_ ? 'Z' : digits[nibble];
    }
    return text;
}

bool Value::operator==(const Value& other) const
{
    return width_ == other.width_ && words_ == other.words_ && undefined_ == other.undefined_ &&
           high_z_ == other.high_z_;
}

void Value::cut_to_width()
{
    const uint64_t top = LowBitsMask64(width_ - 64 * (static_cast<int>(words_.size()) - 1));
    words_.back() &= top;
    undefined_.back() &= top;
}

Value Samples::At(size_t cycle) const
{
    const size_t per = static_cast<size_t>(words_per_value());
    const size_t first = cycle * per;
    if (first + per > bits.size())
        throw Error("port " + port + " has no value for cycle " + std::to_string(cycle));
    std::vector<uint64_t> value_words(bits.begin() + static_cast<std::ptrdiff_t>(first),
                                      bits.begin() + static_cast<std::ptrdiff_t>(first + per));
    std::vector<uint64_t> undefined_words;
    if (undefined.size() >= first + per)
        undefined_words.assign(undefined.begin() + static_cast<std::ptrdiff_t>(first),
                               undefined.begin() + static_cast<std::ptrdiff_t>(first + per));
    const bool z = cycle < high_z.size() && high_z[cycle] != 0;
    return Value::from_words(width, std::move(value_words), std::move(undefined_words), z);
}

// ---------------------------------------------------------------- import

namespace {

Design ImportDesignUnguarded(const std::string& netlist_path, const std::string& map_path, bool print_messages)
{
    std::lock_guard<std::recursive_mutex> lock(LibraryLock());
    Design design;
    size_t dropped = 0;
    Sim::ImportResult imported;
    {
        MessageCapture capture(design.messages, dropped, print_messages);
        imported = Sim::ImportDesign(netlist_path, map_path);
    }
    if (!imported.success)
        throw Error("the netlist " + netlist_path + " could not be imported" + JoinedTexts(design.messages),
                    design.messages);
    auto to_public = [](const std::vector<Sim::DesignPort>& ports, Direction direction) {
        std::vector<Port> result;
        for (const Sim::DesignPort& port : ports)
            result.push_back({port.name, port.width, direction});
        return result;
    };
    design.module_name = imported.ports.module_name;
    design.inputs = to_public(imported.ports.inputs, Direction::Input);
    design.outputs = to_public(imported.ports.outputs, Direction::Output);
    design.clocks = imported.ports.clocks;
    return design;
}

} // namespace

Design ImportDesign(const std::string& netlist_path, const std::string& map_path, bool print_messages)
{
    return Guarded("the import", [&] { return ImportDesignUnguarded(netlist_path, map_path, print_messages); });
}

// ---------------------------------------------------------------- simulation

struct Simulation::State {
    SimSession session;
    SimulationOptions options;
    std::vector<Port> inputs;
    std::vector<Port> outputs;
    std::vector<MLIB_UINTEGER> input_values; // one per input, its width: no allocation per write
    std::vector<bool> reaching_outputs;      // per input, when the options asked for it
    std::vector<Message> messages;           // reported since the last TakeMessages
    size_t dropped = 0;                      // messages beyond the kept ones
    long long cycle = 0;
    std::string design_path;
    std::unique_ptr<Sim::SignalTable> signals; // made when first asked for
    std::unique_ptr<Sim::Waveform> waveform;   // open while recording

    const Sim::SignalTable& Signals()
    {
        if (!signals) {
            KVC::ElaboratedModule module;
            const bool named = !options.map_path.empty() && Sim::ReadModule(design_path, options.map_path, module);
            signals = std::make_unique<Sim::SignalTable>(*session.GetManager(), named ? &module : nullptr);
        }
        return *signals;
    }
    // Loads the design, maps every port and works out what the options ask for.
    void Open();
    // Runs cycles, sampling the waveform after each when one is open.
    void RunCycles(int cycles)
    {
        if (!waveform) {
            session.Run(cycles);
            cycle += cycles;
            return;
        }
        if (cycles == 0)
            session.Run(0);
        for (int i = 0; i < cycles; ++i) {
            session.Run(1);
            waveform->Sample(++cycle);
        }
    }

    // Prints and keeps whatever the store holds.
    void Flush()
    {
        if (!pending_messages().empty())
            session.flush_messages(0);
    }
    int CheckedInput(int handle) const
    {
        if (handle < 0 || handle >= static_cast<int>(inputs.size()))
            throw Error("no design input has the handle " + std::to_string(handle));
        return handle;
    }
    int CheckedOutput(int handle) const
    {
        if (handle < 0 || handle >= static_cast<int>(outputs.size()))
            throw Error("no design output has the handle " + std::to_string(handle));
        return handle;
    }
    MLIB_UINTEGER ReadOutput(int handle)
    {
        return options.report_undefined_reads ? session.ReadWideOutput(handle) : session.PeekWideOutput(handle);
    }
};

// Every public call holds the library lock and captures the messages it causes.
#define BLOCKTIDE_CALL(state)                                                                                          \
    std::lock_guard<std::recursive_mutex> library_lock(LibraryLock());                                                 \
    MessageCapture capture((state).messages, (state).dropped, (state).options.print_messages)

// Whether the netlist beside a SimDB file was changed after the file was written.
bool IsStale(const std::string& design_path)
{
    std::error_code error;
    const auto netlist = std::filesystem::last_write_time(design_path, error);
    if (error || !std::filesystem::is_regular_file(design_path, error))
        return false; // no netlist beside it: the SimDB file is all there is
    const auto database = std::filesystem::last_write_time(design_path + ".simdb", error);
    return !error && netlist > database;
}

Simulation::Simulation(const std::string& design_path, SimulationOptions options) : state_(std::make_unique<State>())
{
    if (IsStale(design_path))
        throw Error("the simulation database " + design_path +
                    ".simdb is older than its netlist; import the design "
                    "again");
    state_->options = std::move(options);
    state_->design_path = design_path;
    Guarded("setting up the design", [&] { state_->Open(); });
}

void Simulation::State::Open()
{
    BLOCKTIDE_CALL(*this);
    session.hex_directory = options.hex_directory;
    std::vector<Sim::InputInfo> inventory;
    const bool failed =
        session.Load(design_path, options.model_library_directory, false, {}, &inventory, options.find_feed_through);
    for (const Sim::DesignPort& port : session.Ports().inputs)
        inputs.push_back({port.name, port.width, Direction::Input});
    for (const Sim::DesignPort& port : session.Ports().outputs)
        outputs.push_back({port.name, port.width, Direction::Output});
    for (const Port& port : inputs) {
        session.input_names.push_back(port.name);
        input_values.emplace_back(0, port.width);
    }
    for (const Port& port : outputs)
        session.output_names.push_back(port.name);
    if (options.find_feed_through) {
        reaching_outputs.assign(inputs.size(), false);
        for (const Sim::InputInfo& entry : inventory)
            for (size_t i = 0; i < inputs.size(); ++i)
                if (inputs[i].name == entry.name)
                    reaching_outputs[i] = entry.reaches_output;
    }
    session.MapDesignPorts();
    const bool unmapped = session.flush_messages(0);
    if (failed || unmapped)
        throw Error("the design " + design_path + " could not be set up" + JoinedTexts(messages), messages);
}

Simulation::~Simulation()
{
    if (state_) {
        std::lock_guard<std::recursive_mutex> lock(LibraryLock());
        state_.reset();
    }
}

Simulation::Simulation(Simulation&&) noexcept = default;
Simulation& Simulation::operator=(Simulation&&) noexcept = default;

const std::vector<Port>& Simulation::Inputs() const
{
    return state_->inputs;
}
const std::vector<Port>& Simulation::Outputs() const
{
    return state_->outputs;
}

int Simulation::InputHandle(const std::string& name) const
{
    for (size_t i = 0; i < state_->inputs.size(); ++i)
        if (state_->inputs[i].name == name)
            return static_cast<int>(i);
    throw Error("the design has no input named '" + name + "'");
}

int Simulation::OutputHandle(const std::string& name) const
{
    for (size_t i = 0; i < state_->outputs.size(); ++i)
        if (state_->outputs[i].name == name)
            return static_cast<int>(i);
    throw Error("the design has no output named '" + name + "'");
}

void Simulation::Write(int input, const Value& value)
{
    BLOCKTIDE_CALL(*state_);
    MLIB_UINTEGER& engine_value = state_->input_values[static_cast<size_t>(state_->CheckedInput(input))];
    ToEngine(value, engine_value);
    state_->session.WriteWideInput(input, engine_value);
    state_->Flush();
}

void Simulation::Write(int input, uint64_t bits)
{
    const int width = state_->inputs[static_cast<size_t>(state_->CheckedInput(input))].width;
    Write(input, Value(width, bits));
}

void Simulation::WriteDouble(int input, double value)
{
    BLOCKTIDE_CALL(*state_);
    state_->session.WriteInput(state_->CheckedInput(input), value);
    state_->Flush();
}

const std::vector<bool>& Simulation::InputsReachingOutputs() const
{
    return state_->reaching_outputs;
}

Value Simulation::Read(int output)
{
    BLOCKTIDE_CALL(*state_);
    Value value = FromEngine(state_->ReadOutput(state_->CheckedOutput(output)));
    state_->Flush();
    return value;
}

void Simulation::Run(int cycles)
{
    BLOCKTIDE_CALL(*state_);
    if (cycles < 0)
        throw Error("a cycle count is 0 or more, not " + std::to_string(cycles));
    Guarded("the run", [&] { state_->RunCycles(cycles); });
    state_->Flush();
}

std::string Simulation::SaveStateBytes()
{
    BLOCKTIDE_CALL(*state_);
    std::string bytes;
    std::string error;
    const bool saved = Guarded("saving the state", [&] {
        return Sim::SaveCheckpoint(*state_->session.GetManager(), state_->design_path, state_->cycle, bytes, error);
    });
    state_->Flush();
    if (!saved)
        throw Error("the state was not saved: " + error);
    return bytes;
}

void Simulation::RestoreStateBytes(const std::string& bytes)
{
    BLOCKTIDE_CALL(*state_);
    std::string error;
    int64_t cycle = 0;
    const bool restored = Guarded("restoring the state", [&] {
        return Sim::RestoreCheckpoint(*state_->session.GetManager(), state_->design_path, bytes, cycle, error);
    });
    state_->Flush();
    if (!restored)
        throw Error("the state was not restored: " + error);
    state_->cycle = cycle;
}

void Simulation::SaveState(const std::string& path)
{
    const std::string bytes = SaveStateBytes();
    BLOCKTIDE_CALL(*state_);
    std::string error;
    const bool written = Sim::WriteCheckpointFile(path, bytes, error);
    state_->Flush();
    if (!written)
        throw Error("the state was not saved: " + error);
}

void Simulation::RestoreState(const std::string& path)
{
    std::string bytes;
    {
        BLOCKTIDE_CALL(*state_);
        std::string error;
        const bool read = Sim::ReadCheckpointFile(path, bytes, error);
        state_->Flush();
        if (!read)
            throw Error("the state was not restored: " + error);
    }
    RestoreStateBytes(bytes);
}

const std::string& Simulation::DesignPath() const
{
    return state_->design_path;
}

long long Simulation::Cycle() const
{
    return state_->cycle;
}

std::vector<Samples> Simulation::Step(const std::vector<Samples>& inputs, const std::vector<std::string>& outputs)
{
    BLOCKTIDE_CALL(*state_);
    return Guarded("the step", [&]() -> std::vector<Samples> {
        State& state = *state_;
        if (inputs.empty())
            throw Error("a step needs the values of at least one input; Run runs cycles without inputs");
        // Which input each column writes, checked before anything runs.
        std::vector<int> handles;
        size_t expected_cycles = SIZE_MAX;
        for (const Samples& column : inputs) {
            const int handle = InputHandle(column.port);
            const int width = state.inputs[static_cast<size_t>(handle)].width;
            if (column.width != 0 && column.width != width)
                throw Error("the values of input " + column.port + " are " + std::to_string(column.width) +
                            " bits wide; the input has " + std::to_string(width));
            const size_t per = static_cast<size_t>(width <= 64 ? 1 : (width + 63) / 64);
            if (column.bits.size() % per != 0 ||
                (!column.undefined.empty() && column.undefined.size() != column.bits.size()))
                throw Error("the values of input " + column.port + " do not fill whole values");
            const size_t column_cycles = column.bits.size() / per;
            if (expected_cycles != SIZE_MAX && column_cycles != expected_cycles)
                throw Error("every input of a step needs the same number of cycles");
            expected_cycles = column_cycles;
            handles.push_back(handle);
        }
        const size_t steps = expected_cycles;
        std::vector<Samples> results;
        std::vector<int> output_handles;
        for (const std::string& name : outputs) {
            const int handle = OutputHandle(name);
            output_handles.push_back(handle);
            Samples result;
            result.port = name;
            result.width = state.outputs[static_cast<size_t>(handle)].width;
            const size_t per = static_cast<size_t>(result.words_per_value());
            result.bits.assign(steps * per, 0);
            result.undefined.assign(steps * per, 0);
            result.high_z.assign(steps, 0);
            results.push_back(std::move(result));
        }
        std::vector<bool> any_undefined(results.size(), false), any_high_z(results.size(), false);
        for (size_t cycle = 0; cycle < steps; ++cycle) {
            for (size_t c = 0; c < inputs.size(); ++c) {
                const Samples& column = inputs[c];
                const int handle = handles[c];
                MLIB_UINTEGER& engine_value = state.input_values[static_cast<size_t>(handle)];
                const int width = engine_value.width();
                const size_t per = static_cast<size_t>(width <= 64 ? 1 : (width + 63) / 64);
                const bool z = cycle < column.high_z.size() && column.high_z[cycle] != 0;
                if (per == 1 && column.undefined.empty() && !z) {
                    // The common case: one defined word.
                    const uint64_t bits = column.bits[cycle] & LowBitsMask64(width);
                    engine_value.clear_flags();
                    engine_value.set_word(0, static_cast<uint32_t>(bits));
                    engine_value.set_undef_word(0, 0);
                    if (engine_value.words() > 1) {
                        engine_value.set_word(1, static_cast<uint32_t>(bits >> 32));
                        engine_value.set_undef_word(1, 0);
                    }
                } else {
                    ToEngine(column.At(cycle), engine_value);
                }
                state.session.WriteWideInput(handle, engine_value);
            }
            state.RunCycles(1);
            for (size_t o = 0; o < results.size(); ++o) {
                Samples& result = results[o];
                const size_t per = static_cast<size_t>(result.words_per_value());
                const MLIB_UINTEGER value = state.ReadOutput(output_handles[o]);
                FromEngine(value, &result.bits[cycle * per], &result.undefined[cycle * per], per);
                if (!any_undefined[o])
                    for (size_t w = 0; w < per; ++w)
                        any_undefined[o] = any_undefined[o] || result.undefined[cycle * per + w] != 0;
                if (value.is_high_z()) {
                    result.high_z[cycle] = 1;
                    any_high_z[o] = true;
                }
            }
            state.Flush();
        }
        for (size_t o = 0; o < results.size(); ++o) {
            if (!any_undefined[o])
                results[o].undefined.clear();
            if (!any_high_z[o])
                results[o].high_z.clear();
        }
        return results;
    });
}

std::vector<std::string> Simulation::Signals()
{
    BLOCKTIDE_CALL(*state_);
    std::vector<std::string> names;
    for (const Sim::Signal& signal : state_->Signals().All())
        names.push_back(signal.name);
    state_->Flush();
    return names;
}

Value Simulation::Peek(const std::string& signal)
{
    BLOCKTIDE_CALL(*state_);
    const Sim::Signal* found = state_->Signals().Find(signal);
    state_->Flush();
    if (!found)
        throw Error("the design has no signal named '" + signal + "'");
    return FromEngine(found->Value());
}

void Simulation::OpenWaveform(const std::string& path, const std::vector<std::string>& patterns)
{
    BLOCKTIDE_CALL(*state_);
    std::vector<const Sim::Signal*> chosen;
    auto is_port = [this](const std::string& name) {
        auto named = [&name](const Port& port) { return port.name == name; };
        return std::any_of(state_->inputs.begin(), state_->inputs.end(), named) ||
               std::any_of(state_->outputs.begin(), state_->outputs.end(), named);
    };
    for (const Sim::Signal& signal : state_->Signals().All())
        if (is_port(signal.name) || std::any_of(patterns.begin(), patterns.end(), [&](const std::string& pattern) {
                return Sim::MatchesGlob(signal.name, pattern);
            }))
            chosen.push_back(&signal);
    state_->Flush();
    state_->waveform.reset();
    auto waveform = std::make_unique<Sim::Waveform>();
    std::string failure;
    if (!waveform->Open(path, Sim::SplitDesignPath(state_->design_path).top_level_name, chosen,
                        *state_->session.GetManager(), failure))
        throw Error(failure);
    state_->waveform = std::move(waveform);
}

void Simulation::CloseWaveform()
{
    BLOCKTIDE_CALL(*state_);
    if (!state_->waveform)
        return;
    const bool written = state_->waveform->Close();
    state_->waveform.reset();
    if (!written)
        throw Error("a write to the waveform file failed");
}

void Simulation::DiscardWaveform()
{
    BLOCKTIDE_CALL(*state_);
    if (state_->waveform)
        state_->waveform->Discard();
    state_->waveform.reset();
}

std::vector<Message> Simulation::TakeMessages()
{
    {
        BLOCKTIDE_CALL(*state_);
        state_->Flush(); // what was reported outside the interface's calls, too
    }
    std::lock_guard<std::recursive_mutex> lock(LibraryLock());
    std::vector<Message> taken = std::move(state_->messages);
    state_->messages.clear();
    if (state_->dropped > 0) {
        taken.push_back({Severity::Warning, std::to_string(state_->dropped) + " further messages were dropped"});
        state_->dropped = 0;
    }
    return taken;
}

} // namespace blocktide
