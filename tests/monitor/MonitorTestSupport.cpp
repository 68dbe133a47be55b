#include "MonitorTestSupport.h"

#include <httplib.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vexlorin::test {

TBackground::TBackground(const std::vector<std::string>& AArgs, const std::string& AOutFile,
                         const std::string& AErrFile) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, AOutFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, AErrFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> args = AArgs;
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int rc = posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + AArgs[0]);
}

TBackground::~TBackground() {
    if (FPid > 0 && Wait(std::chrono::milliseconds(0)) == -2) {
        Signal(SIGTERM);
        Wait(std::chrono::seconds(10));
    }
}

void TBackground::Signal(int ASignal) const {
    if (FPid > 0)
        kill(FPid, ASignal);
}

int TBackground::Wait(std::chrono::milliseconds ATimeout) {
    if (FPid <= 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + ATimeout;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(FPid, &status, WNOHANG);
        if (done == FPid) {
            FPid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            if (ATimeout.count() == 0)
                return -2; // still running
            kill(FPid, SIGKILL);
            waitpid(FPid, &status, 0);
            FPid = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

long TBackground::PeakRssKiB() const {
    std::ifstream in("/proc/" + std::to_string(FPid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

TServe::TServe(const TTempDir& ADir, const std::string& ATargetsFile,
               const std::vector<std::string>& AExtra)
    : FOutFile(ADir.File("serve.out")), FErrFile(ADir.File("serve.err")),
      FProcess(
          [&] {
              std::vector<std::string> args{VEXLORIN_CLI_PATH, "serve",     "--listen",
                                            "127.0.0.1:0",     "--targets", ATargetsFile};
              args.insert(args.end(), AExtra.begin(), AExtra.end());
              return args;
          }(),
          FOutFile, FErrFile) {
    WaitFor(
        [this] {
            const std::string out = ReadWholeFile(FOutFile);
            const std::size_t at = out.find("127.0.0.1:");
            if (at == std::string::npos || out.find('/', at) == std::string::npos)
                return false;
            FPort = std::stoi(out.substr(at + 10));
            return true;
        },
        std::chrono::seconds(10));
    if (FPort == 0)
        throw std::runtime_error("vexlorin-cli serve did not start: " + ReadWholeFile(FErrFile));
}

THttpResult HttpGet(int APort, const std::string& APath) {
    httplib::Client client("127.0.0.1", APort);
    client.set_connection_timeout(5);
    client.set_read_timeout(5);
    const auto result = client.Get(APath.c_str());
    if (!result)
        return {};
    return {result->status, result->body, result->get_header_value("Content-Type")};
}

TRunResult PromtoolCheck(const TTempDir& ADir, const std::string& AText) {
    const std::string file = ADir.File("exposition.prom");
    WriteWholeFile(file, AText);
    return RunProgram({"/bin/sh", "-c", "exec promtool check metrics < \"$0\"", file});
}

uint16_t FreeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

bool WaitFor(const std::function<bool()>& APredicate, std::chrono::milliseconds ATimeout) {
    const auto deadline = std::chrono::steady_clock::now() + ATimeout;
    while (!APredicate()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

double MetricValue(const std::string& AText, const std::string& ASeries) {
    std::istringstream in(AText);
    std::string line;
    while (std::getline(in, line))
        if (line.size() > ASeries.size() && line.compare(0, ASeries.size(), ASeries) == 0 &&
            line[ASeries.size()] == ' ')
            return std::stod(line.substr(ASeries.size() + 1));
    return std::nan("");
}

bool HasProgram(const std::string& APath) {
    return access(APath.c_str(), X_OK) == 0;
}

std::string UrlEncode(const std::string& AText) {
    return httplib::detail::encode_query_param(AText);
}

} // namespace vexlorin::test
