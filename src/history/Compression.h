// zstd compression of the stored sets and status texts.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vexlorin::history {

// ABase (may be empty) is an earlier stored set of the line: what AData has in common with
// it costs next to nothing. The same ABase must be given to Decompress.
std::vector<uint8_t> Compress(std::span<const uint8_t> AData, std::span<const uint8_t> ABase = {});
// The bytes back; EHistoryError when ACompressed is not one zstd frame of AExpectedSize bytes.
std::vector<uint8_t> Decompress(std::span<const uint8_t> ACompressed, uint64_t AExpectedSize,
                                std::span<const uint8_t> ABase = {});

} // namespace vexlorin::history
