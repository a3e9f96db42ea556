// The model-library interface: the eleven plain functions every model library exports,
// resolved by name at run time, and the optional report hook a host may offer. The
// bridge (Node_MMDL) and our own model libraries in modlibs/ share this header.
#pragma once

#include <cstddef>

#include "base/mlib_integer.h"

// Wide values cross the C-linkage boundary by reference, as the interface prescribes; both
// sides are C++ sharing one value type, so clang's warning about that is silenced here.
#ifdef __clang__
#define MODLIB_REFERENCE_EXPORTS_BEGIN \
    _Pragma("clang diagnostic push") _Pragma("clang diagnostic ignored \"-Wreturn-type-c-linkage\"")
#define MODLIB_REFERENCE_EXPORTS_END _Pragma("clang diagnostic pop")
#else
#define MODLIB_REFERENCE_EXPORTS_BEGIN
#define MODLIB_REFERENCE_EXPORTS_END
#endif

// The opaque model instance a library hands out; only the library looks inside.
using ModlibModel = void*;

extern "C" {
using ModlibCreateModel = ModlibModel (*)();
// modlib_init_model, modlib_delete_model and modlib_evaluate_model; the result is ignored.
using ModlibModelCall = int (*)(ModlibModel model);
using ModlibAddStringParameter = int (*)(ModlibModel model, const char* name, const char* value);
using ModlibAddIntegerParameter = int (*)(ModlibModel model, const char* name, int value);
// flag 0: an input announced before it is connected; 1: a connected input, an output or a clock.
using ModlibAddPortInformation = int (*)(ModlibModel model, const char* name, int flag, int width);
// The value belongs to the library; the caller copies it at once.
using ModlibGetPortValueAsMlibInt = const MLIB_UINTEGER& (*)(ModlibModel model, const char* name);
// The library copies the value; the reference is valid only during the call.
using ModlibSetPortValueByMlibInt = int (*)(ModlibModel model, const char* name, const MLIB_UINTEGER& value);
// Exported by every library but never called by the bridge.
using ModlibGetPortValue = int (*)(ModlibModel model, const char* name, unsigned* value);
using ModlibSetPortValue = int (*)(ModlibModel model, const char* name, unsigned value);

// Optional checkpoint exports; a library without them cannot be saved. save_state hands the
// model's whole state, as bytes only the library reads, to `write` in one call and returns 0;
// restore_state returns 0 when it took the bytes and nonzero, changing nothing, when they do
// not fit the model. A library must read what any earlier version of it saved or refuse it.
using ModlibStateWriter = void (*)(void* context, const char* bytes, size_t size);
using ModlibSaveState = int (*)(ModlibModel model, ModlibStateWriter write, void* context);
using ModlibRestoreState = int (*)(ModlibModel model, const char* bytes, size_t size);

// Offered by libblocktide: a model library that finds this symbol in the process sends
// its warnings to the host's message store through it (severity codes of base/messages.h).
void blocktide_model_report(int severity, const char* text);
}

// The export names, in the order the bridge resolves them.
inline constexpr const char* kModlibExportNames[11] = {
    "modlib_create_model",
    "modlib_init_model",
    "modlib_delete_model",
    "modlib_add_string_parameter_information",
    "modlib_add_integer_parameter_information",
    "modlib_add_port_information",
    "modlib_get_port_value_as_mlib_int",
    "modlib_set_port_value_by_mlib_int",
    "modlib_get_port_value",
    "modlib_set_port_value",
    "modlib_evaluate_model",
};
inline constexpr const char* kModlibSaveStateName = "modlib_save_state";
inline constexpr const char* kModlibRestoreStateName = "modlib_restore_state";
