// Writing the Prometheus text exposition format (version 0.0.4): metric families with
// their HELP and TYPE lines, label values escaped, numbers in a form every parser reads.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexlorin::monitor {

inline constexpr const char* ExpositionContentType = "text/plain; version=0.0.4; charset=utf-8";

using TLabels = std::vector<std::pair<std::string_view, std::string>>;

// Builds one exposition. A family is written only once it has a sample, so a value that
// is absent leaves no empty family behind; a second sample with the same labels is dropped
// (a scrape with duplicate series is refused as a whole by Prometheus).
class TExposition {
public:
    // Starts a family; its samples follow. AType: gauge, counter, histogram, untyped.
    void Family(std::string_view AName, std::string_view AHelp, std::string_view AType);
    void Sample(const TLabels& ALabels, double AValue);
    void Sample(double AValue) { Sample({}, AValue); }
    // A sample of the current family under another name (histogram _bucket, _sum, _count).
    void SampleAs(std::string_view ASuffix, const TLabels& ALabels, double AValue);

    const std::string& Text() const { return FText; }
    std::string Take() { return std::move(FText); }

private:
    void Header();
    std::string FText;
    std::string FName, FHelp, FType;
    bool FHeaderWritten = false;
    std::vector<std::string> FSeries; // label sets of the current family
};

// "\\", "\"" and line breaks escaped as the format wants them in label values.
std::string EscapeLabelValue(std::string_view AValue);
// A number as the format reads it: shortest exact form, +Inf, -Inf, NaN.
std::string FormatMetricValue(double AValue);

} // namespace vexlorin::monitor
