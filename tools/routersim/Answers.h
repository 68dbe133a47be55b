// The console's answers, as the lines between the echoed command line and the prompt.
#pragma once

#include "LineModel.h"

#include <optional>
#include <string>
#include <string_view>

namespace vexlorin::routersim {

struct TAnswerOptions {
    bool SNRMinus32 = false; // showbins prints SNR -32 for tones without data
    bool Training = false;   // the line trains: no running mode, no bands, empty tables
    // The number of the console session answering (1 for the first logged-on session).
    unsigned Session = 1;
    // 0: off. Otherwise the error counters grow with every session (session x their
    // values) until the line retrains at this session: from it on "Xdsl Link Times" is 2
    // and the counters start again from zero ((session - RetrainAtSession) x their values).
    unsigned RetrainAtSession = 0;
};

// The pager line of firmware that pages long answers; it waits for a key.
inline constexpr std::string_view PagerLine =
    "--- MORE ---   ['q': Quit, 'Enter': New Lines, 'Space Bar': Next Page] ---";

// The thirteen commands the program sends, in the order it sends them.
inline constexpr const char* KnownCommands[] = {
    "vdsl status bandinfo", "vdsl status",     "vdsl status more",  "vdsl status olr",
    "vdsl status counts",   "vdsl annex",      "vdsl inventory co", "vdsl inventory cpe",
    "vdsl status hlog",     "vdsl status qln", "vdsl status snr",   "vdsl showbins",
    "vdsl showbins up"};

// Lower case, single blanks, no blanks at either end.
std::string NormalizeCommand(std::string_view ACommand);

// Body of the answer to a normalized command; nothing for a command the console lacks.
std::optional<TStringList> CommandAnswer(const TLineModel& AModel, const std::string& ACommand,
                                         const TAnswerOptions& AOptions);
// "% Valid subcommands are:" with the subcommands at the level where ACommand went wrong;
// with ACommandMissing the line "% Command missing" comes first.
TStringList InvalidCommandAnswer(const std::string& ACommand, bool ACommandMissing);

} // namespace vexlorin::routersim
