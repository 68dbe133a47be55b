// Arbitrary bytes in arbitrary bursts through the telnet client's receive path: nothing may
// crash, and the data handed on can never exceed what arrived.
#include "reader/TelnetProtocol.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    if (ASize == 0)
        return 0;
    // The first byte chooses the burst lengths; the rest is the stream from the peer.
    const unsigned pattern = AData[0];
    std::string_view stream(reinterpret_cast<const char*>(AData + 1), ASize - 1);
    std::size_t sent = 0;
    vexlorin::TTelnetProtocol protocol([&](std::string_view ABytes) { sent += ABytes.size(); });
    std::size_t received = 0;
    std::size_t burst = 0;
    while (!stream.empty()) {
        const std::size_t length =
            std::min<std::size_t>(stream.size(), 1 + ((pattern >> (burst % 8)) * 7 + burst) % 97);
        received += protocol.Receive(stream.substr(0, length)).size();
        stream.remove_prefix(length);
        ++burst;
    }
    if (received > ASize)
        std::abort();
    // Answers are bounded too: at most one subnegotiation answer or three bytes per request.
    if (sent > 16 * ASize + 64)
        std::abort();
    protocol.Send(std::string_view(reinterpret_cast<const char*>(AData), ASize));
    return 0;
}
