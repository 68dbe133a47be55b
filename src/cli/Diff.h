// "vexlorin-cli diff A B": what changed from set A (the reference) to set B, as B minus A,
// computed by the model's CompareSets, the same computation the desktop program's charts
// draw.
//
// text: per direction and per band the change in bits, mean SNR and margin; the tones that
//   lost or gained more than 2 bits; the line summaries side by side with the difference.
// csv:  the header and the rows of "export --format csv", holding B minus A; a cell is
//   empty where either set has no value (a null group, a missing table, a tone beyond the
//   smaller profile).
// json: the keys of "export --format json" holding B minus A (null where either is
//   missing), with the reference and selected sets named, the group sizes of the
//   difference grid, and directions, bands, bit_changes and summary (reference, selected,
//   difference) besides.
#pragma once

#include "model/uDrayData.h"

#include <ostream>

namespace vexlorin::cli {

void WriteDiffText(const TDrayData& AReference, const TDrayData& ASelected, std::ostream& AOut);
void WriteDiffCsv(const TDrayData& AReference, const TDrayData& ASelected, std::ostream& AOut);
void WriteDiffJson(const TDrayData& AReference, const TDrayData& ASelected, std::ostream& AOut);

// The help text after the options of "diff --help".
extern const char* const DiffFooter;

} // namespace vexlorin::cli
