// History files for the window tests and the benchmark: recorded by the recorder against
// the simulated router, or generated (long histories) from one set the simulator gave,
// with the status text's rates, margins and counters rewritten per sample.
#pragma once

#include "RouterSim.h"
#include "history/HistoryStore.h"
#include "history/Recorder.h"
#include "model/BinsScan.h"
#include "reader/Retrieval.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace vexlorin::test {

// One set of the simulated router, with its per-tone tables.
inline std::unique_ptr<TDrayData> SimulatedSet(bool ABins = true, uint64_t ASeed = 1) {
    TRouterSimOptions options;
    options.Seed = ASeed;
    TRouterSim router(options);
    const uint16_t port = router.Start();
    auto set = std::make_unique<TDrayData>("simulated");
    TRetrievalRequest request;
    request.Host = "127.0.0.1";
    request.Port = port;
    request.User = "admin";
    request.Password = "admin";
    request.Bins = ABins;
    const TReadOutcome outcome = RunRetrieval(request, *set, nullptr);
    if (!outcome.SetComplete())
        throw std::runtime_error("the simulated router gave no set: " + outcome.Message);
    return set;
}

inline std::unique_ptr<TDrayData> CopyOf(const TDrayData& ASet) {
    auto copy = std::make_unique<TDrayData>(ASet.Name());
    copy->LoadFromBytes(ASet.SaveToBytes());
    return copy;
}

// What one generated sample holds.
struct TGeneratedSample {
    int64_t TimeMs = 0;
    bool Failed = false;
    bool WithTables = false;
    int DSRateKbps = 100000, USRateKbps = 40000;
    int DSMargin = 9, USMargin = 7;
    unsigned long long DSCRC = 0, USCRC = 0;
    // Per-tone SNR of the downstream table shifted by this from the template's.
    int SNRShift = 0;
};

// Showbins lines with each tone's SNR shifted by AShift (not below 0): the lines are what a
// stored set keeps, so the shift is in the stored set too.
inline TStringList ShiftedSNR(const TStringList& ALines, int AShift) {
    TStringList lines;
    for (const std::string& line : ALines) {
        std::string shifted;
        std::size_t copied = 0;
        TBinQuadruple match;
        for (std::size_t from = 0; FindBinQuadruple(line, from, match); from = match.End) {
            const auto at = static_cast<std::size_t>(match.Numbers[1].data() - line.data());
            shifted.append(line, copied, at - copied);
            shifted += std::to_string(std::max<int64_t>(0, match.Values[1] + AShift));
            copied = at + match.Numbers[1].size();
        }
        shifted.append(line, copied, std::string::npos);
        lines.push_back(std::move(shifted));
    }
    return lines;
}

// ATemplate with the sample's values in its status text (and its SNR table shifted); a
// sample without tables gets the text alone, as the store keeps no more of it.
inline std::unique_ptr<TDrayData> SampleSet(const TDrayData& ATemplate, const TGeneratedSample& A) {
    std::unique_ptr<TDrayData> set;
    if (A.WithTables) {
        set = CopyOf(ATemplate);
    } else {
        set = std::make_unique<TDrayData>(ATemplate.Name());
        set->SetVDSLProfile(ATemplate.VDSLProfile());
    }
    TStringList stats = ATemplate.Stats();
    char line[160];
    for (std::string& text : stats) {
        if (text.find("DS Actual Rate") != std::string::npos) {
            std::snprintf(line, sizeof line,
                          "   DS Actual Rate          : %9d bps   US Actual Rate       : %9d bps",
                          A.DSRateKbps * 1000, A.USRateKbps * 1000);
            text = line;
        } else if (text.find("NE Current Attenuation") != std::string::npos) {
            std::snprintf(line, sizeof line,
                          "   NE Current Attenuation  :       12 dB     Cur SNR Margin       :     "
                          "%4d  dB",
                          A.DSMargin);
            text = line;
        } else if (text.find("Far Current Attenuation") != std::string::npos) {
            std::snprintf(line, sizeof line,
                          "   Far Current Attenuation :        8 dB     Far SNR Margin       :     "
                          "%4d  dB",
                          A.USMargin);
            text = line;
        } else if (text.find("NE CRC Count") != std::string::npos) {
            std::snprintf(line, sizeof line,
                          "   NE CRC Count            : %11llu     FE CRC Count         : %11llu",
                          A.DSCRC, A.USCRC);
            text = line;
        }
    }
    set->SetStats(stats);
    if (A.WithTables && A.SNRShift != 0)
        set->SetBinStatsDSRaw(ShiftedSNR(set->BinStatsDSRaw(), A.SNRShift));
    return set;
}

// Writes the samples AMake gives for i = 0 .. ACount - 1 into the history file APath.
inline void GenerateHistory(const std::string& APath, const TDrayData& ATemplate, int64_t ACount,
                            const std::function<TGeneratedSample(int64_t)>& AMake,
                            const history::TLineKey& ALine = {"127.0.0.1", 23, "DrayTek"}) {
    auto store = history::THistoryStore::Open(APath, history::THistoryStore::TMode::ReadWrite);
    const int64_t line = store->LineId(ALine);
    for (int64_t i = 0; i < ACount; ++i) {
        const TGeneratedSample sample = AMake(i);
        history::TSampleInput input;
        input.TimeMs = sample.TimeMs;
        std::unique_ptr<TDrayData> set;
        if (sample.Failed) {
            input.Outcome = history::TSampleOutcome::Failed;
            input.Ending = "connect-failed";
            input.Message = "Router 127.0.0.1 unreachable";
        } else {
            set = SampleSet(ATemplate, sample);
            input.Set = set.get();
            input.WithTables = sample.WithTables;
        }
        store->AddSample(line, input);
    }
}

} // namespace vexlorin::test
