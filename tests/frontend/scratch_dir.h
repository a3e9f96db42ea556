// A fresh scratch directory per test for netlists, maps and temporary files; removed with
// everything in it when the test ends.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

class ScratchDir {
public:
    ScratchDir()
    {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("blocktide_frontend_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string Path(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Root() const { return path_; }

    // Writes content to name (bytes as given) and answers its full path.
    std::string Write(const std::string& name, const std::string& content) const
    {
        std::string full = Path(name);
        std::ofstream(full, std::ios::binary) << content;
        return full;
    }

private:
    std::filesystem::path path_;
};

inline std::string DataPath(const std::string& name) { return std::string(BLOCKTIDE_TEST_DATA) + "/data/" + name; }
