// The reader thread and its command channel to the router's console.
#include "reader/uDrayTelnetReader.h"

#include "model/TextCodec.h"

#include <algorithm>
#include <condition_variable>
#include <stdexcept>
#include <utility>

namespace vexlorin {

namespace {

char LowerAscii(char C) {
    return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
}

bool EndsWithNoCase(std::string_view AText, std::string_view ASuffix) {
    if (AText.size() < ASuffix.size())
        return false;
    const auto Tail = AText.substr(AText.size() - ASuffix.size());
    for (std::size_t I = 0; I < ASuffix.size(); ++I)
        if (LowerAscii(Tail[I]) != LowerAscii(ASuffix[I]))
            return false;
    return true;
}

// APart must start with a character that has no case (both console texts start with
// "%"), so candidates are found with a plain byte search: answers run to 150 KiB.
bool ContainsNoCase(std::string_view AText, std::string_view APart) {
    if (APart.empty())
        return true;
    for (auto At = AText.find(APart.front()); At != std::string_view::npos;
         At = AText.find(APart.front(), At + 1)) {
        if (AText.size() - At < APart.size())
            return false;
        if (EndsWithNoCase(AText.substr(At, APart.size()), APart))
            return true;
    }
    return false;
}

// The console's way of saying it did not understand a command; an answer that also says
// the command is incomplete is still a usable answer.
bool AnswerAccepted(std::string_view AAnswer) {
    return !ContainsNoCase(AAnswer, "% Valid subcommands are:") ||
           ContainsNoCase(AAnswer, "% Command missing");
}

} // namespace

struct TDrayTelnetReader::TCompletion {
    std::mutex Lock;
    std::condition_variable Changed;
    bool InHandler = false;
    bool Done = false;      // the completion handler has returned
    bool Abandoned = false; // the reader was destroyed before its handler ran
    bool OwnerGone = false; // the reader was destroyed inside its handler
    std::thread Thread;     // taken over from a reader destroyed inside its handler
};

TDrayTelnetReader::TDrayTelnetReader(TTelnetClient& ATelnet, std::string ATelnetUser,
                                     std::string ATelnetPassword, std::string ARouterName,
                                     TDrayData* AData, bool ARetrieveBins, INotifier& ANotifier,
                                     IReaderView* AView)
    : FDrayData(AData), FRetrieveBins(ARetrieveBins), FRouterName(std::move(ARouterName)),
      FPrompt(FRouterName + "> "), FTelnet(ATelnet), FTelnetOp(troRetrieveData),
      FTelnetPassword(std::move(ATelnetPassword)), FTelnetUser(std::move(ATelnetUser)),
      FNotifier(ANotifier), FView(AView), FCompletion(std::make_shared<TCompletion>()) {}

TDrayTelnetReader::TDrayTelnetReader(TTelnetClient& ATelnet, std::string ATelnetUser,
                                     std::string ATelnetPassword, std::string ARouterName,
                                     std::string ACustomCommand, INotifier& ANotifier,
                                     IReaderView* AView)
    : FDrayData(nullptr), FRetrieveBins(false), FRouterName(std::move(ARouterName)),
      FPrompt(FRouterName + "> "), FTelnet(ATelnet),
      FTelnetCustomCommand(std::move(ACustomCommand)), FTelnetOp(troCustom),
      FTelnetPassword(std::move(ATelnetPassword)), FTelnetUser(std::move(ATelnetUser)),
      FNotifier(ANotifier), FView(AView), FCompletion(std::make_shared<TCompletion>()) {}

TDrayTelnetReader::~TDrayTelnetReader() {
    Terminate();
    std::unique_lock Lock(FCompletion->Lock);
    if (FCompletion->InHandler) {
        // Destroyed by its own completion handler: the thread is waiting for that handler
        // to return, so the completion procedure joins it afterwards.
        FCompletion->OwnerGone = true;
        FCompletion->Thread = std::move(FThread);
        return;
    }
    FCompletion->Abandoned = true;
    Lock.unlock();
    FCompletion->Changed.notify_all();
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
}

void TDrayTelnetReader::ThreadMain() {
    try {
        Execute();
    } catch (...) {
        FFatalException = std::current_exception();
    }
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
        FTelnet.Connect();
        try {
            if (!TelnetLogon()) {
                std::lock_guard Lock(FAnswerLock);
                // A password asked for again keeps its more precise reason.
                if (!FTelnetError)
                    FTelnetErrorReason = ReaderText::UnableToLogin;
                FTelnetError = true;
            } else {
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
        } catch (const Exception& E) {
            SetError(true, E.what());
        }
    } catch (...) {
        Cleanup();
        throw;
    }
    Cleanup();
}

void TDrayTelnetReader::Finish() {
    const auto Completion = FCompletion;
    FNotifier.Queue([this, Completion] {
        {
            std::lock_guard Lock(Completion->Lock);
            if (Completion->Abandoned)
                return;
            Completion->InHandler = true;
        }
        // Copies: the handler may destroy the reader.
        const auto Handler = FOnTerminate;
        const bool FreeAfter = FFreeOnTerminate;
        std::exception_ptr HandlerError;
        try {
            if (Handler)
                Handler(*this);
        } catch (...) {
            HandlerError = std::current_exception();
        }
        bool OwnerGone = false;
        {
            std::lock_guard Lock(Completion->Lock);
            Completion->InHandler = false;
            Completion->Done = true;
            OwnerGone = Completion->OwnerGone;
        }
        Completion->Changed.notify_all();
        if (OwnerGone) {
            if (Completion->Thread.joinable())
                Completion->Thread.join();
        } else if (FreeAfter) {
            delete this;
        }
        if (HandlerError)
            std::rethrow_exception(HandlerError);
    });
    std::unique_lock Lock(Completion->Lock);
    Completion->Changed.wait(Lock, [&] { return Completion->Done || Completion->Abandoned; });
    // Nothing of the reader may be touched from here on: it may be gone.
}

// ---------------------------------------------------------------------------------------
// Receive side (telnet reading thread)

bool TDrayTelnetReader::EndsWithText(std::string_view AText) const {
    const std::string_view Buffer = FTelnetAnswer;
    if (IsAscii(AText))
        // Bytes from 0x80 up never decode to ASCII, so the raw bytes can be compared.
        return EndsWithNoCase(Buffer, AText);
    // A decoded byte is at least one UTF-8 byte: the last AText.size() bytes are enough.
    const auto Tail = Buffer.substr(Buffer.size() - std::min(Buffer.size(), AText.size()));
    return EndsWithNoCase(Cp1252ToUtf8(Tail), AText);
}

void TDrayTelnetReader::TelnetDataAvailable(std::string_view AData) {
    std::lock_guard Lock(FAnswerLock);
    // After an overflow nothing more is kept for this wait: a prompt in a later burst must
    // not pass the tail of a cut-off answer as the whole. Once the awaited text is in,
    // whatever follows it is kept only within the bound.
    if (FOverflow || (FAnswerArrived && FTelnetAnswer.size() + AData.size() > FMaxAnswerBytes))
        return;
    FTelnetAnswer.append(AData);
    bool Matched = true;
    switch (FTelnetStatus.load()) {
    case tsUser:
        if (EndsWithText("Account:")) {
            FTelnetAnswer.clear();
        } else if (EndsWithText("Reject the connection request !!!\r\n")) {
            FTelnetAnswer.clear();
            FTelnetError = true;
            FTelnetErrorReason = ReaderText::SingleConnection;
        } else {
            Matched = false;
        }
        break;
    case tsPassword:
        if (EndsWithText("Password: "))
            FTelnetAnswer.clear();
        else
            Matched = false;
        break;
    case tsBanner:
        if (EndsWithText(FPrompt)) {
            FTelnetAnswer.clear();
            FTelnetError = false;
        } else if (EndsWithText("Password: ")) {
            FTelnetError = true;
            FTelnetErrorReason = ReaderText::InvalidLogin;
        } else {
            Matched = false;
        }
        break;
    case tsPrompt:
        Matched = EndsWithText(FPrompt);
        break;
    }
    if (Matched) {
        FAnswerArrived = true;
        FTelnetEvent.SetEvent();
    } else if (!FAnswerArrived && FTelnetAnswer.size() > FMaxAnswerBytes) {
        // Keep memory bounded; the run ends as soon as the reader wakes.
        FTelnetAnswer.clear();
        FTelnetAnswer.shrink_to_fit();
        FOverflow = true;
        FTelnetEvent.SetEvent();
    }
}

void TDrayTelnetReader::TelnetClosed() {
    FClosed.store(true);
    FTelnetEvent.SetEvent();
}

// ---------------------------------------------------------------------------------------
// Send side (reader thread)

void TDrayTelnetReader::SetError(bool AError, std::string AReason) {
    std::lock_guard Lock(FAnswerLock);
    FTelnetError = AError;
    FTelnetErrorReason = std::move(AReason);
}

void TDrayTelnetReader::PrepareWait(bool AEmptyBuffer) {
    // Flags and event change together under the buffer lock, so a match of the previous
    // stage can never wake the next wait.
    std::lock_guard Lock(FAnswerLock);
    if (AEmptyBuffer)
        FTelnetAnswer.clear();
    FAnswerArrived = false;
    FOverflow = false;
    FTelnetEvent.ResetEvent();
    // Stop and loss stay in force across stages.
    if (FTerminated.load() || FClosed.load())
        FTelnetEvent.SetEvent();
}

void TDrayTelnetReader::OfferAnswerBuffer(std::string& ABuffer) {
    // A long answer after a long one then needs no new memory.
    std::lock_guard Lock(FAnswerLock);
    if (ABuffer.capacity() > FTelnetAnswer.capacity()) {
        ABuffer.assign(FTelnetAnswer); // what has come in so far moves along
        FTelnetAnswer.swap(ABuffer);
    }
    ABuffer.clear();
}

TDrayTelnetReader::TWaitOutcome TDrayTelnetReader::CheckWaitOutcome() {
    std::lock_guard Lock(FAnswerLock);
    if (FAnswerArrived)
        return TWaitOutcome::Arrived;
    if (FOverflow)
        return TWaitOutcome::Overflow;
    if (FClosed.load())
        return TWaitOutcome::Closed;
    if (FTerminated.load())
        return TWaitOutcome::Stopped;
    return TWaitOutcome::Timeout;
}

TDrayTelnetReader::TWaitOutcome
TDrayTelnetReader::WaitForAnswer(std::chrono::milliseconds ATimeout) {
    FTelnetEvent.WaitFor(ATimeout);
    // Whatever woke the wait (or none of them: a time-out) is in the flags.
    return CheckWaitOutcome();
}

void TDrayTelnetReader::RaiseLostChannel(TWaitOutcome AOutcome) {
    if (AOutcome == TWaitOutcome::Overflow)
        throw EDrayTelnetReader(ReaderText::TooMuchData);
    throw EDrayTelnetReader(ReaderText::ConnectionClosed);
}

bool TDrayTelnetReader::TelnetLogon() {
    // The error and the state were cleared before connecting: the router's first words
    // (its refusal, too) may arrive before the logon starts, and must not be wiped.
    PostStatus(ReaderText::Connecting);

    // Not reset first: the account prompt may have come already.
    auto Outcome = WaitForAnswer(FTimeouts.Account);
    switch (Outcome) {
    case TWaitOutcome::Arrived:
        break;
    case TWaitOutcome::Timeout:
        throw Exception(ReaderText::UnableToConnect);
    case TWaitOutcome::Stopped:
        FStopped = true;
        return false;
    default:
        RaiseLostChannel(Outcome);
    }
    {
        std::unique_lock Lock(FAnswerLock);
        if (FTelnetError) {
            std::string Reason = FTelnetErrorReason;
            Lock.unlock();
            throw Exception(Reason);
        }
    }
    PostStatus(ReaderText::LoggingIn);
    if (Terminated()) {
        FStopped = true;
        return false;
    }

    // The state changes before the event is reset and the text sent, so the handler
    // already looks for the next prompt when the reply comes in.
    const std::pair<TTelnetStatus, const std::string*> Steps[] = {{tsPassword, &FTelnetUser},
                                                                  {tsBanner, &FTelnetPassword}};
    for (const auto& [Status, Text] : Steps) {
        FTelnetStatus.store(Status);
        PrepareWait(false);
        FTelnet.SendString(*Text + "\r");
        Outcome = WaitForAnswer(Status == tsPassword ? FTimeouts.Password : FTimeouts.Banner);
        switch (Outcome) {
        case TWaitOutcome::Arrived:
            break;
        case TWaitOutcome::Timeout:
            throw EDrayTelnetReader(ReaderText::UnableToLogin);
        case TWaitOutcome::Stopped:
            FStopped = true;
            return false;
        default:
            RaiseLostChannel(Outcome);
        }
    }

    {
        std::lock_guard Lock(FAnswerLock);
        if (FTelnetError)
            return false;
    }
    FTelnetStatus.store(tsPrompt);
    return true;
}

bool TDrayTelnetReader::SendTelnetCommand(std::string_view ACommand,
                                          std::chrono::milliseconds ATimeout,
                                          std::string& AAnswer) {
    SendCommandLine(ACommand, AAnswer);
    return AwaitCommandAnswer(ATimeout, AAnswer);
}

void TDrayTelnetReader::SendCommandLine(std::string_view ALine, std::string& AAnswer) {
    PrepareWait(true);
    OfferAnswerBuffer(AAnswer);
    FTelnet.SendString(ALine);
}

bool TDrayTelnetReader::AwaitCommandAnswer(std::chrono::milliseconds ATimeout,
                                           std::string& AAnswer) {
    const auto Outcome = WaitForAnswer(ATimeout);
    switch (Outcome) {
    case TWaitOutcome::Arrived:
        break;
    case TWaitOutcome::Timeout:
    case TWaitOutcome::Stopped: // the script's next stop check ends the run
        return false;
    default:
        RaiseLostChannel(Outcome);
    }
    {
        std::lock_guard Lock(FAnswerLock);
        if (IsAscii(FTelnetAnswer))
            AAnswer.swap(FTelnetAnswer); // the same text either way; no copy
        else
            AAnswer = Cp1252ToUtf8(FTelnetAnswer);
    }
    return AnswerAccepted(AAnswer);
}

void TDrayTelnetReader::RunCustomCommand() {
    std::string Answer;
    SendTelnetCommand(FTelnetCustomCommand + "\r", FTimeouts.Custom, Answer);
    if (Terminated())
        FStopped = true;
}

} // namespace vexlorin
