// The Python extension blocktide._blocktide: the public C++ interface with Python integers of
// any width and NumPy arrays per port. The package blocktide (python/blocktide/) re-exports it.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <fstream>

#include "host/blocktide.h"
#include "tools/stimulus.h"

namespace py = pybind11;
using namespace pybind11::literals;

namespace {

// ---------------------------------------------------------------- Python integers

// The words of a Python integer at a width: a negative integer becomes its two's complement.
std::vector<uint64_t> WordsOf(const py::int_& number, int width)
{
    const size_t count = static_cast<size_t>((std::max(width, 1) + 63) / 64);
    py::object value = number;
    if (py::cast<bool>(value < py::int_(0)))
        value = value + (py::int_(1) << py::int_(64 * static_cast<long long>(count)));
    const py::int_ mask(~uint64_t{0});
    std::vector<uint64_t> words(count);
    for (size_t i = 0; i < count; ++i) {
        words[i] = py::cast<uint64_t>(value & mask);
        value = value >> py::int_(64);
    }
    return words;
}

py::int_ IntOf(const std::vector<uint64_t>& words)
{
    py::object value = py::int_(0);
    for (size_t i = words.size(); i-- > 0;)
        value = (value << py::int_(64)) | py::int_(words[i]);
    return value;
}

blocktide::Value ValueOf(const py::int_& number, int width, const py::int_& undefined, bool high_z)
{
    return blocktide::Value::from_words(width, WordsOf(number, width), WordsOf(undefined, width), high_z);
}

// ---------------------------------------------------------------- NumPy columns

// One input's values per cycle: an array of unsigned integers (any integer dtype), a NumPy
// masked array (a masked element is written wholly undefined), a tuple (values, undefined bit
// masks), or for ports wider than 64 bits a sequence of Python integers.
blocktide::Samples SamplesOf(const std::string& port, int width, const py::handle& column)
{
    blocktide::Samples samples;
    samples.port = port;
    samples.width = width;
    py::object values = py::reinterpret_borrow<py::object>(column);
    py::object undefined = py::none();
    py::object element_mask = py::none();
    if (py::isinstance<py::tuple>(values) && py::len(values) == 2) {
        const py::tuple pair = py::reinterpret_borrow<py::tuple>(values);
        undefined = pair[1];
        values = pair[0];
    }
    py::module_ numpy = py::module_::import("numpy");
    if (py::isinstance(values, numpy.attr("ma").attr("MaskedArray"))) {
        element_mask = numpy.attr("ma").attr("getmaskarray")(values);
        values = values.attr("filled")(0);
    }
    const int per = samples.words_per_value();
    if (per == 1) {
        auto array = py::array_t<uint64_t, py::array::c_style | py::array::forcecast>::ensure(
            numpy.attr("asarray")(values).attr("astype")("uint64"));
        if (!array || array.ndim() != 1)
            throw blocktide::Error("the values of input " + port + " must be a one-dimensional array");
        samples.bits.assign(array.data(), array.data() + array.size());
        if (!undefined.is_none()) {
            auto bits = py::array_t<uint64_t, py::array::c_style | py::array::forcecast>::ensure(
                numpy.attr("asarray")(undefined).attr("astype")("uint64"));
            if (!bits || bits.size() != array.size())
                throw blocktide::Error("the undefined masks of input " + port + " must match its values");
            samples.undefined.assign(bits.data(), bits.data() + bits.size());
        }
    } else {
        py::list list(values);
        py::list masks = undefined.is_none() ? py::list() : py::list(undefined);
        for (size_t i = 0; i < list.size(); ++i) {
            const std::vector<uint64_t> words = WordsOf(py::int_(list[i]), width);
            samples.bits.insert(samples.bits.end(), words.begin(), words.end());
        }
        if (!undefined.is_none()) {
            for (size_t i = 0; i < masks.size(); ++i) {
                const std::vector<uint64_t> words = WordsOf(py::int_(masks[i]), width);
                samples.undefined.insert(samples.undefined.end(), words.begin(), words.end());
            }
        }
    }
    if (!element_mask.is_none()) {
        auto mask = py::array_t<bool, py::array::c_style | py::array::forcecast>::ensure(element_mask);
        const size_t cycles = samples.cycles();
        if (samples.undefined.empty())
            samples.undefined.assign(samples.bits.size(), 0);
        for (size_t i = 0; i < cycles && i < static_cast<size_t>(mask.size()); ++i)
            if (mask.data()[i])
                for (int w = 0; w < per; ++w)
                    samples.undefined[i * static_cast<size_t>(per) + static_cast<size_t>(w)] = ~uint64_t{0};
    }
    return samples;
}

// An output's values: a uint64 array (object array of Python integers above 64 bits), as a
// masked array whose elements with any undefined bit are masked; with bit_masks, the pair
// (values, undefined bit masks) instead.
py::object ColumnOf(const blocktide::Samples& samples, bool bit_masks)
{
    py::module_ numpy = py::module_::import("numpy");
    const size_t cycles = samples.cycles();
    const size_t per = static_cast<size_t>(samples.words_per_value());
    py::object values, undefined;
    if (per == 1) {
        py::array_t<uint64_t> bits(static_cast<py::ssize_t>(cycles));
        std::copy(samples.bits.begin(), samples.bits.end(), bits.mutable_data());
        py::array_t<uint64_t> masks(static_cast<py::ssize_t>(cycles));
        if (samples.undefined.empty())
            std::fill(masks.mutable_data(), masks.mutable_data() + cycles, 0);
        else
            std::copy(samples.undefined.begin(), samples.undefined.end(), masks.mutable_data());
        values = bits;
        undefined = masks;
    } else {
        py::list bits, masks;
        for (size_t i = 0; i < cycles; ++i) {
            const auto first = samples.bits.begin() + static_cast<std::ptrdiff_t>(i * per);
            bits.append(IntOf(std::vector<uint64_t>(first, first + static_cast<std::ptrdiff_t>(per))));
            if (samples.undefined.empty()) {
                masks.append(py::int_(0));
            } else {
                const auto mask = samples.undefined.begin() + static_cast<std::ptrdiff_t>(i * per);
                masks.append(IntOf(std::vector<uint64_t>(mask, mask + static_cast<std::ptrdiff_t>(per))));
            }
        }
        values = numpy.attr("array")(bits, "dtype"_a = "object");
        undefined = numpy.attr("array")(masks, "dtype"_a = "object");
    }
    if (bit_masks)
        return py::make_tuple(values, undefined);
    py::object masked = undefined.attr("__ne__")(0);
    return numpy.attr("ma").attr("MaskedArray")(values, "mask"_a = masked.attr("astype")("bool"));
}

// ---------------------------------------------------------------- the Value class

struct PyValue {
    int width = 1;
    py::int_ bits;
    py::int_ undefined;
    bool high_z = false;
};

PyValue ToPython(const blocktide::Value& value)
{
    return PyValue{value.width(), IntOf(value.words()), IntOf(value.undefined_mask()), value.high_z()};
}

std::vector<py::dict> Messages(const std::vector<blocktide::Message>& messages);

} // namespace

PYBIND11_MODULE(_blocktide, module)
{
    module.doc() = "Blocktide: cycle-based simulation of synthesised FPGA netlists.";
    py::register_exception<blocktide::Error>(module, "Error", PyExc_RuntimeError);

    py::class_<blocktide::Port>(module, "Port", "A design input or output.")
        .def_readonly("name", &blocktide::Port::name)
        .def_readonly("width", &blocktide::Port::width, "Bits.")
        .def_property_readonly("direction",
                               [](const blocktide::Port& port) {
                                   return port.direction == blocktide::Direction::Input ? "input" : "output";
                               })
        .def("__repr__", [](const blocktide::Port& port) {
            return "Port('" + port.name + "', " + std::to_string(port.width) + ", " +
                   (port.direction == blocktide::Direction::Input ? "input" : "output") + ")";
        });

    py::class_<PyValue>(module, "Value",
                        "A value of any width: its bits, the mask of its undefined (X) bits and its\n"
                        "high-impedance (Z) flag, as Python integers.")
        .def(py::init([](py::int_ bits, int width, py::int_ undefined, bool high_z) {
                 return ToPython(ValueOf(bits, width, undefined, high_z));
             }),
             "bits"_a, "width"_a, "undefined"_a = 0, "high_z"_a = false)
        .def_readonly("width", &PyValue::width)
        .def_readonly("bits", &PyValue::bits)
        .def_readonly("undefined", &PyValue::undefined, "Mask of the undefined bits.")
        .def_readonly("high_z", &PyValue::high_z)
        .def_property_readonly("defined", [](const PyValue& v) { return !v.high_z && v.undefined.equal(py::int_(0)); })
        .def("__int__", [](const PyValue& v) { return v.bits; })
        .def("__index__", [](const PyValue& v) { return v.bits; })
        .def("__eq__",
             [](const PyValue& a, const PyValue& b) {
                 return a.width == b.width && a.bits.equal(b.bits) && a.undefined.equal(b.undefined) &&
                        a.high_z == b.high_z;
             })
        .def("__repr__", [](const PyValue& v) {
            std::vector<uint64_t> words = WordsOf(v.bits, v.width), undefined = WordsOf(v.undefined, v.width);
            const blocktide::Value value = blocktide::Value::from_words(v.width, words, undefined, v.high_z);
            return "Value(" + std::to_string(v.width) + "'h" + value.to_hex() + ")";
        });

    py::class_<blocktide::Design>(module, "Design", "What an import learns of a design.")
        .def_readonly("module_name", &blocktide::Design::module_name)
        .def_readonly("inputs", &blocktide::Design::inputs, "Inputs in declaration order (clocks left out).")
        .def_readonly("outputs", &blocktide::Design::outputs, "Outputs in declaration order.")
        .def_readonly("clocks", &blocktide::Design::clocks)
        .def_property_readonly("messages", [](const blocktide::Design& d) { return Messages(d.messages); });

    module.def(
        "import_design",
        [](const std::string& netlist, const std::string& map, bool print_messages) {
            return blocktide::ImportDesign(netlist, map, print_messages);
        },
        "netlist"_a, "map"_a, "print_messages"_a = true,
        "Reads a netlist (.vo) with its XML map and writes its SimDB file beside it (netlist + '.simdb').\n"
        "Returns a Design; raises blocktide.Error, with the import's messages, when the netlist cannot be read.");

    py::class_<blocktide::Simulation>(
        module, "Simulation",
        "A simulation opened from a design's SimDB file.\n\n"
        "Simulation('acc.vo') opens acc.vo.simdb, written by import_design('acc.vo', map).")
        .def(py::init([](const std::string& design, const std::string& hex_directory, bool print_messages,
                         bool report_undefined_reads, const std::string& map) {
                 blocktide::SimulationOptions options;
                 options.hex_directory = hex_directory;
                 options.print_messages = print_messages;
                 options.report_undefined_reads = report_undefined_reads;
                 options.map_path = map;
                 return blocktide::Simulation(design, options);
             }),
             "design"_a, "hex_directory"_a = "", "print_messages"_a = true, "report_undefined_reads"_a = true,
             "map"_a = "",
             "Opens design + '.simdb'. With the design's map, signal names also use the netlist's own names\n"
             "(instance outputs as 'u_acc.q', wires).")
        .def_property_readonly("inputs", &blocktide::Simulation::Inputs, "Inputs in ascending name order.")
        .def_property_readonly("outputs", &blocktide::Simulation::Outputs, "Outputs in ascending name order.")
        .def_property_readonly("cycle", &blocktide::Simulation::Cycle, "Clock cycles run so far.")
        .def(
            "write",
            [](blocktide::Simulation& sim, const std::string& input, const py::int_& value, const py::int_& undefined,
               bool high_z) {
                const int handle = sim.InputHandle(input);
                const int width = sim.Inputs()[static_cast<size_t>(handle)].width;
                sim.Write(handle, ValueOf(value, width, undefined, high_z));
            },
            "input"_a, "value"_a, "undefined"_a = 0, "high_z"_a = false,
            "Writes a Python integer of any width (a negative one as its two's complement) into an input;\n"
            "undefined is the mask of bits to write as undefined. Bits beyond the input's width are cut.")
        .def(
            "read", [](blocktide::Simulation& sim, const std::string& output) { return ToPython(sim.Read(output)); },
            "output"_a, "The output as a Value (bits, undefined mask, high_z); int(value) gives its bits.")
        .def(
            "run",
            [](blocktide::Simulation& sim, int cycles) {
                py::gil_scoped_release release;
                sim.Run(cycles);
            },
            "cycles"_a = 1, "Runs clock cycles: each a clock edge, then settling.")
        .def(
            "step",
            [](blocktide::Simulation& sim, const py::dict& inputs, py::object outputs, bool bit_masks) {
                std::vector<blocktide::Samples> columns;
                for (auto item : inputs) {
                    const std::string name = py::cast<std::string>(item.first);
                    const int width = sim.Inputs()[static_cast<size_t>(sim.InputHandle(name))].width;
                    columns.push_back(SamplesOf(name, width, item.second));
                }
                std::vector<std::string> names;
                if (outputs.is_none())
                    for (const blocktide::Port& port : sim.Outputs())
                        names.push_back(port.name);
                else
                    names = py::cast<std::vector<std::string>>(outputs);
                std::vector<blocktide::Samples> results;
                {
                    py::gil_scoped_release release;
                    results = sim.Step(columns, names);
                }
                py::dict answer;
                for (const blocktide::Samples& result : results)
                    answer[py::str(result.port)] = ColumnOf(result, bit_masks);
                return answer;
            },
            "inputs"_a, "outputs"_a = py::none(), "bit_masks"_a = false,
            "Steps as many cycles as the input arrays hold: per cycle, writes each input's value, runs one\n"
            "cycle and reads the outputs (all of them unless named).\n\n"
            "inputs maps input names to arrays: uint64 (any integer dtype), masked arrays (masked elements\n"
            "are written undefined), (values, undefined bit masks) pairs, or sequences of Python integers for\n"
            "inputs wider than 64 bits. Returns a dict of NumPy masked arrays, masked where a value has an\n"
            "undefined bit (uint64, or object arrays of Python integers above 64 bits); with bit_masks=True,\n"
            "of (values, undefined bit masks) pairs instead. Runs without the GIL.")
        .def_property_readonly("signals", &blocktide::Simulation::Signals,
                               "Every signal peek() reads: the ports, each node's outputs ('u_acc.dataout', and\n"
                               "with the map 'u_acc.q') and the netlist's wires (with the map).")
        .def(
            "peek", [](blocktide::Simulation& sim, const std::string& signal) { return ToPython(sim.Peek(signal)); },
            "signal"_a, "Any signal inside the design as a Value; reading changes nothing and reports nothing.")
        .def("waveform", &blocktide::Simulation::OpenWaveform, "path"_a, "signals"_a = std::vector<std::string>{},
             "From now on writes a VCD of the clock, the design's inputs and outputs and the signals matching\n"
             "the patterns ('*' all), ten time units per cycle.")
        .def("close_waveform", &blocktide::Simulation::CloseWaveform, "Ends the waveform.")
        .def(
            "take_messages", [](blocktide::Simulation& sim) { return Messages(sim.TakeMessages()); },
            "The messages reported since the last call, as dicts of severity and text.")
        .def("save", &blocktide::Simulation::SaveState, "path"_a,
             "Saves a checkpoint: the whole state of the simulation, which restore() in a simulation of the\n"
             "same design, in any process, continues from exactly. Raises blocktide.Error, writing nothing,\n"
             "when a model block's library cannot save its state.")
        .def("restore", &blocktide::Simulation::RestoreState, "path"_a,
             "Restores a checkpoint saved from the same design. Raises blocktide.Error, changing nothing,\n"
             "for a checkpoint of another design or library version, or a damaged, truncated or newer file.")
        // A pickled simulation is its design path and its checkpoint: unpickling opens the design
        // (default options) and restores it, so every task of a sweep can start from one state.
        .def(py::pickle(
            [](blocktide::Simulation& sim) {
                return py::make_tuple(sim.DesignPath(), py::bytes(sim.SaveStateBytes()));
            },
            [](const py::tuple& state) {
                if (state.size() != 2)
                    throw blocktide::Error("a pickled Simulation holds a design path and a checkpoint");
                blocktide::Simulation sim(py::cast<std::string>(state[0]));
                sim.RestoreStateBytes(py::cast<std::string>(state[1]));
                return sim;
            }));

    module.def(
        "read_stimulus",
        [](const std::string& path) {
            std::ifstream in(path);
            if (!in)
                throw blocktide::Error("cannot read the stimulus file " + path);
            blocktide_cli::Stimulus stimulus;
            std::string failure;
            if (!blocktide_cli::ReadStimulus(in, stimulus, failure))
                throw blocktide::Error(path + ": " + failure);
            py::list steps;
            for (const blocktide_cli::StimulusStep& step : stimulus.steps) {
                py::list values;
                for (const blocktide_cli::StimulusValue& value : step.values) {
                    std::vector<uint64_t> words;
                    for (int i = 0; i < value.magnitude.words(); i += 2)
                        words.push_back(value.magnitude.word(i) | uint64_t{value.magnitude.word(i + 1)} << 32);
                    py::object number = IntOf(words);
                    values.append(value.negative ? -number : number);
                }
                steps.append(py::make_tuple(step.cycles, values));
            }
            return py::make_tuple(stimulus.inputs, steps);
        },
        "path"_a, "Reads a stimulus CSV as the blocktide command does: (input names, [(cycles, [values]) per line]).");
}

namespace {

std::vector<py::dict> Messages(const std::vector<blocktide::Message>& messages)
{
    static const char* const names[] = {"info", "trace", "warning", "error", "fatal", "internal"};
    std::vector<py::dict> result;
    for (const blocktide::Message& message : messages)
        result.push_back(py::dict("severity"_a = names[static_cast<int>(message.severity)], "text"_a = message.text));
    return result;
}

} // namespace
