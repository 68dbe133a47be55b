#include "reader/TelnetClient.h"

#include "reader/TelnetProtocol.h"

#include <asio.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <mutex>
#include <optional>
#include <thread>

namespace vexlorin {

namespace {

constexpr std::size_t ReadBufferSize = 64 * 1024;

// Names under the reserved top-level domain "invalid" never resolve; answering that here
// keeps such a lookup from ever leaving the machine.
bool IsReservedInvalidName(std::string_view AHost) {
    if (!AHost.empty() && AHost.back() == '.')
        AHost.remove_suffix(1);
    constexpr std::string_view tld = "invalid";
    if (AHost.size() < tld.size())
        return false;
    const std::string_view tail = AHost.substr(AHost.size() - tld.size());
    const bool same = std::equal(tail.begin(), tail.end(), tld.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
    return same && (AHost.size() == tld.size() || AHost[AHost.size() - tld.size() - 1] == '.');
}

} // namespace

struct TTelnetClient::TImpl {
    std::string Host;
    uint16_t Port = 23;
    std::chrono::milliseconds ConnectTimeout{10000};

    std::mutex HandlerLock;
    TDataHandler OnData;
    TClosedHandler OnClosed;

    // Connect and Disconnect from several threads take turns here; the reading thread never
    // takes it, so a handler may call Disconnect() without waiting for itself.
    std::mutex LifecycleLock;
    asio::io_context Io;
    asio::ip::tcp::socket Socket{Io};
    std::thread ReadThread;
    // Set by the reading thread itself, so a handler's Disconnect() can tell where it runs
    // without touching ReadThread while Connect() may be assigning it.
    std::atomic<std::thread::id> ReadThreadId{};

    // Guards the protocol state and every write to the socket (negotiation answers from
    // the reading thread, SendString from any thread) and the socket's close.
    std::mutex WriteLock;
    std::optional<TTelnetProtocol> Protocol;

    std::atomic<bool> Connected{false};
    std::atomic<bool> Closing{false}; // Disconnect() asked for the end
    std::atomic<bool> CommandSeen{false};

    // A Disconnect() while Connect() still waits for the connection ends that wait: it posts
    // an abort into the connect's event loop. The number tells a late abort, left queued
    // after its connect finished, from one meant for the connect now running.
    std::mutex ConnectingLock;
    bool Connecting = false;
    uint64_t ConnectNumber = 0;
    uint64_t AbortedNumber = 0; // only touched on the connecting thread
    asio::steady_timer* ConnectTimer = nullptr;
    asio::ip::tcp::resolver* ConnectResolver = nullptr;
    void AbortConnect();

    void OpenSocket(const std::function<bool()>& AGiveUp);
    void ReadLoop();
    void StopReading();
    void FinishConnection();
    void WriteToSocket(std::string_view ABytes);
};

void TTelnetClient::TImpl::OpenSocket(const std::function<bool()>& AGiveUp) {
    const std::string where = Host + ":" + std::to_string(Port);
    auto fail = [&](const std::string& AReason) {
        throw ETelnetConnectError("Cannot connect to " + where + ": " + AReason);
    };
    if (IsReservedInvalidName(Host))
        fail(asio::error_code(asio::error::host_not_found).message());

    asio::ip::tcp::resolver resolver(Io);
    asio::steady_timer timer(Io);
    asio::error_code result = asio::error::would_block;
    bool timedOut = false;
    uint64_t number = 0;
    {
        std::lock_guard lock(ConnectingLock);
        Connecting = true;
        number = ++ConnectNumber;
        ConnectTimer = &timer;
        ConnectResolver = &resolver;
    }
    struct TConnectingGuard {
        TImpl& Impl;
        ~TConnectingGuard() {
            std::lock_guard lock(Impl.ConnectingLock);
            Impl.Connecting = false;
            Impl.ConnectTimer = nullptr;
            Impl.ConnectResolver = nullptr;
        }
    } connectingGuard{*this};
    // Asked after registering: an abort from now on finds this connect, and one that came
    // before has left its mark where AGiveUp looks.
    if (AGiveUp && AGiveUp())
        fail(asio::error_code(asio::error::operation_aborted).message());

    timer.expires_after(ConnectTimeout);
    timer.async_wait([&](const asio::error_code& AError) {
        if (AError)
            return; // cancelled: the connection finished first, or it was aborted
        timedOut = true;
        resolver.cancel();
        asio::error_code ignored;
        Socket.close(ignored);
    });
    resolver.async_resolve(
        Host, std::to_string(Port), asio::ip::resolver_base::numeric_service,
        [&](const asio::error_code& AError, asio::ip::tcp::resolver::results_type AResults) {
            if (AError || timedOut || AbortedNumber == number) {
                result = AError ? AError : asio::error::operation_aborted;
                timer.cancel();
                return;
            }
            asio::async_connect(Socket, AResults,
                                [&](const asio::error_code& AConnectError, const auto&) {
                                    result = AConnectError;
                                    timer.cancel();
                                });
        });
    Io.restart();
    Io.run();

    if (timedOut)
        result = asio::error::timed_out;
    else if (AbortedNumber == number)
        result = asio::error::operation_aborted;
    if (result) {
        asio::error_code ignored;
        Socket.close(ignored);
        fail(result.message());
    }
    asio::error_code ignored;
    Socket.set_option(asio::ip::tcp::no_delay(true), ignored);
}

void TTelnetClient::TImpl::AbortConnect() {
    std::lock_guard lock(ConnectingLock);
    if (!Connecting)
        return;
    // Runs on the connecting thread inside its event loop, where the timer and the lookup
    // live; an abort that comes too late finds another number there and does nothing.
    asio::post(Io, [this, number = ConnectNumber] {
        std::lock_guard lock(ConnectingLock);
        if (number != ConnectNumber || ConnectTimer == nullptr)
            return;
        AbortedNumber = number;
        ConnectTimer->cancel();
        ConnectResolver->cancel();
        asio::error_code ignored;
        Socket.close(ignored);
    });
}

void TTelnetClient::TImpl::WriteToSocket(std::string_view ABytes) {
    // Errors are dropped on purpose: a lost connection is reported by the reading thread.
    if (!Socket.is_open())
        return;
    asio::error_code ignored;
    asio::write(Socket, asio::buffer(ABytes.data(), ABytes.size()), ignored);
}

void TTelnetClient::TImpl::ReadLoop() {
    ReadThreadId = std::this_thread::get_id();
    std::array<char, ReadBufferSize> buffer{};
    while (!Closing) {
        asio::error_code error;
        const std::size_t count = Socket.read_some(asio::buffer(buffer), error);
        if (error || Closing)
            break;
        std::string data;
        {
            std::lock_guard lock(WriteLock);
            data = Protocol->Receive(std::string_view(buffer.data(), count));
            if (Protocol->CommandSeen())
                CommandSeen = true;
        }
        if (data.empty())
            continue;
        TDataHandler handler;
        {
            std::lock_guard lock(HandlerLock);
            handler = OnData;
        }
        if (handler)
            handler(data);
    }
    Connected = false;
    if (Closing)
        return;
    TClosedHandler handler;
    {
        std::lock_guard lock(HandlerLock);
        handler = OnClosed;
    }
    if (handler)
        handler();
}

void TTelnetClient::TImpl::StopReading() {
    Closing = true;
    Connected = false;
    // Shutting down wakes the reading thread out of its blocking read; the socket itself
    // stays open until that thread is gone.
    asio::error_code ignored;
    Socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
}

void TTelnetClient::TImpl::FinishConnection() {
    if (ReadThread.joinable()) {
        StopReading();
        ReadThread.join();
        ReadThreadId = std::thread::id();
    }
    std::lock_guard lock(WriteLock);
    asio::error_code ignored;
    Socket.close(ignored);
    Protocol.reset();
    Connected = false;
}

TTelnetClient::TTelnetClient() : FImpl(std::make_unique<TImpl>()) {}

// Also joins a reading thread that a handler's Disconnect() left running.
TTelnetClient::~TTelnetClient() {
    Disconnect();
}

const std::string& TTelnetClient::Host() const {
    return FImpl->Host;
}
void TTelnetClient::SetHost(std::string AHost) {
    FImpl->Host = std::move(AHost);
}
uint16_t TTelnetClient::Port() const {
    return FImpl->Port;
}
void TTelnetClient::SetPort(uint16_t APort) {
    FImpl->Port = APort;
}
std::chrono::milliseconds TTelnetClient::ConnectTimeout() const {
    return FImpl->ConnectTimeout;
}
void TTelnetClient::SetConnectTimeout(std::chrono::milliseconds ATimeout) {
    FImpl->ConnectTimeout = ATimeout;
}

void TTelnetClient::SetOnDataAvailable(TDataHandler AHandler) {
    std::lock_guard lock(FImpl->HandlerLock);
    FImpl->OnData = std::move(AHandler);
}

void TTelnetClient::SetOnClosed(TClosedHandler AHandler) {
    std::lock_guard lock(FImpl->HandlerLock);
    FImpl->OnClosed = std::move(AHandler);
}

void TTelnetClient::Connect(const std::function<bool()>& AGiveUp) {
    std::lock_guard lock(FImpl->LifecycleLock);
    FImpl->FinishConnection();
    FImpl->OpenSocket(AGiveUp);
    {
        std::lock_guard writeLock(FImpl->WriteLock);
        FImpl->Protocol.emplace(
            [impl = FImpl.get()](std::string_view ABytes) { impl->WriteToSocket(ABytes); });
    }
    FImpl->Closing = false;
    FImpl->CommandSeen = false;
    FImpl->Connected = true;
    FImpl->ReadThread = std::thread([impl = FImpl.get()] { impl->ReadLoop(); });
}

void TTelnetClient::SendString(std::string_view AText) {
    std::string bytes;
    bytes.reserve(AText.size() + 8);
    const bool loneCR = FImpl->CommandSeen;
    for (char c : AText) {
        bytes += c;
        if (c == '\r' && !loneCR)
            bytes += '\n';
    }
    std::lock_guard lock(FImpl->WriteLock);
    if (FImpl->Protocol && !FImpl->Closing)
        FImpl->Protocol->Send(bytes);
}

bool TTelnetClient::Connected() const {
    return FImpl->Connected;
}

void TTelnetClient::Disconnect() {
    if (FImpl->ReadThreadId.load() == std::this_thread::get_id()) {
        // Called by a handler: the reading thread cannot join itself. It ends as soon as the
        // handler returns; the next Connect(), Disconnect() or the destructor joins it.
        FImpl->StopReading();
        return;
    }
    FImpl->AbortConnect();
    std::lock_guard lock(FImpl->LifecycleLock);
    FImpl->FinishConnection();
}

void TTelnetClient::AbortConnect() {
    FImpl->AbortConnect();
}

void TTelnetClient::BeginDisconnect() {
    std::lock_guard lock(FImpl->LifecycleLock);
    if (FImpl->ReadThread.joinable())
        FImpl->StopReading();
}

} // namespace vexlorin
