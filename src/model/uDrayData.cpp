// The statistics set: construction, text, raw-list writes and the string-list helpers.
#include "model/uDrayData.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

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
    // Answers run to thousands of lines: the breaks are found with memchr, and the list
    // has room for every line of a CR LF or LF text from the start.
    const char* const text = AText.data();
    const std::size_t n = AText.size();
    const auto find = [&](char c, std::size_t from) -> std::size_t {
        const void* at = from < n ? std::memchr(text + from, c, n - from) : nullptr;
        return at ? static_cast<std::size_t>(static_cast<const char*>(at) - text) : n;
    };
    std::size_t lineFeeds = 0;
    for (std::size_t at = find('\n', 0); at < n; at = find('\n', at + 1))
        ++lineFeeds;
    TStringList lines;
    lines.reserve(lineFeeds + 1);

    std::size_t start = 0;
    std::size_t nextCR = find('\r', 0);
    std::size_t nextLF = find('\n', 0);
    while (start < n) {
        const std::size_t end = std::min(nextCR, nextLF);
        lines.emplace_back(AText.substr(start, end - start));
        if (end == n)
            break;
        // CR LF is one break; a CR or an LF alone is one too.
        start = end + (AText[end] == '\r' && end + 1 < n && AText[end + 1] == '\n' ? 2 : 1);
        if (nextCR < start)
            nextCR = find('\r', start);
        if (nextLF < start)
            nextLF = find('\n', start);
    }
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

void TDrayData::SetHLogUSRaw(TStringList AValue) {
    SetGroupRaw(TGroupTable::HLog, sdUp, std::move(AValue));
}
void TDrayData::SetHLogDSRaw(TStringList AValue) {
    SetGroupRaw(TGroupTable::HLog, sdDown, std::move(AValue));
}
void TDrayData::SetQLNUSRaw(TStringList AValue) {
    SetGroupRaw(TGroupTable::QLN, sdUp, std::move(AValue));
}
void TDrayData::SetQLNDSRaw(TStringList AValue) {
    SetGroupRaw(TGroupTable::QLN, sdDown, std::move(AValue));
}
void TDrayData::SetSNRUSRaw(TStringList AValue) {
    SetGroupRaw(TGroupTable::SNR, sdUp, std::move(AValue));
}
void TDrayData::SetSNRDSRaw(TStringList AValue) {
    SetGroupRaw(TGroupTable::SNR, sdDown, std::move(AValue));
}

void TDrayData::SetBinStatsUSRaw(TStringList AValue) {
    {
        std::unique_lock lock(FBinStatsLock);
        FBinStatsUSRaw = std::move(AValue);
    }
    RebuildBins(sdUp);
}

void TDrayData::SetBinStatsDSRaw(TStringList AValue) {
    {
        std::unique_lock lock(FBinStatsLock);
        FBinStatsDSRaw = std::move(AValue);
    }
    RebuildBins(sdDown);
}

} // namespace vexlorin
