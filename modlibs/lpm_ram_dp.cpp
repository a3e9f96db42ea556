// Dual-port RAM model (modlib_lpm_ram_dp): one write port and one read port, following the
// public LPM dual-port RAM semantics.
//
// Writes: with registered write inputs (lpm_indata or lpm_wraddress_control "REGISTERED")
// data, wraddress and wren are taken at the rising wrclock while wrclken is high; with
// both unregistered the memory follows data while wren is high. Reads: a registered read
// address (lpm_rdaddress_control) is taken at the rising rdclock while rdclken is high; a
// registered output (lpm_outdata) is loaded at the rising rdclock from the address in use
// before that edge, so a registered address and output read two clocks after the address.
// rden (when rden_used is "TRUE"; an unconnected rden reads) holds the output while low.
// A read at the edge of a write to the same word sees the old word. lpm_file names an
// Intel HEX or ".mif" file that fills the memory at every start. lpm_numwords of 1 or less
// means 2^lpm_widthad words.
#include <algorithm>

#include "memory_file.h"
#include "model.h"
#include "storage.h"
#include "text.h"

namespace {

class DualPortRam : public modlib::Model {
public:
    DualPortRam() : Model("lpm_ram_dp") {}

private:
    void Configure() override
    {
        width = Width(q);
        const int address_width = static_cast<int>(Integer("lpm_widthad", 1));
        // One word or none (the bridge hands 1 when the netlist gives no size) means a full
        // address range.
        int64_t depth = BoundedInteger("lpm_numwords", 0, 0, kMaxWords);
        if (depth <= 1)
            depth = int64_t(1) << std::min(std::max(address_width, 0), 30);
        if (!memory.Configure(width, depth))
            Warn("a memory of " + std::to_string(depth) + " words of " + std::to_string(width) +
                 " bits is too large; only the first " + std::to_string(memory.Depth()) + " words are modelled");
        for (const char* parameter : {"lpm_indata", "lpm_rdaddress_control", "lpm_wraddress_control", "lpm_outdata"})
            CheckSupported(parameter, "REGISTERED", {"REGISTERED", "UNREGISTERED"});
        write_registered = Is("lpm_indata", "REGISTERED", "REGISTERED") ||
                           Is("lpm_wraddress_control", "REGISTERED", "REGISTERED");
        address_registered = Is("lpm_rdaddress_control", "REGISTERED", "REGISTERED");
        output_registered = Is("lpm_outdata", "REGISTERED", "REGISTERED");
        rden_used = !Is("rden_used", "FALSE", "TRUE");
        const std::string file = Text("lpm_file", "UNUSED");
        if (!file.empty() && !modlib::SameText(file, "UNUSED"))
            modlib::LoadMemoryFile(file, memory);
        read_address = 0;
        modlib::Replace(output, MLIB_UINTEGER(0, width));
    }

    int64_t Address(Slot slot) const { return static_cast<int64_t>(modlib::ToU64(In(slot)) & 0x7FFFFFFFFFFFull); }
    bool ReadEnabled() const { return !rden_used || HighOr(rden, true); }

    void Compute() override
    {
        const bool read_edge = Rose(rdclock) && HighOr(rdclken, true);
        const bool write_edge = Rose(wrclock) && HighOr(wrclken, true);
        const int64_t address_in_use = address_registered ? read_address : Address(rdaddress);
        if (read_edge && ReadEnabled()) {
            if (output_registered)
                memory.Read(address_in_use, output);
            if (address_registered)
                read_address = Address(rdaddress);
        }
        if (write_registered ? (write_edge && High(wren)) : High(wren))
            memory.Write(Address(wraddress), In(data));
        if (!output_registered && ReadEnabled())
            memory.Read(address_registered ? read_address : Address(rdaddress), output);
        Out(q) = output;
    }

    Slot rdclock = DeclareClock("rdclock");
    Slot wrclock = DeclareClock("wrclock");
    Slot data = DeclareInput("data");
    Slot rdaddress = DeclareInput("rdaddress");
    Slot wraddress = DeclareInput("wraddress");
    Slot rdclken = DeclareInput("rdclken");
    Slot wrclken = DeclareInput("wrclken");
    Slot rden = DeclareInput("rden");
    Slot wren = DeclareInput("wren");
    Slot q = DeclareOutput("q");

    // Checkpoints: the contents and the registers.
    void SaveState(StateWriter& out) const override
    {
        out.I64(read_address);
        out.Value(output);
        memory.SaveState(out);
    }
    bool RestoreState(StateReader& in) override
    {
        // The address is bounded as Address bounds it, so that address * width cannot overflow.
        if (!in.I64(read_address) || read_address != (read_address & 0x7FFFFFFFFFFF))
            return in.Fail();
        return in.Value(output) && memory.RestoreState(in);
    }

    int width = 1;                    // word width (the "q" port's)
    bool write_registered = true;     // writes happen at the write clock
    bool address_registered = true;   // the read address is a register
    bool output_registered = true;    // q is a register
    bool rden_used = true;            // rden gates reading
    int64_t read_address = 0;         // the read address register
    MLIB_UINTEGER output;             // what q shows, the word width
    modlib::Memory memory;            // the contents
};

}  // namespace

MODLIB_DEFINE_EXPORTS(DualPortRam)
