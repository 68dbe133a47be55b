#include "model/DefaultName.h"

#include <cstdio>

namespace vexlorin {

std::string GetDefaultFileName(const std::tm& ATime, std::string_view ARouterName) {
    // Room for six numbers of any width, so an odd std::tm cannot cut the name short.
    char stamp[160];
    std::snprintf(stamp, sizeof stamp, "%.2lld%.2lld%.2d-%.2d%.2d%.2d-",
                  static_cast<long long>(ATime.tm_year) + 1900,
                  static_cast<long long>(ATime.tm_mon) + 1, ATime.tm_mday, ATime.tm_hour,
                  ATime.tm_min, ATime.tm_sec);
    std::string name(stamp);
    name.append(ARouterName);
    name.append(".draydata");
    return name;
}

std::string GetDefaultFileName(std::string_view ARouterName) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return GetDefaultFileName(local, ARouterName);
}

} // namespace vexlorin
