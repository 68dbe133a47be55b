// The JSON that vexlorin-cli writes: the line summary object, shared by "show --format
// json" and "export --format json".
//
// {"state": ..., "mode": ..., "firmware": ..., "vendor": ..., "chipset": ..., "annex": ...,
//  "vectoring": ..., "ds": {...}, "us": {...}, "resets": ..., "retrains": ...,
//  "bands": [{"direction": "ds", "name": "DS1", "first_tone": ..., ...}],
//  "bits": {"ds": {"loaded_tones": ..., "total_bits": ..., "rate_bps": ...}, "us": {...}}}
// with the keys of the summary's descriptor tables. Absent values are left out; "ds", "us"
// and "bits" are always objects and "bands" always an array, so scripts can walk them.
#pragma once

#include "model/LineSummary.h"

#include <nlohmann/json_fwd.hpp>

namespace vexlorin::cli {

nlohmann::ordered_json SummaryJson(const TLineSummary& ASummary);

// Compact or indented text of a document; text that is not UTF-8 is written with U+FFFD.
std::string JsonText(const nlohmann::ordered_json& ADocument);

} // namespace vexlorin::cli
