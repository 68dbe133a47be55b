// A complete 35b retrieval with bins through the reader thread, against a minimal client
// that logs on and sends the same thirteen commands over the same loopback, waiting for
// each prompt. The difference is the reader's own cost: buffering, prompt matching, the
// thread hand-over, notifications and parsing the answers into the set.
//
// BM_ReaderVsMinimal alternates the two in every iteration, so that the ratio it reports
// holds even when other work on the machine comes and goes during the run.
#include "RouterSim.h"
#include "reader/uDrayTelnetReader.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <vector>

namespace vexlorin {
namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

TRouterSim& Router() {
    static TRouterSim Sim([] {
        TRouterSimOptions Options;
        Options.Profile = vp35b;
        return Options;
    }());
    static const uint16_t Port = Sim.Start();
    (void)Port;
    return Sim;
}

// The window's routines cost nothing here: only the reader is measured.
class TNullView final : public IReaderView {
public:
    void ShowStatus(const std::string&) override {}
    void UpdateProfileLabel(TVDSLProfile) override {}
    void DisplayTextData(TDrayData*) override {}
    void PlotHLOG(TDrayData*) override {}
    void PlotQLN(TDrayData*) override {}
    void PlotSNR(TDrayData*) override {}
    void PlotBins(TDrayData*) override {}
};

// A retrieval is complete when the completion handler runs: the starter has the whole set
// then. Tearing down the set and the reader afterwards is not part of it and is left out
// of ATime (the minimal client's time includes its disconnect, as the reader's run does).
bool ReaderRetrieval(uint16_t APort, TClock::duration& ATime) {
    const auto Start = TClock::now();
    TNullView View;
    TQueueNotifier Notifier;
    TTelnetClient Telnet;
    Telnet.SetHost("127.0.0.1");
    Telnet.SetPort(APort);
    TDrayData Data("bench");
    TDrayTelnetReader Reader(Telnet, "admin", "admin", "DrayTek", &Data, true, Notifier, &View);
    bool Done = false;
    bool Failed = false;
    Reader.SetOnTerminate([&](TDrayTelnetReader& R) {
        ATime = TClock::now() - Start;
        Failed = R.TelnetError() || R.FatalException() != nullptr;
        Done = true;
    });
    Reader.Start();
    Notifier.WaitAndRunUntil([&] { return Done; });
    benchmark::DoNotOptimize(Data.ShowBinStatsUS()[100]);
    return !Failed && !Data.BinStatsUSRaw().empty();
}

// Sends a line and waits until the received text ends with the awaited prompt.
class TMinimalClient {
public:
    explicit TMinimalClient(uint16_t APort) {
        FTelnet.SetHost("127.0.0.1");
        FTelnet.SetPort(APort);
        FTelnet.SetOnDataAvailable([this](std::string_view AData) {
            std::lock_guard Lock(FLock);
            FReceived.append(AData);
            if (FReceived.size() >= FAwait.size() &&
                FReceived.compare(FReceived.size() - FAwait.size(), FAwait.size(), FAwait) == 0) {
                FArrived = true;
                FChanged.notify_all();
            }
        });
    }
    bool Logon() {
        Expect("Account:");
        FTelnet.Connect();
        return Wait() && Exchange("admin", "Password: ") && Exchange("admin", "DrayTek> ");
    }
    bool Exchange(const std::string& ALine, std::string AAwait) {
        Expect(std::move(AAwait));
        FTelnet.SendString(ALine + "\r");
        return Wait();
    }

private:
    void Expect(std::string AText) {
        std::lock_guard Lock(FLock);
        FReceived.clear();
        FAwait = std::move(AText);
        FArrived = false;
    }
    bool Wait() {
        std::unique_lock Lock(FLock);
        return FChanged.wait_for(Lock, 20s, [this] { return FArrived; });
    }

    std::mutex FLock;
    std::condition_variable FChanged;
    std::string FReceived;
    std::string FAwait;
    bool FArrived = false;
    TTelnetClient FTelnet; // last: its reading thread ends before the rest goes
};

bool MinimalExchange(uint16_t APort) {
    static const char* const Commands[] = {
        "vdsl status bandinfo", "vdsl status",     "vdsl status more",  "vdsl status olr",
        "vdsl status counts",   "vdsl annex",      "vdsl inventory co", "vdsl inventory cpe",
        "vdsl status hlog",     "vdsl status qln", "vdsl status snr",   "vdsl showbins",
        "vdsl showbins up"};
    TMinimalClient Client(APort);
    bool Ok = Client.Logon();
    for (const char* Command : Commands)
        Ok = Ok && Client.Exchange(Command, "DrayTek> ");
    return Ok;
}

void BM_ReaderRetrieval35bWithBins(benchmark::State& AState) {
    const uint16_t Port = Router().Port();
    for (auto _ : AState) {
        TClock::duration Time{};
        if (!ReaderRetrieval(Port, Time)) {
            AState.SkipWithError("retrieval failed");
            break;
        }
        AState.SetIterationTime(std::chrono::duration<double>(Time).count());
    }
}
BENCHMARK(BM_ReaderRetrieval35bWithBins)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_MinimalClient35bWithBins(benchmark::State& AState) {
    const uint16_t Port = Router().Port();
    for (auto _ : AState)
        if (!MinimalExchange(Port)) {
            AState.SkipWithError("exchange failed");
            break;
        }
}
BENCHMARK(BM_MinimalClient35bWithBins)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReaderVsMinimal(benchmark::State& AState) {
    const uint16_t Port = Router().Port();
    std::vector<double> ReaderMs, MinimalMs;
    for (auto _ : AState) {
        TClock::duration ReaderTime{};
        const bool ReaderOk = ReaderRetrieval(Port, ReaderTime);
        const auto T1 = TClock::now();
        const bool MinimalOk = MinimalExchange(Port);
        const auto T2 = TClock::now();
        if (!ReaderOk || !MinimalOk) {
            AState.SkipWithError("run failed");
            break;
        }
        ReaderMs.push_back(std::chrono::duration<double, std::milli>(ReaderTime).count());
        MinimalMs.push_back(std::chrono::duration<double, std::milli>(T2 - T1).count());
    }
    if (ReaderMs.empty())
        return;
    // Means follow every stall of the machine; medians show the usual run. Both are
    // reported, and the ratio of each.
    const auto Mean = [](const std::vector<double>& AValues) {
        return std::accumulate(AValues.begin(), AValues.end(), 0.0) /
               static_cast<double>(AValues.size());
    };
    const auto Median = [](std::vector<double> AValues) {
        const auto Middle = AValues.begin() + static_cast<std::ptrdiff_t>(AValues.size() / 2);
        std::nth_element(AValues.begin(), Middle, AValues.end());
        return *Middle;
    };
    AState.counters["reader_ms"] = Mean(ReaderMs);
    AState.counters["minimal_ms"] = Mean(MinimalMs);
    AState.counters["ratio"] = Mean(ReaderMs) / Mean(MinimalMs);
    AState.counters["reader_median_ms"] = Median(ReaderMs);
    AState.counters["minimal_median_ms"] = Median(MinimalMs);
    AState.counters["ratio_of_medians"] = Median(ReaderMs) / Median(MinimalMs);
}
BENCHMARK(BM_ReaderVsMinimal)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace vexlorin

BENCHMARK_MAIN();
