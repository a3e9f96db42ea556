// The eleven model-library block classes. Each differs from the others only in its
// configuration: the library it loads, the parameters it reads and hands over (names,
// netlist aliases, kinds, defaults, order) and the clocks, inputs and outputs it declares.
#pragma once

#include "models/node_mmdl.h"

namespace Sim {

class Manager;

// Synchronous RAM/ROM: reads every parameter, looks up its initialisation file, then loads.
class Node_MrvSyncRam : public Node_MMDL {
public:
    std::string TypeName() const override { return "SYNC RAM"; }
    void CreatePorts(const ParamQuery& query) override;
    void SetManager(Manager* owner) override { manager = owner; }
    Manager* GetManager() override { return manager; }

private:
    Manager* manager = nullptr;  // the manager holding this node; gives the import directory
};

class Node_LpmMult : public Node_MMDL {
public:
    std::string TypeName() const override { return "LPM MULT"; }
    void CreatePorts(const ParamQuery& query) override;
};

class Node_MrvAccumulate : public Node_MMDL {
public:
    std::string TypeName() const override { return "MRVACCUM"; }
    void CreatePorts(const ParamQuery& query) override;
};

class Node_LpmAddSub : public Node_MMDL {
public:
    std::string TypeName() const override { return "LPM +/- "; }
    void CreatePorts(const ParamQuery& query) override;
};

class Node_ParallelAdd : public Node_MMDL {
public:
    std::string TypeName() const override { return "PARALADD"; }
    void CreatePorts(const ParamQuery& query) override;
};

class Node_Counter : public Node_MMDL {
public:
    std::string TypeName() const override { return "COUNTER "; }
    void CreatePorts(const ParamQuery& query) override;
};

class Node_RamDP : public Node_MMDL {
public:
    std::string TypeName() const override { return "DUAL RAM"; }
    void CreatePorts(const ParamQuery& query) override;
};

// Multiply-add: the device family decides fourteen defaults, four hand-overs and the ports.
class Node_MrvMultAdd : public Node_MMDL {
public:
    std::string TypeName() const override { return "MULT ADD"; }
    void CreatePorts(const ParamQuery& query) override;
};

class Node_GrayCounter : public Node_MMDL {
public:
    std::string TypeName() const override { return "GRAY CNT"; }
    void CreatePorts(const ParamQuery& query) override;
};

class Node_SnglFifo : public Node_MMDL {
public:
    std::string TypeName() const override { return "SC FIFO "; }
    void CreatePorts(const ParamQuery& query) override;
};

class Node_DualFifo : public Node_MMDL {
public:
    std::string TypeName() const override { return "DC FIFO "; }
    void CreatePorts(const ParamQuery& query) override;
};

// True for the device families of the newer multiply-add generation (case ignored).
bool IsNewerMultAddFamily(const std::string& family);

}  // namespace Sim
