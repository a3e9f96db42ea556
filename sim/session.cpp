// The simulation session: load, port mapping, indexed access, message flushes.
#include "sim/session.h"

#include <cmath>

#include "base/messages.h"
#include "engine/perimeter.h"
#include "netlistdb/netlist_db.h"
#include "sim/build.h"
#include "sim/design_path.h"

namespace {

// Converts a double to a signed 64-bit integer, truncating toward zero. NaN becomes 0 and
// values beyond the range saturate (the plain conversion is undefined for them); both
// are reported.
int64_t ToInt64(double value)
{
    if (std::isnan(value)) {
        report(SEV_WARNING, "Input value is not a number; 0 was written instead");
        return 0;
    }
    if (value >= 9223372036854775808.0) {
        report(SEV_WARNING, "Input value is beyond the 64-bit range; it was saturated");
        return INT64_MAX;
    }
    if (value < -9223372036854775808.0) {
        report(SEV_WARNING, "Input value is beyond the 64-bit range; it was saturated");
        return INT64_MIN;
    }
    return static_cast<int64_t>(value);
}

}  // namespace

SimSession::SimSession() = default;

SimSession::~SimSession()
{
    clear_messages();
}

void SimSession::SplitDesignPath(const std::string& path)
{
    Sim::DesignPath parts = Sim::SplitDesignPath(path);
    if (!parts.directory.empty())
        design_directory = parts.directory;
    top_level_name = parts.top_level_name;
}

bool SimSession::Load(const std::string& design_path, const std::string& model_library_path, bool packaged_block,
                      const std::vector<std::string>& input_order, std::vector<Sim::InputInfo>* inventory,
                      bool inventory_wanted)
{
    error_seen = false;
    SplitDesignPath(design_path);
    netlist_db = std::make_unique<KVC::NetlistDB>();
    netlist_db->LoadSimDB(design_path + ".simdb", packaged_block, inventory_wanted);
    netlist_db->SetTopParam("dll_path", model_library_path);
    netlist_db->SetTopParam("top_level_name", top_level_name);

    input_nodes.clear();  // they point into the manager being replaced
    output_nodes.clear();
    manager.reset();
    manager = std::make_unique<Sim::Manager>(top_level_name);
    manager->SetHexDirectory(hex_directory);
    manager->SetDesignDirectory(design_directory);
    bool failed = Sim::Build(*netlist_db, *manager);
    manager->SetInputOrder(input_order);
    ports = Sim::ReadDesignPorts(*netlist_db);
    netlist_db.reset();
    flush_messages(0);
    if (inventory_wanted && inventory)
        manager->InputInventory(*inventory);
    return error_seen || failed;
}

void SimSession::MapDesignPorts()
{
    input_nodes.clear();
    output_nodes.clear();
    if (!manager)
        return;
    for (size_t i = 0; i < input_names.size(); ++i) {
        auto* node = dynamic_cast<Sim::Node_Perimeter_In*>(manager->FindNode(input_names[i]));
        if (node)
            input_nodes.push_back(node);
        else
            report(SEV_FATAL, "Unable to locate design input #" + std::to_string(i) + " named " + input_names[i]);
    }
    for (const std::string& name : output_names) {
        auto* node = dynamic_cast<Sim::Node_Perimeter_Out*>(manager->FindNode(name));
        if (node)
            output_nodes.push_back(node);
        else
            report(SEV_FATAL, "Unable to locate design output named " + name);
    }
}

bool SimSession::InputRefused(int index) const
{
    if (!manager) {
        report(SEV_INTERNAL, "No Sim::Manager found when sending input value to simulation");
        return true;
    }
    if (index < 0 || index >= static_cast<int>(input_nodes.size())) {
        report(SEV_FATAL, "Passed an input index (" + std::to_string(index) + ") that was out of bounds");
        return true;
    }
    return false;
}

bool SimSession::OutputRefused(int index) const
{
    if (!manager) {
        report(SEV_INTERNAL, "No Sim::Manager found when reading output value from simulation");
        return true;
    }
    if (index < 0 || index >= static_cast<int>(output_nodes.size())) {
        report(SEV_FATAL, "Passed an output index (" + std::to_string(index) + ") that was out of bounds");
        return true;
    }
    return false;
}

bool SimSession::WriteInput(int index, double value)
{
    if (InputRefused(index))
        return true;
    uint64_t bits = static_cast<uint64_t>(ToInt64(value));
    input_nodes[static_cast<size_t>(index)]->SetInput(static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32));
    return false;
}

bool SimSession::WriteWideInput(int index, const MLIB_UINTEGER& value)
{
    if (InputRefused(index))
        return true;
    input_nodes[static_cast<size_t>(index)]->SetInput(value);
    return false;
}

double SimSession::ReadOutput(int index)
{
    if (OutputRefused(index))
        return 0.0;
    return static_cast<double>(static_cast<int64_t>(output_nodes[static_cast<size_t>(index)]->ReadUInt64()));
}

MLIB_UINTEGER SimSession::ReadWideOutput(int index)
{
    if (OutputRefused(index))
        return MLIB_UINTEGER(0, 32);
    Sim::Node_Perimeter_Out* node = output_nodes[static_cast<size_t>(index)];
    MLIB_UINTEGER value(0, node->PerimeterPort()->Width());
    node->ReadValue(value);
    return value;
}

MLIB_UINTEGER SimSession::PeekWideOutput(int index)
{
    if (!manager || index < 0 || index >= static_cast<int>(output_nodes.size()))
        return ReadWideOutput(index);  // the same failure reports and result
    return output_nodes[static_cast<size_t>(index)]->CapturedValue();
}

bool SimSession::Run(int cycles)
{
    if (!manager) {
        report(SEV_INTERNAL, "No Sim::Manager found when asked to run simulation");
        return true;
    }
    manager->Run(cycles);
    return false;
}

bool SimSession::flush_messages(int level)
{
    return ::flush_messages(level, top_level_name, error_seen);
}
