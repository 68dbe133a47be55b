// The configuration file (".conf"): the connection settings of the main window as typed
// values. Version 2 is written; versions 1 and 2 are read. The password is never stored.
#pragma once

#include "model/uDrayData.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vexlorin {

inline constexpr std::array<const char*, 2> ConfigFileSignatures = {"ZORVANTIK", "ZORVANTIK2"};

inline constexpr int32_t MinRouterPort = 1;
inline constexpr int32_t MaxRouterPort = 65535;

// The six settings, with the main window's built-in defaults.
struct TConfigSettings {
    std::string RouterAddress;
    int32_t Port = 23;
    std::string User;
    bool IncludeBins = false;
    bool SNROnlyFirst512Bins = true;
    std::string RouterName = "DrayTek";
    friend bool operator==(const TConfigSettings&, const TConfigSettings&) = default;
};

// A signature that is neither of ConfigFileSignatures: "Invalid configuration file".
// Shown by the window in a box with a single "Close" button; nothing has been handed over.
class EConfigFileError : public Exception {
public:
    EConfigFileError() : Exception("Invalid configuration file") {}
};

// Receives each setting as soon as it has been read, in file order, so that a failure
// later in the file leaves the settings already handed over in place.
class IConfigFileVisitor {
public:
    virtual ~IConfigFileVisitor() = default;
    virtual void RouterAddressRead(const std::string& AValue) = 0;
    // Already clamped into MinRouterPort..MaxRouterPort.
    virtual void PortRead(int32_t AValue) = 0;
    virtual void UserRead(const std::string& AValue) = 0;
    virtual void IncludeBinsRead(bool AValue) = 0;
    virtual void SNROnlyFirst512BinsRead(bool AValue) = 0;
    virtual void RouterNameRead(const std::string& AValue) = 0;
};

// Collects the settings into a TConfigSettings (for callers without fields of their own).
class TConfigSettingsCollector final : public IConfigFileVisitor {
public:
    explicit TConfigSettingsCollector(TConfigSettings& ATarget) : FTarget(ATarget) {}
    void RouterAddressRead(const std::string& AValue) override { FTarget.RouterAddress = AValue; }
    void PortRead(int32_t AValue) override { FTarget.Port = AValue; }
    void UserRead(const std::string& AValue) override { FTarget.User = AValue; }
    void IncludeBinsRead(bool AValue) override { FTarget.IncludeBins = AValue; }
    void SNROnlyFirst512BinsRead(bool AValue) override { FTarget.SNROnlyFirst512Bins = AValue; }
    void RouterNameRead(const std::string& AValue) override { FTarget.RouterName = AValue; }

private:
    TConfigSettings& FTarget;
};

// Version 2 bytes of the settings.
std::vector<uint8_t> ConfigToBytes(const TConfigSettings& ASettings);
// Writes the file through a temporary file (see SaveFileSafely): EFCreateError on failure,
// an existing file then stays as it was.
void SaveConfigFile(const std::string& AFilename, const TConfigSettings& ASettings);

// Reads the settings and hands each to AVisitor at once. Errors: EConfigFileError for a
// wrong signature, EInvalidProperty for a value of the wrong kind, EReadError when the
// data ends inside the layout. Bytes after the router name are ignored.
void ReadConfigBytes(std::span<const uint8_t> ABytes, IConfigFileVisitor& AVisitor);
// The same from a file; EFOpenError when it cannot be opened.
void LoadConfigFile(const std::string& AFilename, IConfigFileVisitor& AVisitor);

} // namespace vexlorin
