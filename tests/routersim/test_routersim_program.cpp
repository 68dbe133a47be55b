// The program vexlorin-routersim: its first line names the port, a client can log on with
// the options given, Ctrl+C ends it cleanly.
#include "Console.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using vexlorin::testing::TConsole;

class TProgram {
public:
    explicit TProgram(std::vector<std::string> AArguments) {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        AArguments.insert(AArguments.begin(), VEXLORIN_ROUTERSIM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& argument : AArguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const int error = posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
        if (error != 0)
            throw std::runtime_error("cannot start the simulator");
        FOutput = ::fdopen(pipeEnds[0], "r");
    }
    ~TProgram() {
        if (FPid > 0) {
            ::kill(FPid, SIGKILL);
            ::waitpid(FPid, nullptr, 0);
        }
        if (FOutput != nullptr)
            ::fclose(FOutput);
    }
    std::string FirstLine() {
        char line[256] = {};
        if (std::fgets(line, sizeof line, FOutput) == nullptr)
            return {};
        return line;
    }
    // Sends ASignal and returns the exit status.
    int Stop(int ASignal) {
        ::kill(FPid, ASignal);
        int status = 0;
        ::waitpid(FPid, &status, 0);
        FPid = 0;
        return status;
    }

private:
    pid_t FPid = 0;
    FILE* FOutput = nullptr;
};

TEST(RouterSimProgram, PrintsItsPortServesAndEndsOnCtrlC) {
    TProgram program({"--port", "0", "--profile", "35b", "--router-name", "Vigor", "--user", "me",
                      "--password", "pw", "--seed", "5"});
    const std::string line = program.FirstLine();
    ASSERT_EQ(line.rfind("listening on 127.0.0.1:", 0), 0u) << line;
    const int port = std::stoi(line.substr(23));
    ASSERT_GT(port, 0);
    {
        TConsole console(static_cast<uint16_t>(port));
        ASSERT_FALSE(console.Until("Account:").empty());
        console.Send("me\r");
        ASSERT_FALSE(console.Until("Password: ").empty());
        console.Send("pw\r");
        ASSERT_FALSE(console.Until("Vigor> ").empty());
        EXPECT_NE(console.Run("vdsl status", "Vigor> ").find("35B"), std::string::npos);
        // The program ends while a client is still connected.
        const int status = program.Stop(SIGINT);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_TRUE(console.WaitForClose());
    }
}

TEST(RouterSimProgram, RejectsAnUnknownProfile) {
    TProgram program({"--profile", "99z"});
    EXPECT_EQ(program.FirstLine(), "");
    const int status = program.Stop(0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
}

} // namespace
