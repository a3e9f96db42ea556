// Running yosys: the script is synth.ys with the sources read first, run in a scratch folder
// that holds the script, the JSON netlist and yosys's log, and is removed afterwards.
#include "frontend/verilog_import.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/messages.h"
#include "base/output_file.h"
#include "frontend/yosys_netlist.h"

extern char** environ;

namespace Parser {

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The text with every occurrence of key replaced.
std::string Replace(std::string text, const std::string& key, const std::string& value)
{
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

// A path as a yosys script argument.
std::string Quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

bool YosysInstalled()
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && access((folder + "/yosys").c_str(), X_OK) == 0)
            return true;
    return false;
}

// Runs yosys on the script, its output going to the log; the exit status, or -1 when it did
// not start.
int RunYosys(const fs::path& script, const fs::path& log)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::string program = "yosys", quiet = "-q", script_flag = "-s", script_path = script.string();
    char* argv[] = {program.data(), quiet.data(), script_flag.data(), script_path.data(), nullptr};
    pid_t child = 0;
    const int failed = posix_spawnp(&child, "yosys", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// yosys's own words for a failure: its ERROR lines, or the end of its log.
std::string YosysFailure(const std::string& log)
{
    std::string errors, line, last;
    std::stringstream lines(log);
    while (std::getline(lines, line)) {
        if (line.rfind("ERROR:", 0) == 0)
            errors += (errors.empty() ? "" : " ") + line.substr(line.find_first_not_of(' ', 6));
        if (!line.empty())
            last = line;
    }
    return errors.empty() ? last : errors;
}

// A private folder for yosys's script, log and netlist. Registered with the temporary files,
// so an interrupted import removes it as well.
class ScratchFolder {
public:
    static constexpr const char* kFiles[] = {"import.ys", "yosys.log", "netlist.json"};
    ScratchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "blocktide-yosys-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            return;
        path = pattern;
        RegisterTemporaryFile(path.string());
        for (const char* file : kFiles)
            RegisterTemporaryFile((path / file).string());
    }
    ~ScratchFolder()
    {
        if (path.empty())
            return;
        std::error_code error;
        fs::remove_all(path, error);
        for (const char* file : kFiles)
            ForgetTemporaryFile((path / file).string());
        ForgetTemporaryFile(path.string());
    }
    fs::path path;
};

} // namespace

bool ImportVerilog(const VerilogSources& sources, XmlMapSmc& map, KVC::NetlistDB& database)
{
    if (!YosysInstalled()) {
        report(SEV_ERROR, "yosys is not installed; it synthesises Verilog for Blocktide: apt-get install yosys");
        return false;
    }
    const fs::path maps = fs::absolute(sources.maps_directory);
    const std::string synthesis = ReadText(maps / "synth.ys");
    if (synthesis.empty()) {
        report(SEV_ERROR, "Cannot read the synthesis script " + (maps / "synth.ys").string() + ".");
        return false;
    }
    for (const std::string& file : sources.files)
        if (!fs::is_regular_file(file)) {
            report(SEV_ERROR, "Cannot read the Verilog source " + file + ".");
            return false;
        }
    ScratchFolder scratch;
    if (scratch.path.empty()) {
        report(SEV_ERROR, "Cannot make a scratch folder for yosys.");
        return false;
    }
    const fs::path json = scratch.path / "netlist.json";
    std::string script = "read_verilog -lib " + Quoted((maps / "bt_cells_bb.v").string()) + "\n";
    for (const std::string& file : sources.files)
        script += "read_verilog -sv " + Quoted(fs::absolute(file).string()) + "\n";
    script += Replace(Replace(Replace(synthesis, "{TOP}", sources.top), "{JSON}", Quoted(json.string())), "{MAPS}",
                      maps.string());
    std::ofstream(scratch.path / "import.ys") << script;
    const int status = RunYosys(scratch.path / "import.ys", scratch.path / "yosys.log");
    if (status != 0) {
        const std::string failure = YosysFailure(ReadText(scratch.path / "yosys.log"));
        report(SEV_ERROR, "yosys could not synthesise '" + sources.top + "'" +
                              (failure.empty() ? std::string(".") : ": " + failure));
        return false;
    }
    YosysNetlistOptions options{sources.top, sources.memory_file_base};
    return ReadYosysNetlist(ReadText(json), options, map, database);
}

} // namespace Parser
