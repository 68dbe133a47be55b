// Public API of the statistics model: one statistics set (TDrayData), its tables,
// parsers, profile, statistics file and text-capture import.
//
// Threads: a set is filled by one thread at a time; the raw lists of each table are
// guarded by that table's readers-writer lock (HLogLock() and friends). The parsed
// arrays and group sizes are written only by the filling thread and read by others
// only after the filling call for that table has returned.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <shared_mutex>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vexlorin {

class TTypedValueReader;
class TTypedValueWriter;

// ---------------------------------------------------------------------------------------
// Strings and string lists

using TStringList = std::vector<std::string>;

// One text from lines: CR LF after every line (the last one included); empty list -> "".
std::string JoinLines(const TStringList& ALines);
// Lines from one text: split at CR LF, a lone CR and a lone LF; a final line break gives
// no extra empty line.
TStringList SplitLines(std::string_view AText);

// ---------------------------------------------------------------------------------------
// Errors

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Errors of the statistics model.
class EDrayDataError : public Exception {
public:
    using Exception::Exception;
};

// "'%s' is not a valid integer value"
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// "Stream read error"
class EReadError : public Exception {
public:
    EReadError() : Exception("Stream read error") {}
};

// "Invalid property value"
class EInvalidProperty : public Exception {
public:
    EInvalidProperty() : Exception("Invalid property value") {}
};

// "Cannot open file "%s". %s"
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};

// "Cannot create file "%s". %s"
class EFCreateError : public Exception {
public:
    using Exception::Exception;
};

// ---------------------------------------------------------------------------------------
// Directions, profiles

enum TStatDirection : uint8_t { sdUp = 0, sdDown = 1 };

enum TVDSLProfile : uint8_t { vpNA, vp8a, vp8b, vp8c, vp8d, vp12a, vp12b, vp17a, vp30a, vp35b };

inline constexpr std::size_t VDSLProfileCount = 10;

inline constexpr std::array<const char*, VDSLProfileCount> VDSLProfileNames = {
    "N/A", "8A", "8B", "8C", "8D", "12A", "12B", "17A", "30A", "35B"};

inline constexpr std::array<uint16_t, VDSLProfileCount> VDSLProfileTones = {
    8192, 2048, 2048, 1972, 2048, 2783, 2783, 4096, 3479, 8192};

// A profile read from outside (a file, a widget) that is not one of the ten reads as vpNA.
constexpr TVDSLProfile SafeProfile(unsigned AOrdinal) {
    return AOrdinal < VDSLProfileCount ? static_cast<TVDSLProfile>(AOrdinal) : vpNA;
}

// ---------------------------------------------------------------------------------------
// Tables

// One slot of a per-group table: empty (table never built), null (no value from the
// router) or a signed 32-bit value.
class TStatSlot {
public:
    constexpr TStatSlot() = default;
    static constexpr TStatSlot Null() { return TStatSlot(Kind::Null, 0); }
    static constexpr TStatSlot Of(int32_t AValue) { return TStatSlot(Kind::Value, AValue); }

    constexpr bool IsEmpty() const { return FKind == Kind::Empty; }
    constexpr bool IsNull() const { return FKind == Kind::Null; }
    constexpr bool HasValue() const { return FKind == Kind::Value; }
    // The value; only meaningful when HasValue().
    constexpr int32_t Value() const { return FValue; }
    // The value as a number: 0 for empty and null.
    constexpr int32_t AsNumber() const { return HasValue() ? FValue : 0; }

    friend constexpr bool operator==(const TStatSlot&, const TStatSlot&) = default;

private:
    enum class Kind : uint8_t { Empty, Null, Value };
    constexpr TStatSlot(Kind AKind, int32_t AValue) : FKind(AKind), FValue(AValue) {}
    Kind FKind = Kind::Empty;
    int32_t FValue = 0;
};

inline constexpr std::size_t StatArraySize = 512;
inline constexpr std::size_t BinArraySize = 8192;

using TDrayStatArray = std::array<TStatSlot, StatArraySize>;

struct TDrayBinEntry {
    uint16_t Bin = 0;
    int16_t SNR = 0;
    int16_t Gain = 0; // tenths of a dB
    int8_t ToneBits = 0;
    friend constexpr bool operator==(const TDrayBinEntry&, const TDrayBinEntry&) = default;
};

using TDrayBinArray = std::array<TDrayBinEntry, BinArraySize>;

// Group size (tones per group) per direction, indexed by TStatDirection.
using TStatMultipliers = std::array<uint8_t, 2>;

// ---------------------------------------------------------------------------------------
// Statistics file

inline constexpr std::array<const char*, 2> StatFileSignatures = {"ZORVANTIKDATA",
                                                                  "ZORVANTIKDATA2"};
inline constexpr TStatMultipliers DefaultMultipliers = {8, 8};

// ---------------------------------------------------------------------------------------
// The statistics set

class TDrayData {
public:
    TDrayData();
    explicit TDrayData(std::string AName);
    ~TDrayData();
    TDrayData(const TDrayData&) = delete;
    TDrayData& operator=(const TDrayData&) = delete;

    uint32_t DataVersion() const { return FDataVersion; }

    const std::string& Name() const { return FName; }
    void SetName(std::string AName) { FName = std::move(AName); }

    TVDSLProfile VDSLProfile() const { return FProfile; }
    void SetVDSLProfile(TVDSLProfile AProfile) { FProfile = AProfile; }

    const TStringList& Stats() const { return FStats; }
    // Identifies the profile from the new lines first; on failure the old text stays.
    void SetStats(const TStringList& AValue);

    const TDrayStatArray& HLogStatsUS() const { return FHLogStatsUS; }
    const TDrayStatArray& HLogStatsDS() const { return FHLogStatsDS; }
    const TDrayStatArray& QLNStatsUS() const { return FQLNStatsUS; }
    const TDrayStatArray& QLNStatsDS() const { return FQLNStatsDS; }
    const TDrayStatArray& SNRStatsUS() const { return FSNRStatsUS; }
    const TDrayStatArray& SNRStatsDS() const { return FSNRStatsDS; }
    void SetHLogStatsUS(const TDrayStatArray& AValue) { FHLogStatsUS = AValue; }
    void SetHLogStatsDS(const TDrayStatArray& AValue) { FHLogStatsDS = AValue; }
    void SetQLNStatsUS(const TDrayStatArray& AValue) { FQLNStatsUS = AValue; }
    void SetQLNStatsDS(const TDrayStatArray& AValue) { FQLNStatsDS = AValue; }
    void SetSNRStatsUS(const TDrayStatArray& AValue) { FSNRStatsUS = AValue; }
    void SetSNRStatsDS(const TDrayStatArray& AValue) { FSNRStatsDS = AValue; }

    const TDrayBinArray& ShowBinStatsUS() const { return FShowBinStatsUS; }
    const TDrayBinArray& ShowBinStatsDS() const { return FShowBinStatsDS; }
    void SetShowBinStatsUS(const TDrayBinArray& AValue) { FShowBinStatsUS = AValue; }
    void SetShowBinStatsDS(const TDrayBinArray& AValue) { FShowBinStatsDS = AValue; }

    const TStatMultipliers& HLogMultipliers() const { return FHLogMultipliers; }
    const TStatMultipliers& QLNMultipliers() const { return FQLNMultipliers; }
    const TStatMultipliers& SNRMultipliers() const { return FSNRMultipliers; }

    // Raw lists. Read them under the table's lock (shared) while another thread may
    // write them. Each write replaces the list under the lock held exclusively, then
    // rebuilds that table's array for that one direction. The list is taken by value:
    // pass an rvalue to hand it over without copying its lines.
    const TStringList& HLogUSRaw() const { return FHLogUSRaw; }
    const TStringList& HLogDSRaw() const { return FHLogDSRaw; }
    const TStringList& QLNUSRaw() const { return FQLNUSRaw; }
    const TStringList& QLNDSRaw() const { return FQLNDSRaw; }
    const TStringList& SNRUSRaw() const { return FSNRUSRaw; }
    const TStringList& SNRDSRaw() const { return FSNRDSRaw; }
    const TStringList& BinStatsUSRaw() const { return FBinStatsUSRaw; }
    const TStringList& BinStatsDSRaw() const { return FBinStatsDSRaw; }
    void SetHLogUSRaw(TStringList AValue);
    void SetHLogDSRaw(TStringList AValue);
    void SetQLNUSRaw(TStringList AValue);
    void SetQLNDSRaw(TStringList AValue);
    void SetSNRUSRaw(TStringList AValue);
    void SetSNRDSRaw(TStringList AValue);
    void SetBinStatsUSRaw(TStringList AValue);
    void SetBinStatsDSRaw(TStringList AValue);

    std::shared_mutex& HLogLock() const { return FHLogLock; }
    std::shared_mutex& QLNLock() const { return FQLNLock; }
    std::shared_mutex& SNRLock() const { return FSNRLock; }
    std::shared_mutex& BinStatLock() const { return FBinStatsLock; }

    // Appends the header strings, then the lines of AData when given, to the text.
    void AddStatData(const TStringList& AHeader, const TStringList* AData);
    // Empties the text and every raw list; arrays, sizes, profile, name stay.
    void Clear();

    // One router answer each (echoed command first, prompt last).
    void SetHLogData(const TStringList& AData);
    void SetQLNData(const TStringList& AData);
    void SetSNRData(const TStringList& AData);

    // Sets the profile from the "Running Mode" line of a status text; EDrayDataError
    // when there is none.
    void IdentifyVDSLProfile(const TStringList& Value);

    // Statistics file. Saving writes version 2 through a temporary file in the target's
    // folder, renamed over the target only when complete. Loading is meant for a new set.
    void SaveToFile(const std::string& AFilename) const;
    void LoadFromFile(const std::string& AFilename);
    // The same on a byte buffer (fuzzing, tests).
    std::vector<uint8_t> SaveToBytes() const;
    void LoadFromBytes(std::span<const uint8_t> ABytes);
    // What the per-tone views of many stored sets need of one: its profile and the bins
    // tables of both directions, as LoadFromBytes would give them (VDSLProfile(),
    // ShowBinStatsDS(), ShowBinStatsUS()), without building the rest of a set. The same
    // errors as LoadFromBytes.
    struct TBinTables {
        TVDSLProfile Profile = vpNA;
        TDrayBinArray DS{}, US{};
    };
    static TBinTables ReadBinTables(std::span<const uint8_t> ABytes);

    // Import of text captures; an empty name does nothing. A bins capture without
    // "UPSTREAM :" fills the downstream table alone; one without either title is refused
    // with EDrayDataError.
    void LoadHLogFromFile(const std::string& AFilename);
    void LoadQLNFromFile(const std::string& AFilename);
    void LoadSNRFromFile(const std::string& AFilename);
    void LoadBinsFromFile(const std::string& AFilename);
    // A capture of status answers (a telnet log or a copy of them) becomes the statistics
    // text, kept as it is. True when it names the profile ("Running Mode"), which is then
    // the set's; false leaves the profile as it was.
    bool LoadStatusFromFile(const std::string& AFilename);

private:
    enum class TGroupTable : uint8_t { HLog, QLN, SNR };
    struct TGroupMembers; // the members one per-group table uses
    TGroupMembers Members(TGroupTable ATable);

    void SetGroupData(TGroupTable ATable, const TStringList& AData);
    void SetGroupRaw(TGroupTable ATable, TStatDirection ADirection, TStringList AValue);
    void RebuildGroupTable(TGroupTable ATable, TStatDirection ADirection);
    static void ReadGroupSizes(std::string_view AText, TStatMultipliers& ASizes);
    static void ParseGroupLine(std::string_view ALine, TDrayStatArray& ATarget, bool IsQLN);

    void RebuildHLog(TStatDirection ADirection) {
        RebuildGroupTable(TGroupTable::HLog, ADirection);
    }
    void RebuildQLN(TStatDirection ADirection) { RebuildGroupTable(TGroupTable::QLN, ADirection); }
    void RebuildSNR(TStatDirection ADirection) { RebuildGroupTable(TGroupTable::SNR, ADirection); }
    void RebuildBins(TStatDirection ADirection);
    static void ParseBinLine(std::string_view ALine, TDrayBinArray& ATarget);

    // Reads the items of a statistics file into this set (shared by file and bytes).
    void LoadFromReader(TTypedValueReader& AReader);
    void WriteTo(TTypedValueWriter& AWriter) const;

    uint32_t FDataVersion = 0;
    std::string FName;
    TVDSLProfile FProfile = vpNA;
    TStringList FStats;
    TDrayBinArray FShowBinStatsUS{};
    TDrayBinArray FShowBinStatsDS{};
    TStringList FBinStatsUSRaw;
    TStringList FBinStatsDSRaw;
    mutable std::shared_mutex FBinStatsLock;
    TDrayStatArray FHLogStatsUS{};
    TDrayStatArray FHLogStatsDS{};
    TStringList FHLogDSRaw;
    TStringList FHLogUSRaw;
    TStatMultipliers FHLogMultipliers{};
    mutable std::shared_mutex FHLogLock;
    TDrayStatArray FQLNStatsDS{};
    TDrayStatArray FQLNStatsUS{};
    TStringList FQLNDSRaw;
    TStringList FQLNUSRaw;
    TStatMultipliers FQLNMultipliers{};
    mutable std::shared_mutex FQLNLock;
    TDrayStatArray FSNRStatsUS{};
    TDrayStatArray FSNRStatsDS{};
    TStringList FSNRDSRaw;
    TStringList FSNRUSRaw;
    TStatMultipliers FSNRMultipliers{};
    mutable std::shared_mutex FSNRLock;
};

} // namespace vexlorin
