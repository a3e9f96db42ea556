// libFuzzer target: the XML map reader over arbitrary bytes, then every lookup on every
// module it stored.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "frontend/xml_map.h"
#include "base/messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = [] {
        set_console_sink([](const std::string&) {});
        return "/tmp/blocktide_xmlmap_fuzz_" + std::to_string(::getpid()) + ".xml";
    }();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);

    XmlMapSmc map(path);
    if (map.Load() == 1) {
        // Every lookup elaboration makes, with every port and parameter name the map holds.
        map.ForEachModule([&](LibModule& module) {
            if (!map.HasModule(module.name) || map.GetModule(module.name) == nullptr) std::abort();
            for (const auto& ports : {module.inputs, module.outputs}) {
                for (const LibPort& port : ports) {
                    bool input = module.IsInputPort(port.netName);
                    if (!input && !module.IsOutputPort(port.netName)) std::abort();
                    if (module.IsClockPort(port.netName) && !input) std::abort();
                    (void)module.MapInputPort(port.netName);
                    (void)module.MapOutputPort(port.netName);
                }
            }
            std::vector<std::string> parameters;
            for (const auto& entry : module.param_names) parameters.push_back(entry.first);
            for (const std::string& name : parameters) (void)module.MapParam(name);
            (void)module.MapParam("not-a-parameter");
            module.DumpParamNames();
        });
    }
    clear_messages();
    return 0;
}
