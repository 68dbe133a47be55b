// The exporter's request handling on arbitrary bytes, as one connection through the same
// HTTP parsing and handlers the server uses; and the probe exposition of a summary read
// from the same bytes, which must stay one well-formed series per line.
#include "model/LineSummary.h"
#include "model/TextFile.h"
#include "monitor/ExporterServer.h"
#include "monitor/ProbeMetrics.h"
#include "monitor/Sampler.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

namespace {

using namespace vexlorin;

// Two targets with a sample each, taken once for the whole run.
const monitor::TSampler& Sampler() {
    static monitor::TSampler* sampler = [] {
        auto* s = new monitor::TSampler(
            [](const monitor::TTarget& ATarget, const std::atomic<bool>&) {
                monitor::TSample sample;
                sample.Completed = ATarget.Name == "office";
                sample.Ending = sample.Completed ? reCompleted : reConnectFailed;
                sample.Summary.Directions[sdDown][diSNRMargin] = TSummaryValue::Decimal(7.5);
                return sample;
            },
            {1, std::chrono::milliseconds(0)});
        std::vector<monitor::TTarget> targets(2);
        targets[0].Name = "office";
        targets[1].Name = "home";
        for (auto& target : targets) {
            target.Host = target.Name;
            target.Interval = std::chrono::hours(24);
        }
        s->SetTargets(targets);
        s->Start();
        while (s->Probe("office").State != monitor::TSampler::TProbeState::Ready ||
               s->Probe("home").State != monitor::TSampler::TProbeState::Ready)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return s;
    }();
    return *sampler;
}

// name{labels} value, with the label values' quotes and escapes balanced.
bool SeriesLine(std::string_view ALine) {
    std::size_t i = 0;
    while (i < ALine.size() &&
           (std::isalnum(static_cast<unsigned char>(ALine[i])) || ALine[i] == '_'))
        ++i;
    if (i == 0)
        return false;
    if (i < ALine.size() && ALine[i] == '{') {
        bool quoted = false;
        for (++i; i < ALine.size(); ++i) {
            const char c = ALine[i];
            if (quoted && c == '\\') {
                ++i;
                if (i >= ALine.size() || (ALine[i] != '\\' && ALine[i] != '"' && ALine[i] != 'n'))
                    return false;
            } else if (c == '"') {
                quoted = !quoted;
            } else if (!quoted && c == '}') {
                break;
            }
        }
        if (i >= ALine.size())
            return false;
        ++i;
    }
    return i < ALine.size() && ALine[i] == ' ' && i + 1 < ALine.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    const std::string bytes(reinterpret_cast<const char*>(AData), ASize);
    const std::string answer = monitor::ServeBytes(Sampler(), bytes);
    if (!answer.empty() && answer.rfind("HTTP/1.1 ", 0) != 0)
        __builtin_trap();

    monitor::TSample sample;
    sample.Completed = true;
    sample.Summary = SummarizeStatus(SplitLines(DecodeTextBytes(bytes)));
    const std::string text = monitor::RenderProbe(sample);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            __builtin_trap(); // every line ends with a line break
        const std::string_view line(text.data() + start, end - start);
        if (!(line.rfind("# HELP ", 0) == 0 || line.rfind("# TYPE ", 0) == 0 || SeriesLine(line)))
            __builtin_trap();
        start = end + 1;
    }
    return 0;
}
