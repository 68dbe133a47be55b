// The telnet protocol side of TTelnetClient, kept apart from the socket so that the
// receive path can be driven (tested, fuzzed) without a connection. libtelnet parses the
// stream; the answers to the peer's option requests follow one fixed table.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct telnet_t;
union telnet_event_t;

namespace vexlorin {

class TTelnetProtocol {
public:
    // Receives the bytes that must go to the peer (negotiation answers, escaped data).
    using TOutput = std::function<void(std::string_view ABytes)>;

    explicit TTelnetProtocol(TOutput AOutput);
    ~TTelnetProtocol();
    TTelnetProtocol(const TTelnetProtocol&) = delete;
    TTelnetProtocol& operator=(const TTelnetProtocol&) = delete;

    // Parses one burst from the peer. Returns its data bytes (telnet commands removed,
    // IAC IAC as one byte 255, NUL bytes dropped, so CR NUL is a bare CR); option requests
    // are answered through the output at once.
    std::string Receive(std::string_view ABurst);
    // Escapes IAC bytes and hands the data to the output.
    void Send(std::string_view AData);
    // True once the peer has sent any telnet command (an escaped data byte 255 is none).
    bool CommandSeen() const { return FCommandSeen; }

    static constexpr const char* TerminalType = "dumb";

private:
    static void EventHandler(telnet_t* ATelnet, telnet_event_t* AEvent, void* AUserData);
    void HandleEvent(telnet_event_t& AEvent);
    void Answer(unsigned char ACommand, unsigned char AOption);
    void Reset();

    TOutput FOutput;
    telnet_t* FTelnet = nullptr;
    std::string* FData = nullptr; // the burst being parsed
    bool FCommandSeen = false;
    bool FCompressionStarted = false;
    bool FAfterIAC = false; // the last byte parsed was an IAC
    // Last answer sent per option for the peer's side (DO/DONT) and ours (WILL/WONT);
    // 0 while none was sent. A request is answered only when the answer would change,
    // so a peer that echoes every answer cannot start an endless exchange.
    std::array<unsigned char, 256> FHisAnswer{};
    std::array<unsigned char, 256> FOurAnswer{};
};

} // namespace vexlorin
