// Ports, the engine's own nodes and one class per built-in primitive, each written from its
// documented parameters, ports and rules. Sequential classes keep their state here and do
// their edge work in ClockHook; every evaluation writes its outputs through the ports, which
// decide what a reader sees and whether a change is reported.
#include "model/ref_primitives.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace reference {

Change operator|(Change a, Change b)
{
    if (a == Change::kYes || b == Change::kYes)
        return Change::kYes;
    if (a == Change::kMaybe || b == Change::kMaybe)
        return Change::kMaybe;
    return Change::kNo;
}

namespace {

uint32_t NarrowMask(int width)
{
    return width >= 32 ? 0xFFFFFFFFu : (uint32_t{1} << width) - 1;
}

Change Reported(bool changed, bool unknown)
{
    return unknown ? Change::kMaybe : (changed ? Change::kYes : Change::kNo);
}

} // namespace

// ---- ports ----

Value OutPort::Get() const
{
    if (!Narrow())
        return stored;
    Value v = Value::Of(width, word);
    v.unknown = word_unknown;
    return v;
}

uint32_t OutPort::GetInt() const
{
    return Narrow() ? word : stored.Low32();
}

Change OutPort::Set(const Value& given)
{
    Value x = given;
    if (owner && owner->writing_unknown)
        x.MakeOpen();
    if (Narrow()) {
        const uint32_t v = x.Low32();
        const bool changed = v != word;
        const bool unknown = (x.unknown || word_unknown) && (changed || x.unknown != word_unknown);
        word = v & NarrowMask(width);
        word_unknown = x.unknown;
        return Reported(changed, unknown);
    }
    // An unknown value written again as the model holds it is taken as unchanged: the same
    // computation from the same inputs gives the engine the same value too.
    const bool changed = !Equal(x, stored);
    const bool unknown = (x.unknown || stored.unknown) && (changed || x.unknown != stored.unknown);
    stored = Resized(x, width);
    return Reported(changed, unknown);
}

Change OutPort::SetInt(uint32_t v)
{
    if (!Narrow())
        return Set(Value::Of(32, v));
    const bool unknown_now = owner && owner->writing_unknown;
    const bool changed = v != word;
    const bool unknown = (unknown_now || word_unknown) && (changed || unknown_now != word_unknown);
    word = v & NarrowMask(width);
    word_unknown = unknown_now;
    return Reported(changed, unknown);
}

Value InPort::Get() const
{
    if (Narrow()) {
        Value v = Value::Of(width, GetInt());
        v.unknown = source->Unknown();
        return v;
    }
    Value read = Resized(source->Get(), width);
    if (inverted)
        read = Xor(read, Value::Ones(width));
    return read;
}

uint32_t InPort::GetInt() const
{
    const uint32_t inversion = inverted ? 0xFFFFFFFFu : 0;
    if (Narrow())
        return (source->GetInt() ^ inversion) & NarrowMask(width);
    return source->Get().Low32() ^ inversion;
}

bool InPort::IsZero() const
{
    return Narrow() ? GetInt() == 0 : Get().IsZero();
}

// ---- node base ----

InPort* Node::In(const std::string& port_name)
{
    for (auto& p : inputs)
        if (p->name == port_name)
            return p.get();
    return nullptr;
}

OutPort* Node::Out(const std::string& port_name)
{
    for (auto& p : outputs)
        if (p->name == port_name)
            return p.get();
    return nullptr;
}

InPort* Node::AddIn(const std::string& port_name, int width, int kind)
{
    auto port = std::make_unique<InPort>();
    port->name = port_name;
    port->width = width < 1 ? 1 : width;
    port->kind = kind;
    inputs.push_back(std::move(port));
    return inputs.back().get();
}

OutPort* Node::AddOut(const std::string& port_name, int width)
{
    auto port = std::make_unique<OutPort>();
    port->name = port_name;
    port->width = width < 1 ? 1 : width;
    port->owner = this;
    port->stored = Value::Zero(port->width);
    outputs.push_back(std::move(port));
    return outputs.back().get();
}

bool Node::AnyInputUnknown() const
{
    for (const auto& p : inputs)
        if (p->source && p->Unknown())
            return true;
    return false;
}

// ---- the engine's own nodes ----

ConstantNode::ConstantNode() : Node("(top)")
{
    zero = AddOut("(zero)", 32);
    one = AddOut("(one)", 32);
    one->stored = Value::Ones(32);
    unused = AddOut("(unused)", 32);
    unused->stored.SetUndefined();
}

OutPort* ConstantNode::OnesFor(int width)
{
    if (width <= 32)
        return one;
    const std::string name = "(one)/" + std::to_string(width);
    if (OutPort* made = Out(name))
        return made;
    OutPort* wide = AddOut(name, width);
    wide->stored = Value::Ones(width);
    return wide;
}

PerimeterIn::PerimeterIn(const std::string& node_name, int width) : Node(node_name)
{
    port = AddOut("(perimeter io)", width);
    stored = Value::Zero(width);
    stored.SetUndefined();
}

Change PerimeterIn::Evaluate()
{
    port->Set(stored);
    return Change::kYes;
}

bool PerimeterIn::Settled() const
{
    return Equal(stored, port->Get());
}

PerimeterOut::PerimeterOut(const std::string& node_name, int width) : Node(node_name)
{
    input = AddIn("(perimeter io)", width, 0);
    captured = Value::Zero(width);
    captured.SetUndefined();
}

Change PerimeterOut::Evaluate()
{
    captured = input->Get();
    return Change::kNo;
}

Downshifter::Downshifter(const std::string& node_name, int width, int shift_by) : Node(node_name), shift(shift_by)
{
    from = AddIn("from", width, 0);
    to = AddOut("to", width);
}

Change Downshifter::Evaluate()
{
    return to->Set(Shr(from->Get(), shift));
}

void Adapter::DefineInput(int src_low, int dst_low, int bits, const OutPort* source, bool is_zero_constant,
                          bool is_one_constant, bool inverted)
{
    if ((is_zero_constant && !inverted) || (is_one_constant && inverted))
        return; // contributes only zeros
    char port_name[16];
    std::snprintf(port_name, sizeof port_name, "in %03d", static_cast<int>(entries.size()));
    InPort* in = AddIn(port_name, src_low + bits, 0);
    in->source = source;
    in->inverted = inverted;
    const bool narrow = src_low + bits <= 31 && dst_low + bits <= 31;
    small = small && narrow;
    entries.push_back({src_low, dst_low, bits, narrow, in});
}

void Adapter::Finish()
{
    out = AddOut("out", width);
    small = small && width <= 32;
}

Change Adapter::Evaluate()
{
    auto narrow_bits = [](const Entry& e) {
        return ((e.in->GetInt() >> e.src_low) & ((uint32_t{1} << e.bits) - 1)) << e.dst_low;
    };
    if (small) {
        uint32_t acc = 0;
        for (const Entry& e : entries)
            acc |= narrow_bits(e);
        return out->SetInt(acc);
    }
    Value result = Value::Zero(width);
    for (const Entry& e : entries) {
        if (e.narrow) {
            Value part = Value::Of(32, narrow_bits(e));
            part.unknown = e.in->Unknown();
            OrAssign(result, part);
        } else {
            OrAssign(result, Shl(Resized(Shr(e.in->Get(), e.src_low), width), e.dst_low));
        }
    }
    return out->Set(result);
}

// ---- primitives ----

namespace {

enum Kind { kNone = 0, kZero = 1, kOne = 2 };

// Reads integer parameters the documented way: each name, if present, overrides.
class ParamReader {
public:
    explicit ParamReader(const SimParams& p) : params_(p) {}
    void Read(const std::string& name, int& into) const
    {
        auto it = params_.find(name);
        if (it != params_.end())
            into = it->second.integer;
    }
    void ReadText(const std::string& name, std::string& into) const
    {
        auto it = params_.find(name);
        if (it != params_.end())
            into = it->second.text.empty() ? std::to_string(it->second.integer) : it->second.text;
    }
    bool Has(const std::string& name) const { return params_.count(name) != 0; }
    int Get(const std::string& name, int fallback) const
    {
        int v = fallback;
        Read(name, v);
        return v;
    }

private:
    const SimParams& params_;
};

// "width" into the three widths, then each specific name.
struct ThreeWidths {
    int a, b, o;
    ThreeWidths(const ParamReader& r, int fallback) : a(fallback), b(fallback), o(fallback)
    {
        r.Read("width", a);
        r.Read("width", b);
        r.Read("width", o);
        r.Read("width_a", a);
        r.Read("width_b", b);
        r.Read("width_o", o);
    }
};

Value Bit1(bool b)
{
    return Value::Of(1, b ? 1 : 0);
}

// ---- arithmetic and comparison ----

class UnsnAdd : public Node {
public:
    UnsnAdd(const std::string& n, const ParamReader& r) : Node(n)
    {
        ThreeWidths w(r, 1);
        dataa = AddIn("dataa", w.a, kNone);
        datab = AddIn("datab", w.b, kNone);
        cin = AddIn("cin", 1, kNone);
        dataout = AddOut("dataout", w.o);
        cout = AddOut("cout", 1);
    }
    std::string ClassName() const override { return "Node_UnsnAdd"; }
    Change Evaluate() override
    {
        const int w = dataout->width;
        Value acc = Value::Zero(w + 1);
        AddAssign(acc, dataa->Get());
        AddAssign(acc, datab->Get());
        AddAssign(acc, cin->Get());
        return cout->Set(Bit1(acc.Bit(w))) | dataout->Set(Resized(acc, w));
    }
    InPort *dataa, *datab, *cin;
    OutPort *dataout, *cout;
};

class UnsnAddSm : public UnsnAdd {
public:
    using UnsnAdd::UnsnAdd;
    std::string ClassName() const override { return "Node_UnsnAdd_Sm"; }
    Change Evaluate() override
    {
        const uint32_t s = datab->GetInt() + cin->GetInt() + dataa->GetInt();
        const int w = dataout->width;
        return cout->SetInt((s >> (w % 32)) & 1) | dataout->SetInt(s);
    }
};

class SignAdd : public UnsnAdd {
public:
    using UnsnAdd::UnsnAdd;
    std::string ClassName() const override { return "Node_SignAdd"; }
    Change Evaluate() override
    {
        const int w = dataout->width;
        const Value sum = SAddU(SAdd(dataa->Get(), datab->Get()), cin->Get());
        const Value acc = Resized(sum, w + 1);
        return cout->Set(Bit1(acc.Bit(w))) | dataout->Set(Resized(acc, w));
    }
};

class AddSub : public Node {
public:
    AddSub(const std::string& n, const ParamReader& r, bool is_signed) : Node(n), signed_(is_signed)
    {
        ThreeWidths w(r, 32);
        dataa = AddIn("dataa", w.a, kNone);
        datab = AddIn("datab", w.b, kNone);
        flag = AddIn("flag", 1, kNone);
        dataout = AddOut("dataout", w.o);
    }
    std::string ClassName() const override { return signed_ ? "Node_SignAddSub" : "Node_UnsnAddSub"; }
    Change Evaluate() override
    {
        const int w = dataout->width;
        const bool add = (flag->GetInt() & 1) != 0;
        if (signed_) {
            const Value x = SignResized(dataa->Get(), w), y = datab->Get();
            return dataout->Set(add ? SAdd(x, y) : SSub(x, y));
        }
        const Value x = Resized(dataa->Get(), w);
        return dataout->Set(add ? Add(x, datab->Get()) : Sub(x, datab->Get()));
    }
    bool signed_;
    InPort *dataa, *datab, *flag;
    OutPort* dataout;
};

class Multiplier : public Node {
public:
    Multiplier(const std::string& n, const ParamReader& r, bool is_signed) : Node(n), signed_(is_signed)
    {
        ThreeWidths w(r, 1);
        dataa = AddIn("dataa", w.a, kNone);
        datab = AddIn("datab", w.b, kNone);
        dataout = AddOut("dataout", w.o);
    }
    std::string ClassName() const override { return signed_ ? "Node_SignMul" : "Node_UnsnMul"; }
    Change Evaluate() override
    {
        return dataout->Set(signed_ ? SMul(dataa->Get(), datab->Get()) : Mul(dataa->Get(), datab->Get()));
    }
    bool signed_;
    InPort *dataa, *datab;
    OutPort* dataout;
};

class Divider : public Node {
public:
    Divider(const std::string& n, const ParamReader& r, bool is_signed, bool remainder)
        : Node(n), signed_(is_signed), remainder_(remainder)
    {
        ThreeWidths w(r, 6);
        dataa = AddIn("dataa", w.a, kNone);
        datab = AddIn("datab", w.b, kNone);
        dataout = AddOut("dataout", w.o);
    }
    std::string ClassName() const override
    {
        return std::string(signed_ ? "Node_Sign" : "Node_Unsn") + (remainder_ ? "Mod" : "Div");
    }
    Change Evaluate() override
    {
        const int w = dataout->width;
        const Value y = datab->Get();
        Value r = Value::Zero(w);
        if (y.IsZero()) {
            r.SetUndefined();
            r.unknown = dataa->Unknown() || y.unknown;
        } else if (signed_) {
            const Value x = SignResized(dataa->Get(), w);
            r = SignedAssign(remainder_ ? SMod(x, y) : SDiv(x, y), w);
        } else {
            const Value x = Resized(dataa->Get(), w);
            r = Resized(remainder_ ? ModU(x, y) : DivU(x, y), w);
        }
        return dataout->Set(r);
    }
    bool signed_, remainder_;
    InPort *dataa, *datab;
    OutPort* dataout;
};

class CmpLE : public Node {
public:
    CmpLE(const std::string& n, const ParamReader& r, bool is_signed) : Node(n), signed_(is_signed)
    {
        int wa = 6, wb = 6;
        r.Read("width", wa);
        r.Read("width", wb);
        r.Read("width_a", wa);
        r.Read("width_b", wb);
        dataa = AddIn("dataa", wa, kNone);
        datab = AddIn("datab", wb, kNone);
        equ_ok = AddIn("equ_ok", 1, kNone);
        out = AddOut("out", 1);
    }
    std::string ClassName() const override { return signed_ ? "Node_SignCmpLE" : "Node_UnsnCmpLE"; }
    Change Evaluate() override
    {
        const Value a = dataa->Get(), b = datab->Get();
        const int c = signed_ ? CompareS(a, b) : CompareU(a, b);
        return out->Set(Bit1(equ_ok->IsZero() ? c < 0 : c <= 0));
    }
    bool signed_;
    InPort *dataa, *datab, *equ_ok;
    OutPort* out;
};

// The six-output comparator; `depth` 0 is the combinational class.
class LpmCompare : public Node {
public:
    LpmCompare(const std::string& n, const ParamReader& r, bool piped) : Node(n)
    {
        int width = 1;
        std::string representation = "UNSIGNED";
        r.Read("lpm_width", width);
        if (piped) {
            depth_ = 1;
            r.Read("lpm_pipeline", depth_);
        }
        r.ReadText("lpm_representation", representation);
        signed_ = representation == "SIGNED";
        dataa = AddIn("dataa", width, kNone);
        datab = AddIn("datab", width, kNone);
        aclr = AddIn("aclr", 1, kZero);
        clken = AddIn("clken", 1, kOne);
        for (const char* name : {"alb", "aeb", "agb", "aleb", "aneb", "ageb"})
            results.push_back(AddOut(name, 1));
        bytes_.assign(depth_ + 1, 0);
    }
    std::string ClassName() const override { return depth_ ? "Node_LpmComparePiped" : "Node_LpmCompare"; }
    bool Combinational() const override { return depth_ == 0; }
    Change Evaluate() override
    {
        if (aclr->GetInt() != 0) {
            bytes_.assign(depth_ + 1, 0);
            shown_ = 0;
            state_unknown_ = aclr->Unknown();
            return WriteByte(0, aclr->Unknown());
        }
        const Value a = dataa->Get(), b = datab->Get();
        const int c = signed_ ? CompareS(a, b) : CompareU(a, b);
        const bool eq = signed_ ? SEqual(a, b) : Equal(a, b);
        const int f = (c < 0) | eq << 1 | (c > 0) << 2 | (c <= 0) << 3 | (!eq) << 4 | (c >= 0) << 5;
        const bool unknown = a.unknown || b.unknown || aclr->Unknown();
        if (depth_ == 0)
            return WriteByte(f, unknown);
        if (clken->Unknown())
            state_unknown_ = true;
        // An evaluation with "clken" 0 holds the outputs: they keep the byte shown last, as the
        // engine does. Showing b[0] there instead would give, after an advance, the next byte
        // one advancing evaluation early.
        if (!clken->IsZero()) {
            bytes_[depth_] = f;
            shown_ = bytes_[0];
            for (int i = 0; i < depth_; ++i)
                bytes_[i] = bytes_[i + 1];
            state_unknown_ = state_unknown_ || unknown;
        }
        return WriteByte(shown_, state_unknown_);
    }
    void UncertainEvaluation() override
    {
        if (depth_ && !clken->IsZero())
            state_unknown_ = true;
    }

private:
    Change WriteByte(int byte, bool unknown)
    {
        writing_unknown = unknown;
        Change c = Change::kNo;
        for (int i = 0; i < 6; ++i)
            c = c | results[i]->SetInt((byte >> i) & 1);
        writing_unknown = false;
        return c;
    }
    bool signed_ = false;
    int depth_ = 0;
    std::vector<int> bytes_; // packed results b[0..depth]
    int shown_ = 0;          // the byte on the outputs
    bool state_unknown_ = false;
    InPort *dataa, *datab, *aclr, *clken;
    std::vector<OutPort*> results;
};

class Abs : public Node {
public:
    Abs(const std::string& n, const ParamReader& r) : Node(n)
    {
        const int width = r.Get("lpm_width", 1);
        data = AddIn("data", width, kNone);
        result = AddOut("result", width);
        overflow = AddOut("overflow", 1);
    }
    std::string ClassName() const override { return "Node_Abs"; }
    Change Evaluate() override
    {
        const Value x = data->Get();
        const int w = x.width;
        bool most_negative = x.IsNegative();
        for (int i = 0; i + 1 < w; ++i)
            most_negative = most_negative && !x.Bit(i);
        if (!x.IsNegative())
            return result->Set(x) | overflow->Set(Bit1(false));
        if (w == 1 || most_negative)
            return result->Set(x) | overflow->Set(Bit1(true));
        Value magnitude = Not(x);
        magnitude.undefined = magnitude.high_z = false;
        magnitude.xmask.assign(magnitude.xmask.size(), 0);
        AddAssign(magnitude, Value::Of(w, 1));
        magnitude.unknown = x.unknown || !x.Plain(); // the mask of ~x + 1 is not documented
        return result->Set(magnitude) | overflow->Set(Bit1(false));
    }
    InPort* data;
    OutPort *result, *overflow;
};

// ---- logic, shifts, buffers ----

class Reduction : public Node {
public:
    enum Op { kOr, kAnd, kXor };
    Reduction(const std::string& n, const ParamReader& r, Op op, bool small) : Node(n), op_(op), small_(small)
    {
        int w = 2;
        if (!(small && op == kAnd))
            r.Read("width", w);
        r.Read("width_datain", w);
        datain = AddIn("datain", w, kNone);
        dataout = AddOut("dataout", 1);
    }
    std::string ClassName() const override
    {
        static const char* names[] = {"Node_CombOr", "Node_CombAnd", "Node_CombXor"};
        return std::string(names[op_]) + (small_ ? "_Sm" : "");
    }
    Change Evaluate() override
    {
        const int w = datain->width;
        bool result = false;
        if (small_) {
            const uint32_t mask = w >= 32 ? 0xFFFFFFFFu : (uint32_t{1} << w) - 1;
            const uint32_t v = datain->GetInt();
            if (op_ == kOr)
                result = v != 0;
            else if (op_ == kAnd)
                result = v == mask;
            else
                result = __builtin_popcount(v & mask) & 1;
            return dataout->SetInt(result ? 1 : 0);
        }
        const Value v = datain->Get();
        result = op_ == kAnd;
        for (int i = 0; i < w; ++i) {
            if (op_ == kOr)
                result = result || v.Bit(i);
            else if (op_ == kAnd)
                result = result && v.Bit(i);
            else
                result = result != (v.Bit(i) != 0);
        }
        return dataout->Set(Bit1(result));
    }
    Op op_;
    bool small_;
    InPort* datain;
    OutPort* dataout;
};

class Shifter : public Node {
public:
    enum Op { kShl, kShr, kRol, kRor };
    Shifter(const std::string& n, const ParamReader& r, Op op) : Node(n), op_(op)
    {
        int win = 6, wamount = 6, wout = 6;
        for (int* w : {&win, &wamount, &wout})
            r.Read("width", *w);
        r.Read("width_in", win);
        r.Read("width_amount", wamount);
        r.Read("width_out", wout);
        if (op == kShl || op == kShr)
            r.Read("fill", fill_parameter_);
        datain = AddIn("datain", win, kNone);
        amount = AddIn("amount", wamount, kNone);
        if (op == kShl || op == kShr)
            fill = AddIn("fill", 1, kNone);
        dataout = AddOut("dataout", wout);
    }
    std::string ClassName() const override
    {
        static const char* names[] = {"Node_SHL", "Node_SHR", "Node_ROL", "Node_ROR"};
        return names[op_];
    }
    Change Evaluate() override
    {
        const int win = datain->width, wout = dataout->width, m = std::max(win, wout);
        const uint32_t a = amount->GetInt();
        if (op_ == kRol || op_ == kRor) {
            const int k = static_cast<int>(a % static_cast<uint32_t>(win));
            const Value x = datain->Get();
            const Value r = op_ == kRol ? Or(Shl(x, k), Shr(x, win - k)) : Or(Shr(x, k), Shl(x, win - k));
            return dataout->Set(Resized(r, win));
        }
        if (op_ == kShr && fill_parameter_ != 0) { // arithmetic
            Value x = SignResized(datain->Get(), m);
            SraWithin(x, static_cast<int>(std::min<uint32_t>(a, m)));
            return dataout->Set(SignResized(x, wout));
        }
        Value x = (op_ == kShl && fill_parameter_ == 1) ? SignResized(datain->Get(), m) : Resized(datain->Get(), m);
        if (fill->GetInt() != 0) {
            if (a >= static_cast<uint32_t>(m)) {
                const bool open = !x.Plain() || x.unknown;
                x = Value::Ones(m);
                x.unknown = open; // whether the flags survive is not documented
            } else if (op_ == kShl) {
                ShlWithin(x, static_cast<int>(a));
                for (uint32_t i = 0; i < a; ++i)
                    x.PutBit(static_cast<int>(i), 1);
            } else {
                ShrWithin(x, static_cast<int>(a));
                for (int i = m - static_cast<int>(a); i < m; ++i)
                    x.PutBit(i, 1);
            }
        } else if (op_ == kShl) {
            ShlWithin(x, static_cast<int>(std::min<uint32_t>(a, m)));
        } else {
            ShrWithin(x, static_cast<int>(std::min<uint32_t>(a, m)));
        }
        return dataout->Set(Resized(x, wout));
    }
    Op op_;
    int fill_parameter_ = 0;
    InPort *datain, *amount, *fill = nullptr;
    OutPort* dataout;
};

class Buffer : public Node {
public:
    Buffer(const std::string& n, const ParamReader& r, bool tri) : Node(n), tri_(tri)
    {
        const int w = r.Get("width", 1);
        datain = AddIn("datain", w, kNone);
        if (tri)
            enable = AddIn("enable", 1, kNone);
        dataout = AddOut("dataout", w);
    }
    std::string ClassName() const override { return tri_ ? "Node_BufTri" : "Node_BufDrn"; }
    Change Evaluate() override
    {
        if (tri_)
            return dataout->Set(enable->IsZero() ? Value::Zero(dataout->width) : datain->Get());
        if (datain->IsZero())
            return dataout->Set(datain->Get());
        Value z = Value::Zero(dataout->width);
        z.high_z = true;
        return dataout->Set(z);
    }
    bool tri_;
    InPort *datain, *enable = nullptr;
    OutPort* dataout;
};

class Decoder : public Node {
public:
    Decoder(const std::string& n, const ParamReader& r) : Node(n)
    {
        int wi = 1, wo = 2;
        r.Read("width", wi);
        r.Read("width", wo);
        r.Read("width_i", wi);
        r.Read("width_o", wo);
        datain = AddIn("datain", wi, kNone);
        dataout = AddOut("dataout", wo);
    }
    std::string ClassName() const override { return "Node_Decoder"; }
    Change Evaluate() override
    {
        const uint32_t k = datain->GetInt();
        Value r = Value::Zero(dataout->width);
        if (k < static_cast<uint32_t>(dataout->width))
            r.PutBit(static_cast<int>(k), 1);
        return dataout->Set(r);
    }
    InPort* datain;
    OutPort* dataout;
};

// ---- selection ----

class Mux2 : public Node {
public:
    enum Form { kBitwise, kSmall, kSimple };
    Mux2(const std::string& n, const ParamReader& r, Form form) : Node(n), form_(form)
    {
        int w = 1;
        r.Read("width", w);
        r.Read(form == kSimple ? "data_width" : "array_width", w);
        dataa = AddIn("dataa", w, kNone);
        datab = AddIn("datab", w, kNone);
        if (form == kSimple) {
            dataout = AddOut("dataout", w);
            select = AddIn("outputselect", 1, kNone);
        } else {
            select = AddIn("outputselect", w, kNone);
            dataout = AddOut("dataout", w);
        }
    }
    std::string ClassName() const override
    {
        static const char* names[] = {"Node_Mux2to1", "Node_MuxSmall", "Node_MuxSimple"};
        return names[form_];
    }
    Change Evaluate() override
    {
        if (form_ == kSimple)
            return dataout->SetInt(select->IsZero() ? dataa->GetInt() : datab->GetInt());
        if (form_ == kSmall) {
            const uint32_t a = dataa->GetInt(), b = datab->GetInt(), s = select->GetInt();
            return dataout->Set(Value::Of(dataout->width, (~s & a) | (b & s)));
        }
        const Value a = dataa->Get(), b = datab->Get(), s = select->Get();
        Value r = Value::Zero(dataout->width);
        for (int i = 0; i < r.width; ++i)
            r.PutBit(i, s.Bit(i) ? b.Bit(i) : a.Bit(i));
        return dataout->Set(r);
    }
    Form form_;
    InPort *dataa, *datab, *select;
    OutPort* dataout;
};

class BusMux2 : public Node {
public:
    BusMux2(const std::string& n, const ParamReader& r) : Node(n)
    {
        ThreeWidths w(r, 6);
        dataa = AddIn("dataa", w.a, kNone);
        datab = AddIn("datab", w.b, kNone);
        select = AddIn("select", 1, kNone);
        dataout = AddOut("dataout", w.o);
    }
    std::string ClassName() const override { return "Node_BusMux2"; }
    Change Evaluate() override { return dataout->Set(select->IsZero() ? dataa->Get() : datab->Get()); }
    InPort *dataa, *datab, *select;
    OutPort* dataout;
};

class BitSelect : public Node {
public:
    BitSelect(const std::string& n, const ParamReader& r, bool small) : Node(n), small_(small)
    {
        int wd = 6, ws = 6;
        r.Read("width", wd);
        r.Read("width", ws);
        r.Read("width_data", wd);
        r.Read("width_select", ws);
        datain = AddIn("datain", wd, kNone);
        select = AddIn("select", ws, kNone);
        dataout = AddOut("dataout", 1);
    }
    std::string ClassName() const override { return small_ ? "Node_Mux_Sm" : "Node_Mux"; }
    Change Evaluate() override
    {
        const uint32_t s = select->GetInt();
        if (small_) {
            if (s >= 32)
                throw std::logic_error("a small bit selector was given a select of 32 or more");
            return dataout->SetInt((datain->GetInt() >> s) & 1);
        }
        if (s >= static_cast<uint32_t>(datain->width))
            throw std::logic_error("a bit selector was given a select beyond its data");
        return dataout->Set(Bit1(datain->Get().Bit(static_cast<int>(s))));
    }
    bool small_;
    InPort *datain, *select;
    OutPort* dataout;
};

class Selector : public Node {
public:
    Selector(const std::string& n, const ParamReader& r, bool small) : Node(n), small_(small)
    {
        int wsel = 6;
        r.Read("width_sel", wsel);
        int wdata = wsel;
        r.Read("width_data", wdata);
        data = AddIn("data", wdata, kNone);
        mask = AddIn("mask", wsel, kNone);
        out = AddOut("out", 1);
    }
    std::string ClassName() const override { return small_ ? "Node_Selector_Sm" : "Node_Selector"; }
    Change Evaluate() override
    {
        if (small_)
            return out->SetInt((data->GetInt() & mask->GetInt()) != 0 ? 1 : 0);
        return out->Set(Bit1(!And(data->Get(), mask->Get()).IsZero()));
    }
    bool small_;
    InPort *data, *mask;
    OutPort* out;
};

class LpmMux : public Node {
public:
    LpmMux(const std::string& n, const ParamReader& r, bool piped) : Node(n), piped_(piped)
    {
        r.Read("lpm_width", width_);
        r.Read("lpm_size", size_);
        int widths = 1;
        r.Read("lpm_widths", widths);
        r.Read("lpm_pipeline", depth_);
        data = AddIn("data", width_ * size_, kNone);
        sel = AddIn("sel", widths, kNone);
        if (piped) {
            aclr = AddIn("aclr", 1, kZero);
            clken = AddIn("clken", 1, kOne);
            result = AddOut("result", width_);
        } else {
            result = AddOut("result", width_);
            aclr = AddIn("aclr", 1, kNone);
            clken = AddIn("clken", 1, kNone);
        }
        staging_ = Value::Zero(width_);
        if (piped)
            pipeline_.assign(std::max(depth_, 0), Value::Zero(width_));
    }
    std::string ClassName() const override { return piped_ ? "Node_MuxPiped" : "Node_MuxConc"; }
    bool Combinational() const override { return !piped_; }
    Value Selected() const
    {
        const uint32_t s = sel->GetInt();
        Value x = data->Get();
        if (s < static_cast<uint32_t>(size_))
            ShrWithin(x, static_cast<int>(s) * width_);
        else
            x.SetUndefined();
        if (sel->Unknown())
            x.MakeOpen();
        return Resized(x, width_);
    }
    Change Evaluate() override
    {
        if (!piped_)
            return result->Set(Selected());
        enabled_ = clken->GetInt() != 0;
        enabled_unknown_ = clken->Unknown();
        if (aclr->GetInt() != 0) {
            for (Value& v : pipeline_)
                v = Value::Zero(width_);
            staging_ = Value::Zero(width_);
            staging_.unknown = aclr->Unknown();
            return result->Set(staging_);
        }
        staging_ = Selected();
        if (aclr->Unknown())
            staging_.MakeOpen();
        return Change::kNo;
    }
    Change ClockHook() override
    {
        if (!piped_)
            return Change::kNo;
        if (enabled_ || enabled_unknown_) {
            pipeline_[position_] = staging_;
            position_ = (position_ + 1) % depth_;
        }
        if (enabled_unknown_)
            for (Value& v : pipeline_)
                v.MakeOpen();
        return result->Set(pipeline_[position_]);
    }
    bool piped_;
    int width_ = 1, size_ = 2, depth_ = 0;
    std::vector<Value> pipeline_;
    int position_ = 0;
    Value staging_;
    bool enabled_ = true, enabled_unknown_ = false;
    InPort *data, *sel, *aclr, *clken;
    OutPort* result;
};

// ---- registers, latch, shift-taps ----

class Register : public Node {
public:
    Register(const std::string& n, const ParamReader& r, bool one_bit) : Node(n), bit_(one_bit)
    {
        int w = 1;
        if (!one_bit) {
            r.Read("width", w);
            r.Read("array_width", w);
        }
        datain = AddIn("datain", w, kNone);
        dataout = AddOut("dataout", w);
        adata = AddIn("adata", w, kZero);
        preset = AddIn("preset", w, kZero);
        clear = AddIn("clear", w, kZero);
        aload = AddIn("aload", w, kZero);
        ena = AddIn("ena", w, kOne);
        AddIn("sclr", w, kZero);
        AddIn("sload", w, kZero);
        stored_ = data_seen_ = enable_seen_ = Value::Zero(w);
    }
    std::string ClassName() const override { return bit_ ? "Node_DFFE_Bit" : "Node_DFFE"; }
    bool Combinational() const override { return false; }
    bool ClockWork() const override { return pending_ || pending_unknown_; }
    Change Evaluate() override
    {
        const bool controls_unknown = preset->Unknown() || clear->Unknown() || aload->Unknown();
        if (bit_)
            return EvaluateBit(controls_unknown);
        enable_seen_ = ena->Get();
        data_seen_ = datain->Get();
        if (!preset->IsZero()) {
            OrAssign(stored_, preset->Get());
        } else if (!clear->IsZero()) {
            const Value cleared = Not(clear->Get());
            AndAssign(stored_, cleared);
            // A clear with undefined bits is not idempotent (an undefined bit AND an undefined
            // bit is a known 0), and the engine may evaluate a register more than once in a
            // settle when a driver of it comes later in its order: the contents are then open.
            Value again = stored_;
            AndAssign(again, cleared);
            if (!Equal(again, stored_))
                stored_.MakeOpen();
        } else if (!aload->IsZero()) {
            stored_ = Resized(adata->Get(), stored_.width);
        } else {
            pending_ = !Equal(stored_, data_seen_);
            pending_unknown_ = stored_.unknown || data_seen_.unknown || controls_unknown;
            return Change::kNo;
        }
        if (controls_unknown)
            stored_.MakeOpen();
        data_seen_ = stored_;
        pending_ = false;
        pending_unknown_ = controls_unknown;
        return dataout->Set(stored_);
    }
    Change ClockHook() override
    {
        if (bit_)
            return ClockBit();
        Value kept = stored_;
        // With every bit enabled the kept contents do not reach the result.
        if (enable_seen_.Plain() && !enable_seen_.unknown && Equal(enable_seen_, Value::Ones(enable_seen_.width)))
            kept.unknown = false;
        Value next = Resized(Or(And(enable_seen_, data_seen_), And(Not(enable_seen_), kept)), stored_.width);
        if (pending_unknown_ && !(Equal(next, stored_) && !next.unknown && !stored_.unknown))
            next.MakeOpen();
        stored_ = next;
        return dataout->Set(stored_);
    }
    void UncertainEvaluation() override { pending_unknown_ = true; }

private:
    Change EvaluateBit(bool controls_unknown)
    {
        enable_bit_ = ena->GetInt();
        data_bit_ = datain->GetInt();
        bit_data_unknown_ = datain->Unknown();
        enable_bit_unknown_ = ena->Unknown();
        uint32_t forced;
        if (preset->GetInt() != 0)
            forced = 1;
        else if (clear->GetInt() != 0)
            forced = 0;
        else if (aload->GetInt() != 0) {
            forced = adata->GetInt();
            controls_unknown = controls_unknown || adata->Unknown();
        } else {
            pending_ = stored_bit_ != data_bit_;
            pending_unknown_ = stored_bit_unknown_ || bit_data_unknown_ || controls_unknown;
            return Change::kNo;
        }
        stored_bit_ = data_bit_ = forced;
        stored_bit_unknown_ = bit_data_unknown_ = controls_unknown;
        pending_ = false;
        pending_unknown_ = controls_unknown;
        writing_unknown = controls_unknown;
        const Change c = dataout->SetInt(forced);
        writing_unknown = false;
        return c;
    }
    Change ClockBit()
    {
        if (enable_bit_ == 0 && !enable_bit_unknown_)
            return Change::kNo;
        const bool unknown = bit_data_unknown_ || enable_bit_unknown_ ||
                             (pending_unknown_ && (stored_bit_ != data_bit_ || stored_bit_unknown_));
        stored_bit_ = data_bit_;
        stored_bit_unknown_ = unknown;
        writing_unknown = unknown;
        const Change c = dataout->SetInt(data_bit_);
        writing_unknown = false;
        return c;
    }

    bool bit_;
    Value stored_, data_seen_, enable_seen_;                  // Node_DFFE
    uint32_t stored_bit_ = 0, data_bit_ = 0, enable_bit_ = 0; // Node_DFFE_Bit
    bool stored_bit_unknown_ = false, bit_data_unknown_ = false, enable_bit_unknown_ = false;
    bool pending_ = true; // created pending: the first cycle gives an edge
    bool pending_unknown_ = false;
    InPort *datain, *adata, *preset, *clear, *aload, *ena;
    OutPort* dataout;
};

class Latch : public Node {
public:
    explicit Latch(const std::string& n) : Node(n)
    {
        datain = AddIn("datain", 1, kNone);
        latch_enable = AddIn("latch_enable", 1, kNone);
        aclr = AddIn("aclr", 1, kNone);
        apre = AddIn("apre", 1, kNone);
        dataout = AddOut("dataout", 1);
    }
    std::string ClassName() const override { return "Node_Latch"; }
    Change Evaluate() override
    {
        if (aclr->GetInt() != 0)
            return dataout->SetInt(0);
        if (apre->GetInt() != 0)
            return dataout->SetInt(1);
        if (latch_enable->GetInt() != 0)
            return dataout->Set(datain->Get());
        return Change::kNo;
    }
    InPort *datain, *latch_enable, *aclr, *apre;
    OutPort* dataout;
};

class ShiftTaps : public Node {
public:
    ShiftTaps(const std::string& n, const ParamReader& r) : Node(n)
    {
        r.Read("number_of_taps", taps_);
        r.Read("tap_distance", distance_);
        r.Read("width", width_);
        shiftin = AddIn("shiftin", width_, kNone);
        clken = AddIn("clken", 1, kOne);
        shiftout = AddOut("shiftout", width_);
        taps = AddOut("taps", width_ * taps_);
        ring_.assign(taps_ * distance_, Value::Zero(width_));
        input_seen_ = Value::Zero(width_);
    }
    std::string ClassName() const override { return "Node_MrvShiftTaps"; }
    bool Combinational() const override { return false; }
    Change Evaluate() override
    {
        enabled_ = clken->GetInt() != 0;
        enabled_unknown_ = clken->Unknown();
        input_seen_ = shiftin->Get();
        return Change::kNo;
    }
    Change ClockHook() override
    {
        if (!enabled_ && !enabled_unknown_)
            return Change::kNo;
        const int length = static_cast<int>(ring_.size());
        ring_[position_] = Resized(input_seen_, width_);
        position_ = (position_ + 1) % length;
        if (enabled_unknown_)
            for (Value& v : ring_)
                v.MakeOpen();
        Value all = Shl(ring_[(position_ + (taps_ - 1) * distance_) % length], 0);
        bool flags = all.HasFlags();
        for (int i = 1; i < taps_; ++i) {
            const Value& tap = ring_[(position_ + (taps_ - 1 - i) * distance_) % length];
            flags = flags || tap.HasFlags();
            all = Or(all, Shl(tap, i * width_));
        }
        if (flags)
            all.MakeOpen(); // how the taps' flags combine is not documented
        return shiftout->Set(ring_[position_]) | taps->Set(all);
    }
    int taps_ = 4, distance_ = 3, width_ = 8;
    std::vector<Value> ring_;
    int position_ = 0;
    Value input_seen_;
    bool enabled_ = true, enabled_unknown_ = false;
    InPort *shiftin, *clken;
    OutPort *shiftout, *taps;
};

} // namespace

std::unique_ptr<Node> MakePrimitive(int code, const std::string& n, const SimParams& params)
{
    const ParamReader r(params);
    auto present_and = [&](const char* name, auto test) { return r.Has(name) && test(r.Get(name, 0)); };
    const bool is_signed = present_and("signed", [](int v) { return v == 1; });
    switch (code) {
    case 1: {
        const bool one_bit = !r.Has("array_width") || r.Get("array_width", 0) == 1;
        return std::make_unique<Register>(n, r, one_bit);
    }
    case 2: {
        if (!r.Has("array_width") || r.Get("array_width", 0) == 1)
            return std::make_unique<Mux2>(n, r, Mux2::kSimple);
        return std::make_unique<Mux2>(n, r, r.Get("array_width", 0) > 32 ? Mux2::kBitwise : Mux2::kSmall);
    }
    case 3:
        return std::make_unique<Reduction>(n, r, Reduction::kOr, r.Get("width_datain", 0) <= 32);
    case 6:
        return std::make_unique<Reduction>(n, r, Reduction::kXor, r.Get("width_datain", 0) <= 32);
    case 7:
        return std::make_unique<Reduction>(n, r, Reduction::kAnd, r.Get("width_datain", 0) <= 32);
    case 4:
        if (is_signed)
            return std::make_unique<SignAdd>(n, r);
        if (!r.Has("width_o"))
            return nullptr; // the class is left open without "width_o"
        if (r.Get("width_o", 0) >= 32)
            return std::make_unique<UnsnAdd>(n, r);
        return std::make_unique<UnsnAddSm>(n, r);
    case 5:
        return std::make_unique<Multiplier>(n, r, is_signed);
    case 8:
        return std::make_unique<AddSub>(n, r, is_signed);
    case 9:
        return std::make_unique<Selector>(n, r, present_and("width_data", [](int v) { return v <= 32; }));
    case 10:
        return std::make_unique<CmpLE>(n, r, is_signed);
    case 11:
        return std::make_unique<Buffer>(n, r, true);
    case 12:
        return std::make_unique<BitSelect>(n, r, r.Get("width_data", 0) <= 32);
    case 13:
        return std::make_unique<Divider>(n, r, is_signed, false);
    case 14:
        return std::make_unique<Divider>(n, r, is_signed, true);
    case 15:
        return std::make_unique<Shifter>(n, r, Shifter::kShl);
    case 16:
        return std::make_unique<Shifter>(n, r, Shifter::kShr);
    case 17:
        return std::make_unique<Shifter>(n, r, Shifter::kRol);
    case 18:
        return std::make_unique<Shifter>(n, r, Shifter::kRor);
    case 19:
        return std::make_unique<Buffer>(n, r, false);
    case 21:
        return std::make_unique<Decoder>(n, r);
    case 22:
        return std::make_unique<BusMux2>(n, r);
    case 23:
        return std::make_unique<Latch>(n);
    case 103:
        return std::make_unique<LpmCompare>(n, r, present_and("lpm_pipeline", [](int v) { return v != 0; }));
    case 105:
        return std::make_unique<ShiftTaps>(n, r);
    case 111:
        return std::make_unique<Abs>(n, r);
    case 112:
        return std::make_unique<LpmMux>(n, r, present_and("lpm_pipeline", [](int v) { return v != 0; }));
    default:
        return nullptr;
    }
}

} // namespace reference
