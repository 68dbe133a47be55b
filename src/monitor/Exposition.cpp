#include "monitor/Exposition.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vexlorin::monitor {

namespace {

std::string EscapeHelp(std::string_view AText) {
    std::string out;
    for (const char c : AText) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string LabelText(const TLabels& ALabels) {
    std::string out;
    for (const auto& [name, value] : ALabels) {
        if (value.empty())
            continue; // an empty label value is the same as no label
        out += out.empty() ? "{" : ",";
        out += name;
        out += "=\"";
        out += EscapeLabelValue(value);
        out += '"';
    }
    if (!out.empty())
        out += '}';
    return out;
}

} // namespace

std::string EscapeLabelValue(std::string_view AValue) {
    std::string out;
    out.reserve(AValue.size());
    for (const char c : AValue) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            continue; // a console line end, never part of a value
        else
            out += c;
    }
    return out;
}

std::string FormatMetricValue(double AValue) {
    if (std::isnan(AValue))
        return "NaN";
    if (std::isinf(AValue))
        return AValue > 0 ? "+Inf" : "-Inf";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, AValue);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("NaN");
}

void TExposition::Family(std::string_view AName, std::string_view AHelp, std::string_view AType) {
    FName = AName;
    FHelp = AHelp;
    FType = AType;
    FHeaderWritten = false;
    FSeries.clear();
}

void TExposition::Header() {
    if (FHeaderWritten)
        return;
    FText += "# HELP " + FName + " " + EscapeHelp(FHelp) + "\n";
    FText += "# TYPE " + FName + " " + FType + "\n";
    FHeaderWritten = true;
}

void TExposition::Sample(const TLabels& ALabels, double AValue) {
    SampleAs("", ALabels, AValue);
}

void TExposition::SampleAs(std::string_view ASuffix, const TLabels& ALabels, double AValue) {
    const std::string series = std::string(ASuffix) + LabelText(ALabels);
    if (std::find(FSeries.begin(), FSeries.end(), series) != FSeries.end())
        return;
    FSeries.push_back(series);
    Header();
    FText += FName;
    FText += series;
    FText += ' ';
    FText += FormatMetricValue(AValue);
    FText += '\n';
}

} // namespace vexlorin::monitor
