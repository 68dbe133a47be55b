// Times and durations as the history's users write and read them.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexlorin::history {

// UTC ms since the epoch now.
int64_t NowMs();

// "2026-12-10T22:01:05.123Z".
std::string FormatTimeMs(int64_t ATimeMs);

// "2026-12-10T22:01:05Z", "2026-12-10T22:01:05.123Z", "2026-12-10 22:01", "2026-12-10"
// (UTC; the "Z" may be left out) or ms since the epoch; none for anything else.
std::optional<int64_t> ParseTime(std::string_view AText);

// "500ms", "60s", "15m", "2h", "90d" or plain seconds ("60"); none for anything else,
// zero and negative durations included.
std::optional<std::chrono::milliseconds> ParseDuration(std::string_view AText);

} // namespace vexlorin::history
