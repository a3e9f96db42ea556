// ExportKelvornC_Gateway: the class that generated simulation code drives. It owns one
// simulation session and an optional port formatter; values cross as doubles or as SystemC
// fixed-point values of any word length. Self-contained: installed as <blocktide/gateway.h>,
// it brings SystemC's fixed-point types with it.
#pragma once

#include <memory>
#include <string>
#include <vector>

// SystemC's fixed-point types (sc_dt::sc_fix, sc_dt::sc_ufix), which <systemc> provides only
// when SC_INCLUDE_FX is defined.
#ifndef SC_INCLUDE_FX
#define SC_INCLUDE_FX
#endif
#include <sysc/datatypes/fx/fx.h>

class SimSession;
class formatport;

class __attribute__((visibility("default"))) ExportKelvornC_Gateway {
public:
    ExportKelvornC_Gateway();
    // Destroys the session (which empties the message store) and the formatter.
    ~ExportKelvornC_Gateway();
    ExportKelvornC_Gateway(const ExportKelvornC_Gateway&) = delete;
    ExportKelvornC_Gateway& operator=(const ExportKelvornC_Gateway&) = delete;

    // Design port names in the caller's order; looked up during ExportSetupModels.
    void ExportAddInputNames(const std::vector<std::string>& names);
    void ExportAddOutputNames(const std::vector<std::string>& names);
    // Where memory initialisation files are looked up; copied into the simulation at setup.
    void ExportSetHexFileDirectory(const std::string& directory);
    // The design's base name (empty before setup).
    std::string ExportGetTopLevelName() const;
    // Prints "hello world!" on the host console.
    void HelloWorld();

    // Makes a new formatter from these values (disposing of any earlier one). in_format
    // "off" passes every value unchanged. The two trailing integers are not read.
    void Exportcreate_port_formatter(const std::string& in_format, const std::string& out_format,
                                     const std::vector<int>& in_int_bits, const std::vector<int>& in_frac_bits,
                                     const std::vector<int>& out_int_bits, const std::vector<int>& out_frac_bits,
                                     int unused_first, int unused_second);
    void Exportdelete_port_formatter();

    // Loads design_path + ".simdb", builds it and locates the named ports. feed_through
    // receives, per design input in ascending name order, whether it reaches an output
    // combinationally (never resized). True when the setup failed.
    bool ExportSetupModels(const std::string& design_path, const std::string& model_library_directory,
                           bool packaged_block, int unused, const std::vector<std::string>& input_order,
                           std::vector<bool>& feed_through, bool analysis);

    // Writes, runs and reads by index (counted from 0 in the order of the names found).
    // These always answer false; problems are printed at the next run or setup.
    bool ExportWriteInput(int index, double value);
    bool ExportWriteWideInput(int index, const sc_dt::sc_fix& value);
    bool ExportWriteUnsignedWideInput(int index, const sc_dt::sc_ufix& value);
    bool ExportRun(int cycles);
    double ExportReadOutput(int index);
    // Stores the output's bits into the low bits of value; bits above the output's width
    // keep what they held, and output bits beyond the value's word length are dropped.
    void ExportReadWideOutput(sc_dt::sc_fix& value, int index);
    void ExportReadUnsignedWideOutput(sc_dt::sc_ufix& value, int index);

private:
    std::unique_ptr<SimSession> session;      // created by the constructor
    std::unique_ptr<formatport> formatter;    // none until Exportcreate_port_formatter
    std::string input_format;                 // copies of the last formatter arguments
    std::string output_format;
    std::vector<int> in_int_bits;
    std::vector<int> in_frac_bits;
    std::vector<int> out_int_bits;
    std::vector<int> out_frac_bits;
};
