#include "model/FileIO.h"

#include "model/uDrayData.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace vexlorin {

namespace fs = std::filesystem;

namespace {

std::string Reason(int AErrno) {
    return std::generic_category().message(AErrno);
}

[[noreturn]] void RaiseOpenError(const std::string& AFilename, const std::string& AReason) {
    throw EFOpenError("Cannot open file \"" + AFilename + "\". " + AReason);
}

[[noreturn]] void RaiseCreateError(const std::string& AFilename, const std::string& AReason) {
    throw EFCreateError("Cannot create file \"" + AFilename + "\". " + AReason);
}

struct TFileCloser {
    void operator()(std::FILE* AFile) const { std::fclose(AFile); }
};
using TFileHandle = std::unique_ptr<std::FILE, TFileCloser>;

std::string TempSuffix() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char Hex[] = "0123456789abcdef";
    uint64_t bits = generator();
    std::string suffix = ".tmp-";
    for (int i = 0; i < 12; ++i, bits >>= 4)
        suffix += Hex[bits & 0xF];
    return suffix;
}

// Opens a fresh file next to ATarget; "x" makes the open fail rather than reuse a file
// that happens to carry the same name.
TFileHandle CreateTempBeside(const fs::path& ATarget, fs::path& ATempPath, int& AErrno) {
    fs::path folder = ATarget.parent_path();
    // Most file systems cap a name at 255 bytes; a target name near the cap must not make
    // the temporary name fail.
    const std::string base = "." + ATarget.filename().string().substr(0, 200);
    for (int attempt = 0; attempt < 16; ++attempt) {
        ATempPath = folder / (base + TempSuffix());
        errno = 0;
        if (std::FILE* f = std::fopen(ATempPath.string().c_str(), "wbx"))
            return TFileHandle(f);
        AErrno = errno;
        if (AErrno != EEXIST)
            break;
    }
    return nullptr;
}

bool FlushToDisk(std::FILE* AFile) {
    if (std::fflush(AFile) != 0)
        return false;
#if defined(__linux__)
    if (::fdatasync(::fileno(AFile)) != 0)
        return false;
#elif defined(__unix__) || defined(__APPLE__)
    if (::fsync(::fileno(AFile)) != 0)
        return false;
#endif
    return true;
}

std::string SizeText(std::size_t ABytes) {
    constexpr std::size_t MiB = 1024 * 1024;
    if (ABytes % MiB == 0)
        return std::to_string(ABytes / MiB) + " MiB";
    return std::to_string(ABytes) + " bytes";
}

[[noreturn]] void RaiseTooLarge(const std::string& AFilename, std::size_t AMaxSize) {
    RaiseOpenError(AFilename, "The file is larger than " + SizeText(AMaxSize));
}

} // namespace

std::vector<uint8_t> ReadFileBytes(const std::string& AFilename, std::size_t AMaxSize) {
    errno = 0;
    TFileHandle file(std::fopen(AFilename.c_str(), "rb"));
    if (!file)
        RaiseOpenError(AFilename, Reason(errno ? errno : ENOENT));
    // A regular file too large is refused before reading; the bounded loop below still
    // guards devices and pipes, whose size is not known in advance.
    std::error_code ec;
    const auto size = fs::file_size(AFilename, ec);
    if (!ec && size > AMaxSize)
        RaiseTooLarge(AFilename, AMaxSize);
    std::vector<uint8_t> bytes;
    constexpr std::size_t Chunk = 64 * 1024;
    for (;;) {
        const std::size_t old = bytes.size();
        // Read one byte past the bound so an oversized file is told from one that fits.
        const std::size_t want = std::min(Chunk, AMaxSize + 1 - old);
        bytes.resize(old + want);
        const std::size_t got = std::fread(bytes.data() + old, 1, want, file.get());
        bytes.resize(old + got);
        if (bytes.size() > AMaxSize)
            RaiseTooLarge(AFilename, AMaxSize);
        if (got < want) {
            if (std::ferror(file.get()))
                RaiseOpenError(AFilename, Reason(errno ? errno : EIO));
            break;
        }
    }
    return bytes;
}

void SaveFileSafely(const std::string& AFilename, std::span<const uint8_t> ABytes) {
    if (AFilename.empty())
        RaiseCreateError(AFilename, Reason(ENOENT));
    fs::path target(AFilename);
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    const fs::file_status old = fs::status(target, ec);
    if (fs::is_directory(old))
        RaiseCreateError(AFilename, Reason(EISDIR));
#if defined(__unix__) || defined(__APPLE__)
    // Renaming needs only the folder's permission; a file the user may not write must
    // still refuse to be replaced, as it would when written in place.
    if (fs::exists(old) && ::access(target.c_str(), W_OK) != 0)
        RaiseCreateError(AFilename, Reason(errno));
#endif
    if (target.parent_path().empty())
        target = fs::path(".") / target;

    fs::path tempPath;
    int openErrno = 0;
    TFileHandle file = CreateTempBeside(target, tempPath, openErrno);
    if (!file)
        RaiseCreateError(AFilename, Reason(openErrno ? openErrno : EACCES));

    auto fail = [&](const std::string& AReason) {
        file.reset();
        std::error_code ignored;
        fs::remove(tempPath, ignored);
        RaiseCreateError(AFilename, AReason);
    };

    errno = 0;
    if (!ABytes.empty() &&
        std::fwrite(ABytes.data(), 1, ABytes.size(), file.get()) != ABytes.size())
        fail(Reason(errno ? errno : EIO));
    errno = 0;
    if (!FlushToDisk(file.get()))
        fail(Reason(errno ? errno : EIO));
    errno = 0;
    if (std::fclose(file.release()) != 0)
        fail(Reason(errno ? errno : EIO));

    // Keep the access rights the user gave the file being replaced.
    if (fs::exists(old))
        fs::permissions(tempPath, old.permissions(), ec);

    fs::rename(tempPath, target, ec);
    if (ec)
        fail(ec.message());
}

} // namespace vexlorin
