// What vexlorin-cli prints about a statistics set: the text with a summary, and every table
// as CSV or JSON.
//
// CSV (RFC 4180, CR LF line ends, one header row) holds every table in one sheet; the first
// column names the table:
//   table,group,first_tone_us,first_tone_ds,us,ds,tone,snr_us,gain_db_us,bits_us,snr_ds,
//   gain_db_ds,bits_ds
// Rows of HLog, QLN and SNR (512 each) fill group to ds: the group, the first tone of the
// group in each direction (group x group size) and the values, empty for a null slot.
// Rows of Bins (8192) fill tone to bits_ds: SNR and bits as the router printed them and the
// gain in dB with one decimal.
//
// JSON: one object with name, profile, version, stats (the text as an array of lines),
// group_sizes, the arrays hlog, qln, snr (objects with the CSV's group columns, null for
// a null slot) and bins (objects with the CSV's tone columns), and summary (SummaryJson.h).
#pragma once

#include "model/uDrayData.h"

#include <ostream>
#include <string>

namespace vexlorin::cli {

// Name, profile, file version, group sizes and tones with bits loaded, one per line.
std::string FormatSummary(const TDrayData& AData);

// The summary, a blank line, the line summary and a blank line when the set has one, and
// the statistics text. Control characters of the text are shown as U+FFFD so that a
// crafted file cannot drive the terminal.
void WriteShow(const TDrayData& AData, std::ostream& AOut);
// {"name": ..., "profile": ..., "summary": {...}} (SummaryJson.h).
void WriteShowJson(const TDrayData& AData, std::ostream& AOut);

void WriteCsv(const TDrayData& AData, std::ostream& AOut);
void WriteJson(const TDrayData& AData, std::ostream& AOut);

// "-3.5" for -35 tenths of a dB; always one decimal.
std::string FormatTenths(int ATenths);

// A text from a file, fit for a terminal: C0 controls (but tab), DEL and the C1 controls
// become U+FFFD, and what is not UTF-8 too.
std::string PrintableLine(const std::string& ALine);

} // namespace vexlorin::cli
