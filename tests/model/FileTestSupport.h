// Helpers for the tests that write and read real files.
#pragma once

#include "model/uDrayData.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace vexlorin::test {

using TBytes = std::vector<uint8_t>;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TTempDir {
public:
    TTempDir() {
        std::random_device random;
        FPath = std::filesystem::temp_directory_path() /
                ("vexlorin-files-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(FPath);
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(FPath, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::string File(std::string_view AName) const { return (FPath / AName).string(); }

    // Names of everything in the folder, to show that no temporary file was left behind.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(FPath))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path FPath;
};

inline TBytes Bytes(std::initializer_list<int> AValues) {
    TBytes out;
    for (int v : AValues)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

inline TBytes Bytes(std::string_view AText) {
    return TBytes(AText.begin(), AText.end());
}

inline TBytes Concat(std::initializer_list<TBytes> AParts) {
    TBytes out;
    for (const auto& part : AParts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline void WriteFile(const std::string& APath, const TBytes& ABytes) {
    std::ofstream(APath, std::ios::binary)
        .write(reinterpret_cast<const char*>(ABytes.data()),
               static_cast<std::streamsize>(ABytes.size()));
}

inline void WriteFile(const std::string& APath, std::string_view AText) {
    WriteFile(APath, Bytes(AText));
}

// A per-group table's answer as the router prints it, with the given group-size statement.
inline TStringList GroupAnswer(const char* AUnit, const char* AGroupSizes, const TStringList& AUp,
                               const TStringList& ADown) {
    TStringList lines = {"vdsl status", std::string("GroupSize : ") + AGroupSizes,
                         std::string(" US: (") + AUnit + ")"};
    lines.insert(lines.end(), AUp.begin(), AUp.end());
    lines.push_back("");
    lines.push_back(std::string(" DS: (") + AUnit + ")");
    lines.insert(lines.end(), ADown.begin(), ADown.end());
    lines.push_back("DrayTek>");
    return lines;
}

inline TBytes ReadFile(const std::string& APath) {
    std::ifstream in(APath, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace vexlorin::test
