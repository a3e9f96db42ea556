// A model library for the bridge tests: it records every call it receives, in order, as
// one line of text, and echoes input "a" on output "y". Built three ways: complete, without
// one export (PROBE_WITHOUT_EXPORT) and with a create call that returns no model
// (PROBE_WITHOUT_MODEL).
#include <map>
#include <string>

#include "models/modlib_interface.h"

namespace {

std::string& Log()
{
    static std::string log;
    return log;
}

struct Probe {
    std::map<std::string, MLIB_UINTEGER> values;  // every port value by name
};

void Record(const std::string& line) { Log() += line + "\n"; }

}  // namespace

#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))

PROBE_EXPORT const char* modlib_probe_log() { return Log().c_str(); }
PROBE_EXPORT void modlib_probe_clear() { Log().clear(); }

PROBE_EXPORT ModlibModel modlib_create_model()
{
    Record("create");
#ifdef PROBE_WITHOUT_MODEL
    return nullptr;
#else
    return new Probe();
#endif
}

PROBE_EXPORT int modlib_init_model(ModlibModel) { Record("init"); return 0; }

PROBE_EXPORT int modlib_delete_model(ModlibModel model)
{
    Record("delete");
    delete static_cast<Probe*>(model);
    return 0;
}

PROBE_EXPORT int modlib_add_string_parameter_information(ModlibModel, const char* name, const char* value)
{
    Record(std::string("text ") + name + "=" + value);
    return 0;
}

PROBE_EXPORT int modlib_add_integer_parameter_information(ModlibModel, const char* name, int value)
{
    Record(std::string("integer ") + name + "=" + std::to_string(value));
    return 0;
}

PROBE_EXPORT int modlib_add_port_information(ModlibModel model, const char* name, int flag, int width)
{
    Record(std::string("port ") + name + " " + std::to_string(flag) + " " + std::to_string(width));
    static_cast<Probe*>(model)->values.emplace(name, MLIB_UINTEGER(0, width));
    return 0;
}

MODLIB_REFERENCE_EXPORTS_BEGIN
PROBE_EXPORT const MLIB_UINTEGER& modlib_get_port_value_as_mlib_int(ModlibModel model, const char* name)
{
    Probe* probe = static_cast<Probe*>(model);
    if (std::string(name) == "y")
        probe->values["y"] = probe->values["a"];
    return probe->values[name];
}
MODLIB_REFERENCE_EXPORTS_END

PROBE_EXPORT int modlib_set_port_value_by_mlib_int(ModlibModel model, const char* name, const MLIB_UINTEGER& value)
{
    Record(std::string("set ") + name + "=" + value.to_hex());
    static_cast<Probe*>(model)->values[name] = value;
    return 0;
}

#ifndef PROBE_WITHOUT_EXPORT
PROBE_EXPORT int modlib_get_port_value(ModlibModel, const char*, unsigned*) { return 0; }
#endif
PROBE_EXPORT int modlib_set_port_value(ModlibModel, const char*, unsigned) { return 0; }

PROBE_EXPORT int modlib_evaluate_model(ModlibModel) { Record("evaluate"); return 0; }
