// The reader thread and its command channel to the router's console.
#include "reader/uDrayTelnetReader.h"

#include "reader/ConsoleText.h"

#include <condition_variable>
#include <stdexcept>
#include <utility>

namespace vexlorin {

namespace {

const std::string NoReason;

} // namespace

struct TDrayTelnetReader::TCompletion {
    std::mutex Lock;
    std::condition_variable Changed;
    // The reader's thread may end: its completion handler has returned, or its owner let
    // the reader go before that (then the handler never runs).
    bool Released = false;

    // Returns whether it had been released already.
    bool Release() {
        bool Before = false;
        {
            std::lock_guard Guard(Lock);
            Before = std::exchange(Released, true);
        }
        Changed.notify_all();
        return Before;
    }
};

TDrayTelnetReader::TDrayTelnetReader(TTelnetClient& ATelnet, std::string ATelnetUser,
                                     std::string ATelnetPassword, std::string ARouterName,
                                     TDrayData* AData, bool ARetrieveBins, INotifier& ANotifier,
                                     IReaderView* AView)
    : FDrayData(AData), FRetrieveBins(ARetrieveBins), FRouterName(std::move(ARouterName)),
      FPrompt(FRouterName + "> "), FConsolePrompt(Utf8ToCp1252(FPrompt)), FTelnet(ATelnet),
      FTelnetOp(troRetrieveData), FTelnetPassword(std::move(ATelnetPassword)),
      FTelnetUser(std::move(ATelnetUser)), FNotifier(ANotifier), FView(AView),
      FCompletion(std::make_shared<TCompletion>()) {}

TDrayTelnetReader::TDrayTelnetReader(TTelnetClient& ATelnet, std::string ATelnetUser,
                                     std::string ATelnetPassword, std::string ARouterName,
                                     std::string ACustomCommand, INotifier& ANotifier,
                                     IReaderView* AView)
    : FDrayData(nullptr), FRetrieveBins(false), FRouterName(std::move(ARouterName)),
      FPrompt(FRouterName + "> "), FConsolePrompt(Utf8ToCp1252(FPrompt)), FTelnet(ATelnet),
      FTelnetCustomCommand(std::move(ACustomCommand)), FTelnetOp(troCustom),
      FTelnetPassword(std::move(ATelnetPassword)), FTelnetUser(std::move(ATelnetUser)),
      FNotifier(ANotifier), FView(AView), FCompletion(std::make_shared<TCompletion>()) {}

TDrayTelnetReader::~TDrayTelnetReader() {
    Terminate();
    FCompletion->Release();
    if (FThread.joinable())
        FThread.join();
}

void TDrayTelnetReader::Start() {
    if (FStarted)
        throw std::logic_error("The reader has already been started");
    FStarted = true;
    FThread = std::thread([this] { ThreadMain(); });
}

void TDrayTelnetReader::Terminate() {
    FTerminated.store(true);
    FTelnetEvent.SetEvent();
    // A connect that has not started yet sees the stop request itself.
    if (FConnecting.load())
        FTelnet.AbortConnect();
}

bool TDrayTelnetReader::TelnetError() const {
    switch (FOutcome.Ending) {
    case reCompleted:
    case reNotInShowtime:
    case reConnectFailed:
    case reUnexpectedError:
        return false;
    case reStopped:
        return !FOutcome.LoggedOn;
    default:
        return true;
    }
}

const std::string& TDrayTelnetReader::ErrorReason() const {
    return TelnetError() ? FOutcome.Message : NoReason;
}

void TDrayTelnetReader::ThreadMain() {
    std::exception_ptr Escaped;
    try {
        Execute();
    } catch (...) {
        Escaped = std::current_exception();
    }
    FOutcome = MakeOutcome(Escaped);
    Finish();
}

void TDrayTelnetReader::Execute() {
    FTelnet.SetOnDataAvailable([this](std::string_view AData) { TelnetDataAvailable(AData); });
    FTelnet.SetOnClosed([this] { TelnetClosed(); });
    FTelnetEvent.ResetEvent();
    if (FTerminated.load())
        FTelnetEvent.SetEvent();

    const auto Cleanup = [this] {
        // Also after the router closed the connection (Connected() is false then): the
        // reading thread may still be inside a handler and must be joined before the
        // reader can go.
        FTelnet.Disconnect();
        // The reading thread has ended; the handlers must not outlive this reader.
        FTelnet.SetOnDataAvailable(nullptr);
        FTelnet.SetOnClosed(nullptr);
    };
    SetError(false, {});
    FTelnetStatus.store(tsUser);
    try {
        FConnecting.store(true);
        FTelnet.Connect([this] { return Terminated(); });
        FConnecting.store(false);
    } catch (const ETelnetConnectError&) {
        FConnecting.store(false);
        Cleanup();
        if (!Terminated())
            throw;
        FStopped = true; // the connect was given up for the stop request
        return;
    } catch (...) {
        FConnecting.store(false);
        Cleanup();
        throw;
    }
    try {
        if (TelnetLogon()) {
            RunOperation();
        } else if (!FStopped) {
            std::lock_guard Lock(FAnswerLock);
            // A password asked for again keeps its more precise reason.
            throw EReadEnded(reLogonFailed,
                             FTelnetError ? FTelnetErrorReason : ReaderText::UnableToLogin);
        }
    } catch (const EReadEnded& E) {
        FFailure = TFailure{E.Ending(), E.what()};
    } catch (const Exception& E) {
        FFailure = TFailure{reParseError, E.what()};
    } catch (...) {
        Cleanup();
        throw;
    }
    Cleanup();
}

void TDrayTelnetReader::RunOperation() {
    switch (FTelnetOp) {
    case troRetrieveData:
        if (FDrayData)
            RetrieveRouterData(*FDrayData);
        break;
    case troCustom:
        RunCustomCommand();
        break;
    case troNone:
        break;
    }
}

TReadOutcome TDrayTelnetReader::MakeOutcome(std::exception_ptr AEscaped) const {
    TReadOutcome Outcome;
    Outcome.LoggedOn = FTelnetStatus.load() == tsPrompt;
    if (FStopped) {
        Outcome.Ending = reStopped;
        if (!Outcome.LoggedOn)
            Outcome.Message = ReaderText::UnableToLogin;
    } else if (FFailure) {
        Outcome.Ending = FFailure->Ending;
        Outcome.Message = FFailure->Message;
    } else if (AEscaped) {
        Outcome.Error = AEscaped;
        Outcome.Ending = reUnexpectedError;
        try {
            std::rethrow_exception(AEscaped);
        } catch (const ETelnetConnectError& E) {
            Outcome.Ending = reConnectFailed;
            Outcome.Message = E.what();
        } catch (const std::exception& E) {
            Outcome.Message = E.what();
        } catch (...) {
            Outcome.Message = "Unknown error";
        }
    } else if (FNotInShowtime) {
        Outcome.Ending = reNotInShowtime;
        Outcome.Message = ReaderText::NotInShowtime;
    }
    return Outcome;
}

void TDrayTelnetReader::Finish() {
    const auto Completion = FCompletion;
    FNotifier.Queue([this, Completion] {
        {
            std::lock_guard Lock(Completion->Lock);
            if (Completion->Released)
                return; // the owner let the reader go: nothing of it is left to touch
        }
        // Copies: the handler may end the reader's life.
        const auto Handler = FOnTerminate;
        const bool FreeAfter = FFreeOnTerminate;
        std::exception_ptr HandlerError;
        try {
            if (Handler)
                Handler(*this);
        } catch (...) {
            HandlerError = std::current_exception();
        }
        // Released already: the handler destroyed the reader.
        if (!Completion->Release() && FreeAfter)
            delete this;
        if (HandlerError)
            std::rethrow_exception(HandlerError);
    });
    std::unique_lock Lock(Completion->Lock);
    Completion->Changed.wait(Lock, [&] { return Completion->Released; });
    // Nothing of the reader may be touched from here on: it may be gone.
}

} // namespace vexlorin
