// The statistics file: version 2 is written, versions 1 and 2 are read. Only the texts,
// name, profile and group sizes are stored; the arrays are rebuilt from the raw lines.
#include "model/FileIO.h"
#include "model/TypedValues.h"
#include "model/uDrayData.h"

#include <algorithm>
#include <mutex>

namespace vexlorin {

namespace {

// No string form is longer than the text's UTF-8 bytes plus a tag and a 32-bit length, so
// this bounds the file and lets the writer allocate once.
std::size_t EncodedSizeBound(const TStringList& ALines) {
    std::size_t size = 5;
    for (const std::string& line : ALines)
        size += line.size() + 2;
    return size;
}

void WriteMultipliers(TTypedValueWriter& AWriter, const TStatMultipliers& AValue) {
    AWriter.WriteRawByte(AValue[sdUp]);
    AWriter.WriteRawByte(AValue[sdDown]);
}

TStatMultipliers ReadMultipliers(TTypedValueReader& AReader) {
    TStatMultipliers result{};
    result[sdUp] = AReader.ReadRawByte();
    result[sdDown] = AReader.ReadRawByte();
    return result;
}

void ReadLinesLocked(TTypedValueReader& AReader, TStringList& ATarget, std::shared_mutex& ALock) {
    TStringList lines = SplitLines(AReader.ReadString());
    std::unique_lock lock(ALock);
    ATarget = std::move(lines);
}

} // namespace

void TDrayData::WriteTo(TTypedValueWriter& AWriter) const {
    AWriter.WriteString(StatFileSignatures[1]);
    AWriter.WriteString(JoinLines(FStats));
    AWriter.WriteString(JoinLines(FHLogUSRaw));
    AWriter.WriteString(JoinLines(FHLogDSRaw));
    AWriter.WriteString(JoinLines(FQLNUSRaw));
    AWriter.WriteString(JoinLines(FQLNDSRaw));
    AWriter.WriteString(JoinLines(FSNRUSRaw));
    AWriter.WriteString(JoinLines(FSNRDSRaw));
    AWriter.WriteString(JoinLines(FBinStatsUSRaw));
    AWriter.WriteString(JoinLines(FBinStatsDSRaw));
    AWriter.WriteString(FName);
    AWriter.WriteInteger(static_cast<int32_t>(FProfile));
    WriteMultipliers(AWriter, FHLogMultipliers);
    WriteMultipliers(AWriter, FQLNMultipliers);
    WriteMultipliers(AWriter, FSNRMultipliers);
}

void TDrayData::LoadFromReader(TTypedValueReader& AReader) {
    const std::string signature = AReader.ReadString();
    uint32_t version = 0;
    for (std::size_t i = 0; i < StatFileSignatures.size(); ++i)
        if (signature == StatFileSignatures[i])
            version = static_cast<uint32_t>(i + 1);
    if (version == 0)
        throw EDrayDataError("Not a valida 'DrayData' file");
    FDataVersion = version;

    FStats = SplitLines(AReader.ReadString());
    ReadLinesLocked(AReader, FHLogUSRaw, FHLogLock);
    ReadLinesLocked(AReader, FHLogDSRaw, FHLogLock);
    ReadLinesLocked(AReader, FQLNUSRaw, FQLNLock);
    ReadLinesLocked(AReader, FQLNDSRaw, FQLNLock);
    ReadLinesLocked(AReader, FSNRUSRaw, FSNRLock);
    ReadLinesLocked(AReader, FSNRDSRaw, FSNRLock);
    ReadLinesLocked(AReader, FBinStatsUSRaw, FBinStatsLock);
    ReadLinesLocked(AReader, FBinStatsDSRaw, FBinStatsLock);
    FName = AReader.ReadString();

    if (version == 1) {
        IdentifyVDSLProfile(FStats);
        FHLogMultipliers = DefaultMultipliers;
        FQLNMultipliers = DefaultMultipliers;
        FSNRMultipliers = DefaultMultipliers;
    } else {
        // The profile indexes ten-entry tables everywhere else; a file naming any other
        // ordinal is not one this program wrote.
        const int32_t profile = AReader.ReadInteger();
        if (profile < 0 || profile >= static_cast<int32_t>(VDSLProfileCount))
            throw EDrayDataError("Not a valida 'DrayData' file");
        FProfile = static_cast<TVDSLProfile>(profile);
        FHLogMultipliers = ReadMultipliers(AReader);
        FQLNMultipliers = ReadMultipliers(AReader);
        FSNRMultipliers = ReadMultipliers(AReader);
    }

    RebuildHLog(sdUp);
    RebuildHLog(sdDown);
    RebuildQLN(sdUp);
    RebuildQLN(sdDown);
    RebuildSNR(sdUp);
    RebuildSNR(sdDown);
    RebuildBins(sdUp);
    RebuildBins(sdDown);
}

std::vector<uint8_t> TDrayData::SaveToBytes() const {
    std::size_t bound = 16 + (FName.size() + 5) + 2 + 6;
    for (const TStringList* lines : {&FStats, &FHLogUSRaw, &FHLogDSRaw, &FQLNUSRaw, &FQLNDSRaw,
                                     &FSNRUSRaw, &FSNRDSRaw, &FBinStatsUSRaw, &FBinStatsDSRaw})
        bound += EncodedSizeBound(*lines);
    TTypedValueWriter writer(bound);
    WriteTo(writer);
    return writer.TakeBytes();
}

void TDrayData::LoadFromBytes(std::span<const uint8_t> ABytes) {
    TTypedValueReader reader(ABytes);
    LoadFromReader(reader);
}

TDrayData::TBinTables TDrayData::ReadBinTables(std::span<const uint8_t> ABytes) {
    TTypedValueReader reader(ABytes);
    const std::string signature = reader.ReadString();
    if (signature != StatFileSignatures[1]) {
        // Version 1 keeps the profile in the status text: read as a whole set.
        TDrayData set;
        set.LoadFromBytes(ABytes);
        return {set.VDSLProfile(), set.ShowBinStatsDS(), set.ShowBinStatsUS()};
    }
    // The texts before the bins tables are passed over.
    for (int skipped = 0; skipped < 7; ++skipped)
        reader.ReadString();
    // The tables line by line as SplitLines breaks them (at CR or LF): a quadruple never
    // spans a line.
    const auto parse = [](const std::string& AText, TDrayBinArray& ATarget) {
        const std::string_view text(AText);
        std::size_t start = 0;
        while (start <= text.size()) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            std::string_view line = text.substr(start, end - start);
            for (std::size_t cr = line.find('\r'); cr != std::string_view::npos;
                 cr = line.find('\r')) {
                ParseBinLine(line.substr(0, cr), ATarget);
                line.remove_prefix(cr + 1);
            }
            ParseBinLine(line, ATarget);
            start = end + 1;
        }
    };
    TBinTables tables;
    parse(reader.ReadString(), tables.US);
    parse(reader.ReadString(), tables.DS);
    reader.ReadString(); // the name
    const int32_t profile = reader.ReadInteger();
    if (profile < 0 || profile >= static_cast<int32_t>(VDSLProfileCount))
        throw EDrayDataError("Not a valida 'DrayData' file");
    tables.Profile = static_cast<TVDSLProfile>(profile);
    for (int multipliers = 0; multipliers < 3; ++multipliers)
        ReadMultipliers(reader);
    return tables;
}

void TDrayData::SaveToFile(const std::string& AFilename) const {
    // The whole file is built in memory first, so nothing can fail halfway through the
    // disk write except the disk itself.
    SaveFileSafely(AFilename, SaveToBytes());
}

void TDrayData::LoadFromFile(const std::string& AFilename) {
    if (AFilename.empty())
        return;
    LoadFromBytes(ReadFileBytes(AFilename));
}

} // namespace vexlorin
