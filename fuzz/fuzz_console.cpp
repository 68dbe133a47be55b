// Arbitrary console text in arbitrary bursts through the reader's answer intake (echo,
// pager, prompt) and the logon's prompt-name reading: nothing may crash, an answer is
// only ever complete when it ends with the prompt and starts with the echo as sent, and
// the buffer never holds more than what arrived plus that echo line.
#include "reader/ConsoleText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    using namespace vexlorin;
    if (ASize < 2)
        return 0;
    // The first byte chooses the burst lengths and the kind of wait, the second the length
    // of the command line at the start of the rest; the remainder is what the console sent.
    const unsigned pattern = AData[0];
    std::string_view rest(reinterpret_cast<const char*>(AData + 2), ASize - 2);
    const std::size_t echoLength = std::min<std::size_t>(AData[1] % 32, rest.size());
    TAnswerIntake intake;
    intake.Echo = std::string(rest.substr(0, echoLength));
    intake.TieToEcho = (pattern & 0x80) == 0;
    rest.remove_prefix(echoLength);
    static const std::string prompt = "DrayTek> ";

    std::string buffer;
    std::size_t arrived = 0;
    std::size_t burst = 0;
    std::string_view stream = rest;
    while (!stream.empty()) {
        const std::size_t length =
            std::min<std::size_t>(stream.size(), 1 + ((pattern >> (burst % 7)) * 13 + burst) % 61);
        buffer.append(stream.substr(0, length));
        arrived += length;
        stream.remove_prefix(length);
        ++burst;
        const TIntakeStep step = TakeInAnswer(buffer, intake, &prompt);
        if (buffer.size() > arrived + intake.Echo.size() + 2)
            std::abort();
        if (step == TIntakeStep::Complete) {
            if (!EndsWithNoCase(buffer, prompt))
                std::abort();
            if (intake.TieToEcho && !intake.Echo.empty() &&
                buffer.compare(0, intake.Echo.size() + 2, intake.Echo + "\r\n") != 0)
                std::abort();
            // The next answer starts afresh.
            buffer.clear();
            arrived = 0;
            intake.PagerErasing = false;
        }
    }

    if (const auto body = FindCommandEcho(rest, intake.Echo, prompt); body && *body > rest.size())
        std::abort();
    if (const auto erase = PagerEraseLength(rest); erase && *erase > rest.size())
        std::abort();
    if (PromptNameAtEnd(rest).size() > 64)
        std::abort();
    if (const auto bytes = Utf8ToCp1252(rest); bytes && bytes->size() > rest.size())
        std::abort();
    return 0;
}
