// Import of text captures on arbitrary bytes: the text decoding (byte-order marks,
// Windows-1252, UTF-16), the line splitting and the parsers of the per-group and bins
// answers behind it. The first byte picks the capture kind.
#include "model/TextFile.h"
#include "model/uDrayData.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    using namespace vexlorin;
    if (ASize == 0)
        return 0;
    const uint8_t kind = AData[0];
    const std::string_view bytes(reinterpret_cast<const char*>(AData + 1), ASize - 1);
    fuzz::TScratchSet<0> set("Loaded from file");
    try {
        const TStringList lines = SplitLines(DecodeTextBytes(bytes));
        switch (kind % 4) {
        case 0:
            set->SetHLogData(lines);
            break;
        case 1:
            set->SetQLNData(lines);
            break;
        case 2:
            set->SetSNRData(lines);
            break;
        default:
            ImportBinsCapture(*set, lines);
            break;
        }
    } catch (const EConvertError&) {
        return 0;
    } catch (const EDrayDataError&) {
        // A bins capture with neither title is refused before anything is imported.
        if (kind % 4 != 3)
            __builtin_trap();
        return 0;
    }
    // Whatever was imported must survive a statistics file.
    const std::vector<uint8_t> saved = set->SaveToBytes();
    fuzz::TScratchSet<1> loaded;
    try {
        loaded->LoadFromBytes(saved);
    } catch (const EConvertError&) {
        __builtin_trap();
    }
    if (loaded->SaveToBytes() != saved)
        __builtin_trap();
    return 0;
}
