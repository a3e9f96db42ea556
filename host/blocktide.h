// The public C++ interface of Blocktide, installed as <blocktide/blocktide.h>: import a netlist
// with its XML map, open a simulation from the SimDB file the import wrote, write and read the
// design's ports by name or by handle with values of any width (undefined bits and the
// high-impedance flag included), run clock cycles, and step many cycles in one call.
//
//   blocktide::Design design = blocktide::ImportDesign("acc.vo", "blocktide_map.xml");
//   blocktide::Simulation sim("acc.vo");                  // reads acc.vo.simdb
//   sim.Write("d", blocktide::Value(16, 1234));
//   sim.Run(1);
//   uint64_t q = sim.Read("q").to_uint64();
//
// Failures are thrown as blocktide::Error carrying the message text; the library never ends
// the process. Everything the system reports is also kept as data (TakeMessages). The library
// holds process-wide state (its message store among it): calls from several threads are
// serialised, one at a time. The header needs nothing but the standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace blocktide {

enum class Direction { Input, Output };

// A design input or output. Clock inputs are no ports: every design runs on one implicit clock.
struct Port {
    std::string name;
    int width = 1; // bits
    Direction direction = Direction::Input;
};

// The severities of the system's messages, with their codes.
enum class Severity { Info = 0, Trace = 1, Warning = 2, Error = 3, Fatal = 4, Internal = 5 };

struct Message {
    Severity severity = Severity::Info;
    std::string text; // as reported, without the printed prefix
};

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& what, std::vector<Message> messages = {});
    // The messages reported by the operation that failed.
    const std::vector<Message>& messages() const { return messages_; }

private:
    std::vector<Message> messages_;
};

// An unsigned value of any width with a per-bit undefined ("X") mask and a high-impedance
// ("Z") flag. Words are 64 bits, least significant first; bits above the width are always 0.
class Value {
public:
    Value() : Value(1) {}
    // width bits (at least 1) holding bits, cut to the width.
    explicit Value(int width, uint64_t bits = 0);
    // From words, least significant first (missing words read 0, extra bits are cut); undefined
    // has the same shape (missing words: defined).
    static Value from_words(int width, std::vector<uint64_t> words, std::vector<uint64_t> undefined = {},
                            bool high_z = false);
    // Every bit undefined.
    static Value undefined(int width);
    // Hexadecimal digits, most significant first, an optional "0x"; 'x' or 'X' marks four
    // undefined bits. Throws Error on any other character.
    static Value from_hex(int width, std::string_view text);

    int width() const { return width_; }
    const std::vector<uint64_t>& words() const { return words_; }
    const std::vector<uint64_t>& undefined_mask() const { return undefined_; }
    bool high_z() const { return high_z_; }
    // No undefined bit and not high-impedance.
    bool is_defined() const;
    bool has_undefined_bits() const;
    // The low 64 value bits (undefined bits read as the value bits under them).
    uint64_t to_uint64() const { return words_[0]; }
    // Hexadecimal, one digit per four bits, most significant first: 'X' for a digit with an
    // undefined bit, 'Z' for every digit of a high-impedance value (as the command prints).
    std::string to_hex() const;

    void set_high_z(bool high_z) { high_z_ = high_z; }

    bool operator==(const Value& other) const;
    bool operator!=(const Value& other) const { return !(*this == other); }

private:
    void cut_to_width();

    int width_ = 1;
    std::vector<uint64_t> words_;
    std::vector<uint64_t> undefined_;
    bool high_z_ = false;
};

// What an import learns of a design.
struct Design {
    std::string module_name;
    std::vector<Port> inputs;  // declaration order
    std::vector<Port> outputs; // declaration order
    std::vector<std::string> clocks;
    std::vector<Message> messages; // everything the import reported
};

// Reads the netlist with its map and writes its SimDB file beside it (netlist path +
// ".simdb"). Throws Error, with the import's messages, when the netlist could not be read.
// print_messages also prints them on standard error, as the command does.
Design ImportDesign(const std::string& netlist_path, const std::string& map_path, bool print_messages = true);

// One port's values over many cycles, for Simulation::Step: words_per_value() words per cycle
// (one for a port of up to 64 bits), least significant first, cycle after cycle.
struct Samples {
    std::string port;
    int width = 0;                   // bits; 0 on an input: the port's own width
    std::vector<uint64_t> bits;      // cycles * words_per_value() words
    std::vector<uint64_t> undefined; // the same shape, or empty when every bit is defined
    std::vector<uint8_t> high_z;     // one flag per cycle, or empty when none is set

    int words_per_value() const { return width <= 64 ? 1 : (width + 63) / 64; }
    size_t cycles() const { return width < 1 ? 0 : bits.size() / static_cast<size_t>(words_per_value()); }
    // Cycle i's value.
    Value At(size_t cycle) const;
};

struct SimulationOptions {
    std::string hex_directory;           // where memory initialisation files are looked up
    std::string model_library_directory; // empty: the model libraries beside libblocktide
    bool print_messages = true;          // print messages on standard error as they come
    bool report_undefined_reads = true;  // reading an undefined output also reports it
    bool find_feed_through = false;      // work out InputsReachingOutputs (a walk of the design)
    // The design's XML map. With it, signal names also use the netlist's own names (instance
    // outputs as "u_acc.q", wires), which the netlist beside the SimDB file is read again for.
    std::string map_path;
};

class Simulation {
public:
    // Opens design_path + ".simdb" (written by ImportDesign for the netlist design_path) and
    // builds the simulation. Throws Error when the design cannot be set up, or when the
    // netlist design_path is newer than its SimDB file (a stale file is never used silently).
    explicit Simulation(const std::string& design_path, SimulationOptions options = {});
    ~Simulation();
    Simulation(Simulation&&) noexcept;
    Simulation& operator=(Simulation&&) noexcept;
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    // The design's ports, each list in ascending name order; a handle is a position here.
    const std::vector<Port>& Inputs() const;
    const std::vector<Port>& Outputs() const;
    // The handle of a port; throws Error when the design has no such port.
    int InputHandle(const std::string& name) const;
    int OutputHandle(const std::string& name) const;

    // A value is cut or zero-extended to the input's width (its undefined bits and Z flag kept).
    void Write(int input, const Value& value);
    void Write(const std::string& input, const Value& value) { Write(InputHandle(input), value); }
    void Write(int input, uint64_t bits);
    void Write(const std::string& input, uint64_t bits) { Write(InputHandle(input), bits); }
    // A double as the gateway writes one: truncated toward zero to a 64-bit integer (NaN writes
    // 0 and values beyond the range saturate, both reported), then cut to the input's width.
    void WriteDouble(int input, double value);
    // The output as it stands after the last cycle.
    Value Read(int output);
    Value Read(const std::string& output) { return Read(OutputHandle(output)); }
    // Runs cycles clock cycles: each a clock edge, then settling.
    void Run(int cycles = 1);
    // Clock cycles run so far.
    long long Cycle() const;
    // The design path the simulation was opened with.
    const std::string& DesignPath() const;
    // Per input, in Inputs() order: whether some output depends on it without a register in
    // between. Empty unless the options asked for it.
    const std::vector<bool>& InputsReachingOutputs() const;

    // Every signal readable by Peek, in ascending order: the design's inputs and outputs, each
    // node's outputs ("u_acc.dataout"; with the map in the options also "u_acc.q") and the
    // netlist's wires (with the map).
    std::vector<std::string> Signals();
    // A signal's value as it stands; reading evaluates nothing and reports nothing. Throws
    // Error for a name Signals() does not list.
    Value Peek(const std::string& signal);
    // From now on records a VCD waveform: the clock, the design's inputs and outputs, and
    // every signal matching one of the patterns ("*" all; "?" and "[...]" too), ten time units
    // per cycle (sim/waveform.h). Replaces an earlier one. Throws Error when the file cannot be
    // written.
    void OpenWaveform(const std::string& path, const std::vector<std::string>& patterns = {});
    // Closes the waveform; throws Error when a write to it failed.
    void CloseWaveform();
    // Closes the waveform and removes its file, for a run that failed part way.
    void DiscardWaveform();

    // For each cycle i: writes every input's value i, runs one cycle and reads every named
    // output into its value i. Every input holds the same number of cycles; that many run.
    std::vector<Samples> Step(const std::vector<Samples>& inputs, const std::vector<std::string>& outputs);

    // The messages reported since the last call (oldest first), removed from the list; messages
    // still waiting in the library's store are printed and taken too. At most 10,000 are kept;
    // one more says how many were dropped.
    std::vector<Message> TakeMessages();

    // Checkpoints: the whole state of the simulation (every stored value, the inputs, the
    // cycle count), restorable into a Simulation of the same design in any process, which then
    // continues exactly as this one would. Save throws Error, writing nothing, when a model
    // block's library cannot save its state; the file is replaced only when complete. Restore
    // throws Error, changing nothing, for a file of another design or library version, a damaged,
    // truncated or newer file. The Bytes forms carry the same content in memory.
    void SaveState(const std::string& path);
    void RestoreState(const std::string& path);
    std::string SaveStateBytes();
    void RestoreStateBytes(const std::string& bytes);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace blocktide
