// zstd compression of the stored sets and status texts.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vexlorin::history {

std::vector<uint8_t> Compress(std::span<const uint8_t> AData);
// The bytes back; EHistoryError when ACompressed is not one zstd frame of AExpectedSize bytes.
std::vector<uint8_t> Decompress(std::span<const uint8_t> ACompressed, uint64_t AExpectedSize);

} // namespace vexlorin::history
