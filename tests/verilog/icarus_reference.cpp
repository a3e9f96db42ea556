// The two simulations of a comparison and the cycle-by-cycle check of their outputs.
#include "icarus_reference.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "host/blocktide.h"
#include "sim/import.h"

namespace verilog_test {

namespace {

namespace fs = std::filesystem;

struct Signal {
    std::string name;
    int width = 1;
};

// Runs a shell command; its standard output, and whether it exited 0.
bool RunCommand(const std::string& command, std::string& output)
{
    output.clear();
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return false;
    char buffer[4096];
    size_t read;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, read);
    return pclose(pipe) == 0;
}

// One random value of width bits, as 64-bit words, least significant first.
std::vector<uint64_t> RandomWords(std::mt19937_64& random, int width, Drive drive, int cycle)
{
    std::vector<uint64_t> words((width + 63) / 64);
    auto one_in = [&](int n) { return random() % n == 0; };
    switch (drive) {
    case Drive::Reset:
        words[0] = cycle < 2 || one_in(40);
        break;
    case Drive::ActiveLowReset:
        words[0] = !(cycle < 2 || one_in(40));
        break;
    case Drive::Rare:
        words[0] = one_in(8);
        break;
    case Drive::Often:
        words[0] = !one_in(4);
        break;
    case Drive::Random:
        for (uint64_t& word : words)
            word = random();
        break;
    }
    if (width % 64)
        words.back() &= (uint64_t{1} << (width % 64)) - 1;
    return words;
}

std::string Hex(const std::vector<uint64_t>& words, int width)
{
    std::string hex;
    for (int digit = (width + 3) / 4 - 1; digit >= 0; --digit)
        hex += "0123456789abcdef"[(words[digit / 16] >> (digit % 16 * 4)) & 15];
    return hex;
}

// Bits most significant first, 'x' for undefined ones.
std::string Bits(const blocktide::Value& value)
{
    std::string bits;
    for (int bit = value.width() - 1; bit >= 0; --bit) {
        const uint64_t mask = uint64_t{1} << (bit % 64);
        const bool undefined = !value.undefined_mask().empty() && (value.undefined_mask()[bit / 64] & mask);
        bits += undefined ? 'x' : (value.words()[bit / 64] & mask) ? '1' : '0';
    }
    return bits;
}

std::string Testbench(const std::string& top, const std::string& clock, const std::vector<Signal>& inputs,
                      const std::vector<Signal>& outputs, int cycles)
{
    std::ostringstream tb;
    auto range = [](int width) {
        std::string text;
        if (width > 1)
            text.append("[").append(std::to_string(width - 1)).append(":0] ");
        return text;
    };
    tb << "`timescale 1ns/1ns\nmodule blocktide_tb;\n";
    if (!clock.empty())
        tb << "  reg " << clock << ";\n";
    for (const Signal& in : inputs)
        tb << "  reg " << range(in.width) << "in_" << in.name << ";\n  reg " << range(in.width) << "stim_" << in.name
           << " [0:" << cycles - 1 << "];\n";
    for (const Signal& out : outputs)
        tb << "  wire " << range(out.width) << "out_" << out.name << ";\n";
    tb << "  " << top << " dut (";
    std::string separator;
    if (!clock.empty()) {
        tb << "." << clock << "(" << clock << ")";
        separator = ", ";
    }
    for (const Signal& in : inputs) {
        tb << separator << "." << in.name << "(in_" << in.name << ")";
        separator = ", ";
    }
    for (const Signal& out : outputs) {
        tb << separator << "." << out.name << "(out_" << out.name << ")";
        separator = ", ";
    }
    tb << ");\n  integer k;\n  initial begin\n";
    for (const Signal& in : inputs)
        tb << "    $readmemh(\"stim_" << in.name << ".hex\", stim_" << in.name << ");\n";
    tb << "    for (k = 0; k < " << cycles << "; k = k + 1) begin\n";
    if (!clock.empty())
        tb << "      " << clock << " = 1;\n";
    tb << "      #1;\n";
    for (const Signal& in : inputs)
        tb << "      in_" << in.name << " = stim_" << in.name << "[k];\n";
    tb << "      #4 $display(\"";
    for (size_t i = 0; i < outputs.size(); ++i)
        tb << (i ? " " : "") << "%b";
    tb << "\"";
    for (const Signal& out : outputs)
        tb << ", out_" << out.name;
    tb << ");\n";
    if (!clock.empty())
        tb << "      " << clock << " = 0;\n";
    tb << "      #5;\n    end\n    $finish;\n  end\nendmodule\n";
    return tb.str();
}

} // namespace

uint32_t TestSeed()
{
    const char* text = std::getenv("BLOCKTIDE_TEST_SEED");
    return text ? static_cast<uint32_t>(std::strtoul(text, nullptr, 0)) : 20240611u;
}

Outcome Compare(const Comparison& comparison, uint32_t seed)
{
    Outcome outcome;
    const fs::path scratch =
        fs::temp_directory_path() / ("blocktide-verilog-" + comparison.top + "-" + std::to_string(getpid()));
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    const fs::path source = scratch / comparison.design;
    fs::copy_file(fs::path(BLOCKTIDE_TEST_DATA) / "data" / comparison.design, source);

    Sim::VerilogImport request{{source.string()},
                               comparison.top,
                               BLOCKTIDE_SOURCE_DIR "/maps/blocktide_map.xml",
                               BLOCKTIDE_SOURCE_DIR "/maps/yosys",
                               {}};
    const Sim::ImportResult imported = Sim::ImportVerilogDesign(request);
    outcome.imported = imported.success && !imported.error_seen;
    if (!outcome.imported) {
        fs::remove_all(scratch);
        return outcome;
    }
    std::vector<Signal> inputs, outputs;
    for (const Sim::DesignPort& port : imported.ports.inputs)
        inputs.push_back({port.name, port.width});
    for (const Sim::DesignPort& port : imported.ports.outputs)
        outputs.push_back({port.name, port.width});
    const std::string clock = imported.ports.clocks.empty() ? std::string() : imported.ports.clocks.front();

    // The stimulus, written for the testbench as it is drawn.
    std::mt19937_64 random(seed);
    std::vector<std::vector<std::vector<uint64_t>>> stimulus(comparison.cycles);
    std::map<std::string, std::ofstream> files;
    for (const Signal& in : inputs)
        files[in.name].open(scratch / ("stim_" + in.name + ".hex"));
    for (int cycle = 0; cycle < comparison.cycles; ++cycle)
        for (const Signal& in : inputs) {
            auto rule = comparison.drive.find(in.name);
            stimulus[cycle].push_back(
                RandomWords(random, in.width, rule == comparison.drive.end() ? Drive::Random : rule->second, cycle));
            files[in.name] << Hex(stimulus[cycle].back(), in.width) << "\n";
        }
    files.clear();

    // Blocktide.
    std::vector<std::vector<std::string>> ours(comparison.cycles);
    {
        blocktide::SimulationOptions options;
        options.print_messages = false;
        options.report_undefined_reads = false;
        blocktide::Simulation sim(source.string(), options);
        for (int cycle = 0; cycle < comparison.cycles; ++cycle) {
            for (size_t i = 0; i < inputs.size(); ++i)
                sim.Write(inputs[i].name, blocktide::Value::from_words(inputs[i].width, stimulus[cycle][i]));
            sim.Run(1);
            for (const Signal& out : outputs)
                ours[cycle].push_back(Bits(sim.Read(out.name)));
        }
    }

    // Icarus.
    std::ofstream(scratch / "tb.v") << Testbench(comparison.top, clock, inputs, outputs, comparison.cycles);
    std::string output;
    const std::string in_scratch = "cd '" + scratch.string() + "' && ";
    if (!RunCommand(in_scratch + "iverilog -g2012 -o tb.vvp tb.v '" + source.filename().string() + "' 2>&1", output)) {
        outcome.icarus_failure = "iverilog: " + output;
    } else if (!RunCommand(in_scratch + "vvp -n tb.vvp", output)) {
        outcome.icarus_failure = "vvp: " + output;
    } else {
        std::istringstream lines(output);
        std::string line;
        int cycle = 0;
        while (std::getline(lines, line) && cycle < comparison.cycles) {
            std::istringstream fields(line);
            std::string theirs;
            for (size_t i = 0; i < outputs.size() && fields >> theirs; ++i) {
                const std::string& mine = ours[cycle][i];
                bool same = theirs.size() == mine.size();
                for (size_t b = 0; same && b < mine.size(); ++b) {
                    const char t = static_cast<char>(std::tolower(theirs[b]));
                    if (t == 'x')
                        continue;
                    ++outcome.compared_bits;
                    same = t == mine[b];
                }
                if (!same && outcome.mismatches.size() < 20)
                    outcome.mismatches.push_back("cycle " + std::to_string(cycle + 1) + " output " + outputs[i].name +
                                                 ": blocktide " + mine + " icarus " + theirs);
            }
            ++cycle;
        }
        if (cycle < comparison.cycles)
            outcome.icarus_failure = "Icarus printed " + std::to_string(cycle) + " cycles: " + output;
    }
    fs::remove_all(scratch);
    return outcome;
}

} // namespace verilog_test
