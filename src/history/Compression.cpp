#include "history/Compression.h"

#include "history/HistoryStore.h"

#include <zstd.h>

#include <memory>
#include <string>

namespace vexlorin::history {

namespace {

// Level 6 keeps a set with bins near a fifth of its size and well under a millisecond
// to compress.
constexpr int CompressionLevel = 6;
// A stored set is a few hundred kilobytes; anything far larger is damage, not data.
constexpr uint64_t MaxStoredBytes = uint64_t{64} * 1024 * 1024;
// The window spans a base set and the set compressed against it (2 MiB); frames that ask
// for more are refused when read.
constexpr int WindowLog = 21;

// One context of each kind per thread, reused: a context at this level is a few megabytes,
// and making one for every sample left the recorder's heap growing in fragments. Each use
// starts from a reset, so nothing of one set's parameters or prefix reaches the next.
ZSTD_CCtx* CompressionContext() {
    thread_local std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)> context(ZSTD_createCCtx(),
                                                                              ZSTD_freeCCtx);
    if (context)
        ZSTD_CCtx_reset(context.get(), ZSTD_reset_session_and_parameters);
    return context.get();
}

ZSTD_DCtx* DecompressionContext() {
    thread_local std::unique_ptr<ZSTD_DCtx, decltype(&ZSTD_freeDCtx)> context(ZSTD_createDCtx(),
                                                                              ZSTD_freeDCtx);
    if (context)
        ZSTD_DCtx_reset(context.get(), ZSTD_reset_session_and_parameters);
    return context.get();
}

[[noreturn]] void Damaged(const std::string& AWhy) {
    throw EHistoryError("A stored set of the history database is damaged (" + AWhy +
                        "); the other samples can still be read. Choose another time.");
}

} // namespace

std::vector<uint8_t> Compress(std::span<const uint8_t> AData, std::span<const uint8_t> ABase) {
    ZSTD_CCtx* context = CompressionContext();
    if (!context)
        throw EHistoryError("Compressing a set failed: out of memory");
    ZSTD_CCtx_setParameter(context, ZSTD_c_compressionLevel, CompressionLevel);
    ZSTD_CCtx_setParameter(context, ZSTD_c_windowLog, WindowLog);
    if (!ABase.empty())
        ZSTD_CCtx_refPrefix(context, ABase.data(), ABase.size());
    std::vector<uint8_t> out(ZSTD_compressBound(AData.size()));
    const std::size_t size =
        ZSTD_compress2(context, out.data(), out.size(), AData.data(), AData.size());
    if (ZSTD_isError(size))
        throw EHistoryError(std::string("Compressing a set failed: ") + ZSTD_getErrorName(size));
    out.resize(size);
    return out;
}

std::vector<uint8_t> Decompress(std::span<const uint8_t> ACompressed, uint64_t AExpectedSize,
                                std::span<const uint8_t> ABase) {
    if (AExpectedSize > MaxStoredBytes)
        Damaged("its size is out of range");
    const unsigned long long frameSize =
        ZSTD_getFrameContentSize(ACompressed.data(), ACompressed.size());
    if (frameSize == ZSTD_CONTENTSIZE_ERROR || frameSize == ZSTD_CONTENTSIZE_UNKNOWN ||
        frameSize != AExpectedSize)
        Damaged("not a compressed frame of its recorded size");
    ZSTD_DCtx* context = DecompressionContext();
    if (!context)
        Damaged("out of memory");
    ZSTD_DCtx_setParameter(context, ZSTD_d_windowLogMax, WindowLog);
    if (!ABase.empty())
        ZSTD_DCtx_refPrefix(context, ABase.data(), ABase.size());
    std::vector<uint8_t> out(static_cast<std::size_t>(AExpectedSize));
    const std::size_t size = ZSTD_decompressDCtx(context, out.data(), out.size(),
                                                 ACompressed.data(), ACompressed.size());
    if (ZSTD_isError(size) || size != AExpectedSize)
        Damaged(ZSTD_isError(size) ? ZSTD_getErrorName(size) : "short frame");
    return out;
}

} // namespace vexlorin::history
