// TTelnetClient against real peers on loopback: a raw socket peer for the exact bytes on
// the wire, the simulated router console for a whole logon.
#include "FullListener.h"
#include "RouterSim.h"
#include "reader/TelnetClient.h"
#include "reader/TelnetProtocol.h"

#include <gtest/gtest.h>

#include <asio.hpp>

#include <condition_variable>
#include <future>
#include <mutex>
#include <optional>
#include <utility>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace vexlorin;
using namespace std::chrono_literals;
using vexlorin::test::TFullListener;

namespace {

constexpr char IAC = '\xff', WILL = '\xfb', WONT = '\xfc', DO = '\xfd', DONT = '\xfe', SB = '\xfa',
               SE = '\xf0';
constexpr char OptEcho = 1, OptSGA = 3, OptTType = 24, OptEOR = 25, OptNAWS = 31, OptCompress2 = 86;

std::string Bytes(std::initializer_list<char> AList) {
    return std::string(AList);
}

// A telnet peer reduced to a socket: the test decides every byte.
class TRawPeer {
public:
    TRawPeer() : FAcceptor(FIo, {asio::ip::address_v4::loopback(), 0}) {}
    uint16_t Port() const { return FAcceptor.local_endpoint().port(); }
    // The client's Connect() has returned, so the connection waits in the backlog.
    void Accept() {
        FSocket.emplace(FIo);
        FAcceptor.accept(*FSocket);
        FSocket->set_option(asio::ip::tcp::no_delay(true));
    }
    void Send(std::string_view ABytes) { asio::write(*FSocket, asio::buffer(ABytes)); }
    // Everything that arrives until AQuiet passes without a byte (or the peer closes).
    std::string Receive(std::chrono::milliseconds AQuiet = 150ms) {
        std::string result;
        for (;;) {
            pollfd descriptor{FSocket->native_handle(), POLLIN, 0};
            if (::poll(&descriptor, 1, static_cast<int>(AQuiet.count())) <= 0)
                return result;
            char buffer[4096];
            asio::error_code error;
            const std::size_t count = FSocket->read_some(asio::buffer(buffer), error);
            if (error)
                return result;
            result.append(buffer, count);
        }
    }
    // True when the client closed its end within ATimeout.
    bool SeesClose(std::chrono::milliseconds ATimeout = 2000ms) {
        pollfd descriptor{FSocket->native_handle(), POLLIN, 0};
        if (::poll(&descriptor, 1, static_cast<int>(ATimeout.count())) <= 0)
            return false;
        char byte;
        asio::error_code error;
        FSocket->read_some(asio::buffer(&byte, 1), error);
        return error == asio::error::eof || error == asio::error::connection_reset;
    }
    void Close() { FSocket->close(); }

private:
    asio::io_context FIo;
    asio::ip::tcp::acceptor FAcceptor;
    std::optional<asio::ip::tcp::socket> FSocket;
};

// Collects what the client's handlers report, on the client's reading thread.
class TCollector {
public:
    void Attach(TTelnetClient& AClient) {
        AClient.SetOnDataAvailable([this](std::string_view AData) {
            std::lock_guard lock(FLock);
            FData.append(AData);
            FBursts.emplace_back(AData);
            FChanged.notify_all();
        });
        AClient.SetOnClosed([this] {
            std::lock_guard lock(FLock);
            ++FClosed;
            FChanged.notify_all();
        });
    }
    bool WaitForEnding(std::string_view ATail, std::chrono::milliseconds ATimeout = 5000ms) {
        std::unique_lock lock(FLock);
        return FChanged.wait_for(lock, ATimeout, [&] {
            return FData.size() >= ATail.size() &&
                   FData.compare(FData.size() - ATail.size(), ATail.size(), ATail) == 0;
        });
    }
    bool WaitForClosed(std::chrono::milliseconds ATimeout = 5000ms) {
        std::unique_lock lock(FLock);
        return FChanged.wait_for(lock, ATimeout, [&] { return FClosed > 0; });
    }
    std::string Data() {
        std::lock_guard lock(FLock);
        return FData;
    }
    std::string TakeData() {
        std::lock_guard lock(FLock);
        return std::exchange(FData, {});
    }
    std::vector<std::string> Bursts() {
        std::lock_guard lock(FLock);
        return FBursts;
    }
    int Closed() {
        std::lock_guard lock(FLock);
        return FClosed;
    }

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    std::string FData;
    std::vector<std::string> FBursts;
    int FClosed = 0;
};

class TelnetClientTest : public ::testing::Test {
protected:
    void ConnectToPeer() {
        FClient.SetHost("127.0.0.1");
        FClient.SetPort(FPeer.Port());
        FCollector.Attach(FClient);
        FClient.Connect();
        FPeer.Accept();
    }
    // The peer sends ARequest and then a marker; once the marker arrived as data, every
    // answer to the request has been written.
    std::string AnswerTo(std::string_view ARequest) {
        FPeer.Send(ARequest);
        FPeer.Send("#");
        EXPECT_TRUE(FCollector.WaitForEnding("#"));
        return FPeer.Receive(100ms);
    }

    TRawPeer FPeer;
    TCollector FCollector;
    TTelnetClient FClient;
};

struct TNegotiationCase {
    const char* Name;
    std::string Request;
    std::string Answer;
};

void PrintTo(const TNegotiationCase& ACase, std::ostream* AStream) {
    *AStream << ACase.Name;
}

class TelnetNegotiationTest : public TelnetClientTest,
                              public ::testing::WithParamInterface<TNegotiationCase> {};

TEST_P(TelnetNegotiationTest, AnswersAsTheTableSays) {
    ConnectToPeer();
    EXPECT_EQ(AnswerTo(GetParam().Request), GetParam().Answer);
    EXPECT_EQ(FCollector.Data(), "#") << "telnet commands must not reach the data";
}

INSTANTIATE_TEST_SUITE_P(
    Table, TelnetNegotiationTest,
    ::testing::Values(
        TNegotiationCase{"WillEcho", Bytes({IAC, WILL, OptEcho}), Bytes({IAC, DO, OptEcho})},
        TNegotiationCase{"WillEndOfRecord", Bytes({IAC, WILL, OptEOR}), Bytes({IAC, DO, OptEOR})},
        TNegotiationCase{"WillOther", Bytes({IAC, WILL, OptSGA}), Bytes({IAC, DONT, OptSGA})},
        TNegotiationCase{"WontEcho", Bytes({IAC, WONT, OptEcho}), Bytes({IAC, DONT, OptEcho})},
        TNegotiationCase{"WontOther", Bytes({IAC, WONT, OptNAWS}), Bytes({IAC, DONT, OptNAWS})},
        TNegotiationCase{"DoEcho", Bytes({IAC, DO, OptEcho}), Bytes({IAC, WILL, OptEcho})},
        TNegotiationCase{"DoTerminalType", Bytes({IAC, DO, OptTType}),
                         Bytes({IAC, WILL, OptTType})},
        TNegotiationCase{"DoEndOfRecord", Bytes({IAC, DO, OptEOR}), Bytes({IAC, WONT, OptEOR})},
        TNegotiationCase{"DoOther", Bytes({IAC, DO, OptNAWS}), Bytes({IAC, WONT, OptNAWS})},
        TNegotiationCase{"DontTerminalType", Bytes({IAC, DONT, OptTType}),
                         Bytes({IAC, WONT, OptTType})},
        TNegotiationCase{"TerminalTypeSend", Bytes({IAC, SB, OptTType, 1, IAC, SE}),
                         Bytes({IAC, SB, OptTType, 0, 'd', 'u', 'm', 'b', IAC, SE})},
        TNegotiationCase{"OtherSubnegotiation", Bytes({IAC, SB, OptNAWS, 0, 80, 0, 24, IAC, SE}),
                         ""},
        TNegotiationCase{"TerminalTypeOtherRequest", Bytes({IAC, SB, OptTType, 0, 'x', IAC, SE}),
                         ""},
        TNegotiationCase{"OtherCommands",
                         Bytes({IAC, '\xef', IAC, '\xf1', IAC, '\xf9', IAC, '\xf4'}), ""},
        // A request that repeats the state already agreed is not answered again, so a
        // peer that answers every answer cannot start an endless exchange.
        TNegotiationCase{
            "RepeatedRequestAnsweredOnce",
            Bytes({IAC, WILL, OptEcho, IAC, WILL, OptEcho, IAC, DO, OptTType, IAC, DO, OptTType}),
            Bytes({IAC, DO, OptEcho, IAC, WILL, OptTType})},
        // A peer must not switch the stream to compression: refused like any other option.
        TNegotiationCase{"CompressionRefused",
                         Bytes({IAC, WILL, OptCompress2, IAC, SB, OptCompress2, IAC, SE}),
                         Bytes({IAC, DONT, OptCompress2})}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(TelnetClientTest, DataKeepsEscapedIACAndLosesCommands) {
    ConnectToPeer();
    FPeer.Send(Bytes({'a', IAC, IAC, 'b', IAC, '\xf1',       'c', IAC, SB,  OptNAWS, IAC, IAC,
                      IAC, SE,  'd', IAC, SB,  OptCompress2, IAC, SE,  'e', 'f',     '#'}));
    ASSERT_TRUE(FCollector.WaitForEnding("#"));
    EXPECT_EQ(FCollector.Data(), std::string("a\xff") + "bcdef#");
}

TEST_F(TelnetClientTest, CarriageReturnRuleFollowsTheFirstTelnetCommand) {
    ConnectToPeer();
    FClient.SendString("admin\r");
    EXPECT_EQ(FPeer.Receive(), "admin\r\n");
    // A byte 255 of the peer's data is no command: still CR LF.
    FPeer.Send(Bytes({IAC, IAC, '#'}));
    ASSERT_TRUE(FCollector.WaitForEnding("#"));
    FClient.SendString("\r");
    EXPECT_EQ(FPeer.Receive(), "\r\n");

    EXPECT_EQ(AnswerTo(Bytes({IAC, WILL, OptEcho})), Bytes({IAC, DO, OptEcho}));
    FClient.SendString("vdsl status\r");
    EXPECT_EQ(FPeer.Receive(), "vdsl status\r");
    // Data bytes 255 are escaped; a text without CR goes out unchanged.
    FClient.SendString("\xff"
                       "x");
    EXPECT_EQ(FPeer.Receive(), "\xff\xffx");
}

TEST_F(TelnetClientTest, ClientDisconnectEndsTheConnectionQuietly) {
    ConnectToPeer();
    EXPECT_TRUE(FClient.Connected());
    FClient.Disconnect();
    EXPECT_FALSE(FClient.Connected());
    EXPECT_TRUE(FPeer.SeesClose());
    FClient.Disconnect(); // a second time is harmless
    FClient.SendString("ignored\r");
    EXPECT_EQ(FCollector.Closed(), 0) << "the closed handler is for the peer's close only";
}

TEST_F(TelnetClientTest, BeginDisconnectClosesAtOnceAndDisconnectFinishes) {
    FClient.BeginDisconnect(); // not connected: nothing to do
    ConnectToPeer();
    FClient.BeginDisconnect();
    EXPECT_FALSE(FClient.Connected());
    EXPECT_TRUE(FPeer.SeesClose());
    FClient.SendString("ignored\r"); // swallowed, never raises
    FClient.Disconnect();
    EXPECT_EQ(FCollector.Closed(), 0) << "the closed handler is for the peer's close only";
    FClient.Connect();
    FPeer.Accept();
    EXPECT_TRUE(FClient.Connected());
}

TEST_F(TelnetClientTest, PeerCloseIsReportedOnce) {
    ConnectToPeer();
    FPeer.Send("bye");
    ASSERT_TRUE(FCollector.WaitForEnding("bye"));
    FPeer.Close();
    ASSERT_TRUE(FCollector.WaitForClosed());
    EXPECT_FALSE(FClient.Connected());
    FClient.SendString("after close\r"); // swallowed, never raises
    FClient.Disconnect();
    EXPECT_EQ(FCollector.Closed(), 1);
}

TEST_F(TelnetClientTest, DisconnectFromInsideAHandlerNeitherDeadlocksNorJoinsItself) {
    FClient.SetHost("127.0.0.1");
    FClient.SetPort(FPeer.Port());
    std::mutex lock;
    std::condition_variable done;
    bool handled = false;
    FClient.SetOnDataAvailable([&](std::string_view) {
        FClient.Disconnect();
        FClient.Disconnect();
        std::lock_guard guard(lock);
        handled = true;
        done.notify_all();
    });
    FClient.Connect();
    FPeer.Accept();
    FPeer.Send("x");
    std::unique_lock guard(lock);
    ASSERT_TRUE(done.wait_for(guard, 5s, [&] { return handled; }));
    guard.unlock();
    EXPECT_FALSE(FClient.Connected());
    EXPECT_TRUE(FPeer.SeesClose());
    // The next connection joins the finished reading thread first.
    FClient.Connect();
    FPeer.Accept();
    EXPECT_TRUE(FClient.Connected());
}

TEST_F(TelnetClientTest, DisconnectFromAnotherThreadWhileTheReaderWaits) {
    ConnectToPeer();
    std::thread other([this] { FClient.Disconnect(); });
    FClient.Disconnect();
    other.join();
    EXPECT_TRUE(FPeer.SeesClose());
}

TEST(TelnetClientConnect, RefusedPortNamesHostPortAndReason) {
    uint16_t port = 0;
    {
        asio::io_context io;
        asio::ip::tcp::acceptor acceptor(io, {asio::ip::address_v4::loopback(), 0});
        port = acceptor.local_endpoint().port();
    } // closed again: nothing listens there now
    TTelnetClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(port);
    try {
        client.Connect();
        FAIL() << "connected to a closed port";
    } catch (const ETelnetConnectError& AError) {
        EXPECT_EQ(std::string(AError.what()),
                  "Cannot connect to 127.0.0.1:" + std::to_string(port) + ": Connection refused");
    }
    EXPECT_FALSE(client.Connected());
}

TEST(TelnetClientConnect, TimeOutWhenNobodyAnswers) {
    TFullListener listener;
    TTelnetClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(listener.Port());
    client.SetConnectTimeout(300ms);
    try {
        client.Connect();
        GTEST_SKIP() << "this system accepts beyond a full queue";
    } catch (const ETelnetConnectError& AError) {
        EXPECT_EQ(std::string(AError.what()),
                  "Cannot connect to 127.0.0.1:" + std::to_string(listener.Port()) +
                      ": Connection timed out");
    }
    EXPECT_FALSE(client.Connected());
}

TEST(TelnetClientConnect, DisconnectEndsAConnectThatWaits) {
    TFullListener listener;
    TTelnetClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(listener.Port());
    std::promise<std::string> outcome;
    std::thread connecting([&] {
        try {
            client.Connect();
            outcome.set_value("connected");
        } catch (const ETelnetConnectError& AError) {
            outcome.set_value(AError.what());
        }
    });
    std::this_thread::sleep_for(200ms);
    client.Disconnect();
    auto result = outcome.get_future();
    // Far less than the 10 s connect time-out.
    ASSERT_EQ(result.wait_for(5s), std::future_status::ready);
    connecting.join();
    const std::string message = result.get();
    if (message == "connected")
        GTEST_SKIP() << "this system accepts beyond a full queue";
    EXPECT_EQ(message.rfind("Cannot connect to 127.0.0.1:", 0), 0u) << message;
    EXPECT_FALSE(client.Connected());
}

TEST(TelnetClientConnect, ReservedInvalidNameFailsWithoutLookup) {
    TTelnetClient client;
    EXPECT_EQ(client.ConnectTimeout(), 10000ms);
    EXPECT_EQ(client.Port(), 23);
    client.SetHost("no-such-router.invalid");
    try {
        client.Connect();
        FAIL() << "resolved a name under .invalid";
    } catch (const ETelnetConnectError& AError) {
        EXPECT_EQ(
            std::string(AError.what()).rfind("Cannot connect to no-such-router.invalid:23: ", 0),
            0u)
            << AError.what();
    }
}

// Bursts split at every position, inside commands too, give the same data and answers.
TEST(TelnetProtocol, EverySplitGivesTheSameDataAndAnswers) {
    const std::string stream =
        Bytes({'A',      'c', IAC, WILL, OptEcho, 'o', IAC,    IAC, 'u', IAC,     SB,
               OptTType, 1,   IAC, SE,   'n',     IAC, '\xf1', 't', IAC, SB,      OptNAWS,
               1,        IAC, IAC, 2,    IAC,     SE,  ':',    IAC, DO,  OptTType});
    const std::string data = std::string("Aco\xffunt:");
    const std::string answers = Bytes(
        {IAC, DO, OptEcho, IAC, SB, OptTType, 0, 'd', 'u', 'm', 'b', IAC, SE, IAC, WILL, OptTType});
    for (std::size_t first = 0; first <= stream.size(); ++first) {
        for (std::size_t second = first; second <= stream.size(); ++second) {
            std::string sent;
            TTelnetProtocol protocol([&](std::string_view ABytes) { sent.append(ABytes); });
            std::string received = protocol.Receive(std::string_view(stream).substr(0, first));
            received += protocol.Receive(std::string_view(stream).substr(first, second - first));
            received += protocol.Receive(std::string_view(stream).substr(second));
            ASSERT_EQ(received, data) << "split at " << first << " and " << second;
            ASSERT_EQ(sent, answers) << "split at " << first << " and " << second;
            ASSERT_TRUE(protocol.CommandSeen());
        }
    }
}

// CR NUL is a bare CR: no NUL byte is data, wherever the bursts split.
TEST(TelnetProtocol, NulBytesAreNoData) {
    const std::string stream =
        std::string("a\r\0b\r\nc\0", 9) + Bytes({IAC, '\xf1'}) + std::string("\0d", 2);
    for (std::size_t split = 0; split <= stream.size(); ++split) {
        TTelnetProtocol protocol([](std::string_view) {});
        std::string received = protocol.Receive(std::string_view(stream).substr(0, split));
        received += protocol.Receive(std::string_view(stream).substr(split));
        ASSERT_EQ(received, "a\rb\r\ncd") << "split at " << split;
    }
}

// The simulated router console as the peer: negotiation, prompts and a whole command.
class TelnetClientWithSimulatorTest : public ::testing::Test {
protected:
    void Start(TRouterSimOptions AOptions = {}) {
        FSim.emplace(std::move(AOptions));
        FClient.SetHost("127.0.0.1");
        FClient.SetPort(FSim->Start());
        FCollector.Attach(FClient);
        FClient.Connect();
    }
    void LogOn() {
        ASSERT_TRUE(FCollector.WaitForEnding("Account:"));
        FClient.SendString("admin\r");
        ASSERT_TRUE(FCollector.WaitForEnding("Password: "));
        FClient.SendString("admin\r");
        ASSERT_TRUE(FCollector.WaitForEnding("DrayTek> "));
        FCollector.TakeData();
    }

    std::optional<TRouterSim> FSim;
    TCollector FCollector;
    TTelnetClient FClient;
};

TEST_F(TelnetClientWithSimulatorTest, LogsOnAndRunsACommand) {
    Start();
    LogOn();
    EXPECT_EQ(FSim->TerminalType(), "dumb");
    FClient.SendString("vdsl status\r");
    ASSERT_TRUE(FCollector.WaitForEnding("\r\nDrayTek> "));
    const std::string answer = FCollector.TakeData();
    EXPECT_EQ(answer.rfind("vdsl status\r\n", 0), 0u) << "the answer starts with the echo";
    EXPECT_NE(answer.find("Running Mode            :      17A"), std::string::npos);
    EXPECT_EQ(answer.find('\xff'), std::string::npos);
    EXPECT_EQ(FSim->Commands(), std::vector<std::string>{"vdsl status"});
}

TEST_F(TelnetClientWithSimulatorTest, OneByteBurstsStillMakeTheWholeAnswer) {
    TRouterSimOptions options;
    options.OneBytePerBurst = true;
    options.ByteBurstPause = 500us;
    Start(options);
    LogOn();
    FClient.SendString("vdsl annex\r");
    ASSERT_TRUE(FCollector.WaitForEnding("DrayTek> "));
    EXPECT_EQ(FCollector.Data().rfind("vdsl annex\r\n Annex Mode    : A\r\n", 0), 0u);
    EXPECT_GT(FCollector.Bursts().size(), 10u);
}

TEST_F(TelnetClientWithSimulatorTest, ServerClosingIsReported) {
    TRouterSimOptions options;
    options.CloseAfterCommands = 1;
    Start(options);
    LogOn();
    FClient.SendString("vdsl annex\r");
    ASSERT_TRUE(FCollector.WaitForClosed());
    EXPECT_FALSE(FClient.Connected());
    EXPECT_TRUE(FCollector.Data().ends_with("DrayTek> "));
}

TEST_F(TelnetClientWithSimulatorTest, StoppingTheSimulatorClosesTheClient) {
    Start();
    ASSERT_TRUE(FCollector.WaitForEnding("Account:"));
    FSim->Stop();
    ASSERT_TRUE(FCollector.WaitForClosed());
    EXPECT_FALSE(FClient.Connected());
}

} // namespace
