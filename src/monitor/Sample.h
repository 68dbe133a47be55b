// One sample of a line as the exporter keeps it: how the console session ended and, when
// it delivered a set, the line's values.
#pragma once

#include "model/LineSummary.h"
#include "reader/uDrayTelnetReader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vexlorin {
namespace history {
struct TSampleResult;
}
} // namespace vexlorin

namespace vexlorin::monitor {

struct TSample {
    int64_t TimeMs = 0; // UTC ms since the epoch, when the session started
    bool Completed = false;
    TReadEnding Ending = reCompleted;
    std::string Message; // the failure's message, or the "not in showtime" notice
    double DurationSeconds = 0;
    std::shared_ptr<const TDrayData> Set; // completed samples only
    bool WithTables = false;              // the set holds the per-tone tables
    TLineSummary Summary;                 // empty for failed samples
    TVDSLProfile Profile = vpNA;
};

// The recorder's sample as the exporter keeps it.
TSample FromRecorder(history::TSampleResult AResult);

// The ending as a stable key for labels and logs: "completed", "connect-failed", ...
std::string_view EndingKey(TReadEnding AEnding);

// Every ending, in TReadEnding order (for the exporter's own metrics).
inline constexpr TReadEnding AllEndings[] = {reCompleted,     reNotInShowtime,  reStopped,
                                             reConnectFailed, reNoLogonPrompt,  reSingleConnection,
                                             reLogonFailed,   reConnectionLost, reStoppedAnswering,
                                             reTooMuchData,   reParseError,     reUnexpectedError};

} // namespace vexlorin::monitor
