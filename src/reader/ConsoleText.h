// What the reader makes of the console's text while it comes in: whether an answer can be
// tied to the command that was sent (the console echoes every command line before its
// answer), the console's pager, and the prompt a logon met. Plain functions on text, so
// the receive path can be tested and fuzzed without a connection.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vexlorin {

// Printed by some firmware when an answer fills a page; the console then waits for a key.
inline constexpr std::string_view PagerLine =
    "--- MORE ---   ['q': Quit, 'Enter': New Lines, 'Space Bar': Next Page] ---";
// The key that asks the pager for the next page.
inline constexpr std::string_view PagerNextPage = " ";

bool EndsWithNoCase(std::string_view AText, std::string_view ASuffix);
// APart must start with a character that has no case (a plain byte search finds the
// candidates, which keeps long answers cheap).
bool ContainsNoCase(std::string_view AText, std::string_view APart);

// Finds the console's echo of ACommand (the command line, its CR left out) in ABuffer,
// which must end with APrompt, and returns where the answer's body starts: right after
// the echo line and its line end. The echo is the first line whose visible text, once the
// console's line editing is applied (backspaces, a carriage return that starts the line
// again, a prompt printed again in front), is the command; whatever stands before it
// belongs to an earlier command. The empty command (an empty line sent for a fresh
// prompt) is echoed as blank lines: the text before the final prompt, from its start or
// from the last prompt inside it, must be blank.
// Nothing when the text cannot be tied to ACommand.
std::optional<std::size_t> FindCommandEcho(std::string_view ABuffer, std::string_view ACommand,
                                           std::string_view APrompt);

// True when ABuffer ends with the pager line and that line starts a line of its own.
bool EndsWithPager(std::string_view ABuffer);

// Length of what the console prints at the start of AText to erase the pager line once
// it got its key: CR blanks CR, an erase-in-line escape, or backspaces over blanks.
// 0 when AText starts with anything else (the next page follows at once); nothing while
// AText is too short to tell.
std::optional<std::size_t> PagerEraseLength(std::string_view AText);

// One command's answer while it comes in, between bursts.
struct TAnswerIntake {
    std::string Echo;          // the command line (no CR) whose echo must start the answer
    bool TieToEcho = true;     // false: any prompt ends it (a late answer, thrown away)
    bool PagerErasing = false; // the pager got its key; its erase may still come
    std::size_t PagerAt = 0;   // where the pager line stood in the buffer
};

enum class TIntakeStep { More, PagerKey, Complete };

// Takes in what was just appended to ABuffer. PagerKey: the buffer ended with the pager
// line, which is gone from it again; send PagerNextPage. Complete: the buffer ends with
// APrompt and starts with the echo line exactly as sent (line editing and anything before
// the echo removed). Text that ends with the prompt but cannot be tied to the command is
// thrown away (More). The pager's erase sequence is removed as it arrives. APrompt is
// null when the console cannot print the prompt (then nothing completes).
TIntakeStep TakeInAnswer(std::string& ABuffer, TAnswerIntake& AIntake, const std::string* APrompt);

// AText (UTF-8) as the console's Windows-1252 bytes; nothing when a character has no
// byte there (then the console can never print it).
std::optional<std::string> Utf8ToCp1252(std::string_view AText);

// The name in the console prompt that ends ABuffer ("Vigor" for "...\r\nVigor> "), or ""
// when its last line is no prompt. A name is 1 to 64 visible characters.
std::string PromptNameAtEnd(std::string_view ABuffer);

} // namespace vexlorin
