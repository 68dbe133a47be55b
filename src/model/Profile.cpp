// VDSL profile identification from the line status text.
#include "model/Convert.h"
#include "model/Regex.h"
#include "model/uDrayData.h"

#include <string>

namespace vexlorin {

namespace {

const TRegex& RunningModePattern() {
    static const TRegex pattern(R"(Running Mode\s+:\s+(8(A|B|C)|12(A|B)|17A|30A|35B))");
    return pattern;
}

} // namespace

void TDrayData::IdentifyVDSLProfile(const TStringList& Value) {
    const std::string text = JoinLines(Value);
    const auto match = RunningModePattern().Find(text);
    if (!match)
        throw EDrayDataError("Unable to retrieve profile from VDSL data");
    const std::string_view name = *match->Group(1);
    for (std::size_t i = 0; i < VDSLProfileNames.size(); ++i) {
        if (EqualsIgnoreAsciiCase(name, VDSLProfileNames[i])) {
            FProfile = static_cast<TVDSLProfile>(i);
            return;
        }
    }
    throw EDrayDataError("Unknown profile " + std::string(name) + " in VDSL data");
}

} // namespace vexlorin
