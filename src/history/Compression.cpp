#include "history/Compression.h"

#include "history/HistoryStore.h"

#include <zstd.h>

#include <string>

namespace vexlorin::history {

namespace {

// Level 6 keeps a set with bins near a fifth of its size and well under a millisecond
// to compress.
constexpr int CompressionLevel = 6;
// A stored set is a few hundred kilobytes; anything far larger is damage, not data.
constexpr uint64_t MaxStoredBytes = uint64_t{64} * 1024 * 1024;

[[noreturn]] void Damaged(const std::string& AWhy) {
    throw EHistoryError("A stored set of the history database is damaged (" + AWhy +
                        "); the other samples can still be read. Choose another time.");
}

} // namespace

std::vector<uint8_t> Compress(std::span<const uint8_t> AData) {
    std::vector<uint8_t> out(ZSTD_compressBound(AData.size()));
    const std::size_t size =
        ZSTD_compress(out.data(), out.size(), AData.data(), AData.size(), CompressionLevel);
    if (ZSTD_isError(size))
        throw EHistoryError(std::string("Compressing a set failed: ") + ZSTD_getErrorName(size));
    out.resize(size);
    return out;
}

std::vector<uint8_t> Decompress(std::span<const uint8_t> ACompressed, uint64_t AExpectedSize) {
    if (AExpectedSize > MaxStoredBytes)
        Damaged("its size is out of range");
    const unsigned long long frameSize =
        ZSTD_getFrameContentSize(ACompressed.data(), ACompressed.size());
    if (frameSize == ZSTD_CONTENTSIZE_ERROR || frameSize == ZSTD_CONTENTSIZE_UNKNOWN ||
        frameSize != AExpectedSize)
        Damaged("not a compressed frame of its recorded size");
    std::vector<uint8_t> out(static_cast<std::size_t>(AExpectedSize));
    const std::size_t size =
        ZSTD_decompress(out.data(), out.size(), ACompressed.data(), ACompressed.size());
    if (ZSTD_isError(size) || size != AExpectedSize)
        Damaged(ZSTD_isError(size) ? ZSTD_getErrorName(size) : "short frame");
    return out;
}

} // namespace vexlorin::history
