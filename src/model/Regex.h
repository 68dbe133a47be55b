// A compiled PCRE2 pattern (8-bit, no options, JIT where available). Compiled once;
// matching is safe from several threads at once (each match has its own match data).
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

namespace vexlorin {

class TRegexMatch {
public:
    // Patterns may have at most this many capture groups.
    static constexpr std::size_t MaxGroups = 15;

    // Capture group k (0 = whole match); empty when the group took no part.
    std::optional<std::string_view> Group(std::size_t k) const;
    // Number of the highest group that took part in the match.
    std::size_t HighestGroup() const { return FHighest; }
    std::size_t Start() const { return FStart; }
    std::size_t End() const { return FEnd; }

private:
    friend class TRegex;
    std::string_view FSubject;
    // Pairs up to FHighest; -1: no part. Those above FHighest are never read.
    std::array<std::ptrdiff_t, 2 * (MaxGroups + 1)> FOffsets;
    std::size_t FHighest = 0;
    std::size_t FStart = 0;
    std::size_t FEnd = 0;
};

class TRegex {
public:
    explicit TRegex(std::string_view APattern);
    ~TRegex();
    TRegex(const TRegex&) = delete;
    TRegex& operator=(const TRegex&) = delete;

    // First match at or after AFrom.
    std::optional<TRegexMatch> Find(std::string_view ASubject, std::size_t AFrom = 0) const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

} // namespace vexlorin
