// The reader thread: connects to the router's console through the lent telnet client,
// logs on, runs the retrieval script on one statistics set and leaves a record of how
// the run ended. Progress goes to an IReaderView through an INotifier; the completion
// handler runs through the same notifier after every notification of the run, while the
// reader thread waits for it to return.
//
// Use (on the notifier's thread):
//   auto Reader = std::make_unique<TDrayTelnetReader>(Telnet, User, Password, RouterName,
//                                                     Data, Bins, Notifier, &View);
//   Reader->SetOnTerminate([](TDrayTelnetReader& R) { ... R.Stopped(), R.TelnetError(),
//                                                      R.ErrorReason(), R.FatalException() });
//   Reader->Start();
//   ... Reader->Terminate() to stop: a wait in progress ends at once.
// The reader may be destroyed at any time on the notifier's thread, also inside its
// completion handler; destroying a running reader stops it, waits for its thread and
// drops its completion handler. With SetFreeOnTerminate(true) it deletes itself right
// after its completion handler (create it with new and forget it after Start).
// The telnet client, the notifier, the view and the set must outlive the run (the view
// and the set also every notification still queued). While a reader runs, the client is
// its own: stop the run with Terminate() rather than by disconnecting the client (a
// disconnect from our side is no loss of the connection and would not end a wait).
//
// How a run ended, in the order a starter should look: Stopped() (a stop request ended
// it; during the logon TelnetError() is set as well), TelnetError() with ErrorReason(),
// FatalException() (opening the connection failed), otherwise the set is complete.
#pragma once

#include "model/uDrayData.h"
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
#include <string>
#include <string_view>
#include <thread>

namespace vexlorin {

// A logon step timed out, or the console went away or flooded the reader.
class EDrayTelnetReader : public Exception {
public:
    using Exception::Exception;
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
inline constexpr const char* LatnSatnNote = " (LATN = Loop Attenuation, SATN = Signal Attenuation)";
} // namespace ReaderText

enum TTelnetStatus : uint8_t { tsUser, tsPassword, tsBanner, tsPrompt };

enum TTelnetreadOp : uint8_t { troNone, troRetrieveData, troCustom };

// Every wait of a run. The defaults are the router's usual pace; tests shorten them.
struct TReaderTimeouts {
    std::chrono::milliseconds Account{10000};  // account prompt (or refusal) after connecting
    std::chrono::milliseconds Password{20000}; // password prompt after the user name
    std::chrono::milliseconds Banner{10000};   // console prompt after the password
    std::chrono::milliseconds Command{10000};  // every command but the two below
    std::chrono::milliseconds Bins{20000};     // "vdsl showbins", "vdsl showbins up"
    std::chrono::milliseconds Custom{60};      // the single command of a custom run
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
    // Stop request from any thread: the wait in progress ends at once and the run ends at
    // its next check.
    void Terminate();
    bool Terminated() const { return FTerminated.load(); }

    TTelnetreadOp TelnetOp() const { return FTelnetOp; }
    TTelnetStatus TelnetStatus() const { return FTelnetStatus.load(); }

    // The record of the run: read in the completion handler (or after it).
    TDrayData* DrayData() const { return FDrayData; }
    // The run ended because of a stop request (during the logon TelnetError is set too).
    bool Stopped() const { return FStopped; }
    bool TelnetError() const { return FTelnetError; }
    const std::string& ErrorReason() const { return FTelnetErrorReason; }
    // An error that escaped the body (opening the connection failed), or null.
    std::exception_ptr FatalException() const { return FFatalException; }

private:
    enum class TWaitOutcome : uint8_t { Arrived, Timeout, Stopped, Closed, Overflow };

    // Shared with the completion procedure, which may outlive the reader.
    struct TCompletion;

    void ThreadMain();
    void Execute();
    void Finish();

    // Command channel.
    void TelnetDataAvailable(std::string_view AData);
    void TelnetClosed();
    bool TelnetLogon();
    bool SendTelnetCommand(std::string_view ACommand, std::chrono::milliseconds ATimeout,
                           std::string& AAnswer);
    // The two halves of SendTelnetCommand, for work done while the router answers.
    void SendCommandLine(std::string_view ALine, std::string& AAnswer);
    bool AwaitCommandAnswer(std::chrono::milliseconds ATimeout, std::string& AAnswer);
    void PrepareWait(bool AEmptyBuffer);
    // Lets the receive buffer take over ABuffer's memory when that is larger, keeping
    // what has been received; ABuffer's own text is dropped either way.
    void OfferAnswerBuffer(std::string& ABuffer);
    TWaitOutcome WaitForAnswer(std::chrono::milliseconds ATimeout);
    TWaitOutcome CheckWaitOutcome();
    [[noreturn]] static void RaiseLostChannel(TWaitOutcome AOutcome);
    void SetError(bool AError, std::string AReason);
    bool EndsWithText(std::string_view AText) const;

    // Script.
    bool RetrieveRouterData(TDrayData& AData);
    bool RunScript(TDrayData& AData);
    void RunCustomCommand();
    bool RunCommand(const char* ACommand, std::chrono::milliseconds ATimeout, TStringList& ALines);
    void PostProgress(const char* ACommand);
    void SendScriptCommand(const char* ACommand);
    bool AwaitScriptAnswer(std::chrono::milliseconds ATimeout, TStringList& ALines);
    bool StopCheck();
    void Post(std::function<void(IReaderView&)> ACall);
    void PostStatus(std::string AText);

    TDrayData* const FDrayData;
    const bool FRetrieveBins;
    const std::string FRouterName;
    const std::string FPrompt;
    TTelnetClient& FTelnet;
    TEvent FTelnetEvent{false, "VexlorinEvent"};
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

    // Guards the receive buffer, the flags below and FTelnetError / FTelnetErrorReason
    // while the telnet reading thread runs.
    mutable std::mutex FAnswerLock;
    bool FAnswerArrived = false; // a row of the receive table matched since PrepareWait
    bool FOverflow = false;      // the buffer passed FMaxAnswerBytes without a match
    std::atomic<bool> FClosed{false};
    std::atomic<bool> FTerminated{false};
    bool FStarted = false;
    bool FStopped = false;
    std::exception_ptr FFatalException;

    std::shared_ptr<TCompletion> FCompletion;
    std::thread FThread;
};

} // namespace vexlorin
