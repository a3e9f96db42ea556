// Output files written whole or not at all, and the registry of temporary files.
#include "base/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

namespace {

// The registry lives in static storage of fixed size: a signal handler may read it, and may
// neither allocate nor lock. A slot is free while its first byte is 0.
constexpr int kSlots = 32;
constexpr size_t kSlotLength = 4096;
char registry[kSlots][kSlotLength];

std::string Reason()
{
    return std::strerror(errno);
}

} // namespace

int CreateExclusive(const std::string& path)
{
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}

void RegisterTemporaryFile(const std::string& path)
{
    if (path.size() >= kSlotLength)
        return; // not removable after an interrupt; the normal path still removes it
    for (auto& slot : registry)
        if (slot[0] == 0) {
            std::memcpy(slot + 1, path.c_str() + 1, path.size()); // the name first, then mark it used
            std::atomic_signal_fence(std::memory_order_seq_cst);
            slot[0] = path[0];
            return;
        }
}

void ForgetTemporaryFile(const std::string& path)
{
    for (auto& slot : registry)
        if (slot[0] != 0 && path == slot) {
            slot[0] = 0;
            return;
        }
}

void RemoveTemporaryFiles()
{
    // Files first, then folders: rmdir leaves files alone, and a folder only goes once empty.
    for (auto& slot : registry)
        if (slot[0] != 0)
            ::unlink(slot);
    for (auto& slot : registry)
        if (slot[0] != 0)
            ::rmdir(slot);
}

OutputFile::~OutputFile()
{
    Discard();
}

bool OutputFile::Open(const std::string& target, std::string& error)
{
    Discard();
    path = target;
    failed = false;
    struct stat info {};
    const bool exists = ::lstat(path.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        // A FIFO, a device or a link: written as it is, the link followed, nothing renamed.
        write_path = path;
        temporary = false;
        stream = std::fopen(path.c_str(), "w");
        if (!stream) {
            error = "cannot write " + path + ": " + Reason();
            return false;
        }
        return true;
    }
    // A temporary name beside the file, so the rename stays on one file system.
    std::random_device entropy;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string candidate = path + ".partial." + std::to_string(entropy() % 1000000);
        const int descriptor = CreateExclusive(candidate);
        if (descriptor < 0) {
            if (errno == EEXIST)
                continue;
            error = "cannot write " + path + ": " + Reason();
            return false;
        }
        stream = ::fdopen(descriptor, "w");
        if (!stream) {
            ::close(descriptor);
            ::unlink(candidate.c_str());
            error = "cannot write " + path + ": " + Reason();
            return false;
        }
        write_path = candidate;
        temporary = true;
        RegisterTemporaryFile(candidate);
        return true;
    }
    error = "cannot write " + path + ": no free temporary name beside it";
    return false;
}

void OutputFile::CloseStream()
{
    if (!stream)
        return;
    failed = std::ferror(stream) != 0 || failed;
    failed = std::fclose(stream) != 0 || failed;
    stream = nullptr;
}

bool OutputFile::Commit(std::string& error)
{
    if (stream && std::fflush(stream) != 0)
        failed = true;
    CloseStream();
    if (failed) {
        error = "cannot write " + path + ": " + Reason();
        Discard();
        return false;
    }
    if (temporary) {
        if (std::rename(write_path.c_str(), path.c_str()) != 0) {
            error = "cannot write " + path + ": " + Reason();
            Discard();
            return false;
        }
        ForgetTemporaryFile(write_path);
        temporary = false;
    }
    write_path.clear();
    return true;
}

void OutputFile::Discard()
{
    if (stream) {
        std::fclose(stream);
        stream = nullptr;
    }
    if (temporary) {
        ::unlink(write_path.c_str());
        ForgetTemporaryFile(write_path);
        temporary = false;
    }
    write_path.clear();
}
