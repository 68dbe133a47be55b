// Whole-file reads with a size bound, and saves that never destroy the file they replace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vexlorin {

// Nothing the program reads from disk comes near this; the bound keeps a wrongly chosen
// file (a disk image, /dev/zero) from filling memory.
inline constexpr std::size_t MaxInputFileSize = std::size_t{64} * 1024 * 1024;

// The whole file. EFOpenError "Cannot open file "%s". %s" when it cannot be opened or
// read (the system's reason second) or when it holds more than AMaxSize bytes.
std::vector<uint8_t> ReadFileBytes(const std::string& AFilename,
                                   std::size_t AMaxSize = MaxInputFileSize);

// Writes ABytes to a new temporary file in the target's folder, flushes it to disk and
// renames it over the target only then. On any failure the temporary file is removed,
// an existing target stays exactly as it was, and EFCreateError "Cannot create file
// "%s". %s" is raised with the target's name and the system's reason. A symbolic link
// as target is followed, so the link stays and the file it names is replaced.
void SaveFileSafely(const std::string& AFilename, std::span<const uint8_t> ABytes);

} // namespace vexlorin
