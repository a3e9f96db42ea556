// Checkpoints: the state of a running simulation as bytes or a file, tied to the design it was
// saved from, restorable into a fresh simulation of that design in this process or another.
// A checkpoint that does not fit (another design, a damaged, truncated or newer file) is
// refused as a whole: the simulation is left exactly as it was.
#pragma once

#include <cstdint>
#include <string>

namespace Sim {

class Manager;

// The checkpoint's first bytes, and the one format version this build writes and reads.
inline constexpr char CHECKPOINT_MAGIC[8] = {'B', 'T', 'C', 'H', 'K', 'P', 'T', '\n'};
inline constexpr uint32_t CHECKPOINT_VERSION = 1;

// The state of `manager`, built from design_path + ".simdb", after `cycle` cycles counted by
// the caller. False, with `error` reported and set, when some node cannot be saved.
bool SaveCheckpoint(Manager& manager, const std::string& design_path, int64_t cycle, std::string& bytes,
                    std::string& error);
// Restores `bytes` into `manager` and gives back the saved cycle count; false, with `error`
// reported and set, when the bytes are refused (the simulation then is as it was).
bool RestoreCheckpoint(Manager& manager, const std::string& design_path, const std::string& bytes, int64_t& cycle,
                       std::string& error);

// The file forms: written through a temporary file renamed into place; read whole, files
// larger than kMaxCheckpointBytes refused.
inline constexpr uint64_t kMaxCheckpointBytes = uint64_t(1) << 36;
bool WriteCheckpointFile(const std::string& path, const std::string& bytes, std::string& error);
bool ReadCheckpointFile(const std::string& path, std::string& bytes, std::string& error);

} // namespace Sim
