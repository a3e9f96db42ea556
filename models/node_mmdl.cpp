// Node_MMDL: loading and unloading model libraries, announcing parameters and ports,
// evaluation with change-only input pushes, and the clock pulse.
#include "models/node_mmdl.h"

#include <cstring>

#include "base/messages.h"
#include "models/library_search.h"

namespace Sim {

namespace {

// The support libraries in load order.
constexpr const char* kSupportLibraries[6] = {"modlib_stl.dll",  "modlib_util.dll", "modlib_xml_parser.dll",
                                              "modlib_info.dll", "modlib_int.dll",  "modlib_base.dll"};
enum { STL, UTIL, XML_PARSER, INFO, INT, BASE };

const MLIB_UINTEGER& ClockHigh()
{
    static const MLIB_UINTEGER value(1, 1);
    return value;
}
const MLIB_UINTEGER& ClockLow()
{
    static const MLIB_UINTEGER value(0, 1);
    return value;
}

template <class Function>
void Resolve(void* library, const char* symbol, Function& entry)
{
    entry = reinterpret_cast<Function>(FindModelExport(library, symbol));
}

}  // namespace

std::string LoadFailureName(const bool support_loaded[6], bool model_loaded, const std::string& file_name)
{
    // Each failing test replaces the text chosen so far, so the library tested last wins:
    // "modlib_stl.dll" over "modlib_base.dll" over "modlib_info.dll" over
    // "modlib_xml_parser.dll" over the model library. util and int are not tested.
    std::string missing;
    if (!model_loaded)
        missing = file_name + " (Function Model)";
    if (!support_loaded[STL])
        missing = "modlib_stl.dll (MMDL req)";
    if (!support_loaded[XML_PARSER])
        missing = "modlib_xml_parser.dll (MMDL req)";
    if (!support_loaded[INFO])
        missing = "modlib_info.dll (MMDL req)";
    if (!support_loaded[BASE])
        missing = "modlib_base.dll (MMDL req)";
    if (!support_loaded[STL])
        missing = "modlib_stl.dll (MMDL req)";
    return missing;
}

Node_MMDL::~Node_MMDL()
{
    clocks.clear();
    inputs.clear();
    outputs.clear();
    UnloadModel();
}

void Node_MMDL::LoadModel(const std::string& file_name)
{
    for (int i = 0; i < 6; ++i)
        support[i] = OpenModelLibrary(kSupportLibraries[i]);
    library = OpenModelLibrary(file_name);
    library_name = file_name;

    const bool support_loaded[6] = {support[0] != nullptr, support[1] != nullptr, support[2] != nullptr,
                                    support[3] != nullptr, support[4] != nullptr, support[5] != nullptr};
    const std::string missing = LoadFailureName(support_loaded, library != nullptr, file_name);
    if (!missing.empty()) {
        report(SEV_FATAL, "Unable to load DLL: " + missing);
        UnloadModel();
    }

    if (library) {
        Resolve(library, "modlib_create_model", create_model);
        Resolve(library, "modlib_init_model", init_model);
        Resolve(library, "modlib_delete_model", delete_model);
        Resolve(library, "modlib_add_string_parameter_information", add_string_parameter);
        Resolve(library, "modlib_add_integer_parameter_information", add_integer_parameter);
        Resolve(library, "modlib_add_port_information", add_port_information);
        Resolve(library, "modlib_get_port_value_as_mlib_int", get_port_value_as_mlib_int);
        Resolve(library, "modlib_set_port_value_by_mlib_int", set_port_value_by_mlib_int);
        Resolve(library, "modlib_get_port_value", get_port_value);
        Resolve(library, "modlib_set_port_value", set_port_value);
        Resolve(library, "modlib_evaluate_model", evaluate_model);
        Resolve(library, kModlibSaveStateName, save_state);
        Resolve(library, kModlibRestoreStateName, restore_state);
    }
    bool linked = library && create_model && init_model && delete_model && add_string_parameter &&
                  add_integer_parameter && add_port_information && get_port_value_as_mlib_int &&
                  set_port_value_by_mlib_int && get_port_value && set_port_value && evaluate_model;
    if (linked) {
        model = create_model();
    } else {
        report(SEV_FATAL, "Unable to link to DLL model: " + file_name);
        UnloadModel();
    }

    if (model == nullptr) {
        report(SEV_FATAL, "DLL failed to create a model: " + file_name);
        UnloadModel();
    }
}

bool Node_MMDL::LoadWithParameters(const std::string& file_name, ModelParameters& parameters,
                                   const ParamQuery& query)
{
    LoadModel(file_name);
    if (!HasModel())
        return false;
    parameters.Read(query);
    HandOverParameters(parameters);
    return true;
}

void Node_MMDL::UnloadModel()
{
    if (library) {
        if (model && delete_model)
            delete_model(model);
        CloseModelLibrary(library);
    }
    // Support libraries go in the order they were loaded; each is released only when its
    // load succeeded, so a failed load leaves nothing behind.
    for (void*& handle : support) {
        CloseModelLibrary(handle);
        handle = nullptr;
    }
    model = nullptr;
    library = nullptr;
    create_model = nullptr;
    init_model = delete_model = evaluate_model = nullptr;
    add_string_parameter = nullptr;
    add_integer_parameter = nullptr;
    add_port_information = nullptr;
    get_port_value_as_mlib_int = nullptr;
    set_port_value_by_mlib_int = nullptr;
    get_port_value = nullptr;
    set_port_value = nullptr;
}

void Node_MMDL::AddStringParameter(const std::string& parameter, const std::string& value)
{
    if (HasModel())
        add_string_parameter(model, parameter.c_str(), value.c_str());
}

void Node_MMDL::AddIntegerParameter(const std::string& parameter, int32_t value)
{
    if (HasModel())
        add_integer_parameter(model, parameter.c_str(), value);
}

void Node_MMDL::HandOverParameters(const ModelParameters& parameters, const char* replaced,
                                   const std::string& replacement)
{
    for (size_t i = 0; i < parameters.Count(); ++i) {
        const ModelParameterDef& definition = parameters.Definition(i);
        if (!definition.is_text)
            AddIntegerParameter(definition.name, parameters.Value(i).integer());
        else if (replaced != nullptr && std::strcmp(definition.name, replaced) == 0)
            AddStringParameter(definition.name, replacement);
        else
            AddStringParameter(definition.name, parameters.Value(i).text_form());
    }
}

void Node_MMDL::Announce(const std::string& port_name, int flag, int width)
{
    if (HasModel())
        add_port_information(model, port_name.c_str(), flag, width);
}

void Node_MMDL::AddModelClock(const std::string& port_name)
{
    clocks.push_back(std::make_unique<ClockRecord>(ClockRecord{this, port_name}));
    Announce(port_name, 1, 1);
}

void Node_MMDL::AddModelInput(const std::string& port_name, int64_t requested_width, int default_kind)
{
    const int width = CheckedPortWidth(port_name, requested_width);
    Announce(port_name, 0, width);
    Port_Base* port = AddPort(CreateInputPort(port_name, width, default_kind));
    int port_width = port ? port->Width() : 1;
    inputs.push_back(std::make_unique<InputRecord>(InputRecord{this, port_name, port, MLIB_UINTEGER(0, port_width)}));
}

void Node_MMDL::AddModelOutput(const std::string& port_name, int64_t requested_width)
{
    const int width = CheckedPortWidth(port_name, requested_width);
    Announce(port_name, 1, width);
    Port_Base* port = AddPort(CreateOutputPort(port_name, width));
    outputs.push_back(std::make_unique<OutputRecord>(OutputRecord{this, port_name, port}));
}

void Node_MMDL::PushInputs()
{
    for (auto& input : inputs) {
        const MLIB_UINTEGER& now = input->port->Value();
        if (now != input->last_sent) {
            input->last_sent = now;
            set_port_value_by_mlib_int(model, input->name.c_str(), input->last_sent);
        }
    }
}

bool Node_MMDL::PullOutputs()
{
    bool changed = false;
    for (auto& output : outputs)
        if (output->port->Set(get_port_value_as_mlib_int(model, output->name.c_str())))
            changed = true;
    return changed;
}

bool Node_MMDL::Evaluate()
{
    if (!HasModel())
        return false;
    PushInputs();
    evaluate_model(model);
    return PullOutputs();
}

std::string Node_MMDL::SaveRefusal()
{
    if (!HasModel() || (save_state && restore_state))
        return std::string();
    return "the model block '" + Name() + "' cannot be saved: its library " + library_name +
           " offers no modlib_save_state and modlib_restore_state";
}

void Node_MMDL::SaveState(StateWriter& out)
{
    Node_Concurrent::SaveState(out);
    for (auto& input : inputs)
        out.Value(input->last_sent);
    std::string model_state;
    if (HasModel() && save_state)
        save_state(
            model,
            [](void* context, const char* bytes, size_t size) { static_cast<std::string*>(context)->assign(bytes, size); },
            &model_state);
    out.Bytes(model_state);
}

bool Node_MMDL::RestoreState(StateReader& in)
{
    if (!Node_Concurrent::RestoreState(in))
        return false;
    for (auto& input : inputs)
        if (!in.Value(input->last_sent))
            return false;
    std::string model_state;
    if (!in.Bytes(model_state))
        return false;
    if (!HasModel())
        return model_state.empty() || in.Fail();
    if (!restore_state || restore_state(model, model_state.data(), model_state.size()) != 0)
        return in.Fail();
    return true;
}

bool Node_MMDL::ClockHook()
{
    if (!HasModel())
        return false;
    for (auto& clock : clocks)
        set_port_value_by_mlib_int(model, clock->name.c_str(), ClockHigh());
    evaluate_model(model);
    for (auto& clock : clocks)
        set_port_value_by_mlib_int(model, clock->name.c_str(), ClockLow());
    evaluate_model(model);
    return PullOutputs();
}

void Node_MMDL::OnInputConnected(Port_In* port)
{
    if (HasModel() && port != nullptr)
        add_port_information(model, port->Name().c_str(), 1, port->Width());
}

void Node_MMDL::PrepareRun()
{
    if (HasModel())
        init_model(model);
}

std::string Node_MMDL::TraceText()
{
    std::string text = "MMDL |In ";
    for (auto& input : inputs)
        text += " " + input->name + " = " + input->last_sent.to_hex();
    text += " |Out ";
    for (auto& output : outputs) {
        text += " " + output->name + " = ";
        if (HasModel())
            text += get_port_value_as_mlib_int(model, output->name.c_str()).to_hex();
    }
    return text;
}

}  // namespace Sim
