#include "RouterSim.h"

#include "Answers.h"
#include "LineModel.h"

#include <asio.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

#include <poll.h>
// libtelnet.h uses size_t without including its header.
#include <libtelnet.h>

namespace vexlorin {

using routersim::TLineModel;

namespace {

const telnet_telopt_t ServerOptions[] = {{TELNET_TELOPT_ECHO, TELNET_WILL, TELNET_DONT},
                                         {TELNET_TELOPT_TTYPE, TELNET_WONT, TELNET_DO},
                                         {-1, 0, 0}};

constexpr std::size_t MaxPendingInput = 64 * 1024;

std::string OtherCase(const std::string& AName) {
    const bool anyUpper = std::any_of(AName.begin(), AName.end(),
                                      [](unsigned char c) { return std::isupper(c) != 0; });
    std::string result = AName;
    for (char& c : result)
        c = static_cast<char>(anyUpper ? std::tolower(static_cast<unsigned char>(c))
                                       : std::toupper(static_cast<unsigned char>(c)));
    return result;
}

} // namespace

TVDSLProfile RouterSimProfile(const std::string& AName) {
    for (std::size_t i = 1; i < VDSLProfileCount; ++i) {
        const std::string name = VDSLProfileNames[i];
        if (name.size() == AName.size() &&
            std::equal(name.begin(), name.end(), AName.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            return static_cast<TVDSLProfile>(i);
    }
    return vpNA;
}

class TSimSession;

struct TRouterSim::TImpl {
    TRouterSimOptions Options;
    TLineModel Model;

    asio::io_context Io;
    std::optional<asio::ip::tcp::acceptor> Acceptor;
    std::thread AcceptThread;
    uint16_t BoundPort = 0;

    mutable std::mutex Lock; // sessions, observations, Stopping's condition
    std::condition_variable StopSignal;
    bool Stopping = false;
    std::list<std::unique_ptr<TSimSession>> Sessions;
    std::vector<std::string> CommandLog;
    std::size_t Accepted = 0;
    std::size_t LoggedOn = 0;
    std::string LastTerminalType;

    explicit TImpl(TRouterSimOptions AOptions)
        : Options(std::move(AOptions)), Model(Options.Profile, Options.Seed) {}

    std::string Prompt() const {
        const std::string& name =
            Options.PromptName.empty() ? Options.RouterName : Options.PromptName;
        return (Options.PromptOtherCase ? OtherCase(name) : name) + "> ";
    }
    // Waits, but wakes at once when the simulator stops; false when it stops.
    bool Pause(std::chrono::microseconds ADuration) {
        std::unique_lock lock(Lock);
        return !StopSignal.wait_for(lock, ADuration, [this] { return Stopping; });
    }
    void AcceptNext();
    void OnAccept(asio::ip::tcp::socket ASocket);
};

// One console connection, served by its own thread with blocking reads and writes.
class TSimSession {
public:
    TSimSession(TRouterSim::TImpl& AOwner, asio::ip::tcp::socket ASocket)
        : FOwner(AOwner), FSocket(std::move(ASocket)) {
        FTelnet = telnet_init(ServerOptions, &TSimSession::EventHandler, 0, this);
        FThread = std::thread([this] { Run(); });
    }
    ~TSimSession() {
        Interrupt();
        if (FThread.joinable())
            FThread.join();
        if (FTelnet != nullptr)
            telnet_free(FTelnet);
    }
    TSimSession(const TSimSession&) = delete;
    TSimSession& operator=(const TSimSession&) = delete;

    bool Done() const { return FDone; }
    // Wakes the session's thread from any blocking read, write or poll.
    void Interrupt() {
        std::lock_guard lock(FSocketLock);
        asio::error_code ignored;
        FSocket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    }

private:
    static void EventHandler(telnet_t*, telnet_event_t* AEvent, void* AUserData) {
        static_cast<TSimSession*>(AUserData)->HandleEvent(*AEvent);
    }
    void HandleEvent(telnet_event_t& AEvent);
    void Run();
    void Serve();
    bool ReadMore();
    bool ReadLine(bool AEcho, std::string& ALine);
    bool ReadKey(char& AKey);
    bool WriteAnswer(const TStringList& ALines, const std::string& AAfter);
    void Write(std::string_view AText);
    void PaceFor(std::size_t ABytes);
    void WriteRaw(std::string_view ABytes);

    TRouterSim::TImpl& FOwner;
    std::mutex FSocketLock; // the socket's close against Interrupt()
    asio::ip::tcp::socket FSocket;
    telnet_t* FTelnet = nullptr;
    std::thread FThread;
    std::atomic<bool> FDone{false};
    bool FBroken = false;
    std::string FInput; // data bytes received, not yet read as lines
    bool FSkipLineFeed = false;
    // The steady rate's schedule: bytes sent since FRateStart.
    std::chrono::steady_clock::time_point FRateStart;
    std::size_t FRateBytes = 0;
};

void TSimSession::HandleEvent(telnet_event_t& AEvent) {
    switch (AEvent.type) {
    case TELNET_EV_DATA:
        if (FInput.size() + AEvent.data.size <= MaxPendingInput)
            FInput.append(AEvent.data.buffer, AEvent.data.size);
        break;
    case TELNET_EV_SEND:
        WriteRaw(std::string_view(AEvent.data.buffer, AEvent.data.size));
        break;
    case TELNET_EV_WILL:
        if (AEvent.neg.telopt == TELNET_TELOPT_TTYPE)
            telnet_ttype_send(FTelnet);
        break;
    case TELNET_EV_TTYPE:
        if (AEvent.ttype.cmd == TELNET_TTYPE_IS && AEvent.ttype.name != nullptr) {
            std::lock_guard lock(FOwner.Lock);
            FOwner.LastTerminalType = std::string(AEvent.ttype.name).substr(0, 64);
        }
        break;
    default:
        break;
    }
}

void TSimSession::WriteRaw(std::string_view ABytes) {
    if (FBroken)
        return;
    asio::error_code error;
    asio::write(FSocket, asio::buffer(ABytes.data(), ABytes.size()), error);
    if (error)
        FBroken = true;
}

namespace {

// Line ends as CR NUL: every CR goes out as a bare CR, the LF after it is left out.
std::string CrNulLineEnds(std::string_view AText) {
    std::string result;
    result.reserve(AText.size() + AText.size() / 16);
    for (std::size_t i = 0; i < AText.size(); ++i) {
        if (AText[i] != '\r') {
            result += AText[i];
            continue;
        }
        result += "\r";
        result += '\0';
        if (i + 1 < AText.size() && AText[i + 1] == '\n')
            ++i;
    }
    return result;
}

} // namespace

void TSimSession::PaceFor(std::size_t ABytes) {
    const auto rate = static_cast<double>(FOwner.Options.Rate);
    const auto now = std::chrono::steady_clock::now();
    auto due = FRateStart + std::chrono::microseconds(static_cast<long long>(
                                static_cast<double>(FRateBytes) * 1e6 / rate));
    // Far behind means the line was idle (waiting for input): no burst to catch up with.
    if (due + std::chrono::milliseconds(20) < now) {
        FRateStart = now;
        FRateBytes = 0;
        due = now;
    }
    // Short waits are gathered into longer ones: the rate holds on average.
    if (due - now >= std::chrono::milliseconds(1) &&
        !FOwner.Pause(std::chrono::duration_cast<std::chrono::microseconds>(due - now)))
        FBroken = true;
    FRateBytes += ABytes;
}

void TSimSession::Write(std::string_view AText) {
    const TRouterSimOptions& options = FOwner.Options;
    std::string converted;
    if (options.CrNul) {
        converted = CrNulLineEnds(AText);
        AText = converted;
    }
    if (!options.OneBytePerBurst && options.Rate == 0) {
        telnet_send(FTelnet, AText.data(), AText.size());
        return;
    }
    const std::size_t chunk =
        options.OneBytePerBurst ? 1 : std::max<std::size_t>(1, options.Rate / 100);
    for (std::size_t i = 0; i < AText.size() && !FBroken; i += chunk) {
        const std::size_t length = std::min(chunk, AText.size() - i);
        if (options.Rate > 0)
            PaceFor(length);
        if (FBroken)
            break;
        telnet_send(FTelnet, AText.data() + i, length);
        if (options.OneBytePerBurst && options.ByteBurstPause.count() > 0 &&
            !FOwner.Pause(options.ByteBurstPause))
            FBroken = true;
    }
}

bool TSimSession::ReadMore() {
    if (FBroken)
        return false;
    pollfd descriptor{FSocket.native_handle(), POLLIN, 0};
    const int timeout = static_cast<int>(
        std::clamp<long long>(FOwner.Options.IdleTimeout.count(), 1, 24 * 3600 * 1000));
    if (::poll(&descriptor, 1, timeout) <= 0)
        return false;
    std::array<char, 4096> buffer{};
    asio::error_code error;
    const std::size_t count = FSocket.read_some(asio::buffer(buffer), error);
    if (error)
        return false;
    telnet_recv(FTelnet, buffer.data(), count);
    return !FBroken;
}

// Reads one line ended by CR, LF, CR LF or CR NUL; echoes what is typed (except when
// AEcho is false, for the password) and the line end as CR LF.
bool TSimSession::ReadLine(bool AEcho, std::string& ALine) {
    ALine.clear();
    for (;;) {
        std::string echo;
        std::size_t used = 0;
        bool complete = false;
        for (; used < FInput.size() && !complete; ++used) {
            const char c = FInput[used];
            if (FSkipLineFeed) {
                FSkipLineFeed = false;
                if (c == '\n' || c == '\0')
                    continue;
            }
            if (c == '\r' || c == '\n') {
                FSkipLineFeed = c == '\r';
                echo += "\r\n";
                complete = true;
            } else if (c == '\b' || c == '\x7f') {
                if (!ALine.empty()) {
                    ALine.pop_back();
                    if (AEcho)
                        echo += "\b \b";
                }
            } else if (static_cast<unsigned char>(c) >= 0x20 &&
                       ALine.size() < FOwner.Options.MaxLineLength) {
                ALine += c;
                if (AEcho)
                    echo += c;
            }
        }
        FInput.erase(0, used);
        if (!echo.empty())
            Write(echo);
        if (complete)
            return true;
        if (!ReadMore())
            return false;
    }
}

// Reads one key, as the pager does: a line end counts once.
bool TSimSession::ReadKey(char& AKey) {
    for (;;) {
        while (!FInput.empty()) {
            const char c = FInput.front();
            FInput.erase(0, 1);
            if (FSkipLineFeed) {
                FSkipLineFeed = false;
                if (c == '\n' || c == '\0')
                    continue;
            }
            FSkipLineFeed = c == '\r';
            AKey = c;
            return true;
        }
        if (!ReadMore())
            return false;
    }
}

// Writes an answer's lines and AAfter (the prompt), the lines paged when the pager is on;
// false when the session ends.
bool TSimSession::WriteAnswer(const TStringList& ALines, const std::string& AAfter) {
    const TRouterSimOptions& options = FOwner.Options;
    const std::size_t pageLines = options.PagerLines;
    if (pageLines == 0 || ALines.size() <= pageLines) {
        Write(JoinLines(ALines) + AAfter);
        return true;
    }
    std::size_t next = 0;
    std::size_t page = pageLines;
    for (;;) {
        const std::size_t count = std::min(page, ALines.size() - next);
        Write(JoinLines(TStringList(ALines.begin() + static_cast<std::ptrdiff_t>(next),
                                    ALines.begin() + static_cast<std::ptrdiff_t>(next + count))));
        next += count;
        if (next >= ALines.size())
            break;
        Write(routersim::PagerLine);
        char key = 0;
        do {
            if (!ReadKey(key))
                return false;
        } while (key != ' ' && key != 'q' && key != 'Q' && key != '\r' && key != '\n');
        if (options.PagerErase)
            Write("\r" + std::string(routersim::PagerLine.size(), ' ') + "\r");
        if (key == 'q' || key == 'Q')
            break;
        page = key == ' ' ? pageLines : 1;
    }
    Write(AAfter);
    return true;
}

void TSimSession::Run() {
    Serve();
    std::lock_guard lock(FSocketLock);
    asio::error_code ignored;
    FSocket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    FSocket.close(ignored);
    FDone = true;
}

void TSimSession::Serve() {
    const TRouterSimOptions& options = FOwner.Options;
    const auto delay = [&] {
        return options.AnswerDelay.count() <= 0 ||
               FOwner.Pause(
                   std::chrono::duration_cast<std::chrono::microseconds>(options.AnswerDelay));
    };
    telnet_negotiate(FTelnet, TELNET_WILL, TELNET_TELOPT_ECHO);
    telnet_negotiate(FTelnet, TELNET_DO, TELNET_TELOPT_TTYPE);

    if (options.SilentAccount) {
        while (ReadMore())
            FInput.clear();
        return;
    }
    if (!delay())
        return;
    Write(options.UsernamePrompt ? "\r\nUsername:" : "\r\nAccount:");
    std::string user;
    if (!ReadLine(true, user))
        return;
    bool loggedOn = false;
    for (int attempt = 0; attempt < 3 && !loggedOn; ++attempt) {
        if (!delay())
            return;
        Write("Password: ");
        std::string password;
        if (!ReadLine(false, password))
            return;
        loggedOn = !options.WrongPassword && user == options.User && password == options.Password;
    }
    if (!loggedOn)
        return;

    const std::string prompt = FOwner.Prompt();
    const std::string noPrompt = routersim::NormalizeCommand(options.NoPromptAfter);
    const std::string invalid = routersim::NormalizeCommand(options.InvalidCommand);
    const std::string missing = routersim::NormalizeCommand(options.CommandMissing);
    const std::string extraAfter = routersim::NormalizeCommand(options.ExtraLineAfter);
    const std::string late = routersim::NormalizeCommand(options.LateAnswer);
    routersim::TAnswerOptions answerOptions{options.SNRMinus32, options.Training};
    {
        std::lock_guard lock(FOwner.Lock);
        answerOptions.Session = static_cast<unsigned>(++FOwner.LoggedOn);
    }
    answerOptions.RetrainAtSession = options.RetrainAtSession;
    if (!delay())
        return;
    Write("Type ? for command help\r\n" + prompt);

    unsigned commands = 0;
    for (;;) {
        std::string line;
        if (!ReadLine(true, line))
            return;
        const std::string command = routersim::NormalizeCommand(line);
        if (command.empty()) {
            Write(prompt);
            continue;
        }
        if (command == "exit" || command == "quit")
            return;
        {
            std::lock_guard lock(FOwner.Lock);
            if (FOwner.CommandLog.size() < 100000)
                FOwner.CommandLog.push_back(command);
        }
        ++commands;
        if (!delay())
            return;
        // The echo is out already; the answer waits.
        if (!late.empty() && command == late &&
            !FOwner.Pause(std::chrono::duration_cast<std::chrono::microseconds>(options.LateAfter)))
            return;
        TStringList lines;
        if (command == invalid)
            lines = routersim::InvalidCommandAnswer(command, false);
        else if (command == missing)
            lines = routersim::InvalidCommandAnswer(command, true);
        else if (auto answer = routersim::CommandAnswer(FOwner.Model, command, answerOptions))
            lines = std::move(*answer);
        else
            lines = routersim::InvalidCommandAnswer(command, false);
        if (!extraAfter.empty() && command == extraAfter) {
            const bool blankLast = !lines.empty() && lines.back().empty();
            lines.insert(blankLast ? lines.end() - 1 : lines.end(), options.ExtraLine);
        }
        if (!WriteAnswer(lines, command != noPrompt ? prompt : std::string()))
            return;
        if (options.CloseAfterCommands != 0 && commands >= options.CloseAfterCommands)
            return;
    }
}

void TRouterSim::TImpl::AcceptNext() {
    Acceptor->async_accept([this](const asio::error_code& AError, asio::ip::tcp::socket ASocket) {
        if (AError)
            return; // closed by Stop()
        OnAccept(std::move(ASocket));
        AcceptNext();
    });
}

void TRouterSim::TImpl::OnAccept(asio::ip::tcp::socket ASocket) {
    std::unique_lock lock(Lock);
    if (Stopping)
        return;
    ++Accepted;
    // Finished sessions are joined here, so their count stays bounded too.
    std::list<std::unique_ptr<TSimSession>> finished;
    for (auto it = Sessions.begin(); it != Sessions.end();) {
        if ((*it)->Done())
            finished.splice(finished.end(), Sessions, it++);
        else
            ++it;
    }
    const std::size_t active = Sessions.size();
    asio::error_code ignored;
    ASocket.set_option(asio::ip::tcp::no_delay(true), ignored);
    if (Options.RejectSecondConnection && active >= 1) {
        const std::string_view refusal = "Reject the connection request !!!\r\n";
        asio::write(ASocket, asio::buffer(refusal.data(), refusal.size()), ignored);
        ASocket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
        ASocket.close(ignored);
    } else if (active >= Options.MaxConnections) {
        ASocket.close(ignored);
    } else {
        Sessions.push_back(std::make_unique<TSimSession>(*this, std::move(ASocket)));
    }
    lock.unlock();
    finished.clear();
}

TRouterSim::TRouterSim(TRouterSimOptions AOptions)
    : FImpl(std::make_unique<TImpl>(std::move(AOptions))) {}

TRouterSim::~TRouterSim() {
    Stop();
}

uint16_t TRouterSim::Start() {
    Stop();
    {
        std::lock_guard lock(FImpl->Lock);
        FImpl->Stopping = false;
    }
    // Loopback only: the simulator is never reachable from another machine.
    const asio::ip::tcp::endpoint endpoint(asio::ip::address_v4::loopback(), FImpl->Options.Port);
    asio::ip::tcp::acceptor& acceptor = FImpl->Acceptor.emplace(FImpl->Io);
    asio::error_code error;
    acceptor.open(endpoint.protocol(), error);
    if (!error)
        acceptor.set_option(asio::ip::tcp::acceptor::reuse_address(true), error);
    if (!error)
        acceptor.bind(endpoint, error);
    if (!error)
        acceptor.listen(asio::socket_base::max_listen_connections, error);
    if (error) {
        FImpl->Acceptor.reset();
        throw std::runtime_error("Cannot listen on 127.0.0.1:" +
                                 std::to_string(FImpl->Options.Port) + ": " + error.message());
    }
    FImpl->BoundPort = acceptor.local_endpoint().port();
    FImpl->AcceptNext();
    FImpl->Io.restart();
    FImpl->AcceptThread = std::thread([impl = FImpl.get()] { impl->Io.run(); });
    return FImpl->BoundPort;
}

void TRouterSim::Stop() {
    {
        std::lock_guard lock(FImpl->Lock);
        FImpl->Stopping = true;
    }
    FImpl->StopSignal.notify_all();
    if (FImpl->AcceptThread.joinable()) {
        asio::post(FImpl->Io, [impl = FImpl.get()] {
            asio::error_code ignored;
            impl->Acceptor->close(ignored);
        });
        FImpl->AcceptThread.join();
    }
    FImpl->Acceptor.reset();
    std::list<std::unique_ptr<TSimSession>> sessions;
    {
        std::lock_guard lock(FImpl->Lock);
        sessions.swap(FImpl->Sessions);
    }
    for (auto& session : sessions)
        session->Interrupt();
    sessions.clear(); // joins
}

uint16_t TRouterSim::Port() const {
    return FImpl->BoundPort;
}

std::vector<std::string> TRouterSim::Commands() const {
    std::lock_guard lock(FImpl->Lock);
    return FImpl->CommandLog;
}

std::size_t TRouterSim::ConnectionsAccepted() const {
    std::lock_guard lock(FImpl->Lock);
    return FImpl->Accepted;
}

std::size_t TRouterSim::SessionsLoggedOn() const {
    std::lock_guard lock(FImpl->Lock);
    return FImpl->LoggedOn;
}

std::string TRouterSim::TerminalType() const {
    std::lock_guard lock(FImpl->Lock);
    return FImpl->LastTerminalType;
}

std::string TRouterSim::Prompt() const {
    return FImpl->Prompt();
}

} // namespace vexlorin
