#define PCRE2_CODE_UNIT_WIDTH 8
#include "model/Regex.h"

#include <pcre2.h>
#include <stdexcept>
#include <string>

namespace vexlorin {

struct TRegex::TImpl {
    pcre2_code* Code = nullptr;
    bool Jit = false;
};

namespace {

// One match-data block per thread, big enough for every pattern: matching allocates
// nothing, and threads never share it.
pcre2_match_data* ThreadMatchData() {
    struct TOwner {
        pcre2_match_data* Data = pcre2_match_data_create(TRegexMatch::MaxGroups + 1, nullptr);
        ~TOwner() { pcre2_match_data_free(Data); }
    };
    thread_local TOwner owner;
    if (!owner.Data)
        throw std::bad_alloc();
    return owner.Data;
}

} // namespace

TRegex::TRegex(std::string_view APattern) : FImpl(std::make_unique<TImpl>()) {
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    FImpl->Code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(APattern.data()), APattern.size(), 0,
                                &errorCode, &errorOffset, nullptr);
    if (!FImpl->Code) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(errorCode, message, sizeof message);
        throw std::logic_error("bad pattern '" + std::string(APattern) +
                               "': " + reinterpret_cast<const char*>(message));
    }
    uint32_t captures = 0;
    pcre2_pattern_info(FImpl->Code, PCRE2_INFO_CAPTURECOUNT, &captures);
    if (captures > TRegexMatch::MaxGroups) {
        pcre2_code_free(FImpl->Code);
        throw std::logic_error("pattern has too many groups: " + std::string(APattern));
    }
    // Without JIT (not built for this machine, or out of executable memory) the
    // interpreter matches.
    FImpl->Jit = pcre2_jit_compile(FImpl->Code, PCRE2_JIT_COMPLETE) == 0;
}

TRegex::~TRegex() {
    pcre2_code_free(FImpl->Code);
}

std::optional<TRegexMatch> TRegex::Find(std::string_view ASubject, std::size_t AFrom) const {
    std::optional<TRegexMatch> result;
    if (AFrom > ASubject.size())
        return result;
    pcre2_match_data* data = ThreadMatchData();
    const auto subject = reinterpret_cast<PCRE2_SPTR>(ASubject.data());
    // The JIT entry skips the interpreter's argument checks, which hold here.
    const int rc =
        FImpl->Jit ? pcre2_jit_match(FImpl->Code, subject, ASubject.size(), AFrom, 0, data, nullptr)
                   : pcre2_match(FImpl->Code, subject, ASubject.size(), AFrom, 0, data, nullptr);
    if (rc <= 0)
        return result; // no match, or a resource limit: treated as no match
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
    // Built in place: the group offsets are never copied.
    TRegexMatch& match = result.emplace();
    match.FSubject = ASubject;
    // rc is one more than the highest group that took part; groups above it are never read.
    match.FHighest = static_cast<std::size_t>(rc) - 1;
    for (std::size_t k = 0; k < static_cast<std::size_t>(rc); ++k) {
        const bool set = ovector[2 * k] != PCRE2_UNSET;
        match.FOffsets[2 * k] = set ? static_cast<std::ptrdiff_t>(ovector[2 * k]) : -1;
        match.FOffsets[2 * k + 1] = set ? static_cast<std::ptrdiff_t>(ovector[2 * k + 1]) : -1;
    }
    match.FStart = ovector[0];
    match.FEnd = ovector[1];
    return result;
}

std::optional<std::string_view> TRegexMatch::Group(std::size_t k) const {
    if (k > FHighest || FOffsets[2 * k] < 0)
        return std::nullopt;
    return FSubject.substr(static_cast<std::size_t>(FOffsets[2 * k]),
                           static_cast<std::size_t>(FOffsets[2 * k + 1] - FOffsets[2 * k]));
}

} // namespace vexlorin
