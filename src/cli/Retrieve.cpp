#include "cli/Retrieve.h"

#include "cli/CliErrors.h"
#include "reader/Retrieval.h"

namespace vexlorin::cli {

namespace {

std::string Where(const TRetrieveRequest& ARequest) {
    return ARequest.Host + ":" + std::to_string(ARequest.Port);
}

// The exit status and hint of every ending but the two that keep the set.
[[noreturn]] void RaiseFailure(const TRetrieveRequest& ARequest, const TReadOutcome& AOutcome) {
    // Failures of the logon name the router they happened with.
    const std::string atRouter = AOutcome.Message + " (" + Where(ARequest) + ")";
    const char* const readHint =
        "The router's answers could not be read; nothing was saved. Try again; if it keeps "
        "failing, save the console output of the \"vdsl\" commands and import it with "
        "\"vexlorin-cli import\".";
    switch (AOutcome.Ending) {
    case reCompleted:
    case reNotInShowtime:
        break;
    case reStopped:
        throw ECliError(ecFailure, "The retrieval was stopped", "Nothing was saved; run it again.");
    case reConnectFailed:
        throw ECliError(ecUnreachable,
                        AOutcome.Message.empty() ? "Cannot connect to " + Where(ARequest)
                                                 : AOutcome.Message,
                        "Check the router address and --port, that the router is on and that its "
                        "telnet console is enabled.");
    case reSingleConnection:
        throw ECliError(ecUnreachable, atRouter,
                        "Another session is logged on to the router's console; end it (or wait "
                        "for it to time out) and try again.");
    case reNoLogonPrompt:
        throw ECliError(ecUnreachable, atRouter,
                        "The router answered but showed no logon prompt; check that HOST and "
                        "--port name the router's telnet console.");
    case reLogonFailed:
        throw ECliError(ecUnreachable, atRouter,
                        "Check the user name (--user), the password (VEXLORIN_PASSWORD or "
                        "--password-file) and the router name (--router-name), which must match "
                        "the console prompt, e.g. \"DrayTek> \".");
    case reConnectionLost:
    case reTooMuchData:
        if (!AOutcome.LoggedOn)
            throw ECliError(ecUnreachable, atRouter,
                            "The router ended the logon; check that HOST and --port name the "
                            "router's telnet console and try again.");
        throw ECliError(ecFailure, AOutcome.Message, readHint);
    case reStoppedAnswering:
        throw ECliError(ecFailure, AOutcome.Message,
                        "A command got no answer in time and the console did not come back; "
                        "nothing was saved. Check the router (it may be busy or restarting) and "
                        "try again.");
    case reParseError:
        throw ECliError(ecFailure, AOutcome.Message, readHint);
    case reUnexpectedError:
        throw ECliError(ecFailure, AOutcome.Message, "Nothing was saved; run it again.");
    }
    throw ECliError(ecFailure, AOutcome.Message, readHint);
}

} // namespace

std::unique_ptr<TDrayData> RetrieveSet(const TRetrieveRequest& ARequest, std::ostream* AProgress) {
    auto data = std::make_unique<TDrayData>(ARequest.SetName);
    const TRetrievalRequest request{ARequest.Host,     ARequest.Port,       ARequest.User,
                                    ARequest.Password, ARequest.RouterName, ARequest.Bins,
                                    ARequest.Timeouts};
    const TReadOutcome outcome = RunRetrieval(request, *data, AProgress);
    if (!outcome.SetComplete())
        RaiseFailure(ARequest, outcome);
    // The set is kept; the notice says why it has no profile.
    if (outcome.Ending == reNotInShowtime && AProgress)
        *AProgress << outcome.Message << std::endl;
    return data;
}

} // namespace vexlorin::cli
