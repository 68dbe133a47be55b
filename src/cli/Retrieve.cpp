#include "cli/Retrieve.h"

#include "cli/CliErrors.h"
#include "reader/Notifier.h"
#include "reader/ReaderView.h"
#include "reader/TelnetClient.h"

namespace vexlorin::cli {

namespace {

// Only the status texts mean something without a window.
class TProgressView final : public IReaderView {
public:
    explicit TProgressView(std::ostream* AOut) : FOut(AOut) {}
    void ShowStatus(const std::string& AText) override {
        if (FOut && !AText.empty())
            *FOut << AText << std::endl;
    }
    void UpdateProfileLabel(TVDSLProfile) override {}
    void DisplayTextData(TDrayData*) override {}
    void PlotHLOG(TDrayData*) override {}
    void PlotQLN(TDrayData*) override {}
    void PlotSNR(TDrayData*) override {}
    void PlotBins(TDrayData*) override {}

private:
    std::ostream* FOut;
};

// What the completion handler leaves behind; the reader is gone soon after.
struct TRecord {
    bool Done = false;
    bool Stopped = false;
    bool TelnetError = false;
    bool LoggedOn = false;
    std::string Reason;
    std::exception_ptr Fatal;
};

std::string Where(const TRetrieveRequest& ARequest) {
    return ARequest.Host + ":" + std::to_string(ARequest.Port);
}

[[noreturn]] void RaiseLogonFailure(const TRetrieveRequest& ARequest, const TRecord& ARecord) {
    const std::string message = ARecord.Reason + " (" + Where(ARequest) + ")";
    if (ARecord.Reason == ReaderText::SingleConnection)
        throw ECliError(ecUnreachable, message,
                        "Another session is logged on to the router's console; end it (or wait "
                        "for it to time out) and try again.");
    if (ARecord.Reason == ReaderText::UnableToConnect)
        throw ECliError(ecUnreachable, message,
                        "The router answered but showed no logon prompt; check that HOST and "
                        "--port name the router's telnet console.");
    if (ARecord.Reason == ReaderText::UnableToLogin || ARecord.Reason == ReaderText::InvalidLogin)
        throw ECliError(ecUnreachable, message,
                        "Check the user name (--user), the password (VEXLORIN_PASSWORD or "
                        "--password-file) and the router name (--router-name), which must match "
                        "the console prompt, e.g. \"DrayTek> \".");
    throw ECliError(ecUnreachable, message,
                    "The router ended the logon; check that HOST and --port name the router's "
                    "telnet console and try again.");
}

} // namespace

std::unique_ptr<TDrayData> RetrieveSet(const TRetrieveRequest& ARequest, std::ostream* AProgress) {
    auto data = std::make_unique<TDrayData>(ARequest.SetName);
    TTelnetClient telnet;
    telnet.SetHost(ARequest.Host);
    telnet.SetPort(ARequest.Port);
    TQueueNotifier notifier;
    TProgressView view(AProgress);
    TRecord record;
    {
        TDrayTelnetReader reader(telnet, ARequest.User, ARequest.Password, ARequest.RouterName,
                                 data.get(), ARequest.Bins, notifier, &view);
        if (ARequest.Timeouts)
            reader.SetTimeouts(*ARequest.Timeouts);
        reader.SetOnTerminate([&record](TDrayTelnetReader& AReader) {
            record.Done = true;
            record.Stopped = AReader.Stopped();
            record.TelnetError = AReader.TelnetError();
            record.LoggedOn = AReader.TelnetStatus() == tsPrompt;
            record.Reason = AReader.ErrorReason();
            record.Fatal = AReader.FatalException();
        });
        reader.Start();
        notifier.WaitAndRunUntil([&record] { return record.Done; });
    }

    if (record.Fatal) {
        std::string message;
        try {
            std::rethrow_exception(record.Fatal);
        } catch (const std::exception& e) {
            message = e.what();
        } catch (...) {
            message = "Cannot connect to " + Where(ARequest);
        }
        throw ECliError(ecUnreachable, message,
                        "Check the router address and --port, that the router is on and that its "
                        "telnet console is enabled.");
    }
    if (record.TelnetError && !record.LoggedOn)
        RaiseLogonFailure(ARequest, record);
    if (record.TelnetError)
        throw ECliError(ecFailure, record.Reason,
                        "The router's answers could not be read; nothing was saved. Try again; if "
                        "it keeps failing, save the console output of the \"vdsl\" commands and "
                        "import it with \"vexlorin-cli import\".");
    if (record.Stopped)
        throw ECliError(ecFailure, "The retrieval was stopped", "Nothing was saved; run it again.");
    return data;
}

} // namespace vexlorin::cli
