// libFuzzer target for the SimDB reader: any bytes must load into a (partial) database without
// a crash, hang or unbounded allocation. A loaded database must also save and dump cleanly.
#include <cstddef>
#include <cstdint>

#include "host/messages.h"
#include "netlistdb/netlist_db.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    KVC::NetlistDB db;
    db.LoadSimDBBytes(data, size, false, false);
    // Walk what was loaded the way the simulation builder does: every slice of every input,
    // and the covering slice of each of the input's bits.
    db.ForEachNode([](KVC::Node& node) {
        node.ForEachPort([](KVC::Port& port) {
            if (KVC::Input* input = port.AsInput()) {
                for (int bit = 0; bit < input->width && bit < 4096; bit++)
                    input->SliceAt(bit);
            }
        });
    });
    clear_messages();
    return 0;
}
