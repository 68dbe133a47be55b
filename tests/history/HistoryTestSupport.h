// Sets read from the simulated router, a raw look into history files, and a recorder
// process the tests can signal.
#pragma once

#include "history/HistoryStore.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <sys/types.h>

namespace vexlorin {
struct TRouterSimOptions;
}

namespace vexlorin::test {

// One retrieval from a simulator started with AOptions (each call is a new session of the
// same simulator when ASessions > 1: the sets of sessions 1..ASessions).
std::vector<std::shared_ptr<TDrayData>> SetsFromSim(const TRouterSimOptions& AOptions, bool ABins,
                                                    int ASessions = 1);

// Runs one SQL statement on the file with SQLite itself (no history code in between).
void ExecSql(const std::string& APath, const std::string& ASql);
// The first column of the first row of the query, as text ("" for none).
std::string QuerySql(const std::string& APath, const std::string& ASql);

// A child process with its standard error in a file.
class TSignalledChild {
public:
    TSignalledChild(const std::vector<std::string>& AArgs, const std::string& AErrFile,
                    const std::vector<std::string>& AEnv = {});
    ~TSignalledChild();
    void Signal(int ASignal);
    // The exit status, or 128 + signal.
    int Wait();
    pid_t Pid() const { return FPid; }

private:
    pid_t FPid = -1;
    bool FReaped = false;
};

} // namespace vexlorin::test
