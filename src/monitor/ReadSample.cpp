// One retrieval with the reader for the sampler: the same run as vexlorin-cli retrieve,
// with its outcome kept as a value instead of raised.
#include "monitor/Sampler.h"

#include "reader/Notifier.h"
#include "reader/TelnetClient.h"

#include <optional>

namespace vexlorin::monitor {

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

TSample ReadSample(const TTarget& ATarget, const std::atomic<bool>& AStop) {
    TSample sample;
    sample.TimeMs = NowMs();
    const auto started = std::chrono::steady_clock::now();
    auto data = std::make_shared<TDrayData>(ATarget.Name);
    TTelnetClient telnet;
    telnet.SetHost(ATarget.Host);
    telnet.SetPort(ATarget.Port);
    TQueueNotifier notifier;
    std::optional<TReadOutcome> outcome;
    {
        TDrayTelnetReader reader(telnet, ATarget.User, ATarget.Password, ATarget.RouterName,
                                 data.get(), ATarget.Bins, notifier, nullptr);
        reader.SetOnTerminate(
            [&outcome](TDrayTelnetReader& AReader) { outcome = AReader.Outcome(); });
        reader.Start();
        bool stopSent = false;
        while (!notifier.WaitAndRunUntil([&outcome] { return outcome.has_value(); },
                                         std::chrono::milliseconds(200)))
            if (AStop && !stopSent) {
                reader.Terminate();
                stopSent = true;
            }
    }
    sample.DurationSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    sample.Ending = outcome->Ending;
    sample.Message = outcome->Message;
    sample.Completed = outcome->SetComplete();
    if (sample.Completed) {
        sample.Summary = SummarizeSet(*data);
        sample.Profile = data->VDSLProfile();
        sample.Set = std::move(data);
    }
    return sample;
}

} // namespace vexlorin::monitor
