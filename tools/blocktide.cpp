// The blocktide command: import a netlist with its map, simulate a design from a stimulus
// file (CSV results, VCD waveforms), and dump a design's database. Messages go to standard
// error, results to standard output. Exit 0 on success, 1 on failure, 2 on usage errors.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <malloc.h>
#include <set>
#include <unistd.h>

#include "base/messages.h"
#include "netlistdb/netlist_db.h"
#include "sim/design_interface.h"
#include "sim/design_path.h"
#include "sim/import.h"
#include "sim/session.h"
#include "tools/stimulus.h"
#include "tools/vcd.h"

namespace {

using blocktide_cli::Stimulus;
using blocktide_cli::StimulusStep;

void Fail(const std::string& text) { std::cerr << "blocktide: " << text << "\n"; }

bool FileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
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
    DesignInterface d = ImportDesignInterface(netlist, map, read);
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
    return read ? 0 : 1;
}

struct SimOptions {
    std::string design;
    std::string stimulus;
    long long cycles = -1;  // -1: not given
    std::string outputs;    // comma-separated names; empty: every output
    std::string out;
    std::string vcd;
    std::string hexdir;
    std::string map;
};

// The names of the ports, in the order given.
std::vector<std::string> NamesOf(const std::vector<Sim::DesignPort>& ports)
{
    std::vector<std::string> names;
    for (const Sim::DesignPort& port : ports)
        names.push_back(port.name);
    return names;
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
class Progress {
public:
    explicit Progress(long long total) : total(total), start(Clock::now()), last(start) {}
    ~Progress()
    {
        if (shown)
            std::fputs("\n", stderr);
    }
    void Update(long long done)
    {
        if (!terminal)
            return;
        auto now = Clock::now();
        if (now - start < std::chrono::seconds(3) || now - last < std::chrono::milliseconds(500))
            return;
        last = now;
        shown = true;
        std::fprintf(stderr, "\rcycle %lld of %lld (%.0f%%)", done, total, total ? 100.0 * done / total : 100.0);
        std::fflush(stderr);
    }

private:
    using Clock = std::chrono::steady_clock;
    long long total;
    Clock::time_point start, last;
    bool terminal = isatty(fileno(stderr)) != 0;
    bool shown = false;
};

// Writes the output CSV to a temporary file that replaces the target only on success.
class CsvOutput {
public:
    bool Open(const std::string& target)
    {
        path = target;
        if (path.empty())
            return true;
        temporary = path + ".partial";
        file.open(temporary);
        return file.good();
    }
    std::ostream& Stream() { return path.empty() ? std::cout : file; }
    bool Commit()
    {
        if (path.empty())
            return static_cast<bool>(std::cout.flush());
        file.close();
        if (!file)
            return false;
        std::error_code error;
        std::filesystem::rename(temporary, path, error);
        return !error;
    }
    ~CsvOutput()
    {
        if (!temporary.empty()) {
            std::error_code error;
            std::filesystem::remove(temporary, error);
        }
    }

private:
    std::string path, temporary;
    std::ofstream file;
};

int RunSim(const SimOptions& options)
{
    if (!options.map.empty()) {
        if (!Sim::ImportDesign(options.design, options.map).success) {
            Fail("the design " + options.design + " could not be imported");
            return 1;
        }
    }
    if (!FileExists(options.design + ".simdb")) {
        Fail("no simulation database " + options.design + ".simdb: import the design first (blocktide import, or "
             "--map)");
        return 1;
    }

    Stimulus stimulus;
    if (!options.stimulus.empty()) {
        std::ifstream in(options.stimulus);
        if (!in) {
            Fail("cannot read the stimulus file " + options.stimulus);
            return 1;
        }
        std::string error;
        if (!blocktide_cli::read_stimulus(in, stimulus, error)) {
            Fail(options.stimulus + ": " + error);
            return 1;
        }
        if (stimulus.steps.empty()) {
            Fail(options.stimulus + ": the stimulus file has no steps: every line after the first is one step");
            return 1;
        }
    } else {
        long long steps = options.cycles < 0 ? 1 : options.cycles;
        for (long long i = 0; i < steps; ++i)
            stimulus.steps.push_back(StimulusStep{static_cast<int>(i + 1), 1, {}});
    }

    SimSession session;
    session.hex_directory = options.hexdir;
    if (session.Load(options.design, "", false, {})) {
        Fail("the design " + options.design + " could not be set up");
        return 1;
    }
    // The design's ports, inputs and outputs each in ascending byte order of name.
    const Sim::DesignPorts& ports = session.Ports();
    const std::vector<std::string> input_names = NamesOf(ports.inputs);
    const std::vector<std::string> output_names = NamesOf(ports.outputs);
    session.input_names = input_names;
    session.output_names = output_names;
    session.MapDesignPorts();
    if (session.flush_messages(0)) {
        Fail("the design's ports could not be mapped");
        return 1;
    }

    // Which stimulus column writes which input, and which outputs the CSV shows.
    std::vector<int> column_input;
    for (const std::string& name : stimulus.inputs) {
        auto found = std::find(input_names.begin(), input_names.end(), name);
        if (found == input_names.end()) {
            Fail(options.stimulus + ": '" + name + "' is not a design input");
            return 1;
        }
        column_input.push_back(static_cast<int>(found - input_names.begin()));
    }
    std::vector<int> shown;
    std::vector<std::string> shown_names = options.outputs.empty() ? output_names : SplitNames(options.outputs);
    for (const std::string& name : shown_names) {
        auto found = std::find(output_names.begin(), output_names.end(), name);
        if (found == output_names.end()) {
            Fail("'" + name + "' is not a design output");
            return 1;
        }
        shown.push_back(static_cast<int>(found - output_names.begin()));
    }

    CsvOutput csv;
    if (!csv.Open(options.out)) {
        Fail("cannot write " + options.out);
        return 1;
    }
    bool write_csv = !options.stimulus.empty() || !options.out.empty();
    if (write_csv) {
        csv.Stream() << "cycle";
        for (int index : shown)
            csv.Stream() << "," << output_names[static_cast<size_t>(index)];
        csv.Stream() << "\n";
    }

    blocktide_cli::VcdWriter vcd;
    std::vector<MLIB_UINTEGER> wave;  // current values: inputs then outputs
    if (!options.vcd.empty()) {
        for (const Sim::DesignPort& port : ports.inputs) {
            vcd.AddSignal(port.name, port.width);
            MLIB_UINTEGER value(0, port.width);
            value.set_undefined();  // perimeter inputs hold undefined values until written
            wave.push_back(value);
        }
        for (const Sim::DesignPort& port : ports.outputs) {
            vcd.AddSignal(port.name, port.width);
            wave.emplace_back(0, port.width);
        }
        std::string error;
        if (!vcd.Open(options.vcd, session.top_level_name, error)) {
            Fail(error);
            return 1;
        }
    }
    auto sample_outputs = [&](long long cycle) {
        for (size_t i = 0; i < ports.outputs.size(); ++i) {
            MLIB_UINTEGER value = session.ReadWideOutput(static_cast<int>(i));
            wave[ports.inputs.size() + i].resize(value.width());
            wave[ports.inputs.size() + i] = value;
        }
        vcd.Sample(cycle, wave);
    };

    long long total_cycles = 0;
    for (const StimulusStep& step : stimulus.steps)
        total_cycles += step.cycles;
    Progress progress(total_cycles);
    std::set<int> warned_inputs;
    long long cycle = 0;
    for (const StimulusStep& step : stimulus.steps) {
        for (size_t column = 0; column < step.values.size(); ++column) {
            int index = column_input[column];
            const Sim::DesignPort& input = ports.inputs[static_cast<size_t>(index)];
            bool cut = false;
            MLIB_UINTEGER value = blocktide_cli::fit_to_width(step.values[column], input.width, cut);
            if (cut && warned_inputs.insert(index).second)
                report(SEV_WARNING, "Stimulus value for input " + input.name + " at line " +
                                        std::to_string(step.line) + " has bits above its " +
                                        std::to_string(input.width) + "-bit width; values are cut to the width");
            session.WriteWideInput(index, value);
            if (!options.vcd.empty())
                wave[static_cast<size_t>(index)] = value;
        }
        if (!options.vcd.empty()) {
            if (cycle == 0)
                sample_outputs(0);
            for (int i = 0; i < step.cycles; ++i) {
                session.Run(1);
                sample_outputs(++cycle);
            }
        } else {
            session.Run(step.cycles);
            cycle += step.cycles;
        }
        session.flush_messages(0);
        progress.Update(cycle);
        if (write_csv) {
            csv.Stream() << cycle;
            for (int index : shown)
                csv.Stream() << "," << session.ReadWideOutput(index).to_hex();
            csv.Stream() << "\n";
        }
    }
    session.flush_messages(0);
    if (!vcd.Close()) {
        Fail("cannot write " + options.vcd);
        return 1;
    }
    if (!csv.Commit()) {
        Fail("cannot write " + options.out);
        return 1;
    }
    return 0;
}

int RunDump(const std::string& design, const std::string& out)
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
    if (!database.Dump(out)) {
        Fail("cannot write " + out);
        return 1;
    }
    return flush_messages(0, label, error_seen) ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    // Without glibc's fast bins, the millions of small blocks of a netlist database are merged
    // as they are freed, in the order they were made, instead of in one pass over scattered
    // memory at the next large allocation: a 100k-primitive design reaches its first cycle
    // about a fifth sooner and exits sooner.
    mallopt(M_MXFAST, 0);
    CLI::App app{"Blocktide: cycle-based simulation of synthesised FPGA netlists"};
    app.require_subcommand(1);

    std::string netlist, map;
    CLI::App* import = app.add_subcommand("import", "Import a netlist with its XML map and print its interface");
    import->add_option("NETLIST", netlist, "The netlist (.vo)")->required();
    import->add_option("MAP", map, "The XML map file")->required();

    SimOptions sim;
    CLI::App* simulate = app.add_subcommand("sim", "Simulate a design from its simulation database");
    simulate->add_option("DESIGN", sim.design, "The design's netlist path (DESIGN.vo; reads DESIGN.vo.simdb)")
        ->required();
    simulate->add_option("--stimulus", sim.stimulus, "CSV of input values, one step per line");
    simulate->add_option("--cycles", sim.cycles, "Without a stimulus: run this many one-cycle steps")
        ->check(CLI::Validator(
            [](std::string& text) { return text.rfind('-', 0) == 0 ? "a cycle count is 0 or more" : ""; },
            "COUNT"));
    simulate->add_option("--outputs", sim.outputs, "Comma-separated outputs to show (default: all)");
    simulate->add_option("--out", sim.out, "Write the output CSV here instead of standard output");
    simulate->add_option("--vcd", sim.vcd, "Write a VCD waveform of every input and output per cycle");
    simulate->add_option("--hexdir", sim.hexdir, "Directory of memory initialisation files");
    simulate->add_option("--map", sim.map, "Import the netlist with this XML map first");

    std::string dump_design, dump_out;
    CLI::App* dump = app.add_subcommand("dump", "Write the netlist dump of a design's simulation database");
    dump->add_option("DESIGN", dump_design, "The design's netlist path (reads DESIGN.vo.simdb)")->required();
    dump->add_option("OUT", dump_out, "The text file to write")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        int code = app.exit(error);
        return code == 0 ? 0 : 2;
    }
    if (*import)
        return RunImport(netlist, map);
    if (*simulate)
        return RunSim(sim);
    return RunDump(dump_design, dump_out);
}
