#define PCRE2_CODE_UNIT_WIDTH 8
#include "model/Regex.h"

#include <pcre2.h>
#include <stdexcept>
#include <string>

namespace vexlorin {

struct TRegex::TImpl {
    pcre2_code* Code = nullptr;
    uint32_t CaptureCount = 0;
};

TRegex::TRegex(std::string_view APattern) : FImpl(std::make_unique<TImpl>()) {
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    FImpl->Code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(APattern.data()), APattern.size(),
                                0, &errorCode, &errorOffset, nullptr);
    if (!FImpl->Code) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(errorCode, message, sizeof message);
        throw std::logic_error("bad pattern '" + std::string(APattern) +
                               "': " + reinterpret_cast<const char*>(message));
    }
    pcre2_jit_compile(FImpl->Code, PCRE2_JIT_COMPLETE); // falls back to the interpreter
    pcre2_pattern_info(FImpl->Code, PCRE2_INFO_CAPTURECOUNT, &FImpl->CaptureCount);
}

TRegex::~TRegex() {
    pcre2_code_free(FImpl->Code);
}

std::optional<TRegexMatch> TRegex::Find(std::string_view ASubject, std::size_t AFrom) const {
    if (AFrom > ASubject.size())
        return std::nullopt;
    std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> data(
        pcre2_match_data_create_from_pattern(FImpl->Code, nullptr), &pcre2_match_data_free);
    if (!data)
        throw std::bad_alloc();
    const int rc = pcre2_match(FImpl->Code, reinterpret_cast<PCRE2_SPTR>(ASubject.data()),
                               ASubject.size(), AFrom, 0, data.get(), nullptr);
    if (rc < 0)
        return std::nullopt; // no match, or a resource limit: treated as no match
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
    TRegexMatch match;
    match.FSubject = ASubject;
    match.FOffsets.resize(2 * (FImpl->CaptureCount + 1), -1);
    // rc is one more than the highest group that took part.
    match.FHighest = static_cast<std::size_t>(rc) - 1;
    for (std::size_t k = 0; k < static_cast<std::size_t>(rc); ++k) {
        if (ovector[2 * k] == PCRE2_UNSET)
            continue;
        match.FOffsets[2 * k] = static_cast<std::ptrdiff_t>(ovector[2 * k]);
        match.FOffsets[2 * k + 1] = static_cast<std::ptrdiff_t>(ovector[2 * k + 1]);
    }
    match.FStart = ovector[0];
    match.FEnd = ovector[1];
    return match;
}

std::optional<std::string_view> TRegexMatch::Group(std::size_t k) const {
    if (2 * k + 1 >= FOffsets.size() || FOffsets[2 * k] < 0)
        return std::nullopt;
    return FSubject.substr(static_cast<std::size_t>(FOffsets[2 * k]),
                           static_cast<std::size_t>(FOffsets[2 * k + 1] - FOffsets[2 * k]));
}

} // namespace vexlorin
