// Linking: connects one input port to one output port, both named by node and port.
// The port linking pass of the build and hand-built designs use it.
#pragma once

#include <string>

namespace Sim {

class Manager;
class Node_Base;

// Connects in_node.in_port to read out_node.out_port, every bit inverted when `invert`.
// Problems are reported; the input then keeps its earlier source and false is returned.
bool Link(Manager& manager, const std::string& out_node, const std::string& out_port,
          const std::string& in_node, const std::string& in_port, bool invert);
// The same between nodes already found (neither null).
bool Link(Node_Base* source_node, const std::string& out_port, Node_Base* target_node, const std::string& in_port,
          bool invert);

}  // namespace Sim
