// Per-group tables (HLog, QLN, SNR): router answers to raw lines, group sizes and arrays.
#include "model/Convert.h"
#include "model/Regex.h"
#include "model/uDrayData.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <utility>

namespace vexlorin {

struct TDrayData::TGroupMembers {
    std::string_view UpHeader;
    std::string_view DownHeader;
    TStatMultipliers& Sizes;
    TDrayStatArray& Up;
    TDrayStatArray& Down;
    TStringList& UpRaw;
    TStringList& DownRaw;
    std::shared_mutex& Lock;
    bool IsQLN;
};

TDrayData::TGroupMembers TDrayData::Members(TGroupTable ATable) {
    switch (ATable) {
    case TGroupTable::HLog:
        return {" US: (dB)", " DS: (dB)", FHLogMultipliers, FHLogStatsUS, FHLogStatsDS,
                FHLogUSRaw,  FHLogDSRaw,  FHLogLock,        false};
    case TGroupTable::QLN:
        return {" US: (dBm/Hz)", " DS: (dBm/Hz)", FQLNMultipliers, FQLNStatsUS, FQLNStatsDS,
                FQLNUSRaw,       FQLNDSRaw,       FQLNLock,        true};
    case TGroupTable::SNR:
        break;
    }
    return {" US: (dB)", " DS: (dB)", FSNRMultipliers, FSNRStatsUS, FSNRStatsDS,
            FSNRUSRaw,   FSNRDSRaw,   FSNRLock,        false};
}

namespace {

const TRegex& GroupSizePattern() {
    static const TRegex pattern(R"(GroupSize\s+:\s+(\d+)\s+(\d+))");
    return pattern;
}

const TRegex& ValueLinePattern() {
    static const TRegex pattern(R"(bin=\s*(\d+):\s+(-?\d+)?,\s*(-?\d+)?,\s*(-?\d+)?,\s*(-?\d+)?,)"
                                R"(\s*(-?\d+)?,\s*(-?\d+)?,\s*(-?\d+)?,\s*(-?\d+)?,)");
    return pattern;
}

long IndexOfHeader(const TStringList& ALines, std::string_view AHeader) {
    for (std::size_t i = 0; i < ALines.size(); ++i)
        if (EqualsIgnoreAsciiCase(ALines[i], AHeader))
            return static_cast<long>(i);
    return -1;
}

// Appends lines [AFirst, ALast] of ASource (none when ALast < AFirst).
void AppendRange(TStringList& ATarget, const TStringList& ASource, long AFirst, long ALast) {
    for (long i = std::max(AFirst, 0L); i <= ALast && i < static_cast<long>(ASource.size()); ++i)
        ATarget.push_back(ASource[static_cast<std::size_t>(i)]);
}

} // namespace

void TDrayData::ReadGroupSizes(std::string_view AText, TStatMultipliers& ASizes) {
    ASizes = {0, 0};
    const auto match = GroupSizePattern().Find(AText);
    if (!match)
        return;
    // Digits that do not fit count as 0; the size keeps the low 8 bits.
    const auto size = [&](std::size_t k) {
        return static_cast<uint8_t>(TryStrToInt(*match->Group(k)).value_or(0) & 0xFF);
    };
    ASizes[sdUp] = size(1);
    ASizes[sdDown] = size(2);
}

void TDrayData::ParseGroupLine(std::string_view ALine, TDrayStatArray& ATarget, bool IsQLN) {
    const auto match = ValueLinePattern().Find(ALine);
    if (!match)
        return;
    const int64_t start = StrToInt(*match->Group(1));
    // Convert the whole line before writing, so a line with a bad number writes nothing.
    std::array<TStatSlot, 8> slots;
    const std::size_t highest = match->HighestGroup();
    for (std::size_t k = 2; k <= highest; ++k) {
        TStatSlot& slot = slots[k - 2];
        slot = TStatSlot::Null();
        if (const auto group = match->Group(k)) {
            const int32_t value = StrToInt(*group);
            if (!(IsQLN && value == -150))
                slot = TStatSlot::Of(value);
        }
    }
    for (std::size_t k = 2; k <= highest; ++k) {
        // Values that would land beyond the table are dropped.
        const int64_t index = start + static_cast<int64_t>(k) - 2;
        if (index < static_cast<int64_t>(ATarget.size()))
            ATarget[static_cast<std::size_t>(index)] = slots[k - 2];
    }
}

void TDrayData::SetGroupData(TGroupTable ATable, const TStringList& AData) {
    TGroupMembers m = Members(ATable);
    ReadGroupSizes(JoinLines(AData), m.Sizes);
    const long u = IndexOfHeader(AData, m.UpHeader);
    const long d = IndexOfHeader(AData, m.DownHeader);
    const long count = static_cast<long>(AData.size());
    {
        std::unique_lock lock(m.Lock);
        AppendRange(m.UpRaw, AData, u + 1, d - 2);
        AppendRange(m.DownRaw, AData, d + 1, count - 2);
    }
    RebuildGroupTable(ATable, sdUp);
    RebuildGroupTable(ATable, sdDown);
}

void TDrayData::SetGroupRaw(TGroupTable ATable, TStatDirection ADirection, TStringList AValue) {
    TGroupMembers m = Members(ATable);
    {
        std::unique_lock lock(m.Lock);
        (ADirection == sdUp ? m.UpRaw : m.DownRaw) = std::move(AValue);
    }
    RebuildGroupTable(ATable, ADirection);
}

void TDrayData::RebuildGroupTable(TGroupTable ATable, TStatDirection ADirection) {
    TGroupMembers m = Members(ATable);
    std::shared_lock lock(m.Lock);
    TDrayStatArray& target = ADirection == sdUp ? m.Up : m.Down;
    target.fill(TStatSlot::Null());
    for (const auto& line : ADirection == sdUp ? m.UpRaw : m.DownRaw)
        ParseGroupLine(line, target, m.IsQLN);
}

void TDrayData::SetHLogData(const TStringList& AData) {
    SetGroupData(TGroupTable::HLog, AData);
}

void TDrayData::SetQLNData(const TStringList& AData) {
    SetGroupData(TGroupTable::QLN, AData);
}

void TDrayData::SetSNRData(const TStringList& AData) {
    SetGroupData(TGroupTable::SNR, AData);
}

} // namespace vexlorin
