#include "reader/TelnetProtocol.h"

#include <algorithm>
#include <cstddef>
// libtelnet.h uses size_t without including its header.
#include <libtelnet.h>

namespace vexlorin {

TTelnetProtocol::TTelnetProtocol(TOutput AOutput) : FOutput(std::move(AOutput)) {
    Reset();
}

TTelnetProtocol::~TTelnetProtocol() {
    if (FTelnet != nullptr)
        telnet_free(FTelnet);
}

void TTelnetProtocol::Reset() {
    if (FTelnet != nullptr)
        telnet_free(FTelnet);
    // Proxy mode: libtelnet reports every option request and leaves the answer to us, so
    // the answers follow our table instead of libtelnet's option state machine.
    FTelnet = telnet_init(nullptr, &TTelnetProtocol::EventHandler, TELNET_FLAG_PROXY, this);
    if (FTelnet == nullptr)
        throw std::bad_alloc();
    FCompressionStarted = false;
}

std::string TTelnetProtocol::Receive(std::string_view ABurst) {
    std::string data;
    data.reserve(ABurst.size());
    FData = &data;
    // A peer that sends SB COMPRESS2 makes libtelnet inflate whatever follows in the same
    // call. Compression can only start on the byte right after an IAC, so every IAC and the
    // byte after it go in alone, and that parser is dropped before it sees a compressed
    // byte (the option is refused like any other). Runs without IAC go in whole.
    constexpr char IAC = static_cast<char>(0xFF);
    std::size_t i = 0;
    while (i < ABurst.size()) {
        std::size_t length = 1;
        if (!FAfterIAC && ABurst[i] != IAC) {
            const std::size_t next = ABurst.find(IAC, i);
            length = (next == std::string_view::npos ? ABurst.size() : next) - i;
        }
        FAfterIAC = length == 1 && ABurst[i] == IAC;
        telnet_recv(FTelnet, ABurst.data() + i, length);
        i += length;
        if (FCompressionStarted)
            Reset();
    }
    FData = nullptr;
    // CR NUL is a bare CR (RFC 854) and a NUL alone is no text either: no NUL byte of the
    // stream is data.
    if (data.find('\0') != std::string::npos)
        data.erase(std::remove(data.begin(), data.end(), '\0'), data.end());
    return data;
}

void TTelnetProtocol::Send(std::string_view AData) {
    if (!AData.empty())
        telnet_send(FTelnet, AData.data(), AData.size());
}

void TTelnetProtocol::EventHandler(telnet_t*, telnet_event_t* AEvent, void* AUserData) {
    static_cast<TTelnetProtocol*>(AUserData)->HandleEvent(*AEvent);
}

void TTelnetProtocol::Answer(unsigned char ACommand, unsigned char AOption) {
    const bool his = ACommand == TELNET_DO || ACommand == TELNET_DONT;
    unsigned char& last = his ? FHisAnswer[AOption] : FOurAnswer[AOption];
    if (last == ACommand)
        return;
    last = ACommand;
    telnet_negotiate(FTelnet, ACommand, AOption);
}

void TTelnetProtocol::HandleEvent(telnet_event_t& AEvent) {
    if (FCompressionStarted)
        return; // whatever libtelnet inflates now is not the peer's data
    if (AEvent.type != TELNET_EV_DATA && AEvent.type != TELNET_EV_SEND)
        FCommandSeen = true; // any command, also a malformed one; IAC IAC is data
    switch (AEvent.type) {
    case TELNET_EV_DATA:
        if (FData != nullptr)
            FData->append(AEvent.data.buffer, AEvent.data.size);
        break;
    case TELNET_EV_SEND:
        if (FOutput)
            FOutput(std::string_view(AEvent.data.buffer, AEvent.data.size));
        break;
    case TELNET_EV_WILL:
        if (AEvent.neg.telopt == TELNET_TELOPT_ECHO || AEvent.neg.telopt == TELNET_TELOPT_EOR)
            Answer(TELNET_DO, AEvent.neg.telopt);
        else
            Answer(TELNET_DONT, AEvent.neg.telopt);
        break;
    case TELNET_EV_WONT:
        Answer(TELNET_DONT, AEvent.neg.telopt);
        break;
    case TELNET_EV_DO:
        if (AEvent.neg.telopt == TELNET_TELOPT_ECHO || AEvent.neg.telopt == TELNET_TELOPT_TTYPE)
            Answer(TELNET_WILL, AEvent.neg.telopt);
        else
            Answer(TELNET_WONT, AEvent.neg.telopt);
        break;
    case TELNET_EV_DONT:
        Answer(TELNET_WONT, AEvent.neg.telopt);
        break;
    case TELNET_EV_TTYPE:
        if (AEvent.ttype.cmd == TELNET_TTYPE_SEND)
            telnet_ttype_is(FTelnet, TerminalType);
        break;
    case TELNET_EV_COMPRESS:
        if (AEvent.compress.state != 0)
            FCompressionStarted = true;
        break;
    default:
        // Other commands (EOR, NOP, GA ...), other subnegotiations, ZMP/ENVIRON/MSSP and
        // libtelnet's warnings about malformed input: nothing to answer.
        break;
    }
}

} // namespace vexlorin
