#include "CliTestSupport.h"

#include "RouterSim.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vexlorin::test {

TTempDir::TTempDir() {
    std::random_device random;
    FPath = std::filesystem::temp_directory_path() /
            ("vexlorin-cli-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(FPath);
}

TTempDir::~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
}

std::vector<std::string> TTempDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(FPath))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadWholeFile(const std::string& AFilename) {
    std::ifstream in(AFilename, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + AFilename);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteWholeFile(const std::string& AFilename, const std::string& AText) {
    std::ofstream out(AFilename, std::ios::binary | std::ios::trunc);
    out << AText;
    if (!out.flush())
        throw std::runtime_error("cannot write " + AFilename);
}

namespace {

std::vector<std::string> ChildEnvironment(const TRunOptions& AOptions) {
    std::map<std::string, std::optional<std::string>> changes = AOptions.Env;
    if (!changes.count("VEXLORIN_PASSWORD"))
        changes["VEXLORIN_PASSWORD"] = std::nullopt;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        if (!changes.count(name))
            env.push_back(entry);
    }
    for (const auto& [name, value] : changes)
        if (value)
            env.push_back(name + "=" + *value);
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& AStrings) {
    std::vector<char*> out;
    for (std::string& s : AStrings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

int WaitForExit(pid_t APid) {
    int status = 0;
    while (waitpid(APid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

} // namespace

TRunResult RunProgram(const std::vector<std::string>& AArgs, const TRunOptions& AOptions) {
    TTempDir capture;
    const std::string outFile = capture.File("out");
    const std::string errFile = capture.File("err");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!AOptions.WorkingDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, AOptions.WorkingDir.c_str());
    // No controlling terminal either, so that nothing can prompt on /dev/tty.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);

    std::vector<std::string> args = AArgs;
    std::vector<std::string> env = ChildEnvironment(AOptions);
    std::vector<char*> argv = Pointers(args);
    std::vector<char*> envp = Pointers(env);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0)
        throw std::runtime_error("cannot start " + AArgs[0]);

    TRunResult result;
    result.ExitCode = WaitForExit(pid);
    result.Out = ReadWholeFile(outFile);
    result.Err = ReadWholeFile(errFile);
    return result;
}

TRunResult RunCli(const std::vector<std::string>& AArgs, const TRunOptions& AOptions) {
    std::vector<std::string> args{VEXLORIN_CLI_PATH};
    args.insert(args.end(), AArgs.begin(), AArgs.end());
    return RunProgram(args, AOptions);
}

std::string RetrievedFile(const TTempDir& ADir, const std::string& AName, int AProfile,
                          uint64_t ASeed, bool ABins) {
    TRouterSimOptions options;
    options.Profile = static_cast<TVDSLProfile>(AProfile);
    options.Seed = ASeed;
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    const std::string file = ADir.File(AName);
    TRunOptions run;
    run.Env["VEXLORIN_PASSWORD"] = "admin";
    std::vector<std::string> args{"retrieve", "127.0.0.1", "--port", std::to_string(port),
                                  "--user",   "admin",     "-q",     "-o",
                                  file};
    if (ABins)
        args.push_back("--bins");
    const TRunResult result = RunCli(args, run);
    if (result.ExitCode != 0)
        throw std::runtime_error("retrieve failed: " + result.Err);
    return file;
}

TChildProcess::TChildProcess(const std::vector<std::string>& AArgs) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::vector<std::string> args = AArgs;
    std::vector<char*> argv = Pointers(args);
    const int rc = posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    FOut = fds[0];
    if (rc != 0) {
        close(FOut);
        throw std::runtime_error("cannot start " + AArgs[0]);
    }
}

TChildProcess::~TChildProcess() {
    kill(FPid, SIGTERM);
    WaitForExit(FPid);
    close(FOut);
}

std::string TChildProcess::ReadLine() {
    for (;;) {
        const std::size_t end = FPending.find('\n');
        if (end != std::string::npos) {
            std::string line = FPending.substr(0, end);
            FPending.erase(0, end + 1);
            return line;
        }
        char buffer[256];
        const ssize_t n = read(FOut, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::exchange(FPending, std::string());
        FPending.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace vexlorin::test
