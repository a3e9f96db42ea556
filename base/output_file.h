// Files the system writes for its users (CSV results, waveforms, dumps). A regular file, or a
// new one, is written under a temporary name beside it and renamed over it only when complete,
// so a failure or an interrupt never leaves half a file under the real name; anything else the
// path names (a FIFO, a device, a symbolic link's target, /dev/stdout) is written directly.
// Temporary names are created exclusively, never through a planted link, and registered, so an
// interrupted process removes exactly the files it made (RemoveTemporaryFiles).
#pragma once

#include <cstdio>
#include <string>

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile(); // an uncommitted temporary file is removed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Prepares writing `path`; false with an error naming the path when it cannot be written.
    bool Open(const std::string& path, std::string& error);
    // The stream to write; null before Open.
    std::FILE* Stream() const { return stream; }
    // Where the content goes until Commit: the temporary file, or the path itself.
    const std::string& WritePath() const { return write_path; }
    // Flushes and closes; a temporary file then replaces the path. False, with an error
    // naming the path, when any write failed; the path is then left as it was.
    bool Commit(std::string& error);
    // Closes the stream without committing, for a writer that reopens WritePath() itself.
    void CloseStream();
    // Closes without committing: a temporary file is removed and the path left as it was.
    void Discard();

private:

    std::string path;       // what the user named
    std::string write_path; // the temporary file, or `path` when written directly
    bool temporary = false; // write_path is a temporary file of ours
    bool failed = false;    // a write or close failed
    std::FILE* stream = nullptr;
};

// Creates a new file exclusively (never following a link), mode 0644; the descriptor, or -1
// when the name is taken or cannot be created.
int CreateExclusive(const std::string& path);

// The process's own temporary files and folders: registered while they exist, removed by
// RemoveTemporaryFiles, which only calls unlink and rmdir and may run in a signal handler.
void RegisterTemporaryFile(const std::string& path);
void ForgetTemporaryFile(const std::string& path);
void RemoveTemporaryFiles();
