// The XML map file reader: for every module type the netlist may instantiate, its operator
// code, its ports (inputs, outputs, clocks) under netlist and simulator names, and its
// parameter names. Line-oriented: elements are found by fixed texts, attributes by position.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class LibPort {
public:
    virtual ~LibPort() = default;

    std::string netName;   // name in the netlist's connections
    std::string simName;   // name of the database port
    int number1 = 0;       // fourth attribute; stored, read by nothing
    int number2 = 0;       // sixth attribute; stored, read by nothing
    bool isClock = false;  // declared by a ClkPort element
};

class LibModule {
public:
    virtual ~LibModule() = default;

    bool IsInputPort(const std::string& name) const;
    // The clock flag of the last input of that name; false when there is none.
    bool IsClockPort(const std::string& name) const;
    bool IsOutputPort(const std::string& name) const;
    // simName of the first input (or output) of that name; empty when there is none.
    std::string MapInputPort(const std::string& name) const;
    std::string MapOutputPort(const std::string& name) const;
    // The simulator name of a netlist parameter. An unknown name is entered with an empty
    // simulator name (so DumpParamNames lists it) and answers "".
    std::string MapParam(const std::string& name);
    // Prints the parameter-name map on the host console.
    void DumpParamNames() const;

    std::string name;                                            // module type name in the netlist
    int opcode = 0;                                              // simulator operator code
    std::unordered_map<std::string, std::string> param_names;     // netlist -> simulator parameter name
    std::unordered_map<std::string, bool> param_types;            // netlist name -> declared "string"
    std::vector<LibPort> inputs;                                 // InpPort and ClkPort, file order
    std::vector<LibPort> outputs;                                // OutPort, file order
};

class XmlMapSmc {
public:
    explicit XmlMapSmc(std::string path) : path(std::move(path)) {}
    virtual ~XmlMapSmc() = default;

    // Reads the file: 1 on success, -1 (reported at SEV_ERROR) when it cannot be opened or
    // holds no complete module definition.
    int Load();
    bool HasModule(const std::string& name) const { return modules.count(name) != 0; }
    // The module of that name; null for a name HasModule rejects.
    LibModule* GetModule(const std::string& name) const;
    size_t ModuleCount() const { return modules.size(); }
    // Every stored module, in the map's iteration order.
    void ForEachModule(const std::function<void(LibModule&)>& visit) const
    {
        for (const auto& entry : modules) visit(*entry.second);
    }

    static constexpr size_t kMaxLine = 4095;  // a longer line ends the reading of the file

private:
    std::string path;
    std::unordered_map<std::string, std::unique_ptr<LibModule>> modules;  // by type name
};
