#include "history/Recorder.h"

namespace vexlorin::history {

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

TSampleResult TakeSample(const TRecorderTarget&, bool, const std::atomic<bool>*) {
    return {};
}

std::string SampleLine(const TSampleResult&) {
    return {};
}

TLineRecorder::TLineRecorder(TRecorderTarget ATarget, THistoryStore* AStore,
                             std::function<void(const TSampleResult&)> AOnSample)
    : FTarget(std::move(ATarget)), FStore(AStore), FOnSample(std::move(AOnSample)) {}

void TLineRecorder::Run(std::optional<int64_t>, std::optional<std::chrono::milliseconds>) {}

void TLineRecorder::Stop() {
    FStop = true;
    FWake.notify_all();
}

bool TLineRecorder::WaitFor(std::chrono::steady_clock::time_point) {
    return false;
}

} // namespace vexlorin::history
