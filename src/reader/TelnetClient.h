// Telnet client (RFC 854) with its own reading thread: the program's only link to the
// router's console. Asio carries the socket, libtelnet the protocol; the data handler
// sees only data bytes, telnet commands are answered and removed.
#pragma once

#include "model/uDrayData.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vexlorin {

// Connecting failed; the message says what failed and where, e.g.
// "Cannot connect to 192.0.2.1:23: Connection refused".
class ETelnetConnectError : public Exception {
public:
    using Exception::Exception;
};

class TTelnetClient {
public:
    // Called on the reading thread, once per burst, with the data bytes of that burst.
    using TDataHandler = std::function<void(std::string_view AData)>;
    // Called on the reading thread when the peer closed the connection or reading failed
    // (not when Disconnect() closed it).
    using TClosedHandler = std::function<void()>;

    TTelnetClient();
    ~TTelnetClient(); // disconnects
    TTelnetClient(const TTelnetClient&) = delete;
    TTelnetClient& operator=(const TTelnetClient&) = delete;

    const std::string& Host() const;
    void SetHost(std::string AHost);
    uint16_t Port() const;
    void SetPort(uint16_t APort);
    std::chrono::milliseconds ConnectTimeout() const; // 10 s by default
    void SetConnectTimeout(std::chrono::milliseconds ATimeout);

    // Set the handlers before Connect(); they stay until replaced.
    void SetOnDataAvailable(TDataHandler AHandler);
    void SetOnClosed(TClosedHandler AHandler);

    // Blocks until the connection is open or failed (ETelnetConnectError), then starts the
    // reading thread. AGiveUp, when given, is asked once the connect is under way: true
    // fails it at once, like AbortConnect() (for a caller whose stop request may come
    // just before the connect starts).
    void Connect(const std::function<bool()>& AGiveUp = {});
    // Ends a Connect() that another thread waits in: it fails at once. Does nothing when no
    // connect is under way; never blocks.
    void AbortConnect();
    // One byte per character; CR goes out as CR LF until the peer has sent its first telnet
    // command, as a lone CR afterwards. Write errors after the peer closed are swallowed
    // (the closed handler reports the loss).
    void SendString(std::string_view AText);
    bool Connected() const;
    // Closes the connection, ends and joins the reading thread. Safe from any thread
    // (except from inside a handler) and more than once.
    void Disconnect();
    // Starts closing and returns at once: the connection is shut down and the reading
    // thread ends by itself, without calling the closed handler. Disconnect() then only
    // has to join it. For a caller that has what it needs and other work to do meanwhile.
    void BeginDisconnect();

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

} // namespace vexlorin
