// Import of text captures: files holding the router's answers, read into a set through
// the same parsers as a retrieval.
#include "model/FileIO.h"
#include "model/TextCodec.h"
#include "model/TextFile.h"

namespace vexlorin {

namespace {

bool StartsWith(std::string_view AText, std::string_view APrefix) {
    return AText.substr(0, APrefix.size()) == APrefix;
}

} // namespace

std::string SanitisedUtf8(std::string_view ABytes) {
    if (IsAscii(ABytes))
        return std::string(ABytes);
    const std::u16string units = Utf8ToUtf16(ABytes);
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return Utf16ToUtf8(bytes, false);
}

std::string DecodeTextBytes(std::string_view ABytes) {
    if (StartsWith(ABytes, "\xEF\xBB\xBF"))
        return SanitisedUtf8(ABytes.substr(3));
    if (StartsWith(ABytes, "\xFF\xFE"))
        return Utf16ToUtf8(ABytes.substr(2), false);
    if (StartsWith(ABytes, "\xFE\xFF"))
        return Utf16ToUtf8(ABytes.substr(2), true);
    return Cp1252ToUtf8(ABytes);
}

TStringList ReadTextFileLines(const std::string& AFilename) {
    const std::vector<uint8_t> bytes = ReadFileBytes(AFilename);
    return SplitLines(DecodeTextBytes({reinterpret_cast<const char*>(bytes.data()), bytes.size()}));
}

void ImportBinsCapture(TDrayData& AData, const TStringList& ALines, std::string_view AName) {
    const std::string text = JoinLines(ALines);
    const std::size_t p = text.find("UPSTREAM :");
    if (p != std::string::npos) {
        AData.SetBinStatsUSRaw(SplitLines(std::string_view(text).substr(p)));
        AData.SetBinStatsDSRaw(SplitLines(std::string_view(text).substr(0, p)));
        return;
    }
    // What people paste is mostly the downstream answer alone.
    if (text.find("DOWNSTREAM :") != std::string::npos) {
        AData.SetBinStatsDSRaw(ALines);
        return;
    }
    const std::string name = AName.empty() ? std::string() : " \"" + std::string(AName) + "\"";
    throw EDrayDataError("The bins capture" + name +
                         " holds neither \"DOWNSTREAM :\" nor \"UPSTREAM :\"; give a capture of "
                         "the router's answers to \"vdsl showbins\" and \"vdsl showbins up\"");
}

void TDrayData::LoadHLogFromFile(const std::string& AFilename) {
    if (!AFilename.empty())
        SetHLogData(ReadTextFileLines(AFilename));
}

void TDrayData::LoadQLNFromFile(const std::string& AFilename) {
    if (!AFilename.empty())
        SetQLNData(ReadTextFileLines(AFilename));
}

void TDrayData::LoadSNRFromFile(const std::string& AFilename) {
    if (!AFilename.empty())
        SetSNRData(ReadTextFileLines(AFilename));
}

void TDrayData::LoadBinsFromFile(const std::string& AFilename) {
    if (!AFilename.empty())
        ImportBinsCapture(*this, ReadTextFileLines(AFilename), AFilename);
}

bool TDrayData::LoadStatusFromFile(const std::string& AFilename) {
    if (AFilename.empty())
        return false;
    FStats = ReadTextFileLines(AFilename);
    try {
        IdentifyVDSLProfile(FStats);
        return true;
    } catch (const EDrayDataError&) {
        // A capture of "vdsl status more" alone names no profile; the caller's stays.
        return false;
    }
}

} // namespace vexlorin
