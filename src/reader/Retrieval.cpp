#include "reader/Retrieval.h"

#include "reader/Notifier.h"
#include "reader/ReaderView.h"
#include "reader/TelnetClient.h"

#include <chrono>

namespace vexlorin {

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

// How often a stop request is looked at while the run goes on.
constexpr std::chrono::milliseconds StopCheck{100};

} // namespace

TReadOutcome RunRetrieval(const TRetrievalRequest& ARequest, TDrayData& AData,
                          std::ostream* AProgress, const std::atomic<bool>* AStop) {
    TTelnetClient telnet;
    telnet.SetHost(ARequest.Host);
    telnet.SetPort(ARequest.Port);
    TQueueNotifier notifier;
    TProgressView view(AProgress);
    std::optional<TReadOutcome> outcome;
    {
        TDrayTelnetReader reader(telnet, ARequest.User, ARequest.Password, ARequest.RouterName,
                                 &AData, ARequest.Bins, notifier, &view);
        if (ARequest.Timeouts)
            reader.SetTimeouts(*ARequest.Timeouts);
        reader.SetOnTerminate(
            [&outcome](TDrayTelnetReader& AReader) { outcome = AReader.Outcome(); });
        reader.Start();
        const auto done = [&outcome] { return outcome.has_value(); };
        if (!AStop) {
            notifier.WaitAndRunUntil(done);
        } else {
            bool terminated = false;
            while (!notifier.WaitAndRunUntil(done, StopCheck))
                if (!terminated && AStop->load()) {
                    reader.Terminate();
                    terminated = true;
                }
        }
    }
    return *outcome;
}

} // namespace vexlorin
