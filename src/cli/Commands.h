// The file commands of vexlorin-cli as functions: each either does its whole job or throws
// ECliError with the exit status and a hint for the user.
#pragma once

#include "cli/CliErrors.h"
#include "model/uDrayData.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace vexlorin::cli {

// The profile named by its display text ("17a", "35B", "N/A"), letter case ignored.
std::optional<TVDSLProfile> ParseProfileName(std::string_view AText);

// A statistics file read into a new set.
std::unique_ptr<TDrayData> LoadStatisticsFile(const std::string& AFilename);

// A set built from text captures the way the load-from-files dialog builds it; an empty
// name skips that capture. The profile is the status capture's "Running Mode", else
// AProfile; without either the import is refused (ecUsage). When both are given and
// differ, the capture's is used and a note goes to ANotes.
struct TImportFiles {
    std::string Status, HLog, QLN, SNR, Bins;
};
std::unique_ptr<TDrayData> ImportCaptures(std::optional<TVDSLProfile> AProfile,
                                          const TImportFiles& AFiles, std::ostream& ANotes);

// Saves the set; the target is replaced only when the whole file was written.
void SaveStatisticsFile(const TDrayData& AData, const std::string& AFilename);

// AText to AFilename (replaced only when complete), or to AOut when the name is empty.
void WriteOutput(const std::string& AText, const std::string& AFilename, std::ostream& AOut);

// The error of a model or file operation as an ECliError that says what to do next.
[[noreturn]] void RaiseFileError(const std::exception& AError, const std::string& AFilename,
                                 const char* AHint);

} // namespace vexlorin::cli
