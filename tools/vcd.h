// A writer of VCD waveform files: one scope with the design's inputs and outputs, one time
// step per simulated cycle, values with 'x' for undefined bits and 'z' for high impedance.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/blocktide.h"

namespace blocktide_cli {

class VcdWriter {
public:
    VcdWriter() = default;
    VcdWriter(const VcdWriter&) = delete;
    VcdWriter& operator=(const VcdWriter&) = delete;
    ~VcdWriter();

    // Declares a signal before the header is written; returns its index for Sample().
    int AddSignal(const std::string& name, int width);
    // Creates the file and writes the header. False (with error) when it cannot be written.
    bool Open(const std::string& path, const std::string& scope, std::string& error);
    // Records the values of every signal (in AddSignal order) at the given cycle; only
    // signals whose text changed since the last sample are written.
    void Sample(long long cycle, const std::vector<blocktide::Value>& values);
    // Flushes and closes; false when a write failed.
    bool Close();

private:
    struct Signal {
        std::string name;  // as declared, blanks replaced
        int width;         // bits
        std::string code;  // the short identifier used in value changes
        std::string last;  // last written value text; empty before the first sample
    };
    static std::string ValueText(const blocktide::Value& value, int width);

    std::vector<Signal> signals;
    std::FILE* file = nullptr;  // owned; open between Open() and Close()
};

}  // namespace blocktide_cli
