// The metrics of one router as /probe?target=NAME gives them: the line's values of its
// latest sample under the names of the usual DSL dashboards (dsl_*), the values those
// names do not cover (vexlorin_line_*), and how the sample went (vexlorin_sample_*).
// A value the console did not give is left out, never written as 0; a failed sample
// gives no line values at all, never those of an earlier one.
#pragma once

#include "monitor/Sample.h"

#include <string>

namespace vexlorin::monitor {

std::string RenderProbe(const TSample& ASample);

} // namespace vexlorin::monitor
