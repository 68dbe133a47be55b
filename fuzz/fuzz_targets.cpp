// The targets file of vexlorin-cli serve on arbitrary text: refused with ETargetsError, or
// read into targets that hold everything a sample needs.
#include "monitor/Targets.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    using namespace vexlorin::monitor;
    const std::string_view text(reinterpret_cast<const char*>(AData), ASize);
    try {
        const auto targets = ParseTargets(text, "targets.toml");
        if (targets.empty())
            __builtin_trap();
        for (const TTarget& target : targets) {
            if (target.Name.empty() || target.Host.empty() || target.User.empty() ||
                target.Port == 0 || target.PasswordFile.empty() == target.PasswordEnv.empty() ||
                target.Interval < std::chrono::seconds(1) ||
                target.Interval > std::chrono::hours(24) || !target.Password.empty())
                __builtin_trap();
        }
    } catch (const ETargetsError&) {
    }
    return 0;
}
