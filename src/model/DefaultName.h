// The name a new statistics set gets from the clock and the router name; the desktop
// window and the command-line tool share it so their files sort and read alike.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace vexlorin {

// "YYYYMMDD-hhmmss-<router name>.draydata" from the fields of ATime (local time). Every
// number has at least two digits; the router name is inserted as it is.
std::string GetDefaultFileName(const std::tm& ATime, std::string_view ARouterName);

// The same at the current local date and time.
std::string GetDefaultFileName(std::string_view ARouterName);

} // namespace vexlorin
