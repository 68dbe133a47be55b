// vexlorin-cli serve as the program: two vexlorin-routersim programs behind it, scraped
// over HTTP on loopback, its answers checked with promtool; hostile requests, reloads and
// bad targets files.
#include "LineModel.h"
#include "MonitorTestSupport.h"
#include "history/HistoryStore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vexlorin {
namespace {

using test::HttpGet;
using test::MetricValue;
using test::TChildProcess;
using test::TServe;
using test::TTempDir;
using test::WriteWholeFile;

struct TSimProgram {
    TSimProgram(const std::string& AProfile, uint64_t ASeed)
        : Process({VEXLORIN_ROUTERSIM_PATH, "--port", "0", "--profile", AProfile, "--seed",
                   std::to_string(ASeed), "--reject-second"}) {
        const std::string line = Process.ReadLine(); // "listening on 127.0.0.1:PORT"
        Port = std::stoi(line.substr(line.rfind(':') + 1));
    }
    TChildProcess Process;
    int Port = 0;
};

std::string TargetToml(const std::string& AName, int APort, const std::string& APasswordFile,
                       const std::string& AInterval = "1s") {
    return "[targets." + AName + "]\nhost = \"127.0.0.1\"\nport = " + std::to_string(APort) +
           "\nuser = \"admin\"\npassword_file = \"" + APasswordFile + "\"\ninterval = \"" +
           AInterval + "\"\n";
}

bool ProbeReady(int APort, const std::string& ATarget) {
    return HttpGet(APort, "/probe?target=" + ATarget).Status == 200;
}

// Sends raw bytes and reads the answer until the server closes (or 5 s pass).
std::string RawRequest(int APort, const std::string& ABytes) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(APort));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return {};
    }
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    // The server may stop reading and close while this is still sending: that is the refusal.
    std::size_t sent = 0;
    while (sent < ABytes.size()) {
        const ssize_t n = send(fd, ABytes.data() + sent, ABytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    std::string answer;
    char buffer[4096];
    ssize_t n;
    while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0)
        answer.append(buffer, static_cast<std::size_t>(n));
    close(fd);
    return answer;
}

class Serve : public ::testing::Test {
protected:
    void SetUp() override {
        Password = Dir.File("pw");
        WriteWholeFile(Password, "admin\n");
        Targets = Dir.File("targets.toml");
        WriteWholeFile(Targets, TargetToml("office", Office.Port, Password) +
                                    TargetToml("home", Home.Port, Password));
    }
    TTempDir Dir;
    TSimProgram Office{"17a", 11};
    TSimProgram Home{"35b", 23};
    std::string Password, Targets;
};

TEST_F(Serve, ProbeGivesEachRoutersMarginAndPromtoolAcceptsIt) {
    TServe serve(Dir, Targets);
    ASSERT_TRUE(test::WaitFor(
        [&] { return ProbeReady(serve.Port(), "office") && ProbeReady(serve.Port(), "home"); },
        std::chrono::seconds(15)))
        << serve.Err();
    for (const auto& [name, profile, seed] :
         {std::tuple{"office", vp17a, 11}, std::tuple{"home", vp35b, 23}}) {
        SCOPED_TRACE(name);
        const test::THttpResult probe = HttpGet(serve.Port(), std::string("/probe?target=") + name);
        EXPECT_EQ(probe.ContentType, "text/plain; version=0.0.4; charset=utf-8");
        const routersim::TLineModel model(profile, static_cast<uint64_t>(seed));
        EXPECT_EQ(MetricValue(probe.Body, "dsl_signal_to_noise_margin_db{direction=\"down\"}"),
                  static_cast<int>(model.SNRMargin(sdDown)))
            << probe.Body;
        const test::TRunResult check = test::PromtoolCheck(Dir, probe.Body);
        EXPECT_EQ(check.ExitCode, 0) << check.Out << check.Err;
    }
    const test::THttpResult metrics = HttpGet(serve.Port(), "/metrics");
    EXPECT_EQ(metrics.Status, 200);
    const test::TRunResult check = test::PromtoolCheck(Dir, metrics.Body);
    EXPECT_EQ(check.ExitCode, 0) << check.Out << check.Err << metrics.Body;
    EXPECT_EQ(MetricValue(metrics.Body, "vexlorin_exporter_targets"), 2);
    EXPECT_EQ(MetricValue(metrics.Body, "vexlorin_exporter_targets_up"), 2);
    EXPECT_GE(MetricValue(metrics.Body, "vexlorin_exporter_samples_total"), 2);
    // --reject-second: any overlap of sessions would have shown up as a failure.
    EXPECT_EQ(MetricValue(metrics.Body,
                          "vexlorin_exporter_sample_failures_total{ending=\"single-connection\"}"),
              0);

    const test::THttpResult index = HttpGet(serve.Port(), "/");
    EXPECT_EQ(index.Status, 200);
    EXPECT_NE(index.Body.find("<a href=\"/probe?target=office\">office</a>"), std::string::npos);
    EXPECT_NE(index.Body.find("completed"), std::string::npos);

    serve.Process().Signal(SIGTERM);
    EXPECT_EQ(serve.Process().Wait(std::chrono::seconds(5)), 0);
}

TEST_F(Serve, BadRequestsGetClearAnswersAndBoundedMemory) {
    TServe serve(Dir, Targets);
    struct TCase {
        std::string Path;
        int Status;
        std::string Text;
    };
    const TCase cases[] = {
        {"/probe?target=nowhere", 404, "Unknown target \"nowhere\": it is not in the targets file"},
        {"/probe", 400, "No target was asked for"},
        {"/probe?target=", 400, "No target was asked for"},
        {"/probe?target=office&target=home", 400, "More than one target"},
        {"/probe?target=%zz%", 404, "Unknown target"},
        {"/probe?target=%0a%1b", 404, "Unknown target \"??\""},
        {"/probe?&&&==&", 400, "No target"},
        {"/probe?target=office%00x", 404, "Unknown target"},
        {"/nothing", 404, "This server answers /, /metrics and /probe?target=NAME"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Path);
        const test::THttpResult result = HttpGet(serve.Port(), c.Path);
        EXPECT_EQ(result.Status, c.Status);
        EXPECT_NE(result.Body.find(c.Text), std::string::npos) << result.Body;
    }

    // Request lines of 100 KB are refused; one of 64 MB too, and the server's peak memory
    // shows it never held it (it reads no more than 16 KiB of a request).
    ASSERT_TRUE(test::WaitFor([&] { return ProbeReady(serve.Port(), "office"); },
                              std::chrono::seconds(15)));
    for (int i = 0; i < 10; ++i) {
        const std::string answer =
            RawRequest(serve.Port(), "GET /probe?target=" + std::string(100 * 1024, 'a') +
                                         " HTTP/1.1\r\nHost: x\r\n\r\n");
        EXPECT_EQ(answer.rfind("HTTP/1.1 414", 0), 0u) << answer.substr(0, 200);
    }
    const long before = serve.Process().PeakRssKiB();
    const std::string huge = RawRequest(
        serve.Port(), "GET /" + std::string(std::size_t{64} << 20, 'a') + " HTTP/1.1\r\n\r\n");
    EXPECT_EQ(huge.rfind("HTTP/1.1 414", 0), 0u) << huge.substr(0, 200);
    const std::string longHeader = RawRequest(
        serve.Port(), "GET /metrics HTTP/1.1\r\nX: " + std::string(200000, 'b') + "\r\n\r\n");
    EXPECT_EQ(longHeader.rfind("HTTP/1.1 400", 0), 0u) << longHeader.substr(0, 200);
    const long after = serve.Process().PeakRssKiB();
    EXPECT_LT(after - before, 32 * 1024) << before << " KiB peak before, " << after << " KiB after";
    // And it still serves.
    EXPECT_EQ(HttpGet(serve.Port(), "/probe?target=office").Status, 200);
}

TEST_F(Serve, SighupReadsTheTargetsFileAgainAndKeepsThemOnABadOne) {
    TServe serve(Dir, Targets);
    TSimProgram third("8b", 5);
    WriteWholeFile(Targets, TargetToml("office", Office.Port, Password) +
                                TargetToml("third", third.Port, Password));
    serve.Process().Signal(SIGHUP);
    ASSERT_TRUE(
        test::WaitFor([&] { return ProbeReady(serve.Port(), "third"); }, std::chrono::seconds(15)))
        << serve.Err();
    EXPECT_EQ(HttpGet(serve.Port(), "/probe?target=home").Status, 404);

    WriteWholeFile(Targets, TargetToml("office", Office.Port, Password) + "password = \"x\"\n");
    serve.Process().Signal(SIGHUP);
    ASSERT_TRUE(
        test::WaitFor([&] { return serve.Err().find("holds a password") != std::string::npos; },
                      std::chrono::seconds(5)))
        << serve.Err();
    EXPECT_NE(serve.Err().find("The targets stay as they were"), std::string::npos);
    EXPECT_EQ(MetricValue(HttpGet(serve.Port(), "/metrics").Body,
                          "vexlorin_exporter_targets_reload_success"),
              0);
    EXPECT_EQ(HttpGet(serve.Port(), "/probe?target=third").Status, 200);
}

TEST_F(Serve, UnreachableRouterIsATargetThatIsDownNotAnError) {
    WriteWholeFile(Targets, TargetToml("office", Office.Port, Password) +
                                TargetToml("gone", test::FreeLoopbackPort(), Password));
    TServe serve(Dir, Targets);
    ASSERT_TRUE(
        test::WaitFor([&] { return ProbeReady(serve.Port(), "gone"); }, std::chrono::seconds(15)));
    const std::string body = HttpGet(serve.Port(), "/probe?target=gone").Body;
    EXPECT_EQ(MetricValue(body, "vexlorin_sample_success"), 0);
    EXPECT_EQ(MetricValue(body, "vexlorin_sample_ending_info{ending=\"connect-failed\"}"), 1);
    EXPECT_EQ(body.find("dsl_"), std::string::npos);
    EXPECT_EQ(test::PromtoolCheck(Dir, body).ExitCode, 0);
    const std::string metrics = HttpGet(serve.Port(), "/metrics").Body;
    EXPECT_GE(
        MetricValue(metrics, "vexlorin_exporter_sample_failures_total{ending=\"connect-failed\"}"),
        1);
}

TEST_F(Serve, BadTargetsFilesStopItBeforeItServes) {
    const std::pair<std::string, std::string> cases[] = {
        {"[targets.a\nhost = 1\n", "line 1"},
        {TargetToml("a", 1, Password) + "colour = \"red\"\n", "unknown key \"colour\""},
        {TargetToml("a", 1, Password) + "password = \"admin\"\n", "holds a password"},
        {TargetToml("a", 1, Password) + TargetToml("a", 2, Password), "line 7"},
        {TargetToml("a", 1, Dir.File("missing.pw")), "cannot read its password_file"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(message);
        WriteWholeFile(Targets, text);
        const test::TRunResult result =
            test::RunCli({"serve", "--listen", "127.0.0.1:0", "--targets", Targets});
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_NE(result.Err.find(message), std::string::npos) << result.Err;
        EXPECT_NE(result.Err.find("Nothing is served"), std::string::npos) << result.Err;
        EXPECT_EQ(result.Out, "");
    }
    const test::TRunResult badListen =
        test::RunCli({"serve", "--listen", "localhost", "--targets", Targets});
    EXPECT_EQ(badListen.ExitCode, 1);
    EXPECT_NE(badListen.Err.find("is not HOST:PORT"), std::string::npos) << badListen.Err;
}

} // namespace
} // namespace vexlorin

namespace vexlorin {
namespace {

TEST_F(Serve, DbRecordsEverySampleIntoTheHistoryStore) {
    const std::string db = Dir.File("history.sqlite");
    {
        TServe serve(Dir, Targets, {"--db", db});
        ASSERT_TRUE(test::WaitFor(
            [&] {
                const std::string metrics = HttpGet(serve.Port(), "/metrics").Body;
                return MetricValue(metrics, "vexlorin_exporter_samples_total") >= 4;
            },
            std::chrono::seconds(20)))
            << serve.Err();
        serve.Process().Signal(SIGTERM);
        EXPECT_EQ(serve.Process().Wait(std::chrono::seconds(5)), 0) << serve.Err();
    }
    const auto store = history::THistoryStore::Open(db, history::THistoryStore::TMode::ReadOnly);
    const auto lines = store->Lines();
    ASSERT_EQ(lines.size(), 2u);
    for (const auto& line : lines) {
        SCOPED_TRACE(line.Key.Port);
        const bool office = line.Key.Port == Office.Port;
        const routersim::TLineModel model(office ? vp17a : vp35b, office ? 11 : 23);
        const auto samples = store->Samples(line.Id, 0, std::numeric_limits<int64_t>::max());
        ASSERT_GE(samples.size(), 1u);
        for (const auto& sample : samples) {
            EXPECT_EQ(sample.Outcome, history::TSampleOutcome::Completed) << sample.Message;
            EXPECT_EQ(sample.Summary.Get(sdDown, diSNRMargin).AsNumber(),
                      static_cast<int>(model.SNRMargin(sdDown)));
        }
    }
}

} // namespace
} // namespace vexlorin
