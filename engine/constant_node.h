// The shared constant node "(top)": one instance per process supplies the constant ports
// "(zero)", "(one)" and "(unused)" that unlinked inputs read, and stands for the design's
// top level in every manager (its port lookup falls back to the design inputs by name).
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "engine/perimeter.h"

namespace Sim {

class Node_Constant_Sngl : public Node_Perimeter_In {
public:
    // The process-wide instance, created on first use and destroyed at process exit.
    static Node_Constant_Sngl& Instance();

    // The default source of an input of `width` bits: 1 "(zero)", 2 "(one)", anything else
    // "(unused)". "(one)" reads all ones at every width: an input wider than 32 bits gets a
    // constant of its own width (kept here, outside the port list, so that a lookup of
    // "(one)" by name still finds the 32-bit port).
    Port_Base* ConstantPort(int default_kind, int width = 32);

    // Names it does not hold are looked up as nodes of the manager: a node with a
    // "(perimeter io)" port answers with that port.
    Port_Base* FindPort(const std::string& port_name) override;
    void SetManager(Manager* owner_manager) override { manager = owner_manager; }
    Manager* GetManager() override { return manager; }
    bool IsSettled() override { return true; }
    bool IsDeletable() override { return false; }
    bool Evaluate() override { return false; }
    void SetInput(const MLIB_UINTEGER&) override {}
    // Every manager initialises the node again; its "(perimeter io)" port is created once.
    void CreatePorts(const ParamQuery& query) override;

private:
    Node_Constant_Sngl();

    Manager* manager = nullptr;   // the manager that last entered or registered the node
    Port_Base* zero = nullptr;    // "(zero)": 32-bit 0
    Port_Base* one = nullptr;     // "(one)": 32-bit 0xFFFFFFFF
    Port_Base* unused = nullptr;  // "(unused)": 32-bit undefined
    // "(one)" constants wider than 32 bits, by width; made on first use and kept for the
    // life of the process, as inputs of any manager may read them.
    std::map<int, std::unique_ptr<Port_Base>> wide_ones;
    std::mutex wide_ones_lock;  // sessions on several threads may create inputs at once
};

}  // namespace Sim
