// Exit statuses of vexlorin-cli and the error that carries one up to main().
#pragma once

#include "model/uDrayData.h"

#include <string>

namespace vexlorin::cli {

enum TExitCode : int {
    ecOk = 0,
    ecUsage = 1,       // wrong or missing arguments, no password source
    ecUnreachable = 2, // the router cannot be reached or refuses the logon
    ecFailure = 3,     // anything else: files, the router's answers, writing the result
};

// A failure that ends a command: what went wrong, and what the user can do about it.
class ECliError : public Exception {
public:
    ECliError(TExitCode ACode, const std::string& AMessage, std::string AHint)
        : Exception(AMessage), FCode(ACode), FHint(std::move(AHint)) {}
    TExitCode Code() const { return FCode; }
    const std::string& Hint() const { return FHint; }

private:
    TExitCode FCode;
    std::string FHint;
};

} // namespace vexlorin::cli
