// Configuration file reader on arbitrary bytes. Settings that load must write and read
// back unchanged, with the port always inside the field's range.
#include "model/ConfigFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    using namespace vexlorin;
    TConfigSettings settings;
    TConfigSettingsCollector collector(settings);
    try {
        ReadConfigBytes({AData, ASize}, collector);
    } catch (const Exception&) {
        return 0;
    }
    if (settings.Port < MinRouterPort || settings.Port > MaxRouterPort)
        __builtin_trap();
    const std::vector<uint8_t> bytes = ConfigToBytes(settings);
    TConfigSettings again;
    TConfigSettingsCollector againCollector(again);
    ReadConfigBytes(bytes, againCollector);
    if (!(again == settings))
        __builtin_trap();
    return 0;
}
