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
    entries.assign(count, Entry{0, 0, 0, false, false, false});
    ins.assign(count, nullptr);
    out = AddPort(CreateOutputPort("out", width));
    small = width <= 32;
    assembled.resize(width);  // assignment would keep the value's width of 1
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
    entries[defined] = Entry{src_low, dst_low, bits, narrow, inverted, !narrow && bits <= 32};
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
    // A slice of a word or less is read from the words of its source; wider ones, and the
    // rare slices whose inversion meets a wholly undefined source, go through the value type.
    assembled.clear_flags();
    for (int word = 0; word < assembled.words(); ++word) {
        assembled.set_word(word, 0);
        assembled.set_undef_word(word, 0);
    }
    for (int i = 0; i < defined; ++i) {
        if (entries[i].narrow) {
            assembled |= MLIB_UINTEGER(narrow_piece(i), 32);
        } else if (!entries[i].word_sized || !OrWindow(i)) {
            MLIB_UINTEGER piece = ins[i]->Value() >> entries[i].src_low;
            piece.resize(out->Width());
            assembled |= piece << entries[i].dst_low;
        }
    }
    return out->Set(assembled);
}

bool Node_Adapter::OrWindow(int i)
{
    const Entry& entry = entries[i];
    const uint64_t keep = entry.bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << entry.bits) - 1;
    uint64_t value = 0, undefined = 0;
    uint32_t flags = 0;
    if (entry.src_low + entry.bits < 32) {
        // An input below 32 bits reads its source's low word, inversion applied: defined.
        value = (ins[i]->ValueInt() >> entry.src_low) & keep;
    } else {
        // The input reads its source cut or zero-extended to src_low + bits; the slice is its
        // top `bits` bits, so it lies within what the source holds or reads as 0 beyond it.
        const MLIB_UINTEGER& source = ins[i]->Source()->Value();
        if (entry.inverted && source.is_undefined())
            return false;
        const int first = entry.src_low / 32, shift = entry.src_low % 32;
        auto window = [&](uint32_t (MLIB_UINTEGER::*plane)(int) const) {
            const uint64_t low = (source.*plane)(first), high = (source.*plane)(first + 1);
            return ((low | high << 32) >> shift) & keep;
        };
        value = window(&MLIB_UINTEGER::word);
        undefined = window(&MLIB_UINTEGER::undef_word);
        flags = source.flags();
    }
    if (entry.inverted && entry.src_low + entry.bits >= 32) {
        // An inverted input XORs with a defined mask of its own width: the value inverts, and
        // the result keeps the undefined bits and the flags of the wider operand: the read
        // value's mask up to 32 bits, the mask's (none) above.
        value = ~value & keep;
        if (entry.src_low + entry.bits > 32)
            undefined = 0;
        flags = 0;
    }
    // OR into the assembled value at dst_low, within its width: value bits are the known ones
    // of either side, undefined bits those not covered by a known 1 of the other side.
    const int dst_word = entry.dst_low / 32, dst_shift = entry.dst_low % 32;
    for (int part = 0; part < 2; ++part) {
        const int word = dst_word + part;
        if (word >= assembled.words())
            break;
        const int used = width - 32 * word;  // bits of this word within the width
        const uint32_t top = used >= 32 ? 0xFFFFFFFFu : (1u << used) - 1u;
        const uint32_t b_value = static_cast<uint32_t>((value << dst_shift) >> (32 * part)) & top;
        const uint32_t b_undef = static_cast<uint32_t>((undefined << dst_shift) >> (32 * part)) & top;
        const uint32_t a_value = assembled.word(word), a_undef = assembled.undef_word(word);
        const uint32_t known_a = a_value & ~a_undef, known_b = b_value & ~b_undef;
        assembled.set_word(word, known_a | known_b);
        assembled.set_undef_word(word, (a_undef & ~known_b) | (b_undef & ~known_a));
    }
    assembled.add_flags(flags);
    return true;
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
