// libFuzzer target for the memory initialisation-file readers of our model libraries: any
// bytes, read as an Intel HEX file (first byte even) or a ".mif" file (odd), must fill a
// synchronous RAM through the bridge without a crash, hang or unbounded allocation.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/messages.h"
#include "engine/manager.h"
#include "engine/node_registry.h"
#include "models/library_search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Keeps the RAM library (and its support libraries) loaded between inputs.
    static void* keep = Sim::OpenModelLibrary("modlib_mrvsyncram.dll");
    (void)keep;
    const bool hex = size == 0 || (data[0] & 1) == 0;
    static const std::string base = "/tmp/blocktide_fuzz_memory_" + std::to_string(getpid());
    const std::string path = base + (hex ? ".hex" : ".mif");
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        if (size > 1)
            std::fwrite(data + 1, 1, size - 1, file);
        std::fclose(file);
    }
    {
        Sim::Manager manager("fuzz");
        Sim::FindNodeMaker(100)(manager, "ram", [&](const std::string& name, ParamValue& value) {
            if (name == "init_file")
                value.set_text(path);
            else if (name == "width_a")
                value.set_integer(12);
            else if (name == "widthad_a")
                value.set_integer(5);
            else if (name == "numwords_a")
                value.set_integer(32);
            else
                return false;
            return true;
        });
        manager.Run(1);
    }
    std::remove(path.c_str());
    clear_messages();
    return 0;
}
