// The reader's command channel to the router's console: what the receive handler makes
// of the console's text, the waits and the logon, sending a command and bringing the
// console back after one timed out.
#include "reader/uDrayTelnetReader.h"

#include "model/Convert.h"
#include "model/TextCodec.h"
#include "reader/ConsoleText.h"

#include <algorithm>
#include <utility>

namespace vexlorin {

namespace {

using TClock = std::chrono::steady_clock;

// The console's way of saying it did not understand a command; an answer that also says
// the command is incomplete is still a usable answer.
bool AnswerAccepted(std::string_view AAnswer) {
    return !ContainsNoCase(AAnswer, "% Valid subcommands are:") ||
           ContainsNoCase(AAnswer, "% Command missing");
}

} // namespace

// ---------------------------------------------------------------------------------------
// Receive side (telnet reading thread)

bool TDrayTelnetReader::EndsWithPrompt() const {
    // Compared as the console's own bytes; a name it cannot print never matches.
    return FConsolePrompt && EndsWithNoCase(FTelnetAnswer, *FConsolePrompt);
}

void TDrayTelnetReader::TelnetDataAvailable(std::string_view AData) {
    FLastArrival.store(TClock::now().time_since_epoch().count());
    bool SendPagerKey = false;
    {
        std::lock_guard Lock(FAnswerLock);
        // After an overflow nothing more is kept for this wait: a prompt in a later burst
        // must not pass the tail of a cut-off answer as the whole. Once the awaited text is
        // in, whatever follows it belongs to no answer.
        if (FOverflow || FAnswerArrived)
            return;
        FTelnetAnswer.append(AData);
        bool Matched = true;
        switch (FTelnetStatus.load()) {
        case tsUser:
            if (EndsWithNoCase(FTelnetAnswer, "Account:") ||
                EndsWithNoCase(FTelnetAnswer, "Username:") ||
                EndsWithNoCase(FTelnetAnswer, "Username: ")) {
                FTelnetAnswer.clear();
            } else if (EndsWithNoCase(FTelnetAnswer, "Reject the connection request !!!\r\n")) {
                FTelnetAnswer.clear();
                FTelnetError = true;
                FTelnetErrorReason = ReaderText::SingleConnection;
            } else {
                Matched = false;
            }
            break;
        case tsPassword:
            if (EndsWithNoCase(FTelnetAnswer, "Password: "))
                FTelnetAnswer.clear();
            else
                Matched = false;
            break;
        case tsBanner:
            if (EndsWithPrompt()) {
                FTelnetAnswer.clear();
                FTelnetError = false;
            } else if (EndsWithNoCase(FTelnetAnswer, "Password: ")) {
                FTelnetError = true;
                FTelnetErrorReason = ReaderText::InvalidLogin;
            } else {
                Matched = false;
            }
            break;
        case tsPrompt:
            switch (
                TakeInAnswer(FTelnetAnswer, FIntake, FConsolePrompt ? &*FConsolePrompt : nullptr)) {
            case TIntakeStep::More:
                Matched = false;
                break;
            case TIntakeStep::PagerKey:
                Matched = false;
                SendPagerKey = true;
                break;
            case TIntakeStep::Complete:
                break;
            }
            break;
        }
        if (Matched) {
            FAnswerArrived = true;
            FTelnetEvent.SetEvent();
        } else if (FTelnetAnswer.size() > FMaxAnswerBytes) {
            // Keep memory bounded; the run ends as soon as the reader wakes.
            FTelnetAnswer.clear();
            FTelnetAnswer.shrink_to_fit();
            FOverflow = true;
            FTelnetEvent.SetEvent();
        }
    }
    if (SendPagerKey)
        FTelnet.SendString(PagerNextPage);
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

void TDrayTelnetReader::PrepareWait(bool AEmptyBuffer, TAwait AAwait, std::string_view AEcho) {
    // Flags and event change together under the buffer lock, so a match of the previous
    // stage can never wake the next wait.
    std::lock_guard Lock(FAnswerLock);
    if (AEmptyBuffer) {
        FTelnetAnswer.clear();
        FIntake.PagerErasing = false;
    }
    while (!AEcho.empty() && (AEcho.back() == '\r' || AEcho.back() == '\n'))
        AEcho.remove_suffix(1);
    FIntake.Echo.assign(AEcho);
    FIntake.TieToEcho = AAwait != TAwait::AnyPrompt;
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

TDrayTelnetReader::TWaitOutcome TDrayTelnetReader::WaitForAnswer(std::chrono::milliseconds ATimeout,
                                                                 TWaitKind AKind) {
    const auto Begin = TClock::now();
    const auto Cap = Begin + FTimeouts.AnswerCap;
    for (;;) {
        auto Deadline = Begin + ATimeout;
        if (AKind == TWaitKind::Silence) {
            // Silence counts from the last arrival, never from before this wait.
            const TClock::time_point Last{TClock::duration(FLastArrival.load())};
            Deadline = std::min(std::max(Begin, Last) + ATimeout, Cap);
        }
        if (TClock::now() >= Deadline || FTelnetEvent.WaitUntil(Deadline) == TEvent::wrSignaled)
            break;
    }
    // Whatever woke the wait (or none of them: a time-out) is in the flags.
    return CheckWaitOutcome();
}

TDrayTelnetReader::TWaitOutcome TDrayTelnetReader::AwaitStage(std::chrono::milliseconds ATimeout,
                                                              TWaitKind AKind) {
    const auto Outcome = WaitForAnswer(ATimeout, AKind);
    switch (Outcome) {
    case TWaitOutcome::Closed:
        throw EReadEnded(reConnectionLost, ReaderText::ConnectionClosed);
    case TWaitOutcome::Overflow:
        throw EReadEnded(reTooMuchData, ReaderText::TooMuchData);
    case TWaitOutcome::Stopped:
        FStopped = true;
        break;
    case TWaitOutcome::Arrived:
    case TWaitOutcome::Timeout:
        break;
    }
    return Outcome;
}

bool TDrayTelnetReader::TelnetLogon() {
    // The error and the state were cleared before connecting: the router's first words
    // (its refusal, too) may arrive before the logon starts, and must not be wiped.
    PostStatus(ReaderText::Connecting);

    // Not reset first: the account prompt may have come already.
    auto Outcome = AwaitStage(FTimeouts.Account);
    if (Outcome == TWaitOutcome::Stopped)
        return false;
    if (Outcome == TWaitOutcome::Timeout)
        throw EReadEnded(reNoLogonPrompt, ReaderText::UnableToConnect);
    {
        std::lock_guard Lock(FAnswerLock);
        if (FTelnetError)
            throw EReadEnded(reSingleConnection, FTelnetErrorReason);
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
        PrepareWait(false, TAwait::Logon);
        FTelnet.SendString(*Text + "\r");
        Outcome = AwaitStage(Status == tsPassword ? FTimeouts.Password : FTimeouts.Banner);
        if (Outcome == TWaitOutcome::Stopped)
            return false;
        if (Outcome == TWaitOutcome::Timeout) {
            if (Status == tsBanner)
                RaiseBannerTimeout();
            throw EReadEnded(reLogonFailed, ReaderText::UnableToLogin);
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

void TDrayTelnetReader::RaiseBannerTimeout() {
    std::string Name;
    {
        std::lock_guard Lock(FAnswerLock);
        Name = Cp1252ToUtf8(PromptNameAtEnd(FTelnetAnswer));
    }
    // The console shows a prompt, just not under the name the user gave.
    if (!Name.empty() && !EqualsIgnoreAsciiCase(Name, FRouterName))
        throw EReadEnded(reLogonFailed, std::string(ReaderText::UnableToLogin) +
                                            ": the console's prompt is \"" + Name +
                                            "> \"; set Router name: to " + Name);
    throw EReadEnded(reLogonFailed, ReaderText::UnableToLogin);
}

bool TDrayTelnetReader::SendTelnetCommand(std::string_view ACommand,
                                          std::chrono::milliseconds ATimeout,
                                          std::string& AAnswer) {
    SendCommandLine(ACommand, AAnswer);
    return AwaitCommandAnswer(ATimeout, AAnswer, false);
}

void TDrayTelnetReader::SendCommandLine(std::string_view ALine, std::string& AAnswer) {
    PrepareWait(true, TAwait::Echo, ALine);
    OfferAnswerBuffer(AAnswer);
    FTelnet.SendString(ALine);
}

bool TDrayTelnetReader::AwaitCommandAnswer(std::chrono::milliseconds ATimeout, std::string& AAnswer,
                                           bool AResync) {
    const auto Outcome = AwaitStage(ATimeout);
    if (Outcome == TWaitOutcome::Timeout && AResync)
        BringConsoleBack(ATimeout);
    if (Outcome != TWaitOutcome::Arrived)
        return false; // a stop: the script's next check ends the run
    {
        std::lock_guard Lock(FAnswerLock);
        if (IsAscii(FTelnetAnswer))
            AAnswer.swap(FTelnetAnswer); // the same text either way; no copy
        else
            AAnswer = Cp1252ToUtf8(FTelnetAnswer);
    }
    return AnswerAccepted(AAnswer);
}

void TDrayTelnetReader::BringConsoleBack(std::chrono::milliseconds ATimeout) {
    // The late answer's prompt first, whatever comes before it, for at most one more
    // time-out; then an empty line must bring a fresh prompt. Everything received on the
    // way is thrown away.
    PrepareWait(false, TAwait::AnyPrompt);
    if (AwaitStage(ATimeout, TWaitKind::Total) == TWaitOutcome::Stopped)
        return;
    PrepareWait(true, TAwait::Echo);
    FTelnet.SendString("\r");
    if (AwaitStage(ATimeout) == TWaitOutcome::Timeout)
        throw EReadEnded(reStoppedAnswering, ReaderText::StoppedAnswering);
}

void TDrayTelnetReader::RunCustomCommand() {
    std::string Answer;
    SendTelnetCommand(FTelnetCustomCommand + "\r", FTimeouts.Custom, Answer);
    if (Terminated())
        FStopped = true;
}

} // namespace vexlorin
