// The blocktide command: import a netlist with its map, simulate a design from a stimulus
// file (CSV results, VCD waveforms), and dump a design's database. Messages go to standard
// error, results to standard output. Exit 0 on success, 1 on failure, 2 on usage errors.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <malloc.h>
#include <optional>
#include <set>
#include <unistd.h>

#include "base/messages.h"
#include "base/output_file.h"
#include "host/blocktide.h"
#include "netlistdb/netlist_db.h"
#include "sim/design_interface.h"
#include "sim/design_path.h"
#include "sim/import.h"
#include "tools/stimulus.h"

namespace {

using blocktide_cli::StimulusReader;
using blocktide_cli::StimulusStep;

void Fail(const std::string& text)
{
    std::cerr << "blocktide: " << text << "\n";
}

bool FileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

void PrintInterface(const DesignInterface& d)
{
    std::cout << "ninput: " << d.ninput << "\n"
              << "noutput: " << d.noutput << "\n"
              << "nclock: " << d.nclock << "\n"
              << "input_port_names: " << d.input_port_names << "\n"
              << "output_port_names: " << d.output_port_names << "\n"
              << "clock_names: " << d.clock_names << "\n"
              << "top_level_name: " << d.top_level_name << "\n"
              << "top_clockname: " << d.top_clockname << "\n"
              << "inptbwl: " << d.inptbwl << "\n"
              << "outptbwl: " << d.outptbwl << "\n";
}

int RunImport(const std::string& netlist, const std::string& map)
{
    if (!FileExists(netlist)) {
        Fail("cannot read the netlist " + netlist);
        return 1;
    }
    if (!FileExists(map)) {
        Fail("cannot read the map file " + map);
        return 1;
    }
    bool read = false;
    PrintInterface(ImportDesignInterface(netlist, map, read));
    return read ? 0 : 1;
}

// Where the default map and the yosys scripts are: share/blocktide beside an installed
// command, else the source tree's maps/ of this build.
std::string MapsDirectory()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path installed = self.parent_path().parent_path() / "share" / "blocktide";
        if (std::filesystem::exists(installed / "yosys" / "synth.ys", error))
            return installed.string();
    }
    return BLOCKTIDE_MAPS_DIR;
}

struct VerilogOptions {
    std::string top;
    std::string map;       // default: the installed or source tree's blocktide_map.xml
    std::string write_vo;  // also write the design in the netlist dialect
};

// `import DESIGN.v [MORE.v ...] --top NAME`: the sources through yosys onto the primitives,
// the SimDB file beside the first source (DESIGN.v.simdb), the ten results printed.
int RunVerilogImport(const std::vector<std::string>& sources, const VerilogOptions& options)
{
    for (const std::string& source : sources)
        if (!FileExists(source)) {
            Fail("cannot read the source " + source);
            return 1;
        }
    const std::string maps = MapsDirectory();
    Sim::VerilogImport request{sources, options.top, options.map.empty() ? maps + "/blocktide_map.xml" : options.map,
                               maps + "/yosys", options.write_vo};
    if (!FileExists(request.map_path)) {
        Fail("cannot read the map file " + request.map_path);
        return 1;
    }
    const Sim::ImportResult imported = Sim::ImportVerilogDesign(request);
    if (!imported.success)
        return 1;
    PrintInterface(InterfaceOf(imported.ports));
    return imported.error_seen ? 1 : 0;
}


struct SimOptions {
    std::string design;
    std::string stimulus;
    long long cycles = -1; // -1: not given
    std::string outputs;   // comma-separated names; empty: every output
    std::string out;
    std::string vcd;
    std::string signals; // comma-separated patterns of internal signals for the waveform
    std::string hexdir;
    std::string map;
    std::string load_state; // a checkpoint restored before the stimulus
    std::string save_state; // where the state after the run is saved
};

// The names of the ports, in the order given.
std::vector<std::string> NamesOf(const std::vector<blocktide::Port>& ports)
{
    std::vector<std::string> names;
    for (const blocktide::Port& port : ports)
        names.push_back(port.name);
    return names;
}

// A stimulus value as the public interface takes it.
blocktide::Value PublicValue(const MLIB_UINTEGER& value)
{
    std::vector<uint64_t> words;
    for (int i = 0; i < value.words(); i += 2)
        words.push_back(value.word(i) | uint64_t{value.word(i + 1)} << 32);
    return blocktide::Value::from_words(value.width(), std::move(words));
}

std::vector<std::string> SplitNames(const std::string& text)
{
    std::vector<std::string> names;
    std::stringstream in(text);
    std::string name;
    while (std::getline(in, name, ','))
        if (!name.empty())
            names.push_back(name);
    return names;
}

// Shows progress on standard error once a run has taken a few seconds, when it is a terminal.
// The share done is asked for only when a line is shown.
class Progress {
public:
    explicit Progress(std::function<double()> share_done) : share_done(std::move(share_done)) {}
    ~Progress()
    {
        if (shown)
            std::fputs("\n", stderr);
    }
    void Update(long long cycle)
    {
        if (!terminal)
            return;
        auto now = Clock::now();
        if (now - start < std::chrono::seconds(3) || now - last < std::chrono::milliseconds(500))
            return;
        last = now;
        shown = true;
        std::fprintf(stderr, "\rcycle %lld (%.0f%%)", cycle, 100.0 * share_done());
        std::fflush(stderr);
    }

private:
    using Clock = std::chrono::steady_clock;
    std::function<double()> share_done;
    Clock::time_point start = Clock::now(), last = start;
    bool terminal = isatty(fileno(stderr)) != 0;
    bool shown = false;
};

// The output CSV: standard output, or a file written whole or not at all (base/output_file.h).
class CsvOutput {
public:
    // False, with an error naming the file, when it cannot be written.
    bool Open(const std::string& target, std::string& error)
    {
        path = target;
        return path.empty() || file.Open(path, error);
    }
    void Write(const std::string& text)
    {
        std::FILE* out = path.empty() ? stdout : file.Stream();
        if (out && std::fwrite(text.data(), 1, text.size(), out) != text.size())
            failed = true;
    }
    // False, with an error naming where the text went, when a write failed.
    bool Commit(std::string& error)
    {
        if (!path.empty())
            return file.Commit(error) && !failed;
        if (std::fflush(stdout) != 0 || std::ferror(stdout) || failed) {
            error = std::string("cannot write standard output: ") + std::strerror(errno);
            return false;
        }
        return true;
    }

private:
    std::string path; // empty: standard output
    OutputFile file;
    bool failed = false;
};

// A netlist in the dialect is a .vo file; anything else is read as Verilog.
bool IsNetlist(const std::string& path)
{
    return path.size() >= 3 && path.compare(path.size() - 3, 3, ".vo") == 0;
}

int RunSim(const SimOptions& options)
{
    if (!options.map.empty() && !IsNetlist(options.design)) {
        Fail("--map imports a netlist (.vo); Verilog is imported with: blocktide import " + options.design +
             " --top NAME");
        return 2;
    }
    if (!options.map.empty()) {
        try {
            blocktide::ImportDesign(options.design, options.map);
        } catch (const blocktide::Error&) {
            Fail("the design " + options.design + " could not be imported");
            return 1;
        }
    }
    if (!FileExists(options.design + ".simdb")) {
        Fail("no simulation database " + options.design +
             ".simdb: import the design first (blocktide import, or "
             "--map)");
        return 1;
    }

    // The stimulus is read a step at a time as the run goes; without one, --cycles one-cycle
    // steps (one by default) with the inputs at their defaults.
    std::ifstream stimulus_file;
    std::optional<StimulusReader> stimulus;
    StimulusStep step;
    std::string error;
    if (!options.stimulus.empty()) {
        stimulus_file.open(options.stimulus, std::ios::binary);
        if (!stimulus_file) {
            Fail("cannot read the stimulus file " + options.stimulus);
            return 1;
        }
        stimulus.emplace(stimulus_file);
        StimulusReader::Result first = StimulusReader::Result::Failed;
        if (stimulus->ReadHeader(error))
            first = stimulus->Next(step, error);
        if (first == StimulusReader::Result::Failed) {
            Fail(options.stimulus + ": " + error);
            return 1;
        }
        if (first == StimulusReader::Result::End) {
            Fail(options.stimulus + ": the stimulus file has no steps: every line after the first is one step");
            return 1;
        }
    }
    const long long generated_steps = options.cycles < 0 ? 1 : options.cycles;

    blocktide::SimulationOptions sim_options;
    sim_options.hex_directory = options.hexdir;
    sim_options.map_path = options.map; // the netlist's own names for signals
    std::optional<blocktide::Simulation> opened;
    try {
        opened.emplace(options.design, sim_options);
    } catch (const blocktide::Error& error) {
        Fail(std::string(error.what()) + (error.messages().empty() ? " (blocktide import, or --map)" : ""));
        return 1;
    }
    blocktide::Simulation& sim = *opened;
    if (!options.load_state.empty()) {
        try {
            sim.RestoreState(options.load_state);
        } catch (const blocktide::Error& error) {
            Fail(error.what());
            return 1;
        }
    }
    // The design's ports, inputs and outputs each in ascending byte order of name.
    const std::vector<std::string> input_names = NamesOf(sim.Inputs());
    const std::vector<std::string> output_names = NamesOf(sim.Outputs());

    // Which stimulus column writes which input, and which outputs the CSV shows.
    std::vector<int> column_input;
    const std::vector<std::string> no_columns;
    for (const std::string& name : stimulus ? stimulus->Inputs() : no_columns) {
        auto found = std::find(input_names.begin(), input_names.end(), name);
        if (found == input_names.end()) {
            Fail(options.stimulus + ": '" + name + "' is not a design input");
            return 1;
        }
        column_input.push_back(static_cast<int>(found - input_names.begin()));
    }
    // The CSV's columns: design outputs (read as the gateway reads them, undefined values
    // reported), or any other signal of the design (peeked).
    std::vector<int> shown; // an output's handle, or -1 for a peeked signal
    std::vector<std::string> shown_names = options.outputs.empty() ? output_names : SplitNames(options.outputs);
    std::vector<std::string> signal_names;
    for (const std::string& name : shown_names) {
        auto found = std::find(output_names.begin(), output_names.end(), name);
        if (found != output_names.end()) {
            shown.push_back(static_cast<int>(found - output_names.begin()));
            continue;
        }
        if (signal_names.empty())
            signal_names = sim.Signals();
        if (!std::binary_search(signal_names.begin(), signal_names.end(), name)) {
            Fail("'" + name + "' is neither a design output nor a signal of the design (see 'blocktide signals')");
            return 1;
        }
        shown.push_back(-1);
    }

    CsvOutput csv;
    std::string failure;
    if (!csv.Open(options.out, failure)) {
        Fail(failure);
        return 1;
    }
    std::string header = "cycle"; // then a row per step; --cycles as a stimulus of empty lines
    for (const std::string& name : shown_names)
        header += "," + name;
    csv.Write(header + "\n");

    if (!options.vcd.empty()) {
        try {
            sim.OpenWaveform(options.vcd, SplitNames(options.signals));
        } catch (const blocktide::Error& error) {
            Fail(error.what());
            return 1;
        }
    }

    std::uintmax_t stimulus_size = 0;
    if (stimulus) {
        std::error_code ignored;
        stimulus_size = std::filesystem::file_size(options.stimulus, ignored);
    }
    long long cycle = sim.Cycle(), step_number = 0;  // a restored checkpoint counts on
    Progress progress([&]() -> double {
        if (!stimulus)
            return generated_steps ? double(step_number) / double(generated_steps) : 1.0;
        const auto at = stimulus_file.tellg();
        return stimulus_size && at >= 0 ? std::min(1.0, double(at) / double(stimulus_size)) : 0.0;
    });
    std::set<int> warned_inputs;
    StimulusReader::Result next = StimulusReader::Result::Step;
    if (!stimulus)
        next = generated_steps > 0 ? StimulusReader::Result::Step : StimulusReader::Result::End;
    while (next == StimulusReader::Result::Step) {
        for (size_t column = 0; column < step.values.size(); ++column) {
            int index = column_input[column];
            const blocktide::Port& input = sim.Inputs()[static_cast<size_t>(index)];
            bool cut = false;
            const blocktide::Value value =
                PublicValue(blocktide_cli::FitToWidth(step.values[column], input.width, cut));
            if (cut && warned_inputs.insert(index).second)
                report(SEV_WARNING, "Stimulus value for input " + input.name + " at line " + std::to_string(step.line) +
                                        " has bits above its " + std::to_string(input.width) +
                                        "-bit width; values are cut to the width");
            sim.Write(index, value);
        }
        sim.Run(step.cycles); // the waveform, when open, takes every cycle
        cycle += step.cycles;
        ++step_number;
        progress.Update(cycle);
        std::string row = std::to_string(cycle);
        for (size_t column = 0; column < shown.size(); ++column)
            row += "," + (shown[column] >= 0 ? sim.Read(shown[column]) : sim.Peek(shown_names[column])).to_hex();
        csv.Write(row + "\n");
        if (stimulus)
            next = stimulus->Next(step, error);
        else if (step_number == generated_steps)
            next = StimulusReader::Result::End;
    }
    if (next == StimulusReader::Result::Failed) {
        sim.DiscardWaveform();
        Fail(options.stimulus + ": " + error);
        return 1;
    }
    try {
        sim.CloseWaveform();
    } catch (const blocktide::Error&) {
        Fail("cannot write " + options.vcd);
        return 1;
    }
    if (!options.save_state.empty()) {
        try {
            sim.SaveState(options.save_state);
        } catch (const blocktide::Error& error) {
            Fail(error.what());
            return 1;
        }
    }
    if (!csv.Commit(failure)) {
        Fail(failure);
        return 1;
    }
    return 0;
}

struct SweepOptions {
    std::string design;
    std::vector<std::string> stimuli;
    std::string scheduler;
    std::string outputs;
    std::string out_dir;
};

// The directory holding the Python package blocktide: installed beside the command's library,
// or in the build tree. Empty when the module was not built.
std::string PythonPackageDirectory()
{
#ifdef BLOCKTIDE_PYTHON_INSTALL_RELATIVE
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path installed = self.parent_path() / BLOCKTIDE_PYTHON_INSTALL_RELATIVE;
        if (std::filesystem::exists(installed / "blocktide" / "__init__.py", error))
            return installed.string();
    }
    return BLOCKTIDE_PYTHON_BUILD_DIR;
#else
    return std::string();
#endif
}

// Runs the sweep in Python (its Dask client lives there), replacing this process.
int RunSweep([[maybe_unused]] const SweepOptions& options)
{
    const std::string package = PythonPackageDirectory();
    if (package.empty()) {
        Fail("sweeps need the Python module, which this build lacks: install pybind11-dev, python3-numpy and "
             "python3-distributed, then build again");
        return 1;
    }
#ifdef BLOCKTIDE_PYTHON_EXECUTABLE
    const char* existing = std::getenv("PYTHONPATH");
    const std::string path = package + (existing && *existing ? ":" + std::string(existing) : std::string());
    setenv("PYTHONPATH", path.c_str(), 1);
    std::vector<std::string> arguments = {BLOCKTIDE_PYTHON_EXECUTABLE, "-m", "blocktide.sweeping", options.design};
    arguments.insert(arguments.end(), options.stimuli.begin(), options.stimuli.end());
    for (const auto& [flag, value] :
         {std::pair{"--scheduler", &options.scheduler}, std::pair{"--outputs", &options.outputs},
          std::pair{"--out-dir", &options.out_dir}})
        if (!value->empty()) {
            arguments.push_back(flag);
            arguments.push_back(*value);
        }
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(BLOCKTIDE_PYTHON_EXECUTABLE, argv.data());
    Fail(std::string("cannot run ") + BLOCKTIDE_PYTHON_EXECUTABLE);
#endif
    return 1;
}

// Lists every signal of the design that --outputs, --signals and peeks take.
int RunSignals(const std::string& design, const std::string& map)
{
    blocktide::SimulationOptions options;
    options.map_path = map;
    try {
        blocktide::Simulation sim(design, options);
        for (const std::string& name : sim.Signals())
            std::cout << name << "\n";
    } catch (const blocktide::Error&) {
        Fail("the design " + design + " could not be set up");
        return 1;
    }
    return 0;
}

int RunDump(const std::string& design, const std::string& out, const std::string& map)
{
    if (!FileExists(design + ".simdb")) {
        Fail("no simulation database " + design + ".simdb: import the design first");
        return 1;
    }
    const std::string label = Sim::SplitDesignPath(design).top_level_name;
    bool error_seen = false;
    KVC::NetlistDB database;
    database.LoadSimDB(design + ".simdb", false, false);
    // A database that did not load whole is not dumped: the dump would look like a design.
    if (flush_messages(0, label, error_seen)) {
        Fail("the simulation database " + design + ".simdb could not be read");
        return 1;
    }
    // The clocks are known only to the netlist: with its map, it is read again for them.
    if (!map.empty()) {
        KVC::ElaboratedModule module;
        if (Sim::ReadModule(design, map, module))
            for (const std::string& clock : module.clocks)
                database.AddClock(clock);
    }
    OutputFile file;
    std::string failure;
    if (!file.Open(out, failure)) {
        Fail(failure);
        return 1;
    }
    file.CloseStream(); // the dump opens the file itself
    if (!database.Dump(file.WritePath())) {
        Fail("cannot write " + out);
        return 1;
    }
    if (!file.Commit(failure)) {
        Fail(failure);
        return 1;
    }
    return flush_messages(0, label, error_seen) ? 1 : 0;
}

} // namespace

// An interrupted command leaves none of its temporary files behind.
extern "C" void OnInterrupt(int signal_number)
{
    RemoveTemporaryFiles();
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

int main(int argc, char** argv)
{
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    // Without glibc's fast bins, the millions of small blocks of a netlist database are merged
    // as they are freed, in the order they were made, instead of in one pass over scattered
    // memory at the next large allocation: a 100k-primitive design reaches its first cycle
    // about a fifth sooner and exits sooner.
    mallopt(M_MXFAST, 0);
    CLI::App app{"Blocktide: cycle-based simulation of synthesised FPGA netlists"};
    app.require_subcommand(1);

    std::vector<std::string> import_files;
    VerilogOptions verilog;
    CLI::App* import = app.add_subcommand(
        "import", "Import a netlist with its XML map (NETLIST.vo MAP.xml), or Verilog sources through yosys "
                  "(DESIGN.v [MORE.v ...] --top NAME), and print its interface");
    import->add_option("FILES", import_files, "NETLIST.vo MAP.xml, or the Verilog/SystemVerilog sources")
        ->required();
    import->add_option("--top", verilog.top, "The top module of the Verilog sources");
    import->add_option("--map", verilog.map, "For Verilog: the XML map of the primitives (default: the installed one)");
    import->add_option("--write-vo", verilog.write_vo,
                       "For Verilog: also write the design as a netlist FILE (.vo) and its map FILE's .xml");

    SimOptions sim;
    CLI::App* simulate = app.add_subcommand("sim", "Simulate a design from its simulation database");
    simulate->add_option("DESIGN", sim.design, "The design's netlist path (DESIGN.vo; reads DESIGN.vo.simdb)")
        ->required();
    CLI::Option* stimulus_option =
        simulate->add_option("--stimulus", sim.stimulus, "CSV of input values, one step per line");
    simulate->add_option("--cycles", sim.cycles, "Without a stimulus: run this many one-cycle steps")
        ->excludes(stimulus_option)
        ->check(CLI::Validator(
            [](std::string& text) { return text.rfind('-', 0) == 0 ? "a cycle count is 0 or more" : ""; }, "COUNT"));
    simulate->add_option("--outputs", sim.outputs,
                         "Comma-separated outputs or other signals to show (default: all outputs)");
    simulate->add_option("--out", sim.out, "Write the output CSV here instead of standard output");
    simulate->add_option("--vcd", sim.vcd,
                         "Write a VCD waveform: the clock, every input and output, and the --signals");
    simulate
        ->add_option("--signals", sim.signals,
                     "Comma-separated patterns of internal signals for the waveform ('*': all; see 'signals')")
        ->needs("--vcd");
    simulate->add_option("--hexdir", sim.hexdir, "Directory of memory initialisation files");
    simulate->add_option("--map", sim.map, "Import the netlist with this XML map first");
    simulate->add_option("--load-state", sim.load_state, "Restore this checkpoint before the stimulus");
    simulate->add_option("--save-state", sim.save_state, "Save a checkpoint of the state after the run");

    std::string dump_design, dump_out, dump_map;
    CLI::App* dump = app.add_subcommand("dump", "Write the netlist dump of a design's simulation database");
    dump->add_option("DESIGN", dump_design, "The design's netlist path (reads DESIGN.vo.simdb)")->required();
    dump->add_option("OUT", dump_out, "The text file to write")->required();
    dump->add_option("--map", dump_map, "The XML map: the netlist is read again for its clocks, which are listed");

    std::string signals_design, signals_map;
    CLI::App* listing = app.add_subcommand("signals", "List every signal of a design readable by name");
    listing->add_option("DESIGN", signals_design, "The design's netlist path (reads DESIGN.vo.simdb)")->required();
    listing->add_option("--map", signals_map, "The XML map: adds the netlist's own port and wire names");

    SweepOptions sweep;
    CLI::App* sweeping = app.add_subcommand("sweep", "Simulate one design for many stimulus files on a Dask cluster");
    sweeping->add_option("DESIGN", sweep.design, "The design's netlist path (reads DESIGN.vo.simdb)")->required();
    sweeping->add_option("STIMULUS", sweep.stimuli, "Stimulus CSV files, one simulation each")->required();
    sweeping->add_option("--scheduler", sweep.scheduler, "Address of a Dask scheduler (default: a local cluster)");
    sweeping->add_option("--outputs", sweep.outputs, "Comma-separated outputs to show (default: all)");
    sweeping->add_option("--out-dir", sweep.out_dir,
                         "Where each STIMULUS.out.csv goes (default: beside its stimulus file)");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        int code = app.exit(error);
        return code == 0 ? 0 : 2;
    }
    // Nothing ends the command but its own exit: a failure deep inside (memory exhausted by a
    // huge design, say) is a message and exit 1, with the temporary files removed.
    try {
        if (*import) {
            if (verilog.top.empty() && import_files.size() == 2 && IsNetlist(import_files[0]))
                return RunImport(import_files[0], import_files[1]);
            if (verilog.top.empty()) {
                Fail(IsNetlist(import_files[0])
                         ? "a netlist is imported with its map: blocktide import NETLIST.vo MAP.xml"
                         : "Verilog sources need their top module: --top NAME");
                return 2;
            }
            return RunVerilogImport(import_files, verilog);
        }
        if (*simulate)
            return RunSim(sim);
        if (*sweeping)
            return RunSweep(sweep);
        if (*listing)
            return RunSignals(signals_design, signals_map);
        return RunDump(dump_design, dump_out, dump_map);
    } catch (const std::bad_alloc&) {
        Fail("out of memory");
    } catch (const std::exception& failure) {
        Fail(std::string("internal failure: ") + failure.what());
    }
    bool error_seen = false;
    flush_messages(0, "blocktide", error_seen);
    RemoveTemporaryFiles();
    return 1;
}
