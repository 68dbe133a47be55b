#include "cli/Password.h"

#include "cli/CliErrors.h"
#include "model/FileIO.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace vexlorin::cli {

namespace {

constexpr std::size_t MaxPasswordFileSize = 64 * 1024;
constexpr std::size_t MaxTypedPassword = 4096;

// The terminal to restore when a signal ends the program during the prompt; otherwise
// the user's shell would be left without echo.
volatile sig_atomic_t GPromptFd = -1;
struct termios GSavedTerminal;

extern "C" void RestoreTerminalAndExit(int ASignal) {
    if (GPromptFd >= 0)
        tcsetattr(GPromptFd, TCSAFLUSH, &GSavedTerminal);
    std::signal(ASignal, SIG_DFL);
    std::raise(ASignal);
}

constexpr int PromptSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

class TSignalGuard {
public:
    TSignalGuard() {
        for (std::size_t i = 0; i < std::size(PromptSignals); ++i)
            FOld[i] = std::signal(PromptSignals[i], RestoreTerminalAndExit);
    }
    ~TSignalGuard() {
        for (std::size_t i = 0; i < std::size(PromptSignals); ++i)
            std::signal(PromptSignals[i], FOld[i]);
    }
    TSignalGuard(const TSignalGuard&) = delete;
    TSignalGuard& operator=(const TSignalGuard&) = delete;

private:
    void (*FOld[std::size(PromptSignals)])(int);
};

void WriteAll(int AFd, const std::string& AText) {
    std::size_t done = 0;
    while (done < AText.size()) {
        const ssize_t n = write(AFd, AText.data() + done, AText.size() - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

std::string PromptWithoutEcho(const std::string& APrompt) {
    const int fd = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        throw ECliError(ecUsage, "No password given and no terminal to ask for it",
                        std::string("Set ") + PasswordVariable + " or use --password-file FILE.");
    struct termios saved;
    const bool isTerminal = tcgetattr(fd, &saved) == 0;
    std::string password;
    {
        TSignalGuard guard;
        if (isTerminal) {
            GSavedTerminal = saved;
            GPromptFd = fd;
            struct termios quiet = saved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            quiet.c_lflag |= ECHONL;
            tcsetattr(fd, TCSAFLUSH, &quiet);
        }
        WriteAll(fd, APrompt);
        char ch = 0;
        bool ended = false;
        while (read(fd, &ch, 1) == 1) {
            if (ch == '\n' || ch == '\r') {
                ended = true;
                break;
            }
            if (password.size() < MaxTypedPassword)
                password += ch;
        }
        if (isTerminal) {
            tcsetattr(fd, TCSAFLUSH, &saved);
            GPromptFd = -1;
        }
        if (!ended)
            WriteAll(fd, "\n");
    }
    close(fd);
    return password;
}

} // namespace

std::string ReadPasswordFile(const std::string& AFilename) {
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadFileBytes(AFilename, MaxPasswordFileSize);
    } catch (const std::exception& e) {
        throw ECliError(ecFailure, e.what(),
                        "Give a readable file whose first line is the password (at most 64 KiB).");
    }
    std::string password(bytes.begin(), bytes.end());
    const std::size_t end = password.find_first_of("\r\n");
    if (end != std::string::npos)
        password.resize(end);
    return password;
}

std::string ObtainPassword(const std::string& AFilename, const std::string& APrompt) {
    if (!AFilename.empty())
        return ReadPasswordFile(AFilename);
    if (const char* value = std::getenv(PasswordVariable))
        return value;
    if (isatty(STDIN_FILENO))
        return PromptWithoutEcho(APrompt);
    throw ECliError(ecUsage, "No password given",
                    std::string("Set ") + PasswordVariable +
                        ", use --password-file FILE, or run on a terminal to be asked.");
}

} // namespace vexlorin::cli
