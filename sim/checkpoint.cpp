// The checkpoint file: the magic; a header naming the format version, the design (a hash of its
// SimDB file), the library that wrote it, the cycle count and the content's size; a checksum
// over that header and the content; then the content, the manager's state. All of it is
// checked before the manager sees any of the content.
#include "sim/checkpoint.h"

#include <cstring>
#include <fstream>
#include <sys/stat.h>

#include "base/messages.h"
#include "base/output_file.h"
#include "base/state_stream.h"
#include "engine/manager.h"

namespace Sim {

namespace {
#ifndef BLOCKTIDE_VERSION
#define BLOCKTIDE_VERSION "unknown"
#endif
const std::string kLibraryVersion = "blocktide " BLOCKTIDE_VERSION;
constexpr size_t kMaxVersionText = 256; // of the writer's name quoted in a message

bool Fail(std::string& error, const std::string& text)
{
    error = text;
    report(SEV_ERROR, "Checkpoint: " + text);
    return false;
}

// FNV-1a of the SimDB file's bytes; false when it cannot be read.
bool DesignHash(const std::string& design_path, uint64_t& hash)
{
    std::ifstream file(design_path + ".simdb", std::ios::binary);
    if (!file)
        return false;
    hash = Fnv1a64(nullptr, 0);
    char buffer[1 << 16];
    while (file) {
        file.read(buffer, sizeof buffer);
        hash = Fnv1a64(buffer, static_cast<size_t>(file.gcount()), hash);
    }
    return !file.bad();
}
} // namespace

bool SaveCheckpoint(Manager& manager, const std::string& design_path, int64_t cycle, std::string& bytes,
                    std::string& error)
{
    uint64_t design_hash = 0;
    if (!DesignHash(design_path, design_hash))
        return Fail(error, "the simulation database " + design_path + ".simdb cannot be read");
    StateWriter content;
    std::string refusal;
    if (!manager.SaveState(content, refusal))
        return Fail(error, "nothing was saved: " + refusal);
    bytes.assign(CHECKPOINT_MAGIC, sizeof CHECKPOINT_MAGIC);
    StateWriter header;
    header.U32(CHECKPOINT_VERSION);
    header.U64(design_hash);
    header.Bytes(kLibraryVersion);
    header.I64(cycle);
    header.U64(content.Data().size());
    // The checksum covers the header before it and the content.
    const uint64_t checksum =
        Fnv1a64(content.Data().data(), content.Data().size(), Fnv1a64(header.Data().data(), header.Data().size()));
    header.U64(checksum);
    bytes += header.Data();
    bytes += content.Data();
    return true;
}

bool RestoreCheckpoint(Manager& manager, const std::string& design_path, const std::string& bytes, int64_t& cycle,
                       std::string& error)
{
    if (bytes.size() < sizeof CHECKPOINT_MAGIC ||
        std::memcmp(bytes.data(), CHECKPOINT_MAGIC, sizeof CHECKPOINT_MAGIC) != 0)
        return Fail(error, "not a checkpoint of this system (its first bytes differ)");
    StateReader in(bytes.data() + sizeof CHECKPOINT_MAGIC, bytes.size() - sizeof CHECKPOINT_MAGIC);
    uint32_t version = 0;
    if (!in.U32(version))
        return Fail(error, "the checkpoint is truncated");
    if (version != CHECKPOINT_VERSION)
        return Fail(error, "the checkpoint has format version " + std::to_string(version) +
                               "; this build reads version " + std::to_string(CHECKPOINT_VERSION) + " only");
    uint64_t saved_hash = 0;
    std::string saved_by;
    int64_t saved_cycle = 0;
    uint64_t size = 0;
    uint64_t checksum = 0;
    if (!in.U64(saved_hash) || !in.Bytes(saved_by) || !in.I64(saved_cycle) || !in.U64(size) || !in.U64(checksum))
        return Fail(error, "the checkpoint is truncated");
    const size_t content_start = sizeof CHECKPOINT_MAGIC + in.Position();
    if (bytes.size() - content_start != size)
        return Fail(error, bytes.size() - content_start < size ? "the checkpoint is truncated"
                                                               : "the checkpoint has bytes beyond its content");
    const size_t header_bytes = content_start - sizeof CHECKPOINT_MAGIC - 8;
    if (Fnv1a64(bytes.data() + content_start, static_cast<size_t>(size),
                Fnv1a64(bytes.data() + sizeof CHECKPOINT_MAGIC, header_bytes)) != checksum)
        return Fail(error, "the checkpoint is damaged (its checksum does not match)");
    if (saved_by != kLibraryVersion)
        return Fail(error, "the checkpoint was written by " + saved_by.substr(0, kMaxVersionText) + "; this is " +
                               kLibraryVersion);
    uint64_t design_hash = 0;
    if (!DesignHash(design_path, design_hash))
        return Fail(error, "the simulation database " + design_path + ".simdb cannot be read");
    if (saved_hash != design_hash)
        return Fail(error, "the checkpoint was saved from another design (or another version of " + design_path + ")");
    if (saved_cycle < 0)
        return Fail(error, "the checkpoint's cycle count is damaged");
    StateReader content(bytes.data() + content_start, static_cast<size_t>(size));
    std::string refusal;
    if (!manager.RestoreState(content, refusal))
        return Fail(error, refusal);
    cycle = saved_cycle;
    return true;
}

bool WriteCheckpointFile(const std::string& path, const std::string& bytes, std::string& error)
{
    OutputFile file;
    if (!file.Open(path, error))
        return Fail(error, error);
    std::fwrite(bytes.data(), 1, bytes.size(), file.Stream());
    if (!file.Commit(error))
        return Fail(error, error);
    return true;
}

bool ReadCheckpointFile(const std::string& path, std::string& bytes, std::string& error)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return Fail(error, "the checkpoint " + path + " is no regular file that can be read");
    if (static_cast<uint64_t>(status.st_size) > kMaxCheckpointBytes)
        return Fail(error, "the checkpoint " + path + " is larger than any checkpoint this system writes");
    std::ifstream file(path, std::ios::binary);
    bytes.assign(static_cast<size_t>(status.st_size), '\0');
    if (!file || !file.read(bytes.data(), static_cast<std::streamsize>(bytes.size())) ||
        file.peek() != std::char_traits<char>::eof())
        return Fail(error, "the checkpoint " + path + " could not be read whole");
    return true;
}

} // namespace Sim
