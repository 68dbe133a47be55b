#include "cli/HistoryCommands.h"

#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Password.h"
#include "cli/Reports.h"
#include "cli/SummaryJson.h"
#include "history/TimeText.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <csignal>
#include <limits>
#include <pthread.h>
#include <sstream>
#include <thread>

namespace vexlorin::cli {

namespace {

using namespace vexlorin::history;
using TJson = nlohmann::ordered_json;

const char* const WatchFooter = R"(DESCRIPTION
  Samples the line of the router at HOST every --interval into the history
  database: each sample is one console session (the status answers and the
  per-group tables; the per-tone bins tables every --bins-every), the same
  retrieval as "vexlorin-cli retrieve". Never two sessions at once to the
  router. A failed sample is stored as a failure and tried again after 2 s,
  4 s, ... up to the interval; a router that goes away and comes back is
  followed without a restart. Each sample's result goes to standard error:
  time, state, DS / US rate, DS / US margin, the errors since the last sample.
  Ctrl+C or SIGTERM ends the sample in progress within a second (or drops it)
  and exits 0. The password is taken as for "retrieve".

  The default database is $XDG_DATA_HOME/vexlorin/history.sqlite
  (~/.local/share/vexlorin/history.sqlite). Durations: 500ms, 60s, 15m, 2h, 90d.

EXAMPLES
  vexlorin-cli watch 192.168.1.1 --user admin --interval 60s --bins-every 15m
  vexlorin-cli watch 127.0.0.1 --port 2323 --user admin --db h.sqlite \
      --interval 1s --count 5 --bins-every 2s
)";

const char* const HistoryFooter = R"(DESCRIPTION
  Without --format, --events, --set or --prune: lists the lines of the database
  and their samples. --format csv|json writes the time series, one row per
  sample: host, port, router_name, time, time_ms, outcome, ending, message,
  duration_s, has_set, the line summary's values (ds_... and us_... for each
  direction, bits_ds_... and bits_us_... for the bit loading), interval_s and
  the errors per interval of each counter (ds_crc_delta, us_es_delta, ...; a
  counter that went backwards was reset and counts from zero). --events lists
  retrains, line down / up, counter resets and unreachable / reachable.
  --set TIME -o FILE writes the stored set nearest to TIME as a statistics
  file. Times are UTC: 2026-12-10T22:01:05Z, "2026-12-10 22:01", 2026-12-10,
  or ms since the epoch.

EXAMPLES
  vexlorin-cli history --db h.sqlite
  vexlorin-cli history --db h.sqlite --format csv --from 2026-12-01 > line.csv
  vexlorin-cli history --db h.sqlite --events
  vexlorin-cli history --db h.sqlite --set "2026-12-10 03:00" -o night.draydata
  vexlorin-cli history --db h.sqlite --prune 90d
)";

std::chrono::milliseconds Duration(const std::string& AText, const char* AOption) {
    const auto value = ParseDuration(AText);
    if (!value)
        throw ECliError(ecUsage, std::string(AOption) + ": \"" + AText + "\" is not a duration",
                        "Write it as 500ms, 60s, 15m, 2h or 90d.");
    return *value;
}

int64_t Time(const std::string& AText, const char* AOption) {
    const auto value = ParseTime(AText);
    if (!value)
        throw ECliError(ecUsage, std::string(AOption) + ": \"" + AText + "\" is not a time",
                        "Write it in UTC as 2026-12-10T22:01:05Z, \"2026-12-10 22:01\", "
                        "2026-12-10, or as ms since the epoch.");
    return *value;
}

std::unique_ptr<THistoryStore> OpenStore(const std::string& APath, THistoryStore::TMode AMode) {
    try {
        return THistoryStore::Open(APath, AMode);
    } catch (const EHistoryError& AError) {
        throw ECliError(ecFailure, AError.what(), "");
    }
}

// Ends the recorder on SIGINT or SIGTERM: the signals are taken by a thread of their own
// (sigtimedwait), so that the stop runs as ordinary code, never inside a signal handler.
class TSignalStop {
public:
    explicit TSignalStop(std::function<void()> AOnSignal) {
        sigemptyset(&FSet);
        sigaddset(&FSet, SIGINT);
        sigaddset(&FSet, SIGTERM);
        // Threads started from here on (the reader's) inherit the blocked signals.
        pthread_sigmask(SIG_BLOCK, &FSet, &FOld);
        FThread = std::thread([this, AOnSignal = std::move(AOnSignal)] {
            const timespec wait{0, 100 * 1000 * 1000};
            while (!FDone) {
                if (sigtimedwait(&FSet, nullptr, &wait) > 0) {
                    AOnSignal();
                    return;
                }
            }
        });
    }
    ~TSignalStop() {
        FDone = true;
        FThread.join();
        pthread_sigmask(SIG_SETMASK, &FOld, nullptr);
    }
    TSignalStop(const TSignalStop&) = delete;
    TSignalStop& operator=(const TSignalStop&) = delete;

private:
    sigset_t FSet{}, FOld{};
    std::atomic<bool> FDone{false};
    std::thread FThread;
};

std::string CsvField(std::string_view AText) {
    if (AText.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(AText);
    std::string out = "\"";
    for (char c : AText) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

// The writers below append to the row in place: a month of rows is millions of values, and
// printf's number formatting alone took a third of the export.
void AppendCsvField(std::string& AOut, std::string_view AText) {
    if (AText.find_first_of(",\"\r\n") == std::string_view::npos)
        AOut += AText;
    else
        AOut += CsvField(AText);
}

void AppendInteger(std::string& AOut, int64_t AValue) {
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, AValue).ptr;
    AOut.append(text, end);
}

// As printf's "%.15g": the shortest text that reads back as the same number for every value
// a console prints.
void AppendNumber(std::string& AOut, double AValue) {
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, AValue, std::chars_format::general, 15).ptr;
    AOut.append(text, end);
}

// Seconds with ms resolution, as the times are kept.
void AppendSeconds(std::string& AOut, double ASeconds) {
    char text[40];
    const auto end =
        std::to_chars(text, text + sizeof text, ASeconds, std::chars_format::fixed, 3).ptr;
    AOut.append(text, end);
}

void AppendValue(std::string& AOut, const TSummaryValue& AValue) {
    if (AValue.IsInteger())
        AppendInteger(AOut, *AValue.AsInteger());
    else if (AValue.IsDecimal())
        AppendNumber(AOut, *AValue.AsNumber());
    else if (AValue.IsText())
        AppendCsvField(AOut, *AValue.AsText());
}

// The direction columns of the summary, in the order of the store's columns.
template <typename F> void ForEachSummaryColumn(F AVisit) {
    for (std::size_t i = 0; i < LineFields().size(); ++i)
        AVisit(std::string(LineFields()[i].Key),
               [i](const TLineSummary& S) -> const TSummaryValue& { return S.Line[i]; });
    for (TStatDirection dir : {sdDown, sdUp})
        for (std::size_t i = 0; i < DirectionFields().size(); ++i)
            AVisit(std::string(DirectionKey(dir)) + "_" + std::string(DirectionFields()[i].Key),
                   [dir, i](const TLineSummary& S) -> const TSummaryValue& {
                       return S.Directions[dir][i];
                   });
    for (TStatDirection dir : {sdDown, sdUp})
        for (std::size_t i = 0; i < BitsFields().size(); ++i)
            AVisit(
                "bits_" + std::string(DirectionKey(dir)) + "_" + std::string(BitsFields()[i].Key),
                [dir, i](const TLineSummary& S) -> const TSummaryValue& { return S.Bits[dir][i]; });
}

template <typename F> void ForEachCounter(F AVisit) {
    for (TStatDirection dir : {sdDown, sdUp})
        for (std::size_t i = 0; i < DirectionFields().size(); ++i)
            if (DirectionFields()[i].Kind == skCounter)
                AVisit(dir, static_cast<TDirectionItem>(i));
}

const char* OutcomeText(TSampleOutcome AOutcome) {
    return AOutcome == TSampleOutcome::Completed ? "completed" : "failed";
}

} // namespace

std::string HistoryCsvHeader() {
    std::string header = "host,port,router_name,time,time_ms,outcome,ending,message,duration_s,"
                         "has_set";
    ForEachSummaryColumn([&](const std::string& AName, auto) { header += "," + AName; });
    header += ",interval_s";
    ForEachCounter([&](TStatDirection ADir, TDirectionItem AItem) {
        header += "," + std::string(DirectionKey(ADir)) + "_" +
                  std::string(DirectionFields()[AItem].Key) + "_delta";
    });
    return header + "\r\n";
}

void WriteHistoryCsvRows(const THistoryStore& AStore, const TLineInfo& ALine, int64_t AFromMs,
                         int64_t AToMs, std::string& AOut) {
    const std::string lineFields = CsvField(ALine.Key.Host) + "," + std::to_string(ALine.Key.Port) +
                                   "," + CsvField(ALine.Key.RouterName) + ",";
    std::vector<std::function<const TSummaryValue&(const TLineSummary&)>> columns;
    ForEachSummaryColumn([&](const std::string&, auto AGet) { columns.emplace_back(AGet); });
    bool reserved = false;
    AStore.VisitSamples(
        ALine.Id, AFromMs, AToMs, [&](const TSampleRow& row, const TIntervalRates* rate) {
            const std::size_t rowStart = AOut.size();
            AOut += lineFields;
            AOut += FormatTimeMs(row.TimeMs);
            AOut += ',';
            AppendInteger(AOut, row.TimeMs);
            AOut += ',';
            AOut += OutcomeText(row.Outcome);
            AOut += ',';
            AppendCsvField(AOut, row.Ending);
            AOut += ',';
            AppendCsvField(AOut, row.Message);
            AOut += ',';
            AppendSeconds(AOut, row.DurationSeconds);
            AOut += row.HasSet ? ",1" : ",0";
            for (const auto& get : columns) {
                AOut += ',';
                AppendValue(AOut, get(row.Summary));
            }
            AOut += ',';
            if (rate)
                AppendSeconds(AOut, static_cast<double>(rate->IntervalMs) / 1000.0);
            ForEachCounter([&](TStatDirection ADir, TDirectionItem AItem) {
                AOut += ',';
                if (rate && rate->Delta[ADir][AItem])
                    AppendInteger(AOut, *rate->Delta[ADir][AItem]);
            });
            AOut += "\r\n";
            if (!reserved) {
                // The rows of a line are alike in length: room for all of them at once, the
                // count estimated from the part of the line's time the range covers.
                reserved = true;
                const double span = static_cast<double>(ALine.LastMs - ALine.FirstMs);
                const double covered = static_cast<double>(std::min(AToMs, ALine.LastMs)) -
                                       static_cast<double>(std::max(AFromMs, ALine.FirstMs));
                const double rows = static_cast<double>(ALine.Samples) *
                                    (span > 0 ? std::clamp(covered / span, 0.0, 1.0) : 1.0);
                AOut.reserve(AOut.size() +
                             static_cast<std::size_t>(rows * 1.1) * (AOut.size() - rowStart));
            }
        });
}

THistoryCommands::THistoryCommands(CLI::App& AApp) {
    TSettings& s = FSettings;
    const CLI::Validator nonEmpty(
        [](std::string& AValue) { return AValue.empty() ? std::string("must not be empty") : ""; },
        "", "NONEMPTY");

    FWatch = AApp.add_subcommand("watch", "Record the line into the history database: one "
                                          "sample every interval, the bins tables less often");
    FWatch->footer(WatchFooter);
    FWatch->add_option("HOST", s.Host, "Router address: host name or IP address")
        ->type_name("")
        ->required()
        ->check(nonEmpty);
    FWatch->add_option("--port", s.Port, "Telnet port of the router's console (1 to 65535)")
        ->type_name("PORT")
        ->check(CLI::Range(1, 65535).description(""))
        ->capture_default_str();
    FWatch->add_option("-u,--user", s.User, "Logon user name")->required()->check(nonEmpty);
    FWatch
        ->add_option("--password-file", s.PasswordFile,
                     "Read the password from the first line of FILE")
        ->type_name("FILE")
        ->check(nonEmpty);
    FPassword = FWatch->add_option("--password", s.Password)->group("")->expected(0, 1);
    FWatch
        ->add_option("--router-name", s.RouterName,
                     "Router name as the console prompt shows it (\"DrayTek> \" -> DrayTek)")
        ->capture_default_str()
        ->check(nonEmpty);
    FWatch->add_option("--db", s.Db, "History database (default: " + DefaultHistoryPath() + ")")
        ->type_name("FILE")
        ->check(nonEmpty);
    FWatch->add_option("--interval", s.Interval, "Time between samples")
        ->type_name("DURATION")
        ->capture_default_str();
    FWatch->add_option("--bins-every", s.BinsEvery, "Time between samples with the bins tables")
        ->type_name("DURATION")
        ->capture_default_str();
    FWatch->add_flag("--no-bins", s.NoBins, "Never read the bins tables");
    FWatch->add_option("--count", s.Count, "Stop after N samples")
        ->type_name("N")
        ->check(CLI::Range(int64_t{1}, std::numeric_limits<int64_t>::max()).description(""));
    FWatch->add_option("--duration", s.Duration, "Stop after this time")->type_name("DURATION");
    FWatch->add_option("--retain", s.Retain, "Drop samples older than this (e.g. 90d)")
        ->type_name("DURATION");

    FHistory = AApp.add_subcommand(
        "history", "List, export and prune what \"watch\" recorded in the history database");
    FHistory->footer(HistoryFooter);
    FHistory->add_option("--db", s.Db, "History database (default: " + DefaultHistoryPath() + ")")
        ->type_name("FILE")
        ->check(nonEmpty);
    FHistory->add_option("--line", s.Line, "Only the line of this host (HOST or HOST:PORT)")
        ->type_name("HOST")
        ->check(nonEmpty);
    FHistory->add_option("--from", s.From, "Samples at or after this time (UTC)")
        ->type_name("TIME");
    FHistory->add_option("--to", s.To, "Samples at or before this time (UTC)")->type_name("TIME");
    FHistory->add_option("-f,--format", s.Format, "Write the time series as csv or json")
        ->type_name("FORMAT")
        ->transform(CLI::IsMember({"csv", "json"}, CLI::ignore_case));
    FHistory->add_flag("--events", s.Events, "List the events (as text, or in --format)");
    auto* set = FHistory
                    ->add_option("--set", s.SetTime,
                                 "Write the stored set nearest to TIME as a statistics file")
                    ->type_name("TIME");
    auto* output = FHistory->add_option("-o,--output", s.Output, "File to write")
                       ->type_name("FILE")
                       ->check(nonEmpty);
    set->needs(output);
    FHistory->add_option("--prune", s.Prune, "Drop samples older than this (e.g. 90d)")
        ->type_name("DURATION");
}

bool THistoryCommands::Parsed() const {
    return FWatch->parsed() || FHistory->parsed();
}

bool THistoryCommands::PasswordGiven() const {
    return FWatch->parsed() && FPassword->count() > 0;
}

void THistoryCommands::Run(std::ostream& AOut, std::ostream& AErr) {
    if (FWatch->parsed())
        RunWatch(AErr);
    else
        RunHistory(AOut, AErr);
}

void THistoryCommands::RunWatch(std::ostream& AErr) {
    const TSettings& s = FSettings;
    TRecorderTarget target;
    target.Line = {s.Host, static_cast<uint16_t>(s.Port), s.RouterName};
    target.User = s.User;
    target.Interval = Duration(s.Interval, "--interval");
    target.BinsEvery = Duration(s.BinsEvery, "--bins-every");
    target.Bins = !s.NoBins;
    const auto duration =
        s.Duration.empty() ? std::nullopt : std::optional(Duration(s.Duration, "--duration"));
    const auto retain =
        s.Retain.empty() ? std::nullopt : std::optional(Duration(s.Retain, "--retain"));
    const std::string db = s.Db.empty() ? DefaultHistoryPath() : s.Db;
    // The database is opened before the password is asked for: a file that cannot be
    // recorded into is found out at once.
    const auto store = OpenStore(db, THistoryStore::TMode::ReadWrite);
    target.Password =
        ObtainPassword(s.PasswordFile, "Password for " + s.User + "@" + s.Host + ": ");

    int64_t samples = 0;
    TLineRecorder recorder(target, store.get(), [&](const TSampleResult& AResult) {
        ++samples;
        AErr << SampleLine(AResult) << std::endl;
        for (const auto& listener : FListeners)
            listener(AResult);
    });
    recorder.SetRetain(retain);
    AErr << "Recording " << s.Host << ":" << s.Port << " into \"" << db << "\" every "
         << s.Interval;
    if (target.Bins)
        AErr << ", bins every " << s.BinsEvery;
    AErr << "; Ctrl+C ends." << std::endl;
    {
        TSignalStop signals([&recorder] { recorder.Stop(); });
        try {
            recorder.Run(s.Count > 0 ? std::optional(s.Count) : std::nullopt, duration);
        } catch (const EHistoryError& AError) {
            throw ECliError(ecFailure, AError.what(),
                            "Recording stopped after " + std::to_string(samples) +
                                " samples; every sample stored before is kept.");
        }
    }
    AErr << "Stopped after " << samples << (samples == 1 ? " sample." : " samples.") << std::endl;
}

void THistoryCommands::RunHistory(std::ostream& AOut, std::ostream& AErr) {
    const TSettings& s = FSettings;
    const std::string db = s.Db.empty() ? DefaultHistoryPath() : s.Db;
    const int64_t from =
        s.From.empty() ? std::numeric_limits<int64_t>::min() : Time(s.From, "--from");
    const int64_t to = s.To.empty() ? std::numeric_limits<int64_t>::max() : Time(s.To, "--to");

    if (!s.Prune.empty()) {
        const auto age = Duration(s.Prune, "--prune");
        const auto store = OpenStore(db, THistoryStore::TMode::ReadWrite);
        try {
            const int64_t removed = store->Prune(NowMs() - age.count());
            AErr << "Dropped " << removed << " samples older than " << s.Prune << "." << std::endl;
        } catch (const EHistoryError& AError) {
            throw ECliError(ecFailure, AError.what(), "");
        }
        return;
    }

    const auto store = OpenStore(db, THistoryStore::TMode::ReadOnly);
    try {
        std::vector<TLineInfo> lines = store->Lines();
        if (!s.Line.empty()) {
            std::erase_if(lines, [&](const TLineInfo& L) {
                return L.Key.Host != s.Line &&
                       L.Key.Host + ":" + std::to_string(L.Key.Port) != s.Line;
            });
            if (lines.empty())
                throw ECliError(ecFailure,
                                "The history database holds no line of \"" + s.Line + "\"",
                                "Run \"vexlorin-cli history --db " + db + "\" to list its lines.");
        }

        if (!s.SetTime.empty()) {
            const int64_t at = Time(s.SetTime, "--set");
            if (lines.size() != 1)
                throw ECliError(ecUsage,
                                lines.empty() ? "The history database holds no line yet"
                                              : "The history database holds several lines",
                                "Choose one with --line HOST.");
            int64_t sampleTime = 0;
            const auto set = store->NearestSet(lines.front().Id, at, &sampleTime);
            if (!set)
                throw ECliError(ecFailure, "No sample of this line holds the per-tone tables",
                                "Record with \"vexlorin-cli watch\" and --bins-every.");
            SaveStatisticsFile(*set, s.Output);
            AErr << "Wrote the set of " << FormatTimeMs(sampleTime) << " to \"" << s.Output << "\""
                 << std::endl;
            return;
        }

        std::string text;
        if (s.Events) {
            TJson events = TJson::array();
            if (s.Format == "csv")
                text = "host,port,router_name,time,time_ms,event,detail\r\n";
            for (const TLineInfo& line : lines)
                for (const THistoryEvent& event : store->Events(line.Id, from, to)) {
                    if (s.Format == "csv")
                        text += CsvField(line.Key.Host) + "," + std::to_string(line.Key.Port) +
                                "," + CsvField(line.Key.RouterName) + "," +
                                FormatTimeMs(event.TimeMs) + "," + std::to_string(event.TimeMs) +
                                "," + std::string(EventKey(event.Kind)) + "," +
                                CsvField(event.Detail) + "\r\n";
                    else if (s.Format == "json")
                        events.push_back({{"host", line.Key.Host},
                                          {"port", line.Key.Port},
                                          {"router_name", line.Key.RouterName},
                                          {"time", FormatTimeMs(event.TimeMs)},
                                          {"time_ms", event.TimeMs},
                                          {"event", EventKey(event.Kind)},
                                          {"detail", event.Detail}});
                    else
                        text += FormatTimeMs(event.TimeMs) + "  " + line.Key.Host + ":" +
                                std::to_string(line.Key.Port) + "  " +
                                std::string(EventKey(event.Kind)) +
                                (event.Detail.empty() ? "" : "  " + event.Detail) + "\n";
                }
            if (s.Format == "json")
                text = JsonText(events) + "\n";
        } else if (s.Format == "csv") {
            text = HistoryCsvHeader();
            for (const TLineInfo& line : lines)
                WriteHistoryCsvRows(*store, line, from, to, text);
        } else if (s.Format == "json") {
            TJson rows = TJson::array();
            for (const TLineInfo& line : lines) {
                store->VisitSamples(
                    line.Id, from, to, [&](const TSampleRow& row, const TIntervalRates* rate) {
                        TJson item = {{"host", line.Key.Host},
                                      {"port", line.Key.Port},
                                      {"router_name", line.Key.RouterName},
                                      {"time", FormatTimeMs(row.TimeMs)},
                                      {"time_ms", row.TimeMs},
                                      {"outcome", OutcomeText(row.Outcome)},
                                      {"ending", row.Ending},
                                      {"message", row.Message},
                                      {"duration_s", row.DurationSeconds},
                                      {"has_set", row.HasSet},
                                      {"summary", SummaryJson(row.Summary)}};
                        TJson rateJson = nullptr;
                        if (rate) {
                            rateJson = {
                                {"interval_s", static_cast<double>(rate->IntervalMs) / 1000.0},
                                {"ds", TJson::object()},
                                {"us", TJson::object()}};
                            ForEachCounter([&](TStatDirection ADir, TDirectionItem AItem) {
                                if (rate->Delta[ADir][AItem])
                                    rateJson[std::string(DirectionKey(ADir))]
                                            [std::string(DirectionFields()[AItem].Key)] =
                                                *rate->Delta[ADir][AItem];
                            });
                        }
                        item["rates"] = rateJson;
                        rows.push_back(std::move(item));
                    });
            }
            text = JsonText(rows) + "\n";
        } else {
            for (const TLineInfo& line : lines) {
                text += line.Key.Host + ":" + std::to_string(line.Key.Port) + " (" +
                        line.Key.RouterName + "): " + std::to_string(line.Samples) + " samples";
                if (line.Samples > 0)
                    text += ", " + FormatTimeMs(line.FirstMs) + " to " + FormatTimeMs(line.LastMs);
                text += "\n";
                store->VisitSamples(
                    line.Id, from, to, [&](const TSampleRow& row, const TIntervalRates* rate) {
                        TSampleResult result;
                        result.TimeMs = row.TimeMs;
                        result.Completed = row.Outcome == TSampleOutcome::Completed;
                        result.Message = row.Message;
                        result.Summary = row.Summary;
                        result.WithTables = row.HasSet;
                        if (rate)
                            result.Rates = *rate;
                        std::string sample = SampleLine(result);
                        if (!result.Completed)
                            sample = FormatTimeMs(result.TimeMs) + " failed (" + row.Ending + ")" +
                                     (result.Message.empty() ? "" : ": " + result.Message);
                        text += "  " + PrintableLine(sample) + "\n";
                    });
            }
            if (lines.empty())
                text = "The history database holds no line yet.\n";
        }
        WriteOutput(text, s.Output, AOut);
    } catch (const EHistoryError& AError) {
        throw ECliError(ecFailure, AError.what(), "");
    }
}

} // namespace vexlorin::cli
