// The exported gateway: names, formatter, model setup, and the writes, runs and reads that
// it hands to its simulation session, with the conversions between SystemC fixed-point
// values and wide integers (bit ranges counted from the least significant bit).
#define SC_INCLUDE_FX
#include "host/gateway.h"

#include <sysc/datatypes/fx/fx.h>

#include <algorithm>

#include "sim/session.h"
#include "host/formatport.h"
#include "base/messages.h"

namespace {

// The value's two's-complement bit pattern as a wide integer of its word length, in
// 32-bit chunks from the least significant bit, wherever the binary point lies.
MLIB_UINTEGER WideFromFixed(const sc_dt::sc_fxnum& value)
{
    const int width = value.wl();
    MLIB_UINTEGER wide(0, width);
    for (int chunk = 0; chunk <= (width - 1) / 32; ++chunk) {
        const int low = 32 * chunk;
        const int high = std::min(low + 31, width - 1);
        wide.set_word(chunk, value.range(high, low).to_uint());
    }
    return wide;
}

// Whether any bit of value at position from or above is set.
bool HasBitsFrom(const MLIB_UINTEGER& value, int from)
{
    for (int pos = from; pos < value.width(); ++pos)
        if (value.bit(pos))
            return true;
    return false;
}

// Stores wide's bits into the low bits of value. Bits of value above wide's width keep what
// they held. Bits of wide beyond value's word length are dropped (SystemC would raise an
// index-out-of-range error for them); when any of them is set, that is reported.
void StoreWideIntoFixed(const MLIB_UINTEGER& wide, sc_dt::sc_fxnum& value, int index)
{
    const int width = std::min(wide.width(), value.wl());
    if (HasBitsFrom(wide, width))
        report(SEV_WARNING, "Wide output #" + std::to_string(index) + " has " + std::to_string(wide.width()) +
                                " bits but the value read into holds only " + std::to_string(value.wl()) +
                                "; the upper bits were dropped");
    for (int chunk = 0; chunk <= (width - 1) / 32; ++chunk) {
        const int low = 32 * chunk;
        const int high = std::min(low + 31, width - 1);
        value.range(high, low) = wide.word(chunk);
    }
}

}  // namespace

ExportKelvornC_Gateway::ExportKelvornC_Gateway() : session(std::make_unique<SimSession>()) {}

ExportKelvornC_Gateway::~ExportKelvornC_Gateway()
{
    session.reset();
    formatter.reset();
}

void ExportKelvornC_Gateway::ExportAddInputNames(const std::vector<std::string>& names)
{
    session->input_names.insert(session->input_names.end(), names.begin(), names.end());
}

void ExportKelvornC_Gateway::ExportAddOutputNames(const std::vector<std::string>& names)
{
    session->output_names.insert(session->output_names.end(), names.begin(), names.end());
}

void ExportKelvornC_Gateway::ExportSetHexFileDirectory(const std::string& directory)
{
    session->hex_directory = directory;
}

std::string ExportKelvornC_Gateway::ExportGetTopLevelName() const { return session->top_level_name; }

void ExportKelvornC_Gateway::HelloWorld() { console_print("hello world!\n"); }

void ExportKelvornC_Gateway::Exportcreate_port_formatter(const std::string& in_format, const std::string& out_format,
                                                         const std::vector<int>& in_int, const std::vector<int>& in_frac,
                                                         const std::vector<int>& out_int,
                                                         const std::vector<int>& out_frac, int, int)
{
    input_format = in_format;
    output_format = out_format;
    in_int_bits = in_int;
    in_frac_bits = in_frac;
    out_int_bits = out_int;
    out_frac_bits = out_frac;
    formatter = std::make_unique<formatport>(input_format, output_format, in_int_bits, in_frac_bits, out_int_bits,
                                             out_frac_bits);
}

void ExportKelvornC_Gateway::Exportdelete_port_formatter() { formatter.reset(); }

bool ExportKelvornC_Gateway::ExportSetupModels(const std::string& design_path,
                                               const std::string& model_library_directory, bool packaged_block, int,
                                               const std::vector<std::string>& input_order,
                                               std::vector<bool>& feed_through, bool analysis)
{
    std::vector<Sim::InputInfo> inventory;
    bool failed = false;
    try {
        failed = session->Load(design_path, model_library_directory, packaged_block, input_order, &inventory, analysis);
    } catch (const std::exception& failure) {
        // Nothing but the documented answer leaves the gateway: an exhausted memory is a failure.
        report(SEV_FATAL, std::string("The design could not be set up: ") +
                              (dynamic_cast<const std::bad_alloc*>(&failure) ? "out of memory" : failure.what()));
        session->flush_messages(0);
        return true;
    }
    std::stable_sort(inventory.begin(), inventory.end(),
                     [](const Sim::InputInfo& a, const Sim::InputInfo& b) { return a.name < b.name; });
    session->MapDesignPorts();
    for (size_t k = 0; k < inventory.size() && k < feed_through.size(); ++k)
        feed_through[k] = inventory[k].reaches_output;
    session->flush_messages(0);
    return failed;
}

// Without a formatter (a caller that skipped Exportcreate_port_formatter) values pass
// through unchanged, as with the format "off".
bool ExportKelvornC_Gateway::ExportWriteInput(int index, double value)
{
    const double scaled = formatter ? formatter->ToSimulation(value, index) : value;
    session->WriteInput(index, scaled);
    return false;
}

bool ExportKelvornC_Gateway::ExportWriteWideInput(int index, const sc_dt::sc_fix& value)
{
    session->WriteWideInput(index, WideFromFixed(value));
    return false;
}

bool ExportKelvornC_Gateway::ExportWriteUnsignedWideInput(int index, const sc_dt::sc_ufix& value)
{
    session->WriteWideInput(index, WideFromFixed(value));
    return false;
}

bool ExportKelvornC_Gateway::ExportRun(int cycles)
{
    try {
        session->Run(cycles);
    } catch (const std::exception& failure) {
        report(SEV_FATAL, std::string("The simulation stopped: ") + failure.what());
    }
    session->flush_messages(0);
    return false;
}

double ExportKelvornC_Gateway::ExportReadOutput(int index)
{
    const double raw = session->ReadOutput(index);
    return formatter ? formatter->FromSimulation(raw, index) : raw;
}

void ExportKelvornC_Gateway::ExportReadWideOutput(sc_dt::sc_fix& value, int index)
{
    StoreWideIntoFixed(session->ReadWideOutput(index), value, index);
}

void ExportKelvornC_Gateway::ExportReadUnsignedWideOutput(sc_dt::sc_ufix& value, int index)
{
    StoreWideIntoFixed(session->ReadWideOutput(index), value, index);
}
