// libFuzzer target for the SimDB reader: any bytes must load into a (partial) database without
// a crash, hang or unbounded allocation, and what was loaded must save and load back to the
// same bytes (the writer and the reader agree on everything the reader accepts).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/messages.h"
#include "netlistdb/netlist_db.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    KVC::NetlistDB db;
    db.LoadSimDBBytes(data, size, false, false);
    // Walk what was loaded the way the simulation builder does: the covering slice of each
    // bit of every input.
    db.ForEachNode([](KVC::Node& node) {
        node.ForEachPort([](KVC::Port& port) {
            if (KVC::Input* input = port.AsInput()) {
                for (int bit = 0; bit < input->width && bit < 4096; bit++)
                    input->SliceAt(bit);
            }
        });
    });
    const std::vector<unsigned char> saved = db.SaveBytes();
    KVC::NetlistDB reloaded;
    reloaded.LoadSimDBBytes(saved.data(), saved.size(), false, false);
    if (reloaded.SaveBytes() != saved)
        std::abort();
    clear_messages();
    return 0;
}
