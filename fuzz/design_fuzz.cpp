// libFuzzer target: a whole design from arbitrary netlist bytes on the default map, imported,
// saved, loaded, built and run for a few cycles with its inputs written from the input's last
// bytes, through the public interface. Any input must end in a run or a clear failure; the
// size caps of the other targets do not apply here, so the bounds on widths, bits and
// messages are what keep each run small.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/messages.h"
#include "host/blocktide.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string netlist = "/tmp/blocktide_design_fuzz_" + std::to_string(::getpid()) + ".vo";
    static const bool quiet = [] {
        set_console_sink([](const std::string&) {});
        return true;
    }();
    (void)quiet;
    if (std::FILE* file = std::fopen(netlist.c_str(), "wb")) {
        if (size)
            std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    try {
        blocktide::ImportDesign(netlist, BLOCKTIDE_SOURCE_DIR "/maps/blocktide_map.xml", false);
        blocktide::SimulationOptions options;
        options.print_messages = false;
        blocktide::Simulation sim(netlist, options);
        uint64_t stimulus = 0;
        for (size_t i = size > 8 ? size - 8 : 0; i < size; ++i)
            stimulus = stimulus << 8 | data[i];
        for (int cycle = 0; cycle < 4; ++cycle) {
            for (int input = 0; input < static_cast<int>(sim.Inputs().size()); ++input)
                sim.Write(input, stimulus * static_cast<uint64_t>(cycle + 1) + static_cast<uint64_t>(input));
            sim.Run(1);
            for (int output = 0; output < static_cast<int>(sim.Outputs().size()); ++output)
                sim.Read(output);
        }
    } catch (const blocktide::Error&) {
        // a clear failure: the design did not import or set up
    }
    std::remove((netlist + ".simdb").c_str());
    clear_messages();
    return 0;
}
