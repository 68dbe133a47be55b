#include "cli/Commands.h"

#include "model/FileIO.h"

#include <algorithm>
#include <cctype>
#include <span>

namespace vexlorin::cli {

namespace {

constexpr const char* HintNotStatistics =
    "Give a statistics file (.draydata) saved by Vexlorin or vexlorin-cli; this one is not "
    "one, or it is damaged.";
constexpr const char* HintCannotOpen = "Check the file name and that you may read the file.";
constexpr const char* HintCannotWrite =
    "Check that the folder exists and that you may write there, or choose another file.";
constexpr const char* HintCapture =
    "Give a text capture of the router's answer to the matching \"vdsl\" command.";

bool SameTextIgnoringCase(std::string_view A, std::string_view B) {
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::optional<TVDSLProfile> ParseProfileName(std::string_view AText) {
    for (std::size_t i = 0; i < VDSLProfileNames.size(); ++i)
        if (SameTextIgnoringCase(AText, VDSLProfileNames[i]))
            return static_cast<TVDSLProfile>(i);
    return std::nullopt;
}

void RaiseFileError(const std::exception& AError, const std::string& AFilename, const char* AHint) {
    if (dynamic_cast<const EFOpenError*>(&AError))
        throw ECliError(ecFailure, AError.what(), HintCannotOpen);
    if (dynamic_cast<const EFCreateError*>(&AError))
        throw ECliError(ecFailure, AError.what(), HintCannotWrite);
    // Some messages name the file already.
    const std::string quoted = "\"" + AFilename + "\"";
    const std::string message = AError.what();
    throw ECliError(ecFailure,
                    message.find(quoted) != std::string::npos ? message : quoted + ": " + message,
                    AHint);
}

std::unique_ptr<TDrayData> LoadStatisticsFile(const std::string& AFilename) {
    auto data = std::make_unique<TDrayData>();
    try {
        data->LoadFromFile(AFilename);
    } catch (const std::exception& e) {
        RaiseFileError(e, AFilename, HintNotStatistics);
    }
    return data;
}

std::unique_ptr<TDrayData> ImportCaptures(std::optional<TVDSLProfile> AProfile,
                                          const TImportFiles& AFiles, std::ostream& ANotes) {
    auto data = std::make_unique<TDrayData>("Loaded from file");
    if (AProfile)
        data->SetVDSLProfile(*AProfile);
    // One file at a time, so that an error names the capture that caused it.
    const std::string* current = nullptr;
    try {
        current = &AFiles.Status;
        const bool named = data->LoadStatusFromFile(AFiles.Status);
        if (!named && !AProfile)
            throw ECliError(ecUsage,
                            AFiles.Status.empty()
                                ? std::string("A VDSL profile is needed: give --profile, or a "
                                              "status capture with its \"Running Mode\"")
                                : "The status capture \"" + AFiles.Status +
                                      "\" names no VDSL profile (no \"Running Mode\" line)",
                            "Give the profile with --profile, e.g. --profile 17a.");
        if (named && AProfile && *AProfile != data->VDSLProfile())
            ANotes << "vexlorin-cli: the status capture \"" << AFiles.Status
                   << "\" names the profile " << VDSLProfileNames[data->VDSLProfile()]
                   << "; it is used instead of --profile " << VDSLProfileNames[*AProfile] << '\n';
        current = &AFiles.HLog;
        data->LoadHLogFromFile(AFiles.HLog);
        current = &AFiles.QLN;
        data->LoadQLNFromFile(AFiles.QLN);
        current = &AFiles.SNR;
        data->LoadSNRFromFile(AFiles.SNR);
        current = &AFiles.Bins;
        data->LoadBinsFromFile(AFiles.Bins);
    } catch (const ECliError&) {
        throw;
    } catch (const std::exception& e) {
        RaiseFileError(e, *current, HintCapture);
    }
    return data;
}

void SaveStatisticsFile(const TDrayData& AData, const std::string& AFilename) {
    try {
        AData.SaveToFile(AFilename);
    } catch (const std::exception& e) {
        RaiseFileError(e, AFilename, HintCannotWrite);
    }
}

void WriteOutput(const std::string& AText, const std::string& AFilename, std::ostream& AOut) {
    if (AFilename.empty()) {
        AOut << AText;
        AOut.flush();
        if (!AOut)
            throw ECliError(ecFailure, "Cannot write to standard output",
                            "Check where the output goes (a full disk, a closed pipe).");
        return;
    }
    try {
        SaveFileSafely(AFilename,
                       std::span(reinterpret_cast<const uint8_t*>(AText.data()), AText.size()));
    } catch (const std::exception& e) {
        RaiseFileError(e, AFilename, HintCannotWrite);
    }
}

} // namespace vexlorin::cli
