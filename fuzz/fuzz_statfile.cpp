// Statistics file reader on arbitrary bytes. A file that loads must save and load again to
// the same bytes: whatever the reader accepts, the writer can reproduce. The reader of the
// bins tables alone takes the same bytes: it may refuse what the whole reader takes only
// by throwing, and what both take gives the same tables.
#include "model/uDrayData.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    using namespace vexlorin;
    std::optional<TDrayData::TBinTables> alone;
    try {
        alone = TDrayData::ReadBinTables({AData, ASize});
    } catch (const Exception&) {
    }
    fuzz::TScratchSet<0> set;
    try {
        set->LoadFromBytes({AData, ASize});
    } catch (const Exception&) {
        return 0;
    }
    if (alone && (alone->Profile != set->VDSLProfile() || alone->DS != set->ShowBinStatsDS() ||
                  alone->US != set->ShowBinStatsUS()))
        __builtin_trap();
    if (set->VDSLProfile() >= VDSLProfileCount)
        __builtin_trap();
    const std::vector<uint8_t> first = set->SaveToBytes();
    fuzz::TScratchSet<1> again;
    again->LoadFromBytes(first);
    if (again->SaveToBytes() != first || again->Name() != set->Name() ||
        again->Stats() != set->Stats() || again->HLogStatsDS() != set->HLogStatsDS() ||
        again->ShowBinStatsUS() != set->ShowBinStatsUS())
        __builtin_trap();
    return 0;
}
