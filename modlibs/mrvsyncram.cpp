// Synchronous RAM model (modlib_mrvsyncram): single-port, simple dual-port, true dual-port
// RAM and ROM with registered addresses, optional output registers, byte enables, mixed
// port widths, read-during-write modes and an initialisation file.
//
// Port A is clocked by clock0 (enable clocken0), port B by the clock address_reg_b names
// (enable clocken0 or clocken1); an output register clocked by CLOCKn uses clockenN; a
// "BYPASS" clock_enable_* ignores its enable. At a rising clock each port takes its
// address (unless addressstall holds it), writes data under its byte enables when wren is
// high (never in ROM mode; not while the aclr named by wrcontrol_aclr_* is high) and reads
// the addressed word into its read latch when rden is high (unconnected rden reads). A read
// of the word a port writes sees the new word, or the old one when its
// read_during_write_mode is "OLD_DATA"; a read of the word the other port writes sees the
// old word unless read_during_write_mode_mixed_ports is "NEW_DATA". q shows the read latch,
// or, with outdata_reg_* "CLOCKn", a register loaded from the latch at the next edge and
// cleared by the aclr outdata_aclr_* names. Port B reads bits address * width_b onward, so
// mixed widths share one memory. eccstatus is always 0.
#include <algorithm>

#include "memory_file.h"
#include "model.h"
#include "storage.h"
#include "text.h"

namespace {

class SyncRam : public modlib::Model {
public:
    SyncRam() : Model("mrvsyncram") {}

private:
    // One port's configuration and state.
    struct PortState {
        int width = 1;                 // word width of the port
        int64_t depth = 0;             // words at that width
        Slot clock = -1;               // clock of the input registers
        Slot enable = -1;              // clock enable of the input registers, -1 when bypassed
        Slot output_clock = -1;        // clock of the output register, -1 when unregistered
        Slot output_enable = -1;       // its enable, -1 when bypassed
        Slot output_clear = -1;        // the aclr clearing the output register, -1 for none
        Slot write_clear = -1;         // the aclr suppressing writes, -1 for none
        Slot address_clear = -1;       // the aclr clearing the address register, -1 for none
        int byte_enables = 1;          // width of the byte-enable input
        bool reads = false;            // the port reads in this mode
        bool writes = false;           // the port writes in this mode
        bool old_data = false;         // a read during its own write sees the old word
        int64_t address = 0;           // the address register
        MLIB_UINTEGER latch;           // the word read at the last enabled edge
        MLIB_UINTEGER output;          // the output register
    };

    Slot ClockNamed(const std::string& text) const { return modlib::SameText(text, "CLOCK1") ? clock1 : clock0; }
    Slot EnableOf(Slot clock) const { return clock == clock1 ? clocken1 : clocken0; }
    Slot ClearNamed(const std::string& text) const
    {
        return modlib::SameText(text, "CLEAR0") ? aclr0 : modlib::SameText(text, "CLEAR1") ? aclr1 : -1;
    }

    void ConfigurePort(PortState& port, const char* side, Slot q_slot, const char* clock_parameter,
                       const char* clock_default)
    {
        const std::string s(side);
        port.width = Width(q_slot);
        const int address_width = static_cast<int>(Integer(("widthad_" + s).c_str(), 1));
        port.depth = BoundedInteger(("numwords_" + s).c_str(), 0, 0, kMaxWords);
        if (port.depth <= 0)
            port.depth = int64_t(1) << std::min(std::max(address_width, 0), 30);
        port.clock = ClockNamed(Text(clock_parameter, clock_default));
        const bool input_bypass = Is(("clock_enable_input_" + s).c_str(), "BYPASS", "NORMAL");
        port.enable = input_bypass ? -1 : EnableOf(port.clock);
        const std::string output_reg = Text(("outdata_reg_" + s).c_str(), "UNREGISTERED");
        port.output_clock = modlib::SameText(output_reg, "UNREGISTERED") ? -1 : ClockNamed(output_reg);
        const bool output_bypass = Is(("clock_enable_output_" + s).c_str(), "BYPASS", "NORMAL");
        port.output_enable = (port.output_clock < 0 || output_bypass) ? -1 : EnableOf(port.output_clock);
        port.output_clear = ClearNamed(Text(("outdata_aclr_" + s).c_str(), "NONE"));
        port.write_clear = ClearNamed(Text(("wrcontrol_aclr_" + s).c_str(), s == "a" ? "CLEAR0" : "NONE"));
        port.address_clear = ClearNamed(Text(("address_aclr_" + s).c_str(), "NONE"));
        port.byte_enables = static_cast<int>(BoundedInteger(("width_byteena_" + s).c_str(), 1, 1, kMaxBits));
        port.old_data = Is(("read_during_write_mode_port_" + s).c_str(), "OLD_DATA", "NEW_DATA_NO_NBE_READ");
        port.address = 0;
        modlib::Replace(port.latch, MLIB_UINTEGER(0, port.width));
        modlib::Replace(port.output, MLIB_UINTEGER(0, port.width));
    }

    void Configure() override
    {
        CheckSupported("operation_mode", "SINGLE_PORT", {"SINGLE_PORT", "DUAL_PORT", "BIDIR_DUAL_PORT", "ROM"});
        CheckSupported("enable_ecc", "FALSE", {"FALSE"});
        const std::string mode = Text("operation_mode", "SINGLE_PORT");
        const bool rom = modlib::SameText(mode, "ROM");
        const bool dual = modlib::SameText(mode, "DUAL_PORT");
        const bool bidir = modlib::SameText(mode, "BIDIR_DUAL_PORT");
        ConfigurePort(a, "a", q_a, "", "CLOCK0");
        ConfigurePort(b, "b", q_b, "address_reg_b", "CLOCK1");
        a.clock = clock0;
        a.enable = Is("clock_enable_input_a", "BYPASS", "NORMAL") ? -1 : clocken0;
        a.reads = !dual;
        a.writes = !rom;
        b.reads = dual || bidir;
        b.writes = bidir;
        mixed_new_data = Is("read_during_write_mode_mixed_ports", "NEW_DATA", "DONT_CARE");
        byte_size = static_cast<int>(BoundedInteger("byte_size", 8, 1, kMaxBits));
        modlib::Replace(old_a, MLIB_UINTEGER(0, a.width));
        modlib::Replace(old_b, MLIB_UINTEGER(0, b.width));

        int64_t bits = a.width * a.depth;
        if (b.reads || b.writes)
            bits = std::max(bits, b.width * b.depth);
        const int64_t words = (bits + a.width - 1) / a.width;
        if (!memory.Configure(a.width, words))
            Warn("a memory of " + std::to_string(words) + " words of " + std::to_string(a.width) +
                 " bits is too large; only the first " + std::to_string(memory.Depth()) + " words are modelled");
        const std::string file = Text("init_file", "");
        if (!file.empty() && !modlib::SameText(file, "UNUSED"))
            modlib::LoadMemoryFile(file, memory);
    }

    bool Enabled(Slot enable) const { return enable < 0 || HighOr(enable, true); }
    bool Cleared(Slot clear) const { return clear >= 0 && High(clear); }
    int64_t Address(Slot slot) const { return static_cast<int64_t>(modlib::ToU64(In(slot)) & 0x7FFFFFFFFFFFull); }

    void Write(const PortState& port, Slot data, Slot byteena)
    {
        const int64_t first = port.address * port.width;
        if (port.byte_enables <= 1 || !Connected(byteena)) {
            memory.WriteBits(first, port.width, In(data));
            return;
        }
        for (int byte = 0; byte < port.byte_enables && byte * byte_size < port.width; ++byte) {
            if (byte >= Width(byteena) || !In(byteena).bit(byte))
                continue;
            const int offset = byte * byte_size;
            memory.WriteBits(first + offset, std::min(byte_size, port.width - offset), In(data) >> offset);
        }
    }

    void Compute() override
    {
        // Asynchronous clears act before and regardless of the clocks.
        for (PortState* port : {&a, &b}) {
            if (Cleared(port->address_clear))
                port->address = 0;
            if (Cleared(port->output_clear))
                port->output = 0u;
        }
        const bool edge_a = Rose(a.clock) && Enabled(a.enable);
        const bool edge_b = Rose(b.clock) && Enabled(b.enable);
        // Output registers take the latch as it was before this edge.
        for (PortState* port : {&a, &b})
            if (port->output_clock >= 0 && Rose(port->output_clock) && Enabled(port->output_enable) &&
                !Cleared(port->output_clear))
                port->output = port->latch;
        if (edge_a && !High(addressstall_a) && !Cleared(a.address_clear))
            a.address = Address(address_a);
        if (edge_b && !High(addressstall_b) && !Cleared(b.address_clear))
            b.address = Address(address_b);

        const bool write_a = edge_a && a.writes && High(wren_a) && !Cleared(a.write_clear);
        const bool write_b = edge_b && b.writes && High(wren_b) && !Cleared(b.write_clear);
        const bool read_a = edge_a && a.reads && HighOr(rden_a, true);
        const bool read_b = edge_b && b.reads && HighOr(rden_b, true);
        if (read_a)
            memory.ReadBits(a.address * a.width, a.width, old_a);
        if (read_b)
            memory.ReadBits(b.address * b.width, b.width, old_b);
        if (write_a)
            Write(a, data_a, byteena_a);
        if (write_b)
            Write(b, data_b, byteena_b);
        if (read_a) {
            const bool old = write_a ? a.old_data : !mixed_new_data;
            if (old || !(write_a || write_b))
                a.latch = old_a;
            else
                memory.ReadBits(a.address * a.width, a.width, a.latch);
        }
        if (read_b) {
            const bool old = write_b ? b.old_data : !mixed_new_data;
            if (old || !(write_a || write_b))
                b.latch = old_b;
            else
                memory.ReadBits(b.address * b.width, b.width, b.latch);
        }
        Out(q_a) = a.reads ? (a.output_clock >= 0 ? a.output : a.latch) : MLIB_UINTEGER(0, 1);
        Out(q_b) = b.reads ? (b.output_clock >= 0 ? b.output : b.latch) : MLIB_UINTEGER(0, 1);
        Out(eccstatus) = 0u;
    }

    Slot clock0 = DeclareClock("clock0");
    Slot clock1 = DeclareClock("clock1");
    Slot data_a = DeclareInput("data_a");
    Slot data_b = DeclareInput("data_b");
    Slot address_a = DeclareInput("address_a");
    Slot address_b = DeclareInput("address_b");
    Slot wren_a = DeclareInput("wren_a");
    Slot rden_a = DeclareInput("rden_a");
    Slot wren_b = DeclareInput("wren_b");
    Slot rden_b = DeclareInput("rden_b");
    Slot clocken0 = DeclareInput("clocken0");
    Slot clocken1 = DeclareInput("clocken1");
    Slot clocken2 = DeclareInput("clocken2");
    Slot clocken3 = DeclareInput("clocken3");
    Slot aclr0 = DeclareInput("aclr0");
    Slot aclr1 = DeclareInput("aclr1");
    Slot addressstall_a = DeclareInput("addressstall_a");
    Slot addressstall_b = DeclareInput("addressstall_b");
    Slot byteena_a = DeclareInput("byteena_a");
    Slot byteena_b = DeclareInput("byteena_b");
    Slot q_a = DeclareOutput("q_a");
    Slot q_b = DeclareOutput("q_b");
    Slot eccstatus = DeclareOutput("eccstatus");

    // Checkpoints: the contents and each port's registers.
    void SaveState(StateWriter& out) const override
    {
        for (const PortState* port : {&a, &b}) {
            out.I64(port->address);
            out.Value(port->latch);
            out.Value(port->output);
        }
        memory.SaveState(out);
    }
    bool RestoreState(StateReader& in) override
    {
        // Addresses are bounded as Address bounds them, so that address * width cannot overflow.
        for (PortState* port : {&a, &b})
            if (!in.I64(port->address) || port->address != (port->address & 0x7FFFFFFFFFFF) ||
                !in.Value(port->latch) || !in.Value(port->output))
                return in.Fail();
        return memory.RestoreState(in);
    }

    PortState a;                  // port A
    PortState b;                  // port B
    bool mixed_new_data = false;  // a read of the word the other port writes sees the new word
    int byte_size = 8;            // bits per byte enable
    MLIB_UINTEGER old_a;          // scratch: port A's word before this edge's writes
    MLIB_UINTEGER old_b;          // scratch: port B's word before this edge's writes
    modlib::Memory memory;        // the contents, at port A's width
};

}  // namespace

MODLIB_DEFINE_EXPORTS(SyncRam)
