// The behavioural model framework (support library modlib_base): the base class of every
// model with its port registry (names resolved to slots), parameter registry, clock edge
// detection and the glue that turns the eleven library exports into calls on a model.
//
// Writing a model:
//   class Toggle : public modlib::Model {
//   public:
//       Toggle() : Model("toggle") {}
//   private:
//       void Configure() override { state = false; }        // after parameters and ports
//       void Compute() override {                            // every modlib_evaluate_model
//           if (Rose(clock) && High(enable)) state = !state;
//           Out(q) = state ? 1u : 0u;
//       }
//       Slot clock = DeclareClock("clock"), enable = DeclareInput("enable"), q = DeclareOutput("q");
//       bool state = false;
//   };
//   MODLIB_DEFINE_EXPORTS(Toggle)
//
// Every input reads 0 until the host sends it a value, whatever the host's default for
// the port; Connected() tells whether the host linked the input to a source.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/limits.h"
#include "base/mlib_integer.h"
#include "base/state_stream.h"
#include "models/modlib_interface.h"
#include "parameters.h"

namespace modlib {

class Model {
public:
    explicit Model(const char* kind);
    virtual ~Model();
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // --- Called through the exports ---
    void AddTextParameter(const char* name, const char* value) { parameters.SetText(name, value); }
    void AddIntegerParameter(const char* name, int value) { parameters.SetInteger(name, value); }
    void AddPortInformation(const char* name, int flag, int width);
    const MLIB_UINTEGER& PortValue(const char* name);
    void SetPortValue(const char* name, const MLIB_UINTEGER& value);
    // (Re)starts the model: Configure runs again and the state starts afresh. Warnings
    // of Configure reach the host only on the first start of the instance.
    void Initialise();
    // Detects clock edges, then Compute; starts the model first when nobody did.
    void EvaluateModel();
    // Checkpoints (the optional exports): the ports as last seen, the clock levels, the
    // warnings given and the model's own state. Restore takes all of it or, answering false,
    // nothing.
    std::string SaveAll() const;
    bool RestoreAll(const char* bytes, size_t size);

protected:
    using Slot = int;
    // Port declarations, made in the constructor (member initialisers) of a model.
    Slot DeclareInput(const char* name);
    Slot DeclareOutput(const char* name);
    Slot DeclareClock(const char* name);

    // Reads parameters, sizes outputs and state; called by Initialise.
    virtual void Configure() = 0;
    // Computes the state and the outputs from the inputs and the clock edges.
    virtual void Compute() = 0;
    // The state a model keeps beyond its ports (contents, counts, pipelines); every model
    // states it. Restore answers false on data that does not fit the configured model.
    virtual void SaveState(StateWriter& out) const = 0;
    virtual bool RestoreState(StateReader& in) = 0;

    const ParameterTable& Parameters() const { return parameters; }
    std::string Text(const char* name, const char* fallback) const { return parameters.Text(name, fallback); }
    int64_t Integer(const char* name, int64_t fallback) const { return parameters.Integer(name, fallback); }
    // An integer parameter held to [low, high]: a value below reads as low, one above as high
    // with a warning, so a damaged netlist cannot ask for an unbounded allocation.
    int64_t BoundedInteger(const char* name, int64_t fallback, int64_t low, int64_t high);
    // A pipeline depth parameter (at least 0) bounded so that its stages of `width` bits stay
    // within kMaxPipelineBits and kMaxPipelineDepth.
    int PipelineDepth(const char* name, int width);
    static constexpr int64_t kMaxPipelineDepth = 1 << 16;
    static constexpr int64_t kMaxPipelineBits = int64_t(1) << 26;
    // Word counts are bounded far above any memory (whose contents are bounded in bits) so
    // that products of a word count and a width cannot overflow.
    static constexpr int64_t kMaxWords = int64_t(1) << 40;
    bool Is(const char* name, const char* expected, const char* fallback) const
    {
        return parameters.Is(name, expected, fallback);
    }
    // Warns (once per instance) when the named text parameter has a value outside the
    // accepted ones: the model then behaves as for the first accepted value.
    void CheckSupported(const char* name, const char* fallback, std::initializer_list<const char*> accepted);
    // Warns once per instance: "<kind> model: <text>".
    void Warn(const std::string& text);

    const MLIB_UINTEGER& In(Slot slot) const { return ports[slot].value; }
    // The input's value is not zero.
    bool High(Slot slot) const { return !ports[slot].value.is_zero(); }
    uint32_t Low(Slot slot) const { return ports[slot].value.to_uint(); }
    // The host announced the input as connected.
    bool Connected(Slot slot) const { return ports[slot].connected; }
    // A control that acts as `otherwise` while it is not connected.
    bool HighOr(Slot slot, bool otherwise) const { return Connected(slot) ? High(slot) : otherwise; }
    // The clock rose (0 to 1) since the previous evaluation.
    bool Rose(Slot clock) const { return ports[clock].rose; }
    bool AnyClockRose() const;
    int Width(Slot slot) const { return ports[slot].value.width(); }
    // The output's value, to be written (assignments keep the port's width).
    MLIB_UINTEGER& Out(Slot slot) { return ports[slot].value; }

private:
    enum class Role { Input, Output, Clock, Extra };
    struct Port {
        std::string name;
        Role role;
        MLIB_UINTEGER value;     // current value at the announced width; inputs start 0
        bool connected = false;  // an input announced with flag 1
        bool level = false;      // a clock's level at the previous evaluation
        bool rose = false;       // a clock rose in the current evaluation
    };
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    Slot Declare(const char* name, Role role);
    // The slot of a name; an unknown name gets an extra slot, with one warning.
    Slot Resolve(const char* name);
    // RestoreAll without the way back.
    bool ApplyAll(const char* bytes, size_t size);

    std::string kind;                                                     // names the model in warnings
    ParameterTable parameters;                                            // as handed over
    std::vector<Port> ports;                                              // by slot
    std::vector<Slot> clocks;                                             // the clock slots
    std::unordered_map<std::string, Slot, NameHash, std::equal_to<>> slots;  // name -> slot
    // The bridge passes the same text for a port on every call: a direct-mapped cache from
    // the text's address to its slot spares the hashing. Hits are checked against the
    // port's name, so a caller that reuses an address for another name is still served right.
    struct CachedName {
        const char* text = nullptr;  // the address last resolved through this entry
        Slot slot = -1;              // where it led
    };
    static constexpr size_t kNameCacheSize = 64;
    std::array<CachedName, kNameCacheSize> name_cache{};
    std::vector<std::string> warned;                                      // warnings given, not repeated
    bool started = false;                                                 // Initialise has run
};

// Export glue, used by MODLIB_DEFINE_EXPORTS: every call is guarded so that no exception
// leaves a library.
ModlibModel CreateModel(Model* (*make)());
int InitModel(ModlibModel model);
int DeleteModel(ModlibModel model);
int AddStringParameter(ModlibModel model, const char* name, const char* value);
int AddIntegerParameter(ModlibModel model, const char* name, int value);
int AddPortInformation(ModlibModel model, const char* name, int flag, int width);
const MLIB_UINTEGER& GetPortValue(ModlibModel model, const char* name);
int SetPortValue(ModlibModel model, const char* name, const MLIB_UINTEGER& value);
int GetPortWord(ModlibModel model, const char* name, unsigned* value);
int SetPortWord(ModlibModel model, const char* name, unsigned value);
int EvaluateModel(ModlibModel model);
int SaveModelState(ModlibModel model, ModlibStateWriter write, void* context);
int RestoreModelState(ModlibModel model, const char* bytes, size_t size);

}  // namespace modlib

#define MODLIB_EXPORT extern "C" __attribute__((visibility("default")))

// Defines the eleven exports of a model library for the model class, and the two optional
// checkpoint exports.
#define MODLIB_DEFINE_EXPORTS(ModelClass)                                                                         \
    MODLIB_EXPORT ModlibModel modlib_create_model()                                                               \
    {                                                                                                             \
        return modlib::CreateModel([]() -> modlib::Model* { return new ModelClass(); });                          \
    }                                                                                                             \
    MODLIB_EXPORT int modlib_init_model(ModlibModel m) { return modlib::InitModel(m); }                           \
    MODLIB_EXPORT int modlib_delete_model(ModlibModel m) { return modlib::DeleteModel(m); }                       \
    MODLIB_EXPORT int modlib_add_string_parameter_information(ModlibModel m, const char* n, const char* v)        \
    {                                                                                                             \
        return modlib::AddStringParameter(m, n, v);                                                               \
    }                                                                                                             \
    MODLIB_EXPORT int modlib_add_integer_parameter_information(ModlibModel m, const char* n, int v)               \
    {                                                                                                             \
        return modlib::AddIntegerParameter(m, n, v);                                                              \
    }                                                                                                             \
    MODLIB_EXPORT int modlib_add_port_information(ModlibModel m, const char* n, int f, int w)                     \
    {                                                                                                             \
        return modlib::AddPortInformation(m, n, f, w);                                                            \
    }                                                                                                             \
    MODLIB_REFERENCE_EXPORTS_BEGIN                                                                                \
    MODLIB_EXPORT const MLIB_UINTEGER& modlib_get_port_value_as_mlib_int(ModlibModel m, const char* n)            \
    {                                                                                                             \
        return modlib::GetPortValue(m, n);                                                                        \
    }                                                                                                             \
    MODLIB_REFERENCE_EXPORTS_END                                                                                  \
    MODLIB_EXPORT int modlib_set_port_value_by_mlib_int(ModlibModel m, const char* n, const MLIB_UINTEGER& v)     \
    {                                                                                                             \
        return modlib::SetPortValue(m, n, v);                                                                     \
    }                                                                                                             \
    MODLIB_EXPORT int modlib_get_port_value(ModlibModel m, const char* n, unsigned* v)                            \
    {                                                                                                             \
        return modlib::GetPortWord(m, n, v);                                                                      \
    }                                                                                                             \
    MODLIB_EXPORT int modlib_set_port_value(ModlibModel m, const char* n, unsigned v)                             \
    {                                                                                                             \
        return modlib::SetPortWord(m, n, v);                                                                      \
    }                                                                                                             \
    MODLIB_EXPORT int modlib_evaluate_model(ModlibModel m) { return modlib::EvaluateModel(m); }                   \
    MODLIB_EXPORT int modlib_save_state(ModlibModel m, ModlibStateWriter w, void* c)                              \
    {                                                                                                             \
        return modlib::SaveModelState(m, w, c);                                                                   \
    }                                                                                                             \
    MODLIB_EXPORT int modlib_restore_state(ModlibModel m, const char* b, size_t n)                                \
    {                                                                                                             \
        return modlib::RestoreModelState(m, b, n);                                                                \
    }
