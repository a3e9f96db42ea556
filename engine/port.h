// Ports: the connection points of simulation nodes. Output ports store what their node
// drives, input ports read one source output (optionally inverting bits on the way), and
// every write reports whether the stored value changed, which drives event scheduling.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/bits.h"
#include "base/mlib_integer.h"
#include "base/state_stream.h"

namespace Sim {

class Node_Base;

// Abstract root of every port. Node models use only Value, ValueInt and IsZero on their
// inputs and Set, SetInt on their outputs; the engine uses the rest. Ports are created
// by the owning node's factories (Node_Base::CreateInputPort and friends), which pick the
// `_Int` classes for widths below 32 bits; node code never needs to know which it got.
class Port_Base {
public:
    Port_Base(const std::string& name, Node_Base* owner, int width);
    virtual ~Port_Base() = default;
    Port_Base(const Port_Base&) = delete;
    Port_Base& operator=(const Port_Base&) = delete;

    virtual bool IsInput() const = 0;   // the port reads a source
    virtual bool IsOutput() const = 0;  // the port may be a source
    // The value seen through this port is zero (value bits only).
    virtual bool IsZero() = 0;
    // The value seen through this port; the reference stays valid until the next call.
    virtual const MLIB_UINTEGER& Value() = 0;
    // The low 32 bits of that value, unsigned. Most ports find that word in memory (their
    // own, or their source's) and read it without a call; the others compute it in ReadInt.
    uint32_t ValueInt() { return word != nullptr ? (*word ^ word_invert) & word_mask : ReadInt(); }
    // Connects an input to an output; misuse is reported and changes nothing.
    virtual void SetSource(Port_Base* out) = 0;
    // Writes (the next value, for registered outputs); true when the stored value changed.
    virtual bool SetInt(uint32_t v) = 0;
    virtual bool Set(const MLIB_UINTEGER& x) = 0;
    // Clock edge: registered outputs take their next value; true when it changed.
    virtual bool Clock() = 0;
    // The stored value becomes 0.
    virtual void Reset() = 0;
    // The port must be clocked by its node.
    virtual bool IsClocked() const = 0;
    // The value seen through this port can never change (it reads a constant).
    virtual bool IsFixed() const { return false; }
    // The output an input reads; none for other ports.
    virtual Port_Base* Source() const { return nullptr; }
    // Narrow outputs keep their value in one word, which their manager moves into its word
    // arena before anything links to them (see Manager::HouseWords); `slot` receives the
    // value and serves every later read and write. False, moving nothing, for other ports.
    virtual bool MoveWord(uint32_t*) { return false; }
    // The word a node may write in place of SetInt (see OutputWord): only combinational
    // narrow outputs have one. It moves with MoveWord.
    virtual uint32_t* DirectWord() { return nullptr; }
    // The object Value() returns when that object always holds the current value, so a node
    // may read it without a call (see InputValue); null when Value() computes its answer.
    virtual const MLIB_UINTEGER* ValueObject() { return nullptr; }
    // Checkpoints: what the port stores (outputs only; an input reads its source). Restore
    // fails, changing nothing more, on a value of another width.
    virtual void SaveState(StateWriter&) const {}
    virtual bool RestoreState(StateReader&) { return true; }

    int Width() const { return width; }
    Node_Base* Owner() const { return owner; }
    const std::string& Name() const { return name; }
    // Where an output's low word lives for as long as the port does, or null when the port
    // has no such word (values wider than 64 bits live on the heap and may move).
    const uint32_t* ValueWord() const { return word; }
    // How ValueInt reads: (*w ^ inv) & m, or through a call when w is null (see InputWord).
    void CopyReadPath(const uint32_t*& w, uint32_t& inv, uint32_t& m) const
    {
        w = word;
        inv = word_invert;
        m = word_mask;
    }
    uint32_t WordMask() const { return word_mask; }

protected:
    // ValueInt when `word` is null.
    virtual uint32_t ReadInt() = 0;
    // A narrow output's stored word (its own, so writing it is allowed).
    uint32_t& stored_word() { return *const_cast<uint32_t*>(word); }
    // MoveWord for narrow outputs: the value goes along.
    bool MoveStoredWord(uint32_t* slot)
    {
        *slot = *word;
        word = slot;
        return true;
    }

    // ValueInt reads (*word ^ word_invert) & word_mask. Outputs point at their own stored
    // word, held within their width and never inverted, so inputs can take over the pointer
    // and apply their own inversion and mask.
    const uint32_t* word = nullptr;
    int width;                         // bits, at least 1
    uint32_t word_invert = 0;          // bits ValueInt inverts
    uint32_t word_mask = 0xFFFFFFFFu;  // bits ValueInt keeps
    // The home of a narrow output's stored word, in the port's first cache line beside
    // `word`; the value lives wherever `word` points (here, or in its manager's word arena).
    uint32_t word_store = 0;
    Node_Base* owner;                  // the node that owns this port (not owned)
    std::string name;                  // unique among the ports of one node

private:
    friend class Node_Base;
    bool in_arena = false;             // placed in its manager's arena: destroyed, never deleted
};

// Abstract root of outputs: holds the driven value.
class Port_Out : public Port_Base {
public:
    Port_Out(const std::string& name, Node_Base* owner, int width);

    bool IsInput() const override { return false; }
    bool IsOutput() const override { return true; }
    void SetSource(Port_Base* out) override;
    void Reset() override { value = 0u; }
    void SaveState(StateWriter& out) const override { out.Value(value); }
    bool RestoreState(StateReader& in) override { return in.Value(value); }

protected:
    uint32_t ReadInt() override { return value.to_uint(); }

    MLIB_UINTEGER value;  // the port's width; created 0
};

// Combinational output, 32 bits or more.
class Port_Out_Con : public Port_Out {
public:
    using Port_Out::Port_Out;

    Port_Out_Con(const std::string& name, Node_Base* owner, int width);

    bool IsZero() override { return value.is_zero(); }
    const MLIB_UINTEGER& Value() override { return value; }
    const MLIB_UINTEGER* ValueObject() override { return &value; }
    bool SetInt(uint32_t v) override;
    bool Set(const MLIB_UINTEGER& x) override;
    bool Clock() override { return false; }
    bool IsClocked() const override { return false; }
};

// Combinational output, 1 to 31 bits: the value lives in one word and carries no
// undefined state; the inherited `value` is only the buffer Value() returns.
class Port_Out_Con_Int : public Port_Out_Con {
public:
    Port_Out_Con_Int(const std::string& name, Node_Base* owner, int width);

    bool IsZero() override { return *word == 0; }
    const MLIB_UINTEGER& Value() override;
    bool SetInt(uint32_t v) override;
    bool Set(const MLIB_UINTEGER& x) override { return SetInt(x.to_uint()); }
    void Reset() override;
    bool MoveWord(uint32_t* slot) override { return MoveStoredWord(slot); }
    uint32_t* DirectWord() override { return &stored_word(); }
    const MLIB_UINTEGER* ValueObject() override { return nullptr; }  // `value` is refreshed by Value()
    void SaveState(StateWriter& out) const override { out.U32(*word); }
    bool RestoreState(StateReader& in) override;

protected:
    // *word holds the value, always within word_mask (the low `width` bits).
    uint32_t ReadInt() override { return *word; }
};

// Registered output, 32 bits or more: writes go to `next`, Clock moves them to `value`.
class Port_Out_Reg : public Port_Out {
public:
    Port_Out_Reg(const std::string& name, Node_Base* owner, int width);

    bool IsZero() override { return value.is_zero(); }
    const MLIB_UINTEGER& Value() override { return value; }
    const MLIB_UINTEGER* ValueObject() override { return &value; }
    bool SetInt(uint32_t v) override;
    bool Set(const MLIB_UINTEGER& x) override;
    bool Clock() override;
    bool IsClocked() const override { return true; }
    void SaveState(StateWriter& out) const override;
    bool RestoreState(StateReader& in) override;

protected:
    MLIB_UINTEGER next;  // the port's width; created undefined
};

// Registered output, 1 to 31 bits, on plain words.
class Port_Out_Reg_Int : public Port_Out_Reg {
public:
    Port_Out_Reg_Int(const std::string& name, Node_Base* owner, int width);

    bool IsZero() override { return *word == 0; }
    const MLIB_UINTEGER& Value() override;
    bool SetInt(uint32_t v) override;
    bool Set(const MLIB_UINTEGER& x) override { return SetInt(x.to_uint()); }
    bool Clock() override;
    void Reset() override;
    bool MoveWord(uint32_t* slot) override { return MoveStoredWord(slot); }
    const MLIB_UINTEGER* ValueObject() override { return nullptr; }  // `value` is refreshed by Value()
    void SaveState(StateWriter& out) const override;
    bool RestoreState(StateReader& in) override;

protected:
    // *word holds the value readers see, within word_mask (the low `width` bits).
    uint32_t ReadInt() override { return *word; }

    uint32_t inext;  // the value taken at the next clock edge, as written
};

// A fixed value of the shared constant node; writes and connections are ignored.
class Port_Constant : public Port_Out {
public:
    // `constant` keeps its own width; `width` is the port's nominal width.
    Port_Constant(const std::string& name, Node_Base* owner, const MLIB_UINTEGER& constant);

    bool IsInput() const override { return true; }
    bool IsZero() override { return constant.is_zero(); }
    const MLIB_UINTEGER& Value() override { return constant; }
    const MLIB_UINTEGER* ValueObject() override { return &constant; }
    void SetSource(Port_Base*) override {}
    bool SetInt(uint32_t) override { return false; }
    bool Set(const MLIB_UINTEGER&) override { return false; }
    bool Clock() override { return false; }
    void Reset() override {}
    bool IsClocked() const override { return true; }
    bool IsFixed() const override { return true; }
    void SaveState(StateWriter&) const override {}
    bool RestoreState(StateReader&) override { return true; }

protected:
    uint32_t ReadInt() override { return constant.to_uint(); }

    MLIB_UINTEGER constant;  // the value every reader sees
};

// Input, 32 bits or more. Never unconnected: it starts on a constant port.
class Port_In : public Port_Base {
public:
    Port_In(const std::string& name, Node_Base* owner, int width, Port_Base* source);

    bool IsInput() const override { return true; }
    bool IsOutput() const override { return false; }
    bool IsZero() override;
    const MLIB_UINTEGER& Value() override;
    void SetSource(Port_Base* out) override;
    bool SetInt(uint32_t v) override;
    bool Set(const MLIB_UINTEGER& x) override;
    bool Clock() override { return false; }
    void Reset() override {}
    bool IsClocked() const override { return true; }
    bool IsFixed() const override { return source->IsFixed(); }
    // Inverts the given bits of every value read; with none, every bit.
    virtual void SetInversion(const MLIB_UINTEGER* bits);

    Port_Base* Source() const override { return source; }
    // The source's own value object when Value() returns it (same width, no inversion).
    const MLIB_UINTEGER* ValueObject() override
    {
        return !inversion && source->Width() == width ? source->ValueObject() : nullptr;
    }

protected:
    uint32_t ReadInt() override { return source->ValueInt() ^ word_invert; }
    // Takes over the source's word for ValueInt (see Port_Base::word).
    void FollowSourceWord() { word = source->ValueWord(); }

    Port_Base* source;                         // the output read (not owned, never null)
    std::unique_ptr<MLIB_UINTEGER> inversion;  // bits to invert, at the input's width, or none
    MLIB_UINTEGER read;                        // the buffer Value() returns, the input's width
};

// Input, 1 to 31 bits: reads the source's low word, so every value read is defined.
class Port_In_Int : public Port_In {
public:
    Port_In_Int(const std::string& name, Node_Base* owner, int width, Port_Base* source);

    bool IsZero() override { return ValueInt() == 0; }
    const MLIB_UINTEGER& Value() override;
    const MLIB_UINTEGER* ValueObject() override { return nullptr; }  // `read` is refreshed by Value()
    void SetInversion(const MLIB_UINTEGER* bits) override;

protected:
    // word_invert holds the bits to invert (0 when none), word_mask the low `width` bits.
    uint32_t ReadInt() override { return (source->ValueInt() ^ word_invert) & word_mask; }
};

}  // namespace Sim
