// Comparing two sets read from arbitrary statistics files: the input is a 2-byte length,
// the first file, and the second file. Whatever the files hold (group sizes, profiles, band
// limits in their text), the comparison stays inside the tables, every difference is a
// finite number, comparing the other way round negates it, and a set compared with itself
// gives zero.
#include "model/SetComparison.h"

#include "FuzzSupport.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

using namespace vexlorin;

void Check(bool ACondition) {
    if (!ACondition)
        __builtin_trap();
}

void CheckNegated(const TSetComparison& AForth, const TSetComparison& ABack) {
    Check(AForth.CommonTones() == ABack.CommonTones());
    Check(AForth.CommonTones() >= 0 && AForth.AllTones() <= static_cast<int>(BinArraySize));
    for (int table = 0; table < GroupTableCount; ++table)
        for (const TStatDirection direction : {sdUp, sdDown}) {
            const TGroupDifference& forth = AForth.Groups[table][direction];
            const TGroupDifference& back = ABack.Groups[table][direction];
            Check(forth.GroupSize == back.GroupSize && forth.GroupSize <= 255);
            for (std::size_t g = 0; g < StatArraySize; ++g) {
                Check(forth.Values[g].has_value() == back.Values[g].has_value());
                if (forth.Values[g])
                    Check(std::isfinite(*forth.Values[g]) && *forth.Values[g] == -*back.Values[g]);
            }
        }
    for (int value = 0; value < ToneValueCount; ++value)
        for (const TStatDirection direction : {sdUp, sdDown}) {
            const auto& forth = AForth.Tones[value][direction].Values;
            const auto& back = ABack.Tones[value][direction].Values;
            Check(forth.size() == back.size());
            Check(forth.empty() || static_cast<int>(forth.size()) == AForth.CommonTones());
            for (std::size_t t = 0; t < forth.size(); ++t)
                Check(std::isfinite(forth[t]) && forth[t] == -back[t]);
        }
    for (const TStatDirection direction : {sdUp, sdDown})
        Check(AForth.BitChanges[direction].size() == ABack.BitChanges[direction].size());
    Check(AForth.Bands.size() == ABack.Bands.size() && AForth.Bands.size() <= 2 * MaxSummaryBands);
    for (const TRangeComparison& band : AForth.Bands) {
        for (const auto& figures : {band.Reference, band.Selected}) {
            Check(!figures.Bits || (*figures.Bits >= 0 && *figures.Bits <= 127 * 8192));
            Check(!figures.MeanSNR || std::isfinite(*figures.MeanSNR));
        }
    }
}

void CheckZero(const TSetComparison& ASelf) {
    for (const auto& table : ASelf.Groups)
        for (const TGroupDifference& difference : table)
            for (const auto& value : difference.Values)
                Check(!value || *value == 0);
    for (const auto& value : ASelf.Tones)
        for (const TToneDifference& difference : value)
            for (const double d : difference.Values)
                Check(d == 0);
    for (const auto& changes : ASelf.BitChanges)
        Check(changes.empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    if (ASize < 2)
        return 0;
    const std::size_t first = std::min<std::size_t>(AData[0] | (AData[1] << 8), ASize - 2);
    fuzz::TScratchSet<0> a;
    fuzz::TScratchSet<1> b;
    try {
        a->LoadFromBytes({AData + 2, first});
        b->LoadFromBytes({AData + 2 + first, ASize - 2 - first});
    } catch (const Exception&) {
        return 0;
    }
    CheckNegated(CompareSets(*a, *b), CompareSets(*b, *a));
    CheckZero(CompareSets(*a, *a));
    const TSetComparison c = CompareSets(*a, *b);
    const TLineSummary difference = SummaryDifferences(c.Reference, c.Selected);
    for (const auto& direction : difference.Directions)
        for (std::size_t i = 0; i < DirectionItemCount; ++i)
            (void)FormatSummaryDifference(DirectionFields()[i], direction[i]);
    return 0;
}
