// The reader thread: connects to the router's console through the lent telnet client,
// logs on, runs the retrieval script on one statistics set and leaves a record of how
// the run ended, its TReadOutcome. Progress goes to an IReaderView through an INotifier;
// the completion handler runs through the same notifier after every notification of the
// run, while the reader thread waits for it to return.
//
// Use (on the notifier's thread):
//   auto Reader = std::make_unique<TDrayTelnetReader>(Telnet, User, Password, RouterName,
//                                                     Data, Bins, Notifier, &View);
//   Reader->SetOnTerminate([](TDrayTelnetReader& R) { switch (R.Outcome().Ending) ... });
//   Reader->Start();
//   ... Reader->Terminate() to stop: a wait in progress (a connect too) ends at once.
// One owner ends a reader's life, in one of two ways. Either the owner destroys it, on the
// notifier's thread, whenever it likes: destroying a running reader stops it, waits for
// its thread and drops its completion handler. Or, with SetFreeOnTerminate(true), the
// reader deletes itself right after its completion handler (create it with new and
// forget it after Start), and the owner may still destroy it before that handler ran.
// The telnet client, the notifier, the view and the set must outlive the run (the view
// and the set also every notification still queued). While a reader runs, the client is
// its own: stop the run with Terminate() rather than by disconnecting the client (a
// disconnect from our side is no loss of the connection and would not end a wait).
//
// Every answer is tied to its command: the console echoes each command line, and text
// that does not follow the echo of the command just sent (a late answer of an earlier
// one) is thrown away, never parsed. After a command timed out, the console is brought
// back to a known state (its late prompt, then a fresh prompt for an empty line) before
// the next command goes out; a console that does not come back ends the run as
// reStoppedAnswering. Time-outs count silence: every arrival of data restarts them, up to
// the cap per answer. The console's pager is answered and its line left out of the answer.
#pragma once

#include "model/uDrayData.h"
#include "reader/ConsoleText.h"
#include "reader/Notifier.h"
#include "reader/ReaderView.h"
#include "reader/TEvent.h"
#include "reader/TelnetClient.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace vexlorin {

// How a run ended. A starter decides by this, never by a message's text.
enum TReadEnding : uint8_t {
    reCompleted,        // the script ran to its end (a single command may have added nothing)
    reNotInShowtime,    // the same, but the line was not in showtime: its profile is unknown
    reStopped,          // a stop request ended the run
    reConnectFailed,    // the connection could not be opened
    reNoLogonPrompt,    // connected, but no account prompt came ("Unable to connect")
    reSingleConnection, // the router refused a second session
    reLogonFailed,      // user, password or router name not accepted
    reConnectionLost,   // the router closed the connection
    reStoppedAnswering, // the console did not come back after a command timed out
    reTooMuchData,      // the router sent more than the bound without a prompt
    reParseError,       // an answer the set could not take (too short for its cut, a
                        // number out of range, a profile the program does not know)
    reUnexpectedError,  // any other error that escaped the run
};

// A logon step timed out, or the console went away or flooded the reader.
class EDrayTelnetReader : public Exception {
public:
    using Exception::Exception;
};

// A run that ends in a known way before its end: the ending and its message.
class EReadEnded : public EDrayTelnetReader {
public:
    EReadEnded(TReadEnding AEnding, const std::string& AMessage)
        : EDrayTelnetReader(AMessage), FEnding(AEnding) {}
    TReadEnding Ending() const { return FEnding; }

private:
    TReadEnding FEnding;
};

// An index outside a line list, e.g. cutting more lines than an answer has:
// "List index out of bounds (%d)".
class EListError : public Exception {
public:
    using Exception::Exception;
};

// Texts the user sees from the reader.
namespace ReaderText {
inline constexpr const char* Connecting = "Connecting to the router, please wait...";
inline constexpr const char* LoggingIn = "Connected to router, logging in...";
inline constexpr const char* RetrievingData = "Retrieving data...";
inline constexpr const char* RetrievingStatistics = "Retrieving statistics, please wait...";
inline constexpr const char* RetrievingHLog = "Retrieving HLOG data, please wait...";
inline constexpr const char* RetrievingQLN = "Retrieving QLN data, please wait...";
inline constexpr const char* RetrievingSNR = "Retrieving SNR data, please wait...";
inline constexpr const char* RetrievingBinsDS = "Retrieving bins downstream, please wait...";
inline constexpr const char* RetrievingBinsUS = "Retrieving bins upstream, please wait...";
inline constexpr const char* UnableToConnect = "Unable to connect";
inline constexpr const char* UnableToLogin = "Unable to login";
inline constexpr const char* SingleConnection = "Only a single connection is allowed";
inline constexpr const char* InvalidLogin = "Invalid login";
inline constexpr const char* ConnectionClosed = "Connection closed by the router";
inline constexpr const char* TooMuchData = "The router sent too much data without a prompt";
inline constexpr const char* StoppedAnswering = "The router stopped answering";
inline constexpr const char* NotInShowtime = "Line not in showtime: profile unknown";
inline constexpr const char* LatnSatnNote = " (LATN = Loop Attenuation, SATN = Signal Attenuation)";
} // namespace ReaderText

enum TTelnetStatus : uint8_t { tsUser, tsPassword, tsBanner, tsPrompt };

enum TTelnetreadOp : uint8_t { troNone, troRetrieveData, troCustom };

// The record of a run, built once when the run ends.
struct TReadOutcome {
    TReadEnding Ending = reCompleted;
    // What to tell the user: the failure's message, the "not in showtime" notice; for a
    // stop during the logon "Unable to login"; empty otherwise.
    std::string Message;
    // The error that escaped the run (reConnectFailed, reUnexpectedError), or null.
    std::exception_ptr Error;
    // The logon had succeeded: a failure came from the script, not from the logon.
    bool LoggedOn = false;

    // The set holds what the router answered and is the starter's to keep.
    bool SetComplete() const { return Ending == reCompleted || Ending == reNotInShowtime; }
};

// Every wait of a run. The logon and command waits are the longest the router may stay
// silent; each arrival of data restarts them, up to AnswerCap for the whole answer. The
// defaults are the router's usual pace; tests shorten them.
struct TReaderTimeouts {
    std::chrono::milliseconds Account{10000};    // account prompt (or refusal) after connecting
    std::chrono::milliseconds Password{20000};   // password prompt after the user name
    std::chrono::milliseconds Banner{10000};     // console prompt after the password
    std::chrono::milliseconds Command{10000};    // every command but the two below
    std::chrono::milliseconds Bins{20000};       // "vdsl showbins", "vdsl showbins up"
    std::chrono::milliseconds Custom{60};        // the single command of a custom run
    std::chrono::milliseconds AnswerCap{300000}; // one answer (or logon step), however steady
};

// Receive buffer bound: an answer or logon stage longer than this without its prompt
// ends the run.
inline constexpr std::size_t DefaultMaxAnswerBytes = std::size_t{4} * 1024 * 1024;

class TDrayTelnetReader {
public:
    using TTerminateHandler = std::function<void(TDrayTelnetReader& AReader)>;

    // A retrieval reader (troRetrieveData). AData is filled, never freed; AView may be null
    // (then nothing but the completion handler is posted).
    TDrayTelnetReader(TTelnetClient& ATelnet, std::string ATelnetUser, std::string ATelnetPassword,
                      std::string ARouterName, TDrayData* AData, bool ARetrieveBins,
                      INotifier& ANotifier, IReaderView* AView);
    // A custom reader (troCustom): logs on, sends ACustomCommand (a CR is added) once and
    // drops the answer.
    TDrayTelnetReader(TTelnetClient& ATelnet, std::string ATelnetUser, std::string ATelnetPassword,
                      std::string ARouterName, std::string ACustomCommand, INotifier& ANotifier,
                      IReaderView* AView);
    ~TDrayTelnetReader();
    TDrayTelnetReader(const TDrayTelnetReader&) = delete;
    TDrayTelnetReader& operator=(const TDrayTelnetReader&) = delete;

    // Settings: before Start.
    const TReaderTimeouts& Timeouts() const { return FTimeouts; }
    void SetTimeouts(const TReaderTimeouts& ATimeouts) { FTimeouts = ATimeouts; }
    std::size_t MaxAnswerBytes() const { return FMaxAnswerBytes; }
    void SetMaxAnswerBytes(std::size_t ABytes) { FMaxAnswerBytes = ABytes; }
    void SetOnTerminate(TTerminateHandler AHandler) { FOnTerminate = std::move(AHandler); }
    bool FreeOnTerminate() const { return FFreeOnTerminate; }
    void SetFreeOnTerminate(bool AValue) { FFreeOnTerminate = AValue; }

    // Runs the body on the reader's own thread; a reader runs once (a second Start throws
    // std::logic_error).
    void Start();
    // Stop request from any thread: the wait in progress, or the connect, ends at once and
    // the run ends at its next check.
    void Terminate();
    bool Terminated() const { return FTerminated.load(); }

    TTelnetreadOp TelnetOp() const { return FTelnetOp; }
    TTelnetStatus TelnetStatus() const { return FTelnetStatus.load(); }

    // The record of the run: read it in the completion handler (or after it).
    const TReadOutcome& Outcome() const { return FOutcome; }
    TDrayData* DrayData() const { return FDrayData; }
    // The classic view of the outcome. Stopped: a stop request ended the run; during the
    // logon TelnetError is set as well, with the reason "Unable to login".
    bool Stopped() const { return FOutcome.Ending == reStopped; }
    // The run failed; the set is to be discarded and ErrorReason shown.
    bool TelnetError() const;
    const std::string& ErrorReason() const;
    // An error that escaped the body (opening the connection failed), or null.
    std::exception_ptr FatalException() const { return FOutcome.Error; }

private:
    enum class TWaitOutcome : uint8_t { Arrived, Timeout, Stopped, Closed, Overflow };
    // A wait counts silence (restarted by every arrival, up to the cap) or the whole time.
    enum class TWaitKind : uint8_t { Silence, Total };
    // What a command's answer must start with to be taken as its answer.
    enum class TAwait : uint8_t { Logon, Echo, AnyPrompt };

    // The script's commands, in the order it sends them (RetrievalScript.cpp).
    enum TScriptCommand : uint8_t;
    // Shared with the completion procedure, which may outlive the reader.
    struct TCompletion;
    struct TFailure {
        TReadEnding Ending;
        std::string Message;
    };

    void ThreadMain();
    void Execute();
    void RunOperation();
    TReadOutcome MakeOutcome(std::exception_ptr AEscaped) const;
    void Finish();

    // Command channel.
    void TelnetDataAvailable(std::string_view AData);
    void TelnetClosed();
    bool TelnetLogon();
    [[noreturn]] void RaiseBannerTimeout();
    bool SendTelnetCommand(std::string_view ACommand, std::chrono::milliseconds ATimeout,
                           std::string& AAnswer);
    // The two halves of SendTelnetCommand, for work done while the router answers. After a
    // time-out AResync brings the console back before the next command.
    void SendCommandLine(std::string_view ALine, std::string& AAnswer);
    bool AwaitCommandAnswer(std::chrono::milliseconds ATimeout, std::string& AAnswer, bool AResync);
    void BringConsoleBack(std::chrono::milliseconds ATimeout);
    void PrepareWait(bool AEmptyBuffer, TAwait AAwait, std::string_view AEcho = {});
    // Lets the receive buffer take over ABuffer's memory when that is larger, keeping
    // what has been received; ABuffer's own text is dropped either way.
    void OfferAnswerBuffer(std::string& ABuffer);
    // The one place that tells how a wait ended: Arrived, Timeout or Stopped come back
    // (a stop is recorded); a lost or flooded channel ends the run.
    TWaitOutcome AwaitStage(std::chrono::milliseconds ATimeout,
                            TWaitKind AKind = TWaitKind::Silence);
    TWaitOutcome WaitForAnswer(std::chrono::milliseconds ATimeout, TWaitKind AKind);
    TWaitOutcome CheckWaitOutcome();
    void SetError(bool AError, std::string AReason);
    bool EndsWithPrompt() const;

    // Script.
    bool RetrieveRouterData(TDrayData& AData);
    bool RunScript(TDrayData& AData);
    void IdentifyProfile(TDrayData& AData, const TStringList& AStatus);
    void RunCustomCommand();
    bool RunCommand(TScriptCommand ACommand, TStringList& ALines);
    void PostProgress(TScriptCommand ACommand);
    void SendScriptCommand(TScriptCommand ACommand);
    bool AwaitScriptAnswer(TScriptCommand ACommand, TStringList& ALines);
    bool StopCheck();
    void Post(std::function<void(IReaderView&)> ACall);
    void PostStatus(std::string AText);

    TDrayData* const FDrayData;
    const bool FRetrieveBins;
    const std::string FRouterName;
    const std::string FPrompt;
    // The prompt as the console's bytes; none when the console cannot print the name.
    const std::optional<std::string> FConsolePrompt;
    TTelnetClient& FTelnet;
    TEvent FTelnetEvent{false};
    std::string FTelnetAnswer;
    // The script's answer text. Its buffer and FTelnetAnswer's trade places for a plain
    // ASCII answer, so neither is copied nor grown again for the next command.
    std::string FScriptAnswer;
    const std::string FTelnetCustomCommand;
    bool FTelnetError = false;
    std::string FTelnetErrorReason;
    const TTelnetreadOp FTelnetOp;
    const std::string FTelnetPassword;
    std::atomic<TTelnetStatus> FTelnetStatus{tsUser};
    const std::string FTelnetUser;

    INotifier& FNotifier;
    IReaderView* const FView;
    TReaderTimeouts FTimeouts;
    std::size_t FMaxAnswerBytes = DefaultMaxAnswerBytes;
    TTerminateHandler FOnTerminate;
    bool FFreeOnTerminate = false;

    // Guards the receive buffer, the fields up to FIntake and FTelnetError /
    // FTelnetErrorReason while the telnet reading thread runs.
    mutable std::mutex FAnswerLock;
    bool FAnswerArrived = false; // a row of the receive table matched since PrepareWait
    bool FOverflow = false;      // the buffer passed FMaxAnswerBytes without a match
    TAnswerIntake FIntake;
    std::atomic<std::chrono::steady_clock::rep> FLastArrival{0};
    std::atomic<bool> FClosed{false};
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FConnecting{false};
    bool FStarted = false;

    // What the run leaves for MakeOutcome.
    bool FStopped = false;
    bool FNotInShowtime = false;
    std::optional<TFailure> FFailure;
    TReadOutcome FOutcome;

    std::shared_ptr<TCompletion> FCompletion;
    std::thread FThread;
};

} // namespace vexlorin
