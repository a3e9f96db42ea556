// The table from operator codes to node makers, filled by the family files' registrations.
#include "engine/node_registry.h"

#include <array>

namespace Sim {

namespace {

// Codes run from 1 to 114; the table has room for every code below its size.
constexpr int kTableSize = 128;

struct Registry {
    std::array<NodeMaker, kTableSize> makers{};
    int faults = 0;
};

// Built at its first use, so registrations from any file find it whatever the order of
// static initialisation.
Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

} // namespace

NodeRegistration::NodeRegistration(OperatorCode code, NodeMaker maker)
{
    Registry& registry = TheRegistry();
    const int index = static_cast<int>(code);
    if (index < 0 || index >= kTableSize || registry.makers[static_cast<size_t>(index)] != nullptr || !maker) {
        ++registry.faults;
        return;
    }
    registry.makers[static_cast<size_t>(index)] = maker;
}

NodeMaker FindNodeMaker(int operator_code)
{
    if (operator_code < 0 || operator_code >= kTableSize)
        return nullptr;
    return TheRegistry().makers[static_cast<size_t>(operator_code)];
}

int RegistrationFaults()
{
    return TheRegistry().faults;
}

std::optional<int32_t> QueryInteger(const ParamQuery& query, const char* name)
{
    ParamValue value;
    if (!query || !query(name, value))
        return std::nullopt;
    return value.integer();
}

} // namespace Sim
