// Drives the installed gateway the way generated code does, without a design: the greeting,
// a formatter, and a wide read that reports the missing simulation. Exits 0 when all is as
// expected.
#define SC_INCLUDE_FX
#include <systemc>

#include <blocktide/gateway.h>

#include <cstdio>

int main()
{
    ExportKelvornC_Gateway gateway;
    gateway.HelloWorld();
    gateway.Exportcreate_port_formatter("f", "f", {4}, {3}, {4}, {4}, 0, 0);
    gateway.ExportWriteInput(0, 1.5);
    sc_dt::sc_ufix value(40, 40);
    value = 7;
    gateway.ExportReadUnsignedWideOutput(value, 0);
    const bool ok = value.to_uint64() == 0 && gateway.ExportReadOutput(0) == 0.0 && !gateway.ExportRun(1) &&
                    gateway.ExportGetTopLevelName().empty();
    std::printf("%s\n", ok ? "consumer ok" : "consumer FAILED");
    return ok ? 0 : 1;
}
