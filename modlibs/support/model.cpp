// The model base class: port and parameter registries, edge detection, guarded exports.
#include "model.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>

namespace modlib {

Model::Model(const char* model_kind) : kind(model_kind) {}

Model::~Model() = default;

Model::Slot Model::Declare(const char* name, Role role)
{
    Slot slot = static_cast<Slot>(ports.size());
    ports.push_back(Port{name, role, MLIB_UINTEGER(0, 1)});
    slots.emplace(name, slot);
    if (role == Role::Clock)
        clocks.push_back(slot);
    return slot;
}

Model::Slot Model::DeclareInput(const char* name) { return Declare(name, Role::Input); }
Model::Slot Model::DeclareOutput(const char* name) { return Declare(name, Role::Output); }
Model::Slot Model::DeclareClock(const char* name) { return Declare(name, Role::Clock); }

Model::Slot Model::Resolve(const char* name)
{
    CachedName& cached = name_cache[(reinterpret_cast<uintptr_t>(name) >> 3) % kNameCacheSize];
    if (cached.text == name && name != nullptr && std::strcmp(ports[cached.slot].name.c_str(), name) == 0)
        return cached.slot;
    std::string_view key = name ? name : "";
    auto found = slots.find(key);
    if (found != slots.end()) {
        cached = {name, found->second};
        return found->second;
    }
    Warn("port '" + std::string(key) + "' is not a port of this model; its values are ignored");
    return Declare(std::string(key).c_str(), Role::Extra);
}

void Model::AddPortInformation(const char* name, int flag, int width)
{
    Port& port = ports[Resolve(name)];
    port.value.resize(std::max(width, 1));
    if (flag == 1 && port.role == Role::Input)
        port.connected = true;
}

const MLIB_UINTEGER& Model::PortValue(const char* name) { return ports[Resolve(name)].value; }

void Model::SetPortValue(const char* name, const MLIB_UINTEGER& value)
{
    Port& port = ports[Resolve(name)];
    if (port.role == Role::Extra && port.value.width() != value.width())
        port.value.resize(value.width());  // an unknown port keeps whatever it is sent
    port.value = value;
}

void Model::Initialise()
{
    for (Slot clock : clocks) {
        ports[clock].level = !ports[clock].value.is_zero();
        ports[clock].rose = false;
    }
    Configure();
    started = true;
}

bool Model::AnyClockRose() const
{
    for (Slot clock : clocks)
        if (ports[clock].rose)
            return true;
    return false;
}

void Model::EvaluateModel()
{
    if (!started)
        Initialise();
    for (Slot clock : clocks) {
        Port& port = ports[clock];
        bool level = !port.value.is_zero();
        port.rose = level && !port.level;
        port.level = level;
    }
    Compute();
}

void Model::Warn(const std::string& text)
{
    if (std::find(warned.begin(), warned.end(), text) != warned.end())
        return;
    warned.push_back(text);
    modlib::Warn(kind + " model: " + text);
}

int64_t Model::BoundedInteger(const char* name, int64_t fallback, int64_t low, int64_t high)
{
    const int64_t requested = Integer(name, fallback);
    if (requested > high) {
        Warn("parameter " + std::string(name) + " = " + std::to_string(requested) + " is too large; " +
             std::to_string(high) + " is used");
        return high;
    }
    return std::max(requested, low);
}

int Model::PipelineDepth(const char* name, int width)
{
    const int64_t most = std::min(kMaxPipelineDepth, kMaxPipelineBits / std::max(width, 1));
    return static_cast<int>(BoundedInteger(name, 0, 0, most));
}

void Model::CheckSupported(const char* name, const char* fallback, std::initializer_list<const char*> accepted)
{
    std::string value = parameters.Text(name, fallback);
    for (const char* candidate : accepted)
        if (parameters.Is(name, candidate, fallback))
            return;
    Warn("parameter " + std::string(name) + " = \"" + value + "\" is not supported; the model behaves as for \"" +
         *accepted.begin() + "\"");
}

// ---- Checkpoints ----

std::string Model::SaveAll() const
{
    StateWriter out;
    out.Bool(started);
    out.U64(ports.size());
    for (const Port& port : ports) {
        out.Value(port.value);
        out.Bool(port.connected);
        out.Bool(port.level);
        out.Bool(port.rose);
    }
    out.U64(warned.size());
    for (const std::string& text : warned)
        out.Bytes(text);
    SaveState(out);
    return out.Take();
}

bool Model::RestoreAll(const char* bytes, size_t size)
{
    const std::string before = SaveAll();
    if (ApplyAll(bytes, size))
        return true;
    ApplyAll(before.data(), before.size());
    return false;
}

bool Model::ApplyAll(const char* bytes, size_t size)
{
    StateReader in(bytes, size);
    uint64_t count = 0;
    if (!in.Bool(started) || !in.U64(count) || count != ports.size())
        return false;
    for (Port& port : ports)
        if (!in.Value(port.value) || !in.Bool(port.connected) || !in.Bool(port.level) || !in.Bool(port.rose))
            return false;
    if (!in.Count(count, 8))
        return false;
    std::vector<std::string> texts(static_cast<size_t>(count));
    for (std::string& text : texts)
        if (!in.Bytes(text))
            return false;
    warned = std::move(texts);
    return RestoreState(in) && in.AtEnd();
}

// ---- Export glue ----

namespace {

Model* AsModel(ModlibModel model) { return static_cast<Model*>(model); }

// Runs a call on the model; a model error is reported once and the call answers -1.
template <class Call>
int Guarded(ModlibModel model, Call call)
{
    if (model == nullptr)
        return -1;
    try {
        call(*AsModel(model));
        return 0;
    } catch (const std::exception& error) {
        modlib::Warn(std::string("model library error: ") + error.what());
    } catch (...) {
        modlib::Warn("model library error");
    }
    return -1;
}

}  // namespace

ModlibModel CreateModel(Model* (*make)())
{
    try {
        return make();
    } catch (...) {
        return nullptr;
    }
}

int InitModel(ModlibModel model)
{
    return Guarded(model, [](Model& m) { m.Initialise(); });
}

int DeleteModel(ModlibModel model)
{
    delete AsModel(model);
    return 0;
}

int AddStringParameter(ModlibModel model, const char* name, const char* value)
{
    return Guarded(model, [&](Model& m) { m.AddTextParameter(name, value); });
}

int AddIntegerParameter(ModlibModel model, const char* name, int value)
{
    return Guarded(model, [&](Model& m) { m.AddIntegerParameter(name, value); });
}

int AddPortInformation(ModlibModel model, const char* name, int flag, int width)
{
    return Guarded(model, [&](Model& m) { m.AddPortInformation(name, flag, width); });
}

const MLIB_UINTEGER& GetPortValue(ModlibModel model, const char* name)
{
    static const MLIB_UINTEGER nothing(0, 1);
    if (model == nullptr)
        return nothing;
    try {
        return AsModel(model)->PortValue(name);
    } catch (...) {
        return nothing;
    }
}

int SetPortValue(ModlibModel model, const char* name, const MLIB_UINTEGER& value)
{
    return Guarded(model, [&](Model& m) { m.SetPortValue(name, value); });
}

int GetPortWord(ModlibModel model, const char* name, unsigned* value)
{
    return Guarded(model, [&](Model& m) {
        if (value)
            *value = m.PortValue(name).to_uint();
    });
}

int SetPortWord(ModlibModel model, const char* name, unsigned value)
{
    return Guarded(model, [&](Model& m) { m.SetPortValue(name, MLIB_UINTEGER(value, 32)); });
}

int EvaluateModel(ModlibModel model)
{
    return Guarded(model, [](Model& m) { m.EvaluateModel(); });
}


int SaveModelState(ModlibModel model, ModlibStateWriter write, void* context)
{
    if (write == nullptr)
        return -1;
    return Guarded(model, [&](Model& m) {
        const std::string bytes = m.SaveAll();
        write(context, bytes.data(), bytes.size());
    });
}

int RestoreModelState(ModlibModel model, const char* bytes, size_t size)
{
    bool restored = false;
    const int result = Guarded(model, [&](Model& m) { restored = bytes != nullptr && m.RestoreAll(bytes, size); });
    return result == 0 && restored ? 0 : -1;
}

}  // namespace modlib
