// A program outside the source tree built against the installed package: drives the gateway
// the way generated code does (greeting, formatter, a wide read that reports the missing
// simulation), then imports a small design with the installed map through the public API and
// steps it. Exits 0 when all is as expected.
#include <blocktide/blocktide.h>
#include <blocktide/gateway.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

bool GatewayWorks()
{
    ExportKelvornC_Gateway gateway;
    gateway.HelloWorld();
    gateway.Exportcreate_port_formatter("f", "f", {4}, {3}, {4}, {4}, 0, 0);
    gateway.ExportWriteInput(0, 1.5);
    sc_dt::sc_ufix value(40, 40);
    value = 7;
    gateway.ExportReadUnsignedWideOutput(value, 0);
    return value.to_uint64() == 0 && gateway.ExportReadOutput(0) == 0.0 && !gateway.ExportRun(1) &&
           gateway.ExportGetTopLevelName().empty();
}

// An 8-bit accumulator on the default map: level climbs by step every cycle.
bool ApiWorks()
{
    const std::filesystem::path directory = std::filesystem::temp_directory_path() / "blocktide_consumer";
    std::filesystem::create_directories(directory);
    const std::string netlist = (directory / "acc.vo").string();
    std::ofstream(netlist) << "module acc (clk, step, level);\ninput clk;\ninput [7:0] step;\noutput [7:0] level;\n"
                              "wire [7:0] next;\nwire [7:0] held;\n"
                              "bt_add add (.dataa(held[7:0]), .datab(step[7:0]), .result(next[7:0]));\n"
                              "defparam add.width = 8;\n"
                              "bt_dffe r (.clk(clk), .d(next[7:0]), .q(held[7:0]));\ndefparam r.width = 8;\n"
                              "assign level = held[7:0];\nendmodule\n";
    const blocktide::Design design = blocktide::ImportDesign(netlist, BLOCKTIDE_MAP_FILE);
    blocktide::Simulation sim(netlist);
    const std::vector<blocktide::Samples> out = sim.Step({{"step", 0, {3, 3, 3, 3}, {}, {}}}, {"level"});
    std::filesystem::remove_all(directory);
    return design.inputs.size() == 1 && out.at(0).bits == std::vector<uint64_t>{0, 3, 6, 9};
}

}  // namespace

int main()
{
    bool ok = false;
    try {
        ok = GatewayWorks() && ApiWorks();
    } catch (const blocktide::Error& error) {
        std::printf("blocktide error: %s\n", error.what());
    }
    std::printf("%s\n", ok ? "consumer ok" : "consumer FAILED");
    return ok ? 0 : 1;
}
