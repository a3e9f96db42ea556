// Runs the built blocktide command on designs copied into a fresh scratch directory (an
// import writes the SimDB file and temporary files next to the netlist) and captures its
// exit code, standard output and standard error.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace e2e {

inline std::string SourcePath(const std::string& relative)
{
    return std::string(BLOCKTIDE_SOURCE_DIR) + "/" + relative;
}
inline std::string DefaultMap()
{
    return SourcePath("maps/blocktide_map.xml");
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct CommandResult {
    int exit_code = -1; // the command's exit status; -1 when it did not exit normally
    std::string out;    // standard output
    std::string err;    // standard error
};

// A scratch directory per test: design files live in design/, captured streams beside it.
class Workspace {
public:
    Workspace()
    {
        static std::atomic<int> counter{0};
        root_ = std::filesystem::temp_directory_path() /
                ("blocktide_e2e_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "design");
    }
    ~Workspace()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    std::string Path(const std::string& name) const { return (root_ / "design" / name).string(); }
    bool Exists(const std::string& name) const { return std::filesystem::exists(Path(name)); }
    std::string Read(const std::string& name) const { return ReadFile(Path(name)); }
    std::string Write(const std::string& name, const std::string& content) const
    {
        std::ofstream(Path(name), std::ios::binary) << content;
        return Path(name);
    }
    void Remove(const std::string& name) const { std::filesystem::remove(Path(name)); }

    // Copies every file of examples/<name>/ into the design directory.
    void CopyExample(const std::string& name) const
    {
        for (const auto& entry : std::filesystem::directory_iterator(SourcePath("examples/" + name)))
            if (entry.is_regular_file())
                std::filesystem::copy_file(entry.path(), root_ / "design" / entry.path().filename(),
                                           std::filesystem::copy_options::overwrite_existing);
    }

    // Names of the files in the design directory, sorted.
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(root_ / "design"))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs build/blocktide with the arguments (each passed as one word).
    CommandResult Run(const std::vector<std::string>& args) const
    {
        const std::string out = (root_ / "stdout.txt").string(), err = (root_ / "stderr.txt").string();
        std::string command = Quote(BLOCKTIDE_COMMAND);
        for (const std::string& arg : args)
            command.append(" ").append(Quote(arg));
        command.append(" >").append(Quote(out)).append(" 2>").append(Quote(err)).append(" </dev/null");
        CommandResult result;
        int status = std::system(command.c_str());
        if (status != -1 && WIFEXITED(status))
            result.exit_code = WEXITSTATUS(status);
        result.out = ReadFile(out);
        result.err = ReadFile(err);
        return result;
    }

    // sim DESIGN --map <default map> --stimulus STIMULUS, all names in the design directory.
    CommandResult Simulate(const std::string& design, const std::string& stimulus,
                           std::vector<std::string> extra = {}) const
    {
        std::vector<std::string> args = {"sim", Path(design), "--map", DefaultMap(), "--stimulus", Path(stimulus)};
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args);
    }

private:
    static std::string Quote(const std::string& word)
    {
        std::string quoted = "'";
        for (char c : word) {
            if (c == '\'')
                quoted.append("'\\''"); // close, an escaped quote, reopen
            else
                quoted.push_back(c);
        }
        quoted.push_back('\'');
        return quoted;
    }

    std::filesystem::path root_;
};

// How many times text occurs in haystack.
inline int Occurrences(const std::string& haystack, const std::string& text)
{
    int count = 0;
    for (size_t at = haystack.find(text); at != std::string::npos; at = haystack.find(text, at + text.size()))
        ++count;
    return count;
}

} // namespace e2e
