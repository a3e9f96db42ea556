// Sim::Node_MMDL: the node that bridges the simulation engine and a run-time loaded model
// library. It loads the library and its six support libraries, creates one model instance,
// announces parameters and ports, pushes changed inputs, pulls every output after each
// model evaluation and gives the model a clock pulse on every simulated clock edge. The
// eleven block configurations (models/configurations.h) derive from it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/node.h"
#include "models/model_parameters.h"
#include "models/modlib_interface.h"

namespace Sim {

// Default kinds of model inputs (what an unlinked input reads).
inline constexpr int KIND_NONE = 0;  // "(unused)"
inline constexpr int KIND_ZERO = 1;  // "(zero)"
inline constexpr int KIND_ONE = 2;   // "(one)"

// The library "Unable to load DLL: " names when the load failed, or empty when every
// required library loaded. support_loaded holds the six support libraries in load order
// (stl, util, xml_parser, info, int, base).
std::string LoadFailureName(const bool support_loaded[6], bool model_loaded, const std::string& file_name);

class Node_MMDL : public Node_Concurrent {
public:
    Node_MMDL() = default;
    ~Node_MMDL() override;

    bool IsSequential() override { return true; }
    bool Evaluate() override;
    std::string TraceText() override;
    void OnInputConnected(Port_In* port) override;
    void PrepareRun() override;
    bool ClockHook() override;
    // Checkpoints: the ports, the inputs last sent and the model's own state, through the
    // library's optional exports; a block whose library lacks them refuses.
    std::string SaveRefusal() override;
    void SaveState(StateWriter& out) override;
    bool RestoreState(StateReader& in) override;

    // The library and a model instance are present: library calls are made.
    bool HasModel() const { return library != nullptr && model != nullptr; }

protected:
    // Loads the support libraries and the model library by ".dll" name, resolves the
    // exports and creates the model; failures are reported and leave HasModel() false.
    void LoadModel(const std::string& file_name);
    // LoadModel, then, when a model was made, reads the parameters through the query and hands
    // them over. False when there is no model: the block then creates no ports.
    bool LoadWithParameters(const std::string& file_name, ModelParameters& parameters, const ParamQuery& query);
    void AddStringParameter(const std::string& parameter, const std::string& value);
    void AddIntegerParameter(const std::string& parameter, int32_t value);
    void AddModelClock(const std::string& port_name);
    // Widths come from parameters (products of them for grouped ports), checked as every
    // port's width is before the model hears of them.
    void AddModelInput(const std::string& port_name, int64_t width, int default_kind);
    void AddModelOutput(const std::string& port_name, int64_t width);
    // Hands every parameter to the model in list order; the text parameter named
    // `replaced` (if any) is handed as `replacement` instead of its own value.
    void HandOverParameters(const ModelParameters& parameters, const char* replaced = nullptr,
                            const std::string& replacement = std::string());
    // Deletes the model and releases every library; safe to call at any time.
    void UnloadModel();

private:
    // A clock input of the model; it has no simulation port (the engine has one clock).
    struct ClockRecord {
        Node_MMDL* owner;  // the node holding the record
        std::string name;  // the model's port name
    };
    struct InputRecord {
        Node_MMDL* owner;
        std::string name;
        Port_Base* port;           // the simulation input, owned by the node's port table
        MLIB_UINTEGER last_sent;   // the value last handed to the model, the port's width; starts 0
    };
    struct OutputRecord {
        Node_MMDL* owner;
        std::string name;
        Port_Base* port;  // the simulation output, owned by the node's port table
    };

    // Announces a port when the model exists.
    void Announce(const std::string& port_name, int flag, int width);
    // Sends every input whose value differs from the one last sent.
    void PushInputs();
    // Copies every output from the model into its port; true when any port changed.
    bool PullOutputs();

    ModlibModel model = nullptr;  // the instance from modlib_create_model; only set while every library is present
    void* library = nullptr;      // the model library's handle
    // Handles of "modlib_stl", "modlib_util", "modlib_xml_parser", "modlib_info",
    // "modlib_int" and "modlib_base", in this order; each may be null.
    void* support[6] = {};

    // The entry points, null until resolved.
    ModlibCreateModel create_model = nullptr;
    ModlibModelCall init_model = nullptr;
    ModlibModelCall delete_model = nullptr;
    ModlibAddStringParameter add_string_parameter = nullptr;
    ModlibAddIntegerParameter add_integer_parameter = nullptr;
    ModlibAddPortInformation add_port_information = nullptr;
    ModlibGetPortValueAsMlibInt get_port_value_as_mlib_int = nullptr;
    ModlibSetPortValueByMlibInt set_port_value_by_mlib_int = nullptr;
    ModlibGetPortValue get_port_value = nullptr;
    ModlibSetPortValue set_port_value = nullptr;
    ModlibModelCall evaluate_model = nullptr;
    ModlibSaveState save_state = nullptr;        // optional: null when the library cannot save
    ModlibRestoreState restore_state = nullptr;  // optional, likewise
    std::string library_name;                    // the file LoadModel was given, for messages

    std::vector<std::unique_ptr<ClockRecord>> clocks;    // creation order
    std::vector<std::unique_ptr<InputRecord>> inputs;    // creation order
    std::vector<std::unique_ptr<OutputRecord>> outputs;  // creation order
};

}  // namespace Sim
