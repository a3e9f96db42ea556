// The operator-code table of the model-library node classes.
#include "models/model_factory.h"

#include "engine/manager.h"
#include "models/configurations.h"

namespace Sim {

bool IsModelOperatorCode(int operator_code)
{
    switch (operator_code) {
    case 100: case 101: case 102: case 104: case 106: case 107:
    case 108: case 109: case 110: case 113: case 114:
        return true;
    default:
        return false;
    }
}

Node_Base* NewModelNode(Manager& manager, int operator_code, const std::string& node_name, const ParamQuery& query)
{
    switch (operator_code) {
    case 100: return manager.NewNode<Node_MrvSyncRam>(node_name, query);
    case 101: return manager.NewNode<Node_LpmMult>(node_name, query);
    case 102: return manager.NewNode<Node_MrvAccumulate>(node_name, query);
    case 104: return manager.NewNode<Node_LpmAddSub>(node_name, query);
    case 106: return manager.NewNode<Node_ParallelAdd>(node_name, query);
    case 107: return manager.NewNode<Node_Counter>(node_name, query);
    case 108: return manager.NewNode<Node_RamDP>(node_name, query);
    case 109: return manager.NewNode<Node_MrvMultAdd>(node_name, query);
    case 110: return manager.NewNode<Node_GrayCounter>(node_name, query);
    case 113: return manager.NewNode<Node_SnglFifo>(node_name, query);
    case 114: return manager.NewNode<Node_DualFifo>(node_name, query);
    default: return nullptr;
    }
}

}  // namespace Sim
