// libFuzzer target for checkpoint content: any bytes, framed by a valid header (size and
// checksum made to fit), offered to a running simulation of examples/ram_fifo (registers,
// a RAM block and a FIFO block). A refusal must leave the state exactly as it was; accepted
// content must run without a crash. The seed corpus holds a valid content.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/messages.h"
#include "base/state_stream.h"
#include "host/blocktide.h"

namespace {

blocktide::Simulation& Running()
{
    static blocktide::Simulation* sim = [] {
        set_console_sink([](const std::string&) {});
        const std::filesystem::path folder = "/tmp/blocktide_checkpoint_fuzz_" + std::to_string(::getpid());
        std::filesystem::create_directories(folder);
        for (const char* name : {"ram_fifo.vo", "ram_fifo.mif"})
            std::filesystem::copy_file(std::string(BLOCKTIDE_SOURCE_DIR) + "/examples/ram_fifo/" + name, folder / name,
                                       std::filesystem::copy_options::overwrite_existing);
        const std::string netlist = (folder / "ram_fifo.vo").string();
        blocktide::ImportDesign(netlist, BLOCKTIDE_SOURCE_DIR "/maps/blocktide_map.xml", false);
        blocktide::SimulationOptions options;
        options.print_messages = false;
        auto* opened = new blocktide::Simulation(netlist, options);
        for (int cycle = 0; cycle < 12; ++cycle) {
            for (size_t input = 0; input < opened->Inputs().size(); ++input)
                opened->Write(static_cast<int>(input), static_cast<uint64_t>(cycle * 7 + input));
            opened->Run(1);
        }
        return opened;
    }();
    return *sim;
}

// The valid checkpoint's header with `content` behind it, size and checksum made to fit.
std::string Framed(const std::string& valid, const uint8_t* content, size_t size)
{
    uint64_t text = 0;
    std::memcpy(&text, valid.data() + 20, 8);
    const size_t checksum_at = 28 + text + 16;
    std::string bytes = valid.substr(0, checksum_at + 8);
    bytes.append(reinterpret_cast<const char*>(content), size);
    const uint64_t content_size = size;
    std::memcpy(bytes.data() + checksum_at - 8, &content_size, 8);
    const uint64_t checksum = Fnv1a64(content, size, Fnv1a64(bytes.data() + 8, checksum_at - 8));
    std::memcpy(bytes.data() + checksum_at, &checksum, 8);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    blocktide::Simulation& sim = Running();
    static const std::string valid = sim.SaveStateBytes();
    try {
        sim.RestoreStateBytes(Framed(valid, data, size));
        sim.Run(3);  // accepted content runs like any other state
        sim.RestoreStateBytes(valid);
    } catch (const blocktide::Error&) {
        if (sim.SaveStateBytes() != valid)
            std::abort();  // a refusal changed the simulation
    }
    sim.TakeMessages();
    return 0;
}
