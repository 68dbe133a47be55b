#include "HistoryTestSupport.h"

#include "RouterSim.h"
#include "reader/Retrieval.h"

#include <sqlite3.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vexlorin::test {

std::vector<std::shared_ptr<TDrayData>> SetsFromSim(const TRouterSimOptions& AOptions, bool ABins,
                                                    int ASessions) {
    TRouterSim sim(AOptions);
    const uint16_t port = sim.Start();
    std::vector<std::shared_ptr<TDrayData>> sets;
    for (int i = 0; i < ASessions; ++i) {
        auto set = std::make_shared<TDrayData>("sim");
        TRetrievalRequest request;
        request.Host = "127.0.0.1";
        request.Port = port;
        request.User = AOptions.User;
        request.Password = AOptions.Password;
        request.RouterName = AOptions.RouterName;
        request.Bins = ABins;
        const TReadOutcome outcome = RunRetrieval(request, *set, nullptr);
        if (!outcome.SetComplete())
            throw std::runtime_error("retrieval from the simulator failed: " + outcome.Message);
        sets.push_back(std::move(set));
    }
    return sets;
}

namespace {
struct TRawDb {
    explicit TRawDb(const std::string& APath) {
        if (sqlite3_open(APath.c_str(), &Db) != SQLITE_OK)
            throw std::runtime_error("cannot open " + APath);
        sqlite3_busy_timeout(Db, 5000);
    }
    ~TRawDb() { sqlite3_close(Db); }
    sqlite3* Db = nullptr;
};
} // namespace

void ExecSql(const std::string& APath, const std::string& ASql) {
    TRawDb db(APath);
    char* error = nullptr;
    if (sqlite3_exec(db.Db, ASql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(ASql + ": " + message);
    }
}

std::string QuerySql(const std::string& APath, const std::string& ASql) {
    TRawDb db(APath);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db.Db, ASql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(ASql + ": " + sqlite3_errmsg(db.Db));
    std::string value;
    if (sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0))
        value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    sqlite3_finalize(stmt);
    return value;
}

TSignalledChild::TSignalledChild(const std::vector<std::string>& AArgs, const std::string& AErrFile,
                                 const std::vector<std::string>& AEnv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, AErrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<char*> argv;
    for (const auto& arg : AArgs)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("VEXLORIN_PASSWORD=", 0) != 0)
            envStrings.emplace_back(*e);
    envStrings.insert(envStrings.end(), AEnv.begin(), AEnv.end());
    std::vector<char*> envp;
    for (auto& entry : envStrings)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    const int rc = posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + AArgs[0]);
}

TSignalledChild::~TSignalledChild() {
    if (!FReaped) {
        kill(FPid, SIGKILL);
        Wait();
    }
}

void TSignalledChild::Signal(int ASignal) {
    kill(FPid, ASignal);
}

int TSignalledChild::Wait() {
    int status = 0;
    while (waitpid(FPid, &status, 0) < 0 && errno == EINTR) {
    }
    FReaped = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace vexlorin::test
