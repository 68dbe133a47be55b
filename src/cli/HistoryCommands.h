// "vexlorin-cli watch" (records a line into the history database) and "vexlorin-cli
// history" (lists, exports and prunes what was recorded).
//
// The time series (history --format csv|json) has one row per sample of the chosen lines:
//   host, port, router_name, time (ISO 8601 UTC), time_ms, outcome (completed|failed),
//   ending, message, duration_s, has_set, the summary columns (the keys of the line
//   summary: state ... retrains, ds_<key> and us_<key> of every direction value,
//   bits_ds_<key> and bits_us_<key>), interval_s and, for every counter of a direction,
//   ds_<key>_delta and us_<key>_delta: the errors since the previous completed sample,
//   a counter that went backwards counted from zero. Values a sample lacks are empty.
// JSON: an array of objects with the same leading keys, "summary" as "vexlorin-cli show
// --format json" writes it and "rates": {"interval_s": ..., "ds": {...}, "us": {...}}.
#pragma once

#include "history/Recorder.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace vexlorin::cli {

class THistoryCommands {
public:
    // Adds "watch" and "history" to AApp.
    explicit THistoryCommands(CLI::App& AApp);

    CLI::App* Watch() const { return FWatch; }
    CLI::App* History() const { return FHistory; }
    // Further work for each sample "watch" takes (e.g. publishing it), called after the
    // sample was stored, on the recorder's thread.
    void AddSampleListener(std::function<void(const history::TSampleResult&)> AListener) {
        FListeners.push_back(std::move(AListener));
    }

    // True when one of the two commands was given; Run then runs it (ECliError on failure).
    bool Parsed() const;
    // The check of the refused --password option of "watch" (true when it was given).
    bool PasswordGiven() const;
    void Run(std::ostream& AOut, std::ostream& AErr);

private:
    void RunWatch(std::ostream& AErr);
    void RunHistory(std::ostream& AOut, std::ostream& AErr);

    struct TSettings {
        // watch
        std::string Host;
        int Port = 23;
        std::string User;
        std::string PasswordFile;
        std::string Password; // only to refuse it
        std::string RouterName = "DrayTek";
        std::string Interval = "60s";
        std::string BinsEvery = "15m";
        bool NoBins = false;
        int64_t Count = 0;
        std::string Duration;
        std::string Retain;
        // both
        std::string Db;
        // history
        std::string Line;
        std::string From, To;
        std::string Format;
        bool Events = false;
        std::string SetTime;
        std::string Output;
        std::string Prune;
    };
    TSettings FSettings;
    CLI::App* FWatch = nullptr;
    CLI::App* FHistory = nullptr;
    CLI::Option* FPassword = nullptr;
    std::vector<std::function<void(const history::TSampleResult&)>> FListeners;
};

// The time series of ASamples (one line) as CSV rows without the header, and the header.
std::string HistoryCsvHeader();
void WriteHistoryCsvRows(const history::TLineInfo& ALine,
                         const std::vector<history::TSampleRow>& ASamples,
                         const std::vector<history::TIntervalRates>& ARates, std::string& AOut);

} // namespace vexlorin::cli
