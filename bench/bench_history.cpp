// The history of one 35b line over 30 days at one sample a minute, the bins tables every
// 15 minutes (43,200 samples, 2,880 with per-tone tables), generated once in a temporary
// file from sets the simulator answered. Reports the database size and the time to store a
// sample with bins, to export the 30 days as CSV and JSON rows, and to read the set
// nearest to a time.
#include "RouterSim.h"
#include "cli/HistoryCommands.h"
#include "history/HistoryStore.h"
#include "reader/Retrieval.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace vexlorin {
namespace {

using namespace vexlorin::history;

constexpr int64_t Minute = 60000;
constexpr int64_t Start = 1796083200000; // 2026-12-01T00:00:00Z
constexpr int64_t Samples30Days = 30 * 24 * 60;

std::shared_ptr<TDrayData> SimSet(bool ABins) {
    TRouterSimOptions options;
    options.Profile = vp35b;
    TRouterSim sim(options);
    TRetrievalRequest request;
    request.Host = "127.0.0.1";
    request.Port = sim.Start();
    request.User = request.Password = "admin";
    request.Bins = ABins;
    auto set = std::make_shared<TDrayData>("bench");
    if (!RunRetrieval(request, *set, nullptr).SetComplete())
        throw std::runtime_error("retrieval from the simulator failed");
    return set;
}

// The set with the noise of a real line between two bins samples: the SNR of about half of
// the tones that carry data moves by 1 dB either way, so that no two stored sets are alike.
std::shared_ptr<TDrayData> Noisy(const TDrayData& ASet, std::mt19937_64& ARandom) {
    auto set = std::make_shared<TDrayData>();
    set->LoadFromBytes(ASet.SaveToBytes());
    const auto shake = [&ARandom](TStringList ALines) {
        for (std::string& line : ALines) {
            // "tone SNR gain bits" groups, " * " between them.
            std::size_t at = 0;
            while (at < line.size()) {
                std::size_t end = line.find(" * ", at);
                if (end == std::string::npos)
                    end = line.size();
                int tone = 0, snr = 0, gain = 0, bits = 0, used = 0;
                if (std::sscanf(line.c_str() + at, "%d %d %d %d%n", &tone, &snr, &gain, &bits,
                                &used) == 4 &&
                    bits > 0 && ARandom() % 2 == 0) {
                    // The SNR digits, replaced in place when the new value keeps their width.
                    std::size_t digits = line.find_first_not_of(' ', line.find(' ', at));
                    std::size_t digitsEnd = line.find(' ', digits);
                    const std::string old = line.substr(digits, digitsEnd - digits);
                    const std::string next = std::to_string(snr + (ARandom() % 2 ? 1 : -1));
                    if (next.size() == old.size())
                        line.replace(digits, old.size(), next);
                }
                at = end + 3;
            }
        }
        return ALines;
    };
    set->SetBinStatsDSRaw(shake(set->BinStatsDSRaw()));
    set->SetBinStatsUSRaw(shake(set->BinStatsUSRaw()));
    return set;
}

struct THistory {
    std::filesystem::path Dir;
    std::string Path;
    std::unique_ptr<THistoryStore> Store;
    int64_t Line = 0, Other = 0;
    std::shared_ptr<TDrayData> WithBins = SimSet(true), StatusOnly = SimSet(false);
    std::vector<std::shared_ptr<TDrayData>> NoisySets; // for the store benchmark
    double GenerateSeconds = 0, StoreSeconds = 0;
    double SizeMB = 0;

    THistory() {
        Dir =
            std::filesystem::temp_directory_path() / ("vexlorin-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(Dir);
        Path = (Dir / "history.sqlite").string();
        Store = THistoryStore::Open(Path, THistoryStore::TMode::ReadWrite);
        Line = Store->LineId({"192.168.1.1", 23, "DrayTek"});
        Other = Store->LineId({"192.168.1.2", 23, "DrayTek"});
        std::mt19937_64 random(42);
        for (int i = 0; i < 8; ++i)
            NoisySets.push_back(Noisy(*WithBins, random));
        // VEXLORIN_BENCH_HISTORY=FILE keeps the generated month in FILE and takes it from
        // there on later runs (the store benchmarks then write into a copy).
        const char* kept = std::getenv("VEXLORIN_BENCH_HISTORY");
        if (kept && std::filesystem::exists(kept)) {
            Store.reset();
            std::filesystem::copy_file(kept, Path,
                                       std::filesystem::copy_options::overwrite_existing);
            Store = THistoryStore::Open(Path, THistoryStore::TMode::ReadWrite);
            SizeMB = static_cast<double>(std::filesystem::file_size(Path)) / 1e6;
            return;
        }
        double storing = 0;
        const auto began = std::chrono::steady_clock::now();
        for (int64_t i = 0; i < Samples30Days; ++i) {
            TSampleInput input;
            input.TimeMs = Start + i * Minute;
            input.WithTables = i % 15 == 0;
            const auto noisy = input.WithTables ? Noisy(*WithBins, random) : nullptr;
            input.Set = input.WithTables ? noisy.get() : StatusOnly.get();
            const auto stored = std::chrono::steady_clock::now();
            Store->AddSample(Line, input);
            storing +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - stored).count();
        }
        StoreSeconds = storing;
        GenerateSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        // The size with the write-ahead log folded in, as a copy of the file would be.
        Store.reset();
        Store = THistoryStore::Open(Path, THistoryStore::TMode::ReadWrite);
        SizeMB = static_cast<double>(std::filesystem::file_size(Path)) / 1e6;
        if (kept)
            std::filesystem::copy_file(Path, kept);
    }
    ~THistory() {
        Store.reset();
        std::filesystem::remove_all(Dir);
    }
};

THistory& History() {
    static THistory history;
    return history;
}

void BM_Database30Days(benchmark::State& AState) {
    THistory& h = History();
    for (auto _ : AState)
        benchmark::DoNotOptimize(h.SizeMB);
    AState.counters["db_MB"] = h.SizeMB;
    AState.counters["generate_s"] = h.GenerateSeconds;
    AState.counters["store_all_s"] = h.StoreSeconds;
    AState.counters["samples"] = static_cast<double>(Samples30Days);
}
BENCHMARK(BM_Database30Days)->Iterations(1);

void BM_StoreSampleWithBins(benchmark::State& AState) {
    THistory& h = History();
    int64_t t = Start + Samples30Days * Minute;
    std::size_t next = 0;
    for (auto _ : AState) {
        TSampleInput input;
        input.TimeMs = t += Minute;
        input.Set = h.NoisySets[next++ % h.NoisySets.size()].get();
        input.WithTables = true;
        benchmark::DoNotOptimize(h.Store->AddSample(h.Other, input));
    }
}
BENCHMARK(BM_StoreSampleWithBins)->Unit(benchmark::kMillisecond);

void BM_StoreStatusSample(benchmark::State& AState) {
    THistory& h = History();
    int64_t t = Start + Samples30Days * Minute;
    for (auto _ : AState) {
        TSampleInput input;
        input.TimeMs = t += Minute;
        input.Set = h.StatusOnly.get();
        benchmark::DoNotOptimize(h.Store->AddSample(h.Other, input));
    }
}
BENCHMARK(BM_StoreStatusSample)->Unit(benchmark::kMillisecond);

// What "vexlorin-cli history --format csv" does for the line: the samples, the rates and
// the rows.
void BM_Export30DaysCsv(benchmark::State& AState) {
    THistory& h = History();
    const TLineInfo line{h.Line, {"192.168.1.1", 23, "DrayTek"}, 0, 0, 0};
    std::size_t bytes = 0;
    for (auto _ : AState) {
        std::string text = cli::HistoryCsvHeader();
        cli::WriteHistoryCsvRows(*h.Store, line, Start, INT64_MAX, text);
        bytes = text.size();
        benchmark::DoNotOptimize(text);
    }
    AState.counters["csv_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_Export30DaysCsv)->Unit(benchmark::kMillisecond);

void BM_NearestSet(benchmark::State& AState) {
    THistory& h = History();
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int64_t> at(Start, Start + Samples30Days * Minute);
    for (auto _ : AState)
        benchmark::DoNotOptimize(h.Store->NearestSet(h.Line, at(random)));
}
BENCHMARK(BM_NearestSet)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vexlorin

BENCHMARK_MAIN();
