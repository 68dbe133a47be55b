#include "model/ConfigFile.h"

#include "model/FileIO.h"
#include "model/TypedValues.h"

#include <algorithm>

namespace vexlorin {

namespace {

// Every setting is short; a file far larger than this is no configuration file.
constexpr std::size_t MaxConfigFileSize = 1024 * 1024;

} // namespace

std::vector<uint8_t> ConfigToBytes(const TConfigSettings& ASettings) {
    TTypedValueWriter writer(4096);
    writer.WriteString(ConfigFileSignatures[1]);
    writer.WriteString(ASettings.RouterAddress);
    writer.WriteInteger(ASettings.Port);
    writer.WriteString(ASettings.User);
    writer.WriteBoolean(ASettings.IncludeBins);
    writer.WriteBoolean(ASettings.SNROnlyFirst512Bins);
    writer.WriteString(ASettings.RouterName);
    return writer.TakeBytes();
}

void SaveConfigFile(const std::string& AFilename, const TConfigSettings& ASettings) {
    SaveFileSafely(AFilename, ConfigToBytes(ASettings));
}

void ReadConfigBytes(std::span<const uint8_t> ABytes, IConfigFileVisitor& AVisitor) {
    TTypedValueReader reader(ABytes);
    const std::string signature = reader.ReadString();
    int version = 0;
    for (std::size_t i = 0; i < ConfigFileSignatures.size(); ++i)
        if (signature == ConfigFileSignatures[i])
            version = static_cast<int>(i + 1);
    if (version == 0)
        throw EConfigFileError();

    AVisitor.RouterAddressRead(reader.ReadString());
    // The port field only takes 1 to 65535; a hand-made file may hold anything.
    AVisitor.PortRead(std::clamp(reader.ReadInteger(), MinRouterPort, MaxRouterPort));
    AVisitor.UserRead(reader.ReadString());
    if (version == 1)
        reader.ReadInteger();
    AVisitor.IncludeBinsRead(reader.ReadBoolean());
    AVisitor.SNROnlyFirst512BinsRead(reader.ReadBoolean());
    AVisitor.RouterNameRead(reader.ReadString());
}

void LoadConfigFile(const std::string& AFilename, IConfigFileVisitor& AVisitor) {
    ReadConfigBytes(ReadFileBytes(AFilename, MaxConfigFileSize), AVisitor);
}

} // namespace vexlorin
