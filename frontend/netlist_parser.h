// Parser::NetlistParser: the recursive-descent grammar of the netlist (one module, its I/O,
// wires, instances, defparams and assignments) and the elaboration into the netlist database
// that runs while the grammar is recognised and after the endmodule.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/param_value.h"
#include "netlistdb/netlist_db.h"
#include "frontend/tokenizer.h"
#include "frontend/xml_map.h"

namespace KVC {
class NetlistDB;
class Node;
class Port;
}  // namespace KVC

namespace Parser {

// One module I/O declaration.
struct IoDecl {
    std::string name;
    int msb = 0;              // first number of the range; 0 without one
    int lsb = 0;              // second number (msb when only one is given); 0 without a range
    bool rangeGiven = false;
    bool isInput = false;     // input, else output
};

enum TermKind : int { TERM_UNSET = -1, TERM_ZERO = 0, TERM_ONE = 1, TERM_NAMED = 2 };

// One source term of a connection or assignment.
struct Term {
    std::string name;         // empty for literals
    int kind = TERM_UNSET;
    bool inverted = false;    // written with ~
    int msb = 0;              // literals: bit count - 1; names: range high bit, 0 without a range
    int lsb = 0;              // literals: 0; names: range low bit, 0 without a range
    bool rangeGiven = false;  // always true for literals
};

// An expression's terms, most significant first, concatenations flattened.
using TermList = std::vector<Term>;

// One declared wire, or an alias entry made by a wire-to-wire assignment.
struct WireRec {
    std::string name;         // the wire's name; for an alias entry, the wire it was copied from
    int width = 1;            // of its declaration
    std::string driver_node;   // "(top)" for a constant or a name; empty when undriven
    std::string driver_port;   // simulator port name, "(zero)", "(one)" or the assigned name
    KVC::Port* port = nullptr;  // the driving database port, found after the endmodule
    bool alias = false;       // made by a wire-to-wire assignment
    std::string alias_name;    // the wire it stands for
};

// One pending connection to an input, linked after the module has been read.
struct Conn {
    std::string node;  // instance name; "(top)" for an assignment to a design output
    std::string port;  // simulator name of the node's input, or the design output's name
    TermList terms;
};

class NetlistParser {
public:
    NetlistParser(KVC::NetlistDB& database, std::string map_path);
    ~NetlistParser();
    NetlistParser(const NetlistParser&) = delete;
    NetlistParser& operator=(const NetlistParser&) = delete;

    // Parses the whole design from tokenizer and wires it up in the database. Raises only
    // GrammarParserError, carrying the text of the first grammar or map failure.
    void ParseDesign(Tokenizer& source);

    // The design's interface once ParseDesign has succeeded.
    const std::string& ModuleName() const { return module_name; }
    // I/O declarations in header order, clock inputs removed.
    const std::vector<IoDecl>& IoList() const { return io_list; }
    const std::vector<std::string>& Clocks() const { return clocks; }
    const std::vector<std::string>& InternalClocks() const { return internal_clocks; }

private:
    // Grammar rules (netlist_parser.cpp). Each starts at the current token and leaves the
    // tokenizer on the first token after what it recognised.
    void Design();
    void ModuleHeader();
    void IoDeclarations();
    void ParseRange(int& msb, int& lsb);
    void ModuleBody();
    void WireDeclaration();
    void Instance();
    void Connection();
    TermList Expression();
    void Element(TermList& terms);
    Term ParseTerm();
    Term SizedLiteral();
    Term LiteralOfCount(int count);
    void Defparam();
    void ParamAssignment();
    bool Assignment();
    bool AssignBlock();

    int Type() { return tokenizer->Current().type(); }
    const std::string& IdentText();
    int NumberValue();
    int Line() const { return tokenizer->Line(); }

    // Elaboration (elaboration.cpp): actions while parsing, then the wiring.
    void SortIoList();
    void DeclareWire(const std::string& name, int width);
    void BeginInstance(const std::string& type_name, const std::string& instance_name);
    void ConnectPort(const std::string& port_name, TermList terms);
    void SetParameter(const std::string& sim_name, const ParamValue& value);
    bool Assign(const std::string& target, TermList terms);
    bool IsDeclaredWire(const std::string& name) const;
    int NameWidth(const std::string& name) const;
    int TotalWidth(const TermList& terms) const;
    // Warns of the named terms of a concatenation that name more than one bit without a range:
    // each connects only its bit 0. `where` names the connection.
    void WarnUnrangedNames(const TermList& terms, const std::string& where) const;
    void WireUp();
    void LinkConnection(const Conn& connection);
    std::vector<KVC::ElaboratedModule::Wire> DrivenWires() const;
    KVC::Port* ResolveSource(const std::string& name);

    KVC::NetlistDB& database;                         // receives the design; not owned
    std::string map_path;
    std::unique_ptr<XmlMapSmc> map;                   // loaded for the duration of ParseDesign
    Tokenizer* tokenizer = nullptr;                   // during ParseDesign; not owned
    std::map<std::string, int> port_positions;         // header position of each name, from 0
    std::vector<IoDecl> io_list;                       // sorted by header position
    std::unordered_map<std::string, int> io_widths;    // width of the first declaration of each name
    std::unordered_map<std::string, WireRec> wires;   // declared wires and alias entries
    // Shortcuts along alias chains found by NameWidth: an alias entry never changes its link
    // once made, so a name may jump to where an earlier walk from it got to. Keeps the width
    // lookup of many reads through a long chain linear. Cleared when a wire is (re)declared.
    mutable std::unordered_map<std::string, std::string> alias_shortcuts;
    std::vector<Conn> pending;                        // connections to inputs, in order read
    std::string module_name;
    std::vector<std::string> clocks;                  // distinct clock sources, first seen first
    std::vector<std::string> internal_clocks;          // clocks that are not design inputs
    std::vector<KVC::ElaboratedModule::OutputName> output_names;  // instance outputs, netlist names
    std::string current_instance;                         // the instance being read
    LibModule* current_module = nullptr;              // its map entry; owned by map
    KVC::Node* current_node = nullptr;                // its database node
    long long replicated_terms = 0;                    // named terms added by replications so far
};

}  // namespace Parser
