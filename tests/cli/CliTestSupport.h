// Running the real vexlorin-cli (and other programs) as child processes in a temporary
// folder, with a controlled environment and no terminal on standard input.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace vexlorin::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::string File(const std::string& AName) const { return (FPath / AName).string(); }
    // Names of the entries, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path FPath;
};

std::string ReadWholeFile(const std::string& AFilename);
void WriteWholeFile(const std::string& AFilename, const std::string& AText);

struct TRunResult {
    int ExitCode = -1; // the exit status, or 128 + signal
    std::string Out;
    std::string Err;
};

struct TRunOptions {
    std::string WorkingDir;                                // empty: the test's own
    std::map<std::string, std::optional<std::string>> Env; // nullopt removes the variable
};

// Runs AArgs[0] with the arguments, standard input from /dev/null, and waits for it.
// VEXLORIN_PASSWORD is removed from the inherited environment unless AOptions sets it.
TRunResult RunProgram(const std::vector<std::string>& AArgs, const TRunOptions& AOptions = {});

// vexlorin-cli with the arguments.
TRunResult RunCli(const std::vector<std::string>& AArgs, const TRunOptions& AOptions = {});

// A statistics file ADir/AName read by "vexlorin-cli retrieve" from a simulated router of
// this profile and seed (the bins tables with ABins).
std::string RetrievedFile(const TTempDir& ADir, const std::string& AName, int AProfile,
                          uint64_t ASeed, bool ABins = true);

// A child process whose standard output the test reads while it runs (the simulator
// program). Killed with SIGTERM and reaped when destroyed.
class TChildProcess {
public:
    explicit TChildProcess(const std::vector<std::string>& AArgs);
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // One line of its standard output (without the line break); empty at its end.
    std::string ReadLine();

private:
    pid_t FPid = -1;
    int FOut = -1;
    std::string FPending;
};

} // namespace vexlorin::test
