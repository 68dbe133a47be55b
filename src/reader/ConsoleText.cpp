#include "reader/ConsoleText.h"

#include "model/TextCodec.h"

#include <algorithm>
#include <map>

namespace vexlorin {

namespace {

char LowerAscii(char C) {
    return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
}

bool EqualsNoCase(std::string_view A, std::string_view B) {
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
               return LowerAscii(X) == LowerAscii(Y);
           });
}

bool IsBlank(char C) {
    return C == ' ' || C == '\t';
}

std::string_view Trim(std::string_view AText) {
    while (!AText.empty() && IsBlank(AText.front()))
        AText.remove_prefix(1);
    while (!AText.empty() && IsBlank(AText.back()))
        AText.remove_suffix(1);
    return AText;
}

// A line as the screen shows it, less the prompts the console printed in front of it.
std::string_view WithoutPrompts(std::string_view ALine, std::string_view APromptName) {
    ALine = Trim(ALine);
    while (!APromptName.empty() && ALine.size() >= APromptName.size() &&
           EqualsNoCase(ALine.substr(0, APromptName.size()), APromptName))
        ALine = Trim(ALine.substr(APromptName.size()));
    return ALine;
}

bool IsBlankText(std::string_view AText) {
    return std::all_of(AText.begin(), AText.end(),
                       [](char C) { return IsBlank(C) || C == '\r' || C == '\n'; });
}

std::optional<std::size_t> FindEmptyEcho(std::string_view ARegion, std::string_view APrompt) {
    std::size_t From = 0;
    if (!APrompt.empty() && ARegion.size() >= APrompt.size())
        for (std::size_t At = ARegion.size() - APrompt.size() + 1; At-- > 0;)
            if (EqualsNoCase(ARegion.substr(At, APrompt.size()), APrompt)) {
                From = At + APrompt.size();
                break;
            }
    if (!IsBlankText(ARegion.substr(From)))
        return std::nullopt;
    return ARegion.size();
}

// Parses "ESC [ digits K" at the start of AText: its length, 0 when it is none, nothing
// when AText ends inside it.
std::optional<std::size_t> EraseInLineLength(std::string_view AText) {
    if (AText.empty() || AText[0] != '\x1b')
        return 0;
    if (AText.size() < 2)
        return std::nullopt;
    if (AText[1] != '[')
        return 0;
    std::size_t I = 2;
    while (I < AText.size() && AText[I] >= '0' && AText[I] <= '9')
        ++I;
    if (I == AText.size())
        return std::nullopt;
    return AText[I] == 'K' ? I + 1 : 0;
}

} // namespace

bool EndsWithNoCase(std::string_view AText, std::string_view ASuffix) {
    return AText.size() >= ASuffix.size() &&
           EqualsNoCase(AText.substr(AText.size() - ASuffix.size()), ASuffix);
}

bool ContainsNoCase(std::string_view AText, std::string_view APart) {
    if (APart.empty())
        return true;
    for (auto At = AText.find(APart.front()); At != std::string_view::npos;
         At = AText.find(APart.front(), At + 1)) {
        if (AText.size() - At < APart.size())
            return false;
        if (EqualsNoCase(AText.substr(At, APart.size()), APart))
            return true;
    }
    return false;
}

std::optional<std::size_t> FindCommandEcho(std::string_view ABuffer, std::string_view ACommand,
                                           std::string_view APrompt) {
    if (ABuffer.size() < APrompt.size())
        return std::nullopt;
    while (!ACommand.empty() && (ACommand.back() == '\r' || ACommand.back() == '\n'))
        ACommand.remove_suffix(1);
    const std::string_view Command = Trim(ACommand);
    const std::string_view Region = ABuffer.substr(0, ABuffer.size() - APrompt.size());
    if (Command.empty())
        return FindEmptyEcho(Region, APrompt);

    const std::string_view PromptName = Trim(APrompt);
    // A line much longer than the command with its prompts cannot show the command.
    const std::size_t Longest = Command.size() + 4 * APrompt.size() + 64;
    std::string Line;
    bool TooLong = false;
    for (std::size_t I = 0; I < Region.size(); ++I) {
        const char C = Region[I];
        if (C == '\r' || C == '\n') {
            if (!TooLong && WithoutPrompts(Line, PromptName) == Command) {
                // Its line end: carriage returns before a line feed, or one bare CR (the
                // next one ends an empty line of the answer).
                std::size_t End = I;
                while (End < Region.size() && Region[End] == '\r')
                    ++End;
                if (End < Region.size() && Region[End] == '\n')
                    return End + 1;
                return C == '\r' ? I + 1 : End;
            }
            // A line feed ends the line; a carriage return starts it again, as on screen.
            Line.clear();
            TooLong = false;
            continue;
        }
        if (TooLong)
            continue;
        if (C == '\b' || C == '\x7f') {
            if (!Line.empty())
                Line.pop_back();
            continue;
        }
        Line += C;
        TooLong = Line.size() > Longest;
    }
    return std::nullopt;
}

bool EndsWithPager(std::string_view ABuffer) {
    if (ABuffer.size() < PagerLine.size() ||
        ABuffer.compare(ABuffer.size() - PagerLine.size(), PagerLine.size(), PagerLine) != 0)
        return false;
    const std::size_t At = ABuffer.size() - PagerLine.size();
    return At == 0 || ABuffer[At - 1] == '\n' || ABuffer[At - 1] == '\r';
}

std::optional<std::size_t> PagerEraseLength(std::string_view AText) {
    if (AText.empty())
        return std::nullopt;
    switch (AText[0]) {
    case '\r': {
        if (AText.size() < 2)
            return std::nullopt;
        if (AText[1] == '\n')
            return 0; // a line end of the next page
        if (AText[1] == '\x1b') {
            const auto Escape = EraseInLineLength(AText.substr(1));
            if (!Escape)
                return std::nullopt;
            return 1 + *Escape;
        }
        std::size_t I = 1;
        while (I < AText.size() && AText[I] == ' ')
            ++I;
        if (I == AText.size())
            return std::nullopt;
        // Without a second CR the console just writes the next page over the pager line.
        return AText[I] == '\r' ? I + 1 : 1;
    }
    case '\x1b':
        return EraseInLineLength(AText);
    case '\b': {
        std::size_t I = 0;
        while (I < AText.size() && AText[I] == '\b')
            ++I;
        const std::size_t Back = I;
        while (I < AText.size() && AText[I] == ' ')
            ++I;
        const std::size_t Blanks = I;
        while (I < AText.size() && AText[I] == '\b')
            ++I;
        if (I == AText.size())
            return std::nullopt;
        // Blanks count only when the console steps back over them again.
        return I > Blanks ? I : Back;
    }
    default:
        return 0;
    }
}

TIntakeStep TakeInAnswer(std::string& ABuffer, TAnswerIntake& AIntake, const std::string* APrompt) {
    if (AIntake.PagerErasing) {
        if (AIntake.PagerAt > ABuffer.size()) {
            AIntake.PagerErasing = false; // the buffer was emptied meanwhile
        } else if (const auto Erase =
                       PagerEraseLength(std::string_view(ABuffer).substr(AIntake.PagerAt))) {
            ABuffer.erase(AIntake.PagerAt, *Erase);
            AIntake.PagerErasing = false;
        }
    }
    if (!AIntake.PagerErasing && EndsWithPager(ABuffer)) {
        // The answer goes on as if the console had not paged it.
        AIntake.PagerAt = ABuffer.size() - PagerLine.size();
        ABuffer.resize(AIntake.PagerAt);
        AIntake.PagerErasing = true;
        return TIntakeStep::PagerKey;
    }
    if (!APrompt || !EndsWithNoCase(ABuffer, *APrompt))
        return TIntakeStep::More;
    if (!AIntake.TieToEcho)
        return TIntakeStep::Complete;
    const auto Body = FindCommandEcho(ABuffer, AIntake.Echo, *APrompt);
    if (!Body) {
        // Not this command's answer: the tail of an earlier one. It goes.
        ABuffer.clear();
        AIntake.PagerErasing = false;
        return TIntakeStep::More;
    }
    const std::string& Echo = AIntake.Echo;
    if (!Echo.empty() && (*Body != Echo.size() + 2 || ABuffer.compare(0, Echo.size(), Echo) != 0 ||
                          ABuffer.compare(Echo.size(), 2, "\r\n") != 0))
        ABuffer.replace(0, *Body, Echo + "\r\n");
    return TIntakeStep::Complete;
}

std::optional<std::string> Utf8ToCp1252(std::string_view AText) {
    // The code page's upper half, read back from the decoder so the two never disagree.
    static const std::map<std::string, char, std::less<>> UpperHalf = [] {
        std::map<std::string, char, std::less<>> Table;
        for (int Byte = 0x80; Byte < 0x100; ++Byte) {
            const char C = static_cast<char>(Byte);
            Table.emplace(Cp1252ToUtf8(std::string_view(&C, 1)), C);
        }
        return Table;
    }();
    std::string Bytes;
    Bytes.reserve(AText.size());
    for (std::size_t I = 0; I < AText.size();) {
        const auto Lead = static_cast<unsigned char>(AText[I]);
        if (Lead < 0x80) {
            Bytes += AText[I++];
            continue;
        }
        const std::size_t Length = Lead >= 0xF0 ? 4 : Lead >= 0xE0 ? 3 : Lead >= 0xC0 ? 2 : 1;
        const auto Found = UpperHalf.find(AText.substr(I, Length));
        if (Found == UpperHalf.end())
            return std::nullopt;
        Bytes += Found->second;
        I += Length;
    }
    return Bytes;
}

std::string PromptNameAtEnd(std::string_view ABuffer) {
    const auto LineEnd = ABuffer.find_last_of("\r\n");
    std::string_view Line =
        LineEnd == std::string_view::npos ? ABuffer : ABuffer.substr(LineEnd + 1);
    Line = Trim(Line);
    if (Line.empty() || Line.back() != '>')
        return {};
    const std::string_view Name = Trim(Line.substr(0, Line.size() - 1));
    if (Name.empty() || Name.size() > 64)
        return {};
    for (const char C : Name)
        if (static_cast<unsigned char>(C) <= 0x20 || C == '\x7f' || C == '>')
            return {};
    return std::string(Name);
}

} // namespace vexlorin
