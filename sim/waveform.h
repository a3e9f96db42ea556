// A VCD waveform of a simulation: the clock as a real waveform and any signals of the design
// (sim/signals.h) under their hierarchy, ten time units per cycle. The initial values stand at
// time 0; in cycle n the clock rises at 10n, every value that changed in the cycle (inputs
// written for it, registers, the settled logic) is shown at 10n + 1, and the clock falls at
// 10n + 5. A sample writes only the signals whose value changed.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "base/mlib_integer.h"
#include "sim/signals.h"

namespace Sim {

class Waveform {
public:
    Waveform() = default;
    ~Waveform();
    Waveform(const Waveform&) = delete;
    Waveform& operator=(const Waveform&) = delete;

    // Creates the file and writes the header and the initial values. The signals must outlive
    // the waveform. False, with error naming the file, when it cannot be written.
    bool Open(const std::string& path, const std::string& top, const std::vector<const Signal*>& signals,
              std::string& error);
    // Writes what changed in cycle `cycle` (counted from 1), after it has run.
    void Sample(long long cycle);
    // Flushes and closes; false when a write failed.
    bool Close();
    bool IsOpen() const { return file != nullptr; }

private:
    struct Trace {
        const Signal* signal;  // not owned
        std::string code;      // the short identifier of its value changes
        MLIB_UINTEGER last;    // the value last written
    };
    void Write(Trace& trace);

    std::vector<Trace> traces;
    std::string clock_code;
    std::string text;            // scratch for one value change, so sampling does not allocate
    std::FILE* file = nullptr;  // owned; open between Open and Close
};

}  // namespace Sim
