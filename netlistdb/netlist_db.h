// The netlist database: the elaborated design held in memory. Nodes with operator codes and
// parameters, their ports, and for every input the bit slices that say what drives it. The
// design's own inputs and outputs, and the constant ports "(zero)" and "(one)", live on the
// top node "(top)". Filled by elaboration or by LoadSimDB, read by the simulation builder.
//
// Usage:
//   KVC::NetlistDB db;                              // holds "(top)" with "(zero)" and "(one)"
//   KVC::Port* a = db.AddDesignInput("a");          // a driving port of the top node
//   a->width = 8;
//   KVC::Node* u1 = db.CreateNode("u1");            // reports a collision, returns the old node
//   u1->operatorCode = 12;
//   u1->clockDomain = 1;
//   KVC::Input* d = u1->NewPort("d", 0)->AsInput(); // 0 input, 1 output
//   d->width = 8;
//   d->NewSlice(/*dstLow*/ 0, /*width*/ 8, a, /*srcLow*/ 0);
//   u1->SetParam("lpm_width", ParamValue(8));
//   db.Save("design.vo.simdb");                     // LoadSimDB reads it back into a new db
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/param_value.h"

namespace KVC {

class NetlistDB;
class Node;
class Input;
class Slice;
class SimDBWriter;  // netlistdb/simdb_io.h
class SimDBReader;  // netlistdb/simdb_io.h

// A port that drives: an output of a node, or a design input on the top node.
class Port {
public:
    Port(Node* owner, std::string name) : owner(owner), name(std::move(name)) {}
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    virtual ~Port() = default;
    // 1 for a driving port, 0 for an input.
    virtual int Direction() const { return 1; }
    // Writes this port's lines to the current log slot (the netlist dump).
    virtual void Dump() const;
    // Writes this port's record; an input also appends its slices to slices_to_link.
    virtual void Save(SimDBWriter& writer, std::vector<const Slice*>& slices_to_link) const;
    // Reads the fields after the port's name; answers false when the record is unusable.
    virtual bool Load(SimDBReader& reader);

    // This port as an input, or none when it drives.
    Input* AsInput();
    const Input* AsInput() const;

    int width = 1;           // bit width
    int fanout = 0;          // number of slices whose source is this port; kept by NewSlice
    Node* const owner;       // the node holding this port
    const std::string name;  // unique on its node
};

// One contiguous group of bits of an input, driven by a contiguous group of bits of a source:
// bit dstLow + i of the owner is bit srcLow + i of the source (inverted when set), 0 <= i < width.
class Slice {
public:
    Slice(Input* owner, Port* source, int srcLow, int dstLow, int width, bool inverted)
        : owner(owner), source(source), srcLow(srcLow), dstLow(dstLow), width(width), inverted(inverted)
    {
    }

    // Whether bit lies in dstLow .. dstLow + width - 1 (computed without overflow).
    bool Covers(int bit) const;

    Input* const owner;  // the input that owns this slice
    Port* const source;  // the driving port; not owned, may belong to any node
    const int srcLow;    // lowest bit taken from the source
    const int dstLow;    // lowest bit of the owner that is driven
    const int width;     // number of bits
    bool inverted;       // bits are inverted on the way
};

// A port that is driven: an input of a node, or a design output on the top node.
class Input : public Port {
public:
    using Port::Port;

    // Slices are destroyed without touching their sources' fanout: the sources may be gone.
    ~Input() override = default;
    int Direction() const override { return 0; }
    void Dump() const override;
    void Save(SimDBWriter& writer, std::vector<const Slice*>& slices_to_link) const override;
    bool Load(SimDBReader& reader) override;

    // Appends a slice driven by source (none: internal error, no slice). A slice wider than
    // 32 bits from "(one)" is stored as inverted "(zero)". Overlaps are kept; the first on an
    // input is reported at once, the others counted (NetlistDB::ReportRepeatedOverlaps).
    Slice* NewSlice(int dstLow, int width, Port* source, int srcLow);
    // The first slice, in creation order, that covers bit; none when no slice does.
    Slice* SliceAt(int bit) const;
    void ForEachSlice(const std::function<void(Slice&)>& visit) const;
    size_t SliceCount() const { return slices.size(); }

    int reserved = 0;  // saved and loaded with the input; no meaning inside the system
    std::vector<std::unique_ptr<Slice>> slices;  // in creation order
    int overlaps = 0;  // slices that overlapped an earlier one; the first is reported at once
};

// One parameter of a node.
struct Param {
    Node* owner;       // the node holding the parameter
    std::string name;  // unique on its node
    ParamValue value;
};

// One instance of the design (or the top node "(top)").
class Node {
public:
    Node(NetlistDB* owner, std::string name) : owner(owner), name(std::move(name)) {}
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // direction 0 creates an Input, 1 a driving Port, both of width 1. An existing port of
    // that name is reported and returned whatever its direction; another code creates none.
    Port* NewPort(const std::string& port_name, int direction);
    Port* FindPort(const std::string& port_name) const;
    // The input of that name; none when there is no port of that name or it drives.
    Input* FindInput(const std::string& port_name) const;
    // Every port in ascending byte order of name.
    void ForEachPort(const std::function<void(Port&)>& visit) const;
    size_t PortCount() const { return ports.size(); }

    // Stores the parameter, replacing an earlier one of the same name.
    Param* SetParam(const std::string& param_name, const ParamValue& value);
    Param* GetParam(const std::string& param_name) const;
    // Copies the value into value and answers whether the parameter exists.
    bool GetParam(const std::string& param_name, ParamValue& value) const;
    // Every parameter in ascending byte order of name.
    void ForEachParam(const std::function<void(const Param&)>& visit) const;
    size_t ParamCount() const { return params.size(); }

    int clockDomain = -1;    // clock domain number; -1 until elaboration sets it
    int operatorCode = 0;    // simulator operator code from the XML map
    int index = -1;          // position in creation order (ForEachNode); -1 for the top node
    NetlistDB* const owner;  // the database holding this node
    const std::string name;  // instance name, unique in the database

private:
    // Nodes hold a handful of ports and parameters: sorted and plain lists cost far less
    // memory and time than a tree or hash table per node on designs of many nodes.
    std::map<std::string, std::unique_ptr<Port>> ports;  // by name, in ascending byte order
    std::vector<std::unique_ptr<Param>> params;  // creation order
    // Position of each parameter in `params` by name, kept once a node has more than a few:
    // a search of the list would make a node of many parameters quadratic to fill.
    std::unique_ptr<std::unordered_map<std::string, size_t>> param_index;
    // The position of the parameter of that name in `params`, or params.size().
    size_t ParamPosition(const std::string& param_name) const;
};

// What elaboration learns of the module beyond the database records. Kept in memory only:
// a SimDB file does not hold it, so a database read from a file has none.
struct ElaboratedModule {
    // One I/O declaration of the module that became a design port.
    struct Declaration {
        std::string name;
        int width = 1;
        bool is_input = true;
    };
    // A declared wire and the output that drives it: node.port (the simulator's port name), or
    // "(top)" with "(zero)" or "(one)" for a constant. An alias names its source's driver.
    struct Wire {
        std::string name;
        int width = 1;
        std::string node;
        std::string port;
    };
    // An instance output as the netlist names it (the map turns it into the simulator's name).
    struct OutputName {
        std::string node;
        std::string netlist_name;
        std::string sim_name;
    };
    std::string name;                          // the netlist's module name
    std::vector<Declaration> ports;            // in header order; clock inputs left out
    std::vector<std::string> clocks;           // every clock source name, first seen first
    std::vector<std::string> internal_clocks;  // the clocks that are no design input
    std::vector<Wire> wires;                   // the driven wires, in name order
    std::vector<OutputName> output_names;      // in the order the netlist connects them
};

// One loaded or elaborated design; owns every node, port, slice and parameter.
class NetlistDB {
public:
    NetlistDB();
    ~NetlistDB();
    NetlistDB(const NetlistDB&) = delete;
    NetlistDB& operator=(const NetlistDB&) = delete;

    // A new node; on a name collision reports it and returns the existing node unchanged.
    Node* CreateNode(const std::string& name);
    Node* FindNode(const std::string& name) const;
    // Every node except the top node, in creation order.
    void ForEachNode(const std::function<void(Node&)>& visit) const;
    int NodeCount() const { return static_cast<int>(nodes.size()); }
    // Makes room for that many nodes, so loading a large design does not rehash.
    void ReserveNodes(size_t count)
    {
        nodes.reserve(count);
        creation_order.reserve(count);
    }

    Node* Top() const { return top.get(); }
    Port* ZeroPort() const;
    Port* OnePort() const;
    // A port of the top node: design input, design output or constant port.
    Port* FindDesignPort(const std::string& name) const;
    Port* AddDesignInput(const std::string& name);   // a driving port of the top node
    Port* AddDesignOutput(const std::string& name);  // an Input of the top node
    // The module as elaboration saw it; empty for a database read from a file.
    const ElaboratedModule& Module() const { return elaborated; }
    void SetModule(ElaboratedModule module) { elaborated = std::move(module); }

    // The name's clock number (from 1); a duplicate name is warned about and keeps its number.
    int AddClock(const std::string& name);
    // The clock number of the name; 0 when it has none.
    int ClockNumber(const std::string& name) const;
    int ClockCount() const { return clock_count; }
    // Every clock by ascending number (then name).
    void ForEachClock(const std::function<void(const std::string& name, int number)>& visit) const;

    void SetTopParam(const std::string& name, const std::string& text);
    // The text form of the top node's parameter; empty when there is none.
    std::string GetTopParamText(const std::string& name) const;

    // One report per input whose slices overlapped earlier ones more than once, with the
    // count: a netlist of thousands of overlapping assignments gives a line per input.
    void ReportRepeatedOverlaps() const;
    // One warning when slices reach beyond the width of their source or their input (a
    // damaged SimDB file, or a part-select past a wire's end): such bits read 0. The
    // constant ports, one bit wide in the database, drive slices of any width.
    void ReportSlicesBeyondPorts() const;

    // Back to a new database: no nodes, no clocks, a fresh top node with its constant ports.
    void Clear();

    // The human-readable listing through the log facility (slot 2, truncating the file);
    // false when the file could not be opened (the facility has printed its failure line).
    bool Dump(const std::string& file_name) const;
    // Writes the SimDB file; records in name order, so one design always gives the same bytes.
    void Save(const std::string& path) const;
    // The bytes Save writes.
    std::vector<unsigned char> SaveBytes() const;
    // Reads a SimDB file into this database, which must be new. block_kind picks the wording
    // of the missing-file messages (packaged block or imported design); suppress leaves out
    // the second one. Failures are only reported; a damaged file leaves a partial database.
    void LoadSimDB(const std::string& path, bool block_kind, bool suppress);
    // The same from bytes already in memory (LoadSimDB after reading the file).
    void LoadSimDBBytes(const unsigned char* data, size_t size, bool block_kind, bool suppress);

    // Nodes sorted by name (the order of the SimDB file and of the dump).
    std::vector<const Node*> NodesByName() const;

private:
    void CreateTop();
    void ReportOutdated(bool block_kind, bool suppress) const;

    std::unordered_map<std::string, std::unique_ptr<Node>> nodes;  // every node but the top
    std::vector<Node*> creation_order;                              // nodes in creation order
    std::unique_ptr<Node> top;                                     // "(top)"; not in nodes
    ElaboratedModule elaborated;  // set by elaboration; not saved
    std::unordered_map<std::string, int> clocks;                   // clock name to number
    int clock_count = 0;  // highest clock number handed out or loaded; 0 when empty
};

}  // namespace KVC
