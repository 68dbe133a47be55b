#include "history/Recorder.h"

#include "history/TimeText.h"
#include "reader/Retrieval.h"

#include <algorithm>

namespace vexlorin::history {

namespace {

using TClock = std::chrono::steady_clock;

// The first retry of a failed sample; each further failure doubles it, up to the interval.
constexpr std::chrono::milliseconds FirstRetry{2000};
// Older samples are dropped at most this often.
constexpr std::chrono::milliseconds PruneEvery{3600000};

// "downstream / upstream" of one value, with its unit.
std::string Pair(const TLineSummary& ASummary, TDirectionItem AItem) {
    const TSummaryField& field = DirectionFields()[AItem];
    const auto one = [&](TStatDirection ADir) {
        const std::string text = FormatSummaryValue(field, ASummary.Get(ADir, AItem));
        return text.empty() ? std::string("-") : text;
    };
    return one(sdDown) + " / " + one(sdUp);
}

} // namespace

std::string_view EndingKey(TReadEnding AEnding) {
    switch (AEnding) {
    case reCompleted:
        return "completed";
    case reNotInShowtime:
        return "not-in-showtime";
    case reStopped:
        return "stopped";
    case reConnectFailed:
        return "connect-failed";
    case reNoLogonPrompt:
        return "no-logon-prompt";
    case reSingleConnection:
        return "single-connection";
    case reLogonFailed:
        return "logon-failed";
    case reConnectionLost:
        return "connection-lost";
    case reStoppedAnswering:
        return "stopped-answering";
    case reTooMuchData:
        return "too-much-data";
    case reParseError:
        return "parse-error";
    case reUnexpectedError:
        return "unexpected-error";
    }
    return "unexpected-error";
}

TSampleResult TakeSample(const TRecorderTarget& ATarget, bool AWithTables,
                         const std::atomic<bool>* AStop) {
    TSampleResult result;
    result.TimeMs = NowMs();
    result.WithTables = AWithTables;
    const auto started = TClock::now();
    auto set = std::make_shared<TDrayData>(ATarget.Line.Host + " " + FormatTimeMs(result.TimeMs));
    const TRetrievalRequest request{ATarget.Line.Host, ATarget.Line.Port,       ATarget.User,
                                    ATarget.Password,  ATarget.Line.RouterName, AWithTables,
                                    ATarget.Timeouts};
    const TReadOutcome outcome = RunRetrieval(request, *set, nullptr, AStop);
    result.DurationSeconds = std::chrono::duration<double>(TClock::now() - started).count();
    result.Ending = outcome.Ending;
    result.Message = outcome.Ending == reCompleted ? std::string() : outcome.Message;
    result.Completed = outcome.SetComplete();
    if (result.Completed) {
        result.Summary = AWithTables ? SummarizeSet(*set) : SummarizeStatus(set->Stats());
        result.Set = std::move(set);
    }
    return result;
}

std::string SampleLine(const TSampleResult& AResult) {
    std::string line = FormatTimeMs(AResult.TimeMs);
    if (!AResult.Completed)
        return line + " failed (" + std::string(EndingKey(AResult.Ending)) + ")" +
               (AResult.Message.empty() ? "" : ": " + AResult.Message);
    const TLineSummary& s = AResult.Summary;
    const auto state = s[liState].AsText();
    line += " " + (state ? *state : std::string("unknown state"));
    line += "  rate " + Pair(s, diActualRate);
    line += "  margin " + Pair(s, diSNRMargin);
    if (AResult.Rates) {
        const auto& delta = AResult.Rates->Delta;
        const auto both = [&](TDirectionItem AItem) {
            const auto one = [&](TStatDirection ADir) {
                const auto value = delta[ADir][AItem];
                return value ? std::to_string(*value) : std::string("-");
            };
            return one(sdDown) + "/" + one(sdUp);
        };
        line += "  errors CRC " + both(diCRC) + " FEC " + both(diFEC) + " ES " + both(diES) +
                " SES " + both(diSES);
    } else {
        line += "  errors -";
    }
    if (AResult.WithTables)
        line += "  (with bins)";
    return line;
}

TLineRecorder::TLineRecorder(TRecorderTarget ATarget, THistoryStore* AStore,
                             std::function<void(const TSampleResult&)> AOnSample)
    : FTarget(std::move(ATarget)), FStore(AStore), FOnSample(std::move(AOnSample)) {}

void TLineRecorder::Stop() {
    {
        std::lock_guard lock(FLock);
        FStop = true;
    }
    FWake.notify_all();
}

bool TLineRecorder::WaitFor(TClock::time_point AUntil) {
    std::unique_lock lock(FLock);
    return !FWake.wait_until(lock, AUntil, [this] { return FStop.load(); });
}

void TLineRecorder::Run(std::optional<int64_t> ACount,
                        std::optional<std::chrono::milliseconds> ADuration) {
    const auto start = TClock::now();
    const auto deadline = ADuration ? start + *ADuration : TClock::time_point::max();
    const int64_t lineId = FStore ? FStore->LineId(FTarget.Line) : 0;
    const auto interval = std::max(FTarget.Interval, std::chrono::milliseconds(1));
    auto retry = FirstRetry;
    // Sample times follow the schedule, not the clock at the end of a wait, so that the
    // interval does not drift by the time a sample takes.
    auto scheduled = start;
    auto binsDue = start;
    std::optional<TLineSummary> previous;
    int64_t previousMs = 0;
    std::optional<TClock::time_point> lastPrune;
    int64_t taken = 0;
    while (!FStop && (!ACount || taken < *ACount) && TClock::now() < deadline) {
        const bool withTables = FTarget.Bins && scheduled >= binsDue;
        TSampleResult result = TakeSample(FTarget, withTables, &FStop);
        if (FStop && !result.Completed)
            break; // abandoned: a stop is not the router's failure
        if (result.Completed) {
            if (previous)
                result.Rates = RatesBetween(&*previous, previousMs, result.Summary, result.TimeMs);
            previous = result.Summary;
            previousMs = result.TimeMs;
        }
        if (FStore) {
            TSampleInput input;
            input.TimeMs = result.TimeMs;
            input.Outcome = result.Completed ? TSampleOutcome::Completed : TSampleOutcome::Failed;
            input.Ending = EndingKey(result.Ending);
            input.Message = result.Message;
            input.DurationSeconds = result.DurationSeconds;
            input.Set = result.Set.get();
            input.WithTables = result.WithTables;
            result.SampleId = FStore->AddSample(lineId, input);
            if (FRetain && (!lastPrune || TClock::now() - *lastPrune >= PruneEvery)) {
                FStore->Prune(result.TimeMs - FRetain->count());
                lastPrune = TClock::now();
            }
        }
        ++taken;
        if (FOnSample)
            FOnSample(result);
        if (result.Completed) {
            if (withTables)
                binsDue = scheduled + FTarget.BinsEvery;
            retry = FirstRetry;
            scheduled += interval;
            // A sample that took longer than the interval: the next one starts now.
            if (scheduled < TClock::now() - interval)
                scheduled = TClock::now();
        } else {
            scheduled = TClock::now() + std::min(retry, interval);
            retry = std::min(retry * 2, interval);
        }
        if (ACount && taken >= *ACount)
            break;
        if (!WaitFor(std::min(scheduled, deadline)))
            break;
    }
}

} // namespace vexlorin::history
