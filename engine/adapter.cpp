// Adapter and downshifter nodes: assembling an input from slices (a 32-bit integer path
// and a wide path) and shifting a source down to bit 0.
#include "engine/adapter.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "engine/constant_node.h"
#include "base/messages.h"

namespace Sim {

void Node_Adapter::SetSize(int slice_count, int out_width)
{
    count = std::max(slice_count, 0);
    width = std::max(out_width, 1);
    defined = 0;
    entries.assign(count, Entry{0, 0, 0, false});
    ins.assign(count, nullptr);
    out = AddPort(CreateOutputPort("out", width));
    small = width <= 32;
}

void Node_Adapter::DefineInput(int src_low, int dst_low, int bits, Port_Base* source, bool inverted)
{
    Node_Constant_Sngl& top = Node_Constant_Sngl::Instance();
    if ((source == top.ConstantPort(1) && !inverted) || (source == top.ConstantPort(2) && inverted))
        return;
    if (out == nullptr) {
        report(SEV_INTERNAL,
               "Attempted to define a Node_Adapter input before sizing. Action could not complete.");
        return;
    }
    // Mended faults: more slices than announced would overrun the tables, and negative
    // positions, empty slices or ends beyond the integer range would make shifts and
    // widths undefined.
    if (defined >= count) {
        report(SEV_INTERNAL, "Node_Adapter " + Name() + " was given more inputs than its size; input ignored.");
        return;
    }
    if (src_low < 0 || dst_low < 0 || bits < 1 || bits > INT32_MAX - src_low || bits > INT32_MAX - dst_low) {
        report(SEV_INTERNAL,
               "Node_Adapter " + Name() +
                   " was given a slice with a negative position or no bits, or out of range; input ignored.");
        return;
    }
    bool narrow = src_low + bits <= 31 && dst_low + bits <= 31;
    entries[defined] = Entry{src_low, dst_low, bits, narrow};
    if (!narrow)
        small = false;
    char port_name[16];
    std::snprintf(port_name, sizeof port_name, "in %03d", defined);
    auto* input = dynamic_cast<Port_In*>(AddPort(CreateInputPort(port_name, src_low + bits, 0)));
    if (input == nullptr) {
        report(SEV_INTERNAL, "Dynamic cast or memory allocation failed in Node_Adapter");
        return;
    }
    ins[defined] = input;
    input->SetSource(source);
    if (inverted)
        input->SetInversion(nullptr);
    ++defined;
}

bool Node_Adapter::Evaluate()
{
    if (out == nullptr) {
        report(SEV_INTERNAL, "Attempted to use Node_Adapter before size and inputs set.");
        return false;
    }
    auto narrow_piece = [this](int i) {
        const Entry& entry = entries[i];
        return ((ins[i]->ValueInt() >> entry.src_low) & LowBitsMask(entry.bits)) << entry.dst_low;
    };
    if (small) {
        uint32_t assembled = 0;
        for (int i = 0; i < defined; ++i)
            assembled |= narrow_piece(i);
        return out->SetInt(assembled);
    }
    MLIB_UINTEGER result(0, width);
    for (int i = 0; i < defined; ++i) {
        if (entries[i].narrow) {
            result |= MLIB_UINTEGER(narrow_piece(i), 32);
        } else {
            MLIB_UINTEGER piece = ins[i]->Value() >> entries[i].src_low;
            piece.resize(out->Width());
            result |= piece << entries[i].dst_low;
        }
    }
    return out->Set(result);
}

void Node_Downshifter::CreatePorts(const ParamQuery& query)
{
    int width = PerimeterWidth(query);
    from = AddPort(CreateInputPort("from", width, 0));
    to = AddPort(CreateOutputPort("to", width));
    narrow = from->Width() < 32 && to->Width() < 32;
    FollowPorts();
}

void Node_Downshifter::FollowPorts()
{
    from_word.Follow(from);
    from_value.Follow(from);
    to_word.Attach(to);
}

void Node_Downshifter::SetShift(int bits) { shift = static_cast<uint16_t>(std::clamp(bits, 0, 0xFFFF)); }

bool Node_Downshifter::Evaluate()
{
    if (narrow)
        return to_word.Write(shift < 32 ? from_word.Read() >> shift : 0u);
    return to->Set(from_value.Read() >> shift);
}

}  // namespace Sim
