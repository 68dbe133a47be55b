// The sampler's console session: the recorder's own sample, the same retrieval as
// vexlorin-cli retrieve and watch.
#include "history/Recorder.h"
#include "monitor/Sampler.h"

namespace vexlorin::monitor {

std::string_view EndingKey(TReadEnding AEnding) {
    return history::EndingKey(AEnding);
}

TSample FromRecorder(history::TSampleResult AResult) {
    TSample sample;
    sample.TimeMs = AResult.TimeMs;
    sample.Completed = AResult.Completed;
    sample.Ending = AResult.Ending;
    sample.Message = std::move(AResult.Message);
    sample.DurationSeconds = AResult.DurationSeconds;
    sample.WithTables = AResult.WithTables;
    sample.Summary = std::move(AResult.Summary);
    if (AResult.Set)
        sample.Profile = AResult.Set->VDSLProfile();
    sample.Set = std::move(AResult.Set);
    return sample;
}

TSample ReadSample(const TTarget& ATarget, const std::atomic<bool>& AStop) {
    history::TRecorderTarget target;
    target.Line = {ATarget.Host, ATarget.Port, ATarget.RouterName};
    target.User = ATarget.User;
    target.Password = ATarget.Password;
    target.Bins = ATarget.Bins;
    target.Interval = ATarget.Interval;
    return FromRecorder(history::TakeSample(target, ATarget.Bins, &AStop));
}

} // namespace vexlorin::monitor
