// The netlist dump: an indented listing of a netlist database written through the log facility
// (clocks, node usage by operator code, the design's ports, every node with its ports, slices
// and parameters). Nodes are listed by name, parameters by name, clocks by number.
#include <cstdint>

#include "base/log.h"
#include "netlistdb/netlist_db.h"

namespace KVC {

namespace {

constexpr int kUsageCodes = 200;  // the usage table counts operator codes 0 to 199
constexpr int kDumpSlot = 2;      // the log slot the dump writes through

// An empty line (still indented, like every line of the slot).
void BlankLine()
{
    logfile_printf("%s", "");
}

void DumpNode(const Node& node)
{
    logfile_printf("NODE '%s'", node.name.c_str());
    logfile_printf("operator: %d    clock domain: %d ", node.operatorCode, node.clockDomain);
    logfile_indent(1);
    node.ForEachPort([](Port& port) { port.Dump(); });
    node.ForEachParam([](const Param& param) {
        logfile_printf("PARAMETER '%s' set to %s ", param.name.c_str(), param.value.text_form().c_str());
    });
    logfile_outdent(1);
    BlankLine();
}

}  // namespace

void Port::Dump() const
{
    logfile_printf("OUTPUT '%s'   port width: %d     fanout: %d", name.c_str(), width, fanout);
}

void Input::Dump() const
{
    logfile_printf("INPUT '%s'   port width: %d", name.c_str(), width);
    logfile_indent(1);
    for (const auto& slice : slices) {
        // Upper bits in 64 bits: a damaged database must not overflow the listing.
        logfile_printf("Link this [%d:%lld] to source %s.%s[%d:%lld]   (%d bits)  %s", slice->dstLow,
                       static_cast<long long>(int64_t{slice->dstLow} + slice->width - 1),
                       slice->source->owner->name.c_str(), slice->source->name.c_str(), slice->srcLow,
                       static_cast<long long>(int64_t{slice->srcLow} + slice->width - 1), slice->width,
                       slice->inverted ? "INVERTED" : "");
    }
    logfile_outdent(1);
}

bool NetlistDB::Dump(const std::string& file_name) const
{
    if (!logfile_open(kDumpSlot, file_name.c_str(), false))
        return false;

    logfile_printf("DUMP OF DESIGN NETLIST DB\n");
    logfile_printf("Clocks:");
    logfile_indent(1);
    ForEachClock(
        [](const std::string& name, int number) { logfile_printf("clock #%d: '%s'", number, name.c_str()); });
    logfile_outdent(1);
    BlankLine();

    int usage[kUsageCodes] = {};
    int total = 0;
    for (const Node* node : creation_order) {
        if (node->operatorCode >= 0 && node->operatorCode < kUsageCodes) {
            usage[node->operatorCode]++;
            total++;
        }
    }
    logfile_printf("Node Usage by Type:");
    for (int code = 0; code < kUsageCodes; code++) {
        if (usage[code] > 0)
            logfile_printf("  type %3d  times %d", code, usage[code]);
    }
    logfile_printf("  Grand Total: %d", total);
    BlankLine();

    logfile_printf("Design I/O:");
    logfile_indent(1);
    DumpNode(*top);
    logfile_outdent(1);
    BlankLine();

    logfile_printf("Nodes (%d total):", NodeCount());
    logfile_indent(1);
    for (const Node* node : NodesByName())
        DumpNode(*node);
    logfile_outdent(1);
    logfile_printf("Dump complete.");
    logfile_close_all();
    return true;
}

}  // namespace KVC
