// The statistics set: construction, text, raw-list writes and the string-list helpers.
#include "model/uDrayData.h"

#include <mutex>

namespace vexlorin {

std::string JoinLines(const TStringList& ALines) {
    std::size_t size = 0;
    for (const auto& line : ALines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& line : ALines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

TStringList SplitLines(std::string_view AText) {
    TStringList lines;
    std::size_t start = 0;
    const std::size_t n = AText.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = AText[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(AText.substr(start, i - start));
            i += (c == '\r' && i + 1 < n && AText[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n)
        lines.emplace_back(AText.substr(start));
    return lines;
}

TDrayData::TDrayData() = default;

TDrayData::TDrayData(std::string AName) : FName(std::move(AName)) {}

TDrayData::~TDrayData() = default;

void TDrayData::SetStats(const TStringList& AValue) {
    IdentifyVDSLProfile(AValue); // on failure the old text stays
    FStats = AValue;
}

void TDrayData::AddStatData(const TStringList& AHeader, const TStringList* AData) {
    FStats.insert(FStats.end(), AHeader.begin(), AHeader.end());
    if (AData)
        FStats.insert(FStats.end(), AData->begin(), AData->end());
}

void TDrayData::Clear() {
    FStats.clear();
    const auto clearPair = [](std::shared_mutex& ALock, TStringList& AUp, TStringList& ADown) {
        std::unique_lock lock(ALock);
        AUp.clear();
        ADown.clear();
    };
    clearPair(FBinStatsLock, FBinStatsUSRaw, FBinStatsDSRaw);
    clearPair(FHLogLock, FHLogUSRaw, FHLogDSRaw);
    clearPair(FQLNLock, FQLNUSRaw, FQLNDSRaw);
    clearPair(FSNRLock, FSNRUSRaw, FSNRDSRaw);
}

void TDrayData::SetHLogUSRaw(const TStringList& AValue) {
    SetGroupRaw(TGroupTable::HLog, sdUp, AValue);
}
void TDrayData::SetHLogDSRaw(const TStringList& AValue) {
    SetGroupRaw(TGroupTable::HLog, sdDown, AValue);
}
void TDrayData::SetQLNUSRaw(const TStringList& AValue) {
    SetGroupRaw(TGroupTable::QLN, sdUp, AValue);
}
void TDrayData::SetQLNDSRaw(const TStringList& AValue) {
    SetGroupRaw(TGroupTable::QLN, sdDown, AValue);
}
void TDrayData::SetSNRUSRaw(const TStringList& AValue) {
    SetGroupRaw(TGroupTable::SNR, sdUp, AValue);
}
void TDrayData::SetSNRDSRaw(const TStringList& AValue) {
    SetGroupRaw(TGroupTable::SNR, sdDown, AValue);
}

void TDrayData::SetBinStatsUSRaw(const TStringList& AValue) {
    {
        std::unique_lock lock(FBinStatsLock);
        FBinStatsUSRaw = AValue;
    }
    RebuildBins(sdUp);
}

void TDrayData::SetBinStatsDSRaw(const TStringList& AValue) {
    {
        std::unique_lock lock(FBinStatsLock);
        FBinStatsDSRaw = AValue;
    }
    RebuildBins(sdDown);
}

} // namespace vexlorin
