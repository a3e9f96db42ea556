// A VCD waveform of a simulation: the clock as a real waveform and any signals of the design
// (sim/signals.h) under their hierarchy, ten time units per cycle. The initial values stand at
// time 0; in cycle n the clock rises at 10n, every value that changed in the cycle (inputs
// written for it, registers, the settled logic) is shown at 10n + 1, and the clock falls at
// 10n + 5. A sample looks only at the signals of nodes whose outputs changed in the cycle (the
// manager lists them), so a quiet design costs little however many signals are dumped.
#pragma once

#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/mlib_integer.h"
#include "base/output_file.h"
#include "sim/signals.h"

namespace Sim {

class Manager;
class Node_Base;

class Waveform {
public:
    Waveform() = default;
    ~Waveform();
    Waveform(const Waveform&) = delete;
    Waveform& operator=(const Waveform&) = delete;

    // Creates the file and writes the header and the initial values, and has the manager list
    // the nodes that change from now on. The signals and the manager must outlive the
    // waveform. False, with error naming the file, when it cannot be written.
    bool Open(const std::string& path, const std::string& top, const std::vector<const Signal*>& signals,
              Manager& manager, std::string& error);
    // Writes what changed in cycle `cycle` (counted from 1), after it has run.
    void Sample(long long cycle);
    // Flushes and closes, and stops the manager's list; false when a write failed.
    bool Close();
    // Stops as Close does but keeps nothing: a run that failed leaves no waveform behind.
    void Discard();
    bool IsOpen() const { return file != nullptr; }

private:
    struct Trace {
        const Signal* signal; // not owned
        std::string code;     // the short identifier of its value changes
        MLIB_UINTEGER last;   // the value last written
        long long seen = 0;   // the last cycle it was looked at
    };
    void Write(Trace& trace);
    void StopChangeLog();

    std::vector<Trace> traces;
    // The traces of each node whose change they follow: the node owning the port, or for an
    // input the node owning its source.
    std::unordered_map<const Node_Base*, std::vector<size_t>> traces_of;
    std::vector<Node_Base*> changed; // filled by the manager during a cycle
    Manager* manager = nullptr;      // not owned; lists the changes while open
    std::string clock_code;
    std::string text;          // scratch for one value change, so sampling does not allocate
    OutputFile output;         // the file, written whole or not at all
    std::FILE* file = nullptr; // output's stream between Open and Close
};

} // namespace Sim
