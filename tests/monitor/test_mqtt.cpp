// The MQTT publisher against a real Mosquitto broker on loopback: the retained summary and
// the Home Assistant discovery configs read back with mosquitto_sub, and a broker that
// comes up late still gets the latest sample.
#include "MonitorTestSupport.h"
#include "RouterSim.h"
#include "monitor/MqttPublisher.h"
#include "monitor/Sampler.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <sstream>

namespace vexlorin {
namespace {

using monitor::TMqttOptions;
using monitor::TMqttPublisher;
using test::TTempDir;

constexpr const char* MosquittoPath = "/usr/sbin/mosquitto";
constexpr const char* SubscribePath = "/usr/bin/mosquitto_sub";

class TBroker {
public:
    TBroker(const TTempDir& ADir, uint16_t APort) {
        const std::string config = ADir.File("mosquitto.conf");
        test::WriteWholeFile(config, "listener " + std::to_string(APort) +
                                         " 127.0.0.1\nallow_anonymous true\npersistence false\n");
        FProcess = std::make_unique<test::TBackground>(
            std::vector<std::string>{MosquittoPath, "-c", config}, ADir.File("mosquitto.out"),
            ADir.File("mosquitto.err"));
    }

private:
    std::unique_ptr<test::TBackground> FProcess;
};

// Every retained message below the topics: topic -> payload.
std::map<std::string, std::string> Retained(uint16_t APort, std::size_t ACount) {
    const test::TRunResult result = test::RunProgram(
        {SubscribePath, "-h", "127.0.0.1", "-p", std::to_string(APort), "-t", "vexlorin/#", "-t",
         "homeassistant/#", "-v", "-C", std::to_string(ACount), "-W", "10"});
    std::map<std::string, std::string> messages;
    std::istringstream in(result.Out);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t space = line.find(' ');
        if (space != std::string::npos)
            messages[line.substr(0, space)] = line.substr(space + 1);
    }
    return messages;
}

monitor::TSample SimSample() {
    TRouterSim sim;
    monitor::TTarget target;
    target.Host = "127.0.0.1";
    target.Port = sim.Start();
    target.User = target.Password = "admin";
    const std::atomic<bool> stop{false};
    return monitor::ReadSample(target, stop);
}

TMqttOptions Options(uint16_t APort) {
    TMqttOptions options;
    options.Host = "127.0.0.1";
    options.Port = APort;
    options.Topic = "vexlorin/office";
    options.LineName = "office";
    return options;
}

bool Skip() {
    return !test::HasProgram(MosquittoPath) || !test::HasProgram(SubscribePath);
}

TEST(Mqtt, RetainedSummaryAndDiscoveryConfigs) {
    if (Skip())
        GTEST_SKIP() << "mosquitto is missing: run scripts/install-deps";
    TTempDir dir;
    const uint16_t port = test::FreeLoopbackPort();
    TBroker broker(dir, port);
    const monitor::TSample sample = SimSample();
    ASSERT_TRUE(sample.Completed) << sample.Message;
    {
        TMqttPublisher publisher(Options(port));
        ASSERT_TRUE(test::WaitFor([&] { return publisher.Connected(); }, std::chrono::seconds(10)));
        publisher.Publish(sample);
        // Discovery configs, availability and state.
        ASSERT_TRUE(
            test::WaitFor([&] { return publisher.Published() >= 12; }, std::chrono::seconds(5)));
    }
    const auto messages = Retained(port, 12);
    ASSERT_TRUE(messages.count("vexlorin/office/state")) << messages.size();
    const auto state = nlohmann::json::parse(messages.at("vexlorin/office/state"));
    EXPECT_EQ(state["success"], true);
    EXPECT_EQ(state["ending"], "completed");
    EXPECT_EQ(state["state"], "SHOWTIME");
    EXPECT_EQ(state["ds"]["snr_margin_db"],
              sample.Summary.Get(sdDown, diSNRMargin).AsNumber().value());
    EXPECT_EQ(state["us"]["actual_rate_bps"],
              sample.Summary.Get(sdUp, diActualRate).AsInteger().value());
    EXPECT_FALSE(state["ds"].contains("signal_attenuation_db")) << "absent values stay absent";
    // A clean end says so on the availability topic.
    EXPECT_EQ(messages.at("vexlorin/office/availability"), "offline");

    const std::string config = "homeassistant/sensor/vexlorin_office/ds_snr_margin/config";
    ASSERT_TRUE(messages.count(config));
    const auto discovery = nlohmann::json::parse(messages.at(config));
    EXPECT_EQ(discovery["state_topic"], "vexlorin/office/state");
    EXPECT_EQ(discovery["value_template"], "{{ value_json.ds.snr_margin_db }}");
    EXPECT_EQ(discovery["unit_of_measurement"], "dB");
    EXPECT_EQ(discovery["unique_id"], "vexlorin_office_ds_snr_margin");
    EXPECT_EQ(discovery["device"]["identifiers"][0], "vexlorin_office");
    for (const char* entity : {"state", "ds_rate", "us_rate", "us_snr_margin", "ds_attenuation",
                               "us_attenuation", "retrains", "ds_attainable_rate"})
        EXPECT_TRUE(messages.count("homeassistant/sensor/vexlorin_office/" + std::string(entity) +
                                   "/config"))
            << entity;
}

TEST(Mqtt, BrokerThatIsDownHoldsNothingUpAndGetsTheLatestSampleLater) {
    if (Skip())
        GTEST_SKIP() << "mosquitto is missing: run scripts/install-deps";
    TTempDir dir;
    const uint16_t port = test::FreeLoopbackPort();
    TMqttPublisher publisher(Options(port));
    monitor::TSample sample;
    for (int64_t i = 1; i <= 5; ++i) {
        sample.TimeMs = i * 86'400'000; // 1970-01-0{2..6}
        sample.Ending = reConnectFailed;
        publisher.Publish(sample);
    }
    EXPECT_FALSE(publisher.Connected());
    TBroker broker(dir, port);
    ASSERT_TRUE(test::WaitFor([&] { return publisher.Connected(); }, std::chrono::seconds(30)));
    std::map<std::string, std::string> messages;
    ASSERT_TRUE(test::WaitFor(
        [&] {
            messages = Retained(port, 12);
            return messages.count("vexlorin/office/state") > 0;
        },
        std::chrono::seconds(10)));
    const auto state = nlohmann::json::parse(messages.at("vexlorin/office/state"));
    EXPECT_EQ(state["time"], "1970-01-06T00:00:00Z");
    EXPECT_EQ(state["success"], false);
    EXPECT_EQ(state["ending"], "connect-failed");
    EXPECT_EQ(messages.at("vexlorin/office/availability"), "online");
}

TEST(Mqtt, BrokerAddresses) {
    using monitor::ParseHostPort;
    const std::pair<const char*, std::optional<std::pair<std::string, int>>> cases[] = {
        {"broker", std::pair<std::string, int>{"broker", 1883}},
        {"127.0.0.1:1884", std::pair<std::string, int>{"127.0.0.1", 1884}},
        {"[::1]:8883", std::pair<std::string, int>{"::1", 8883}},
        {"[::1]", std::pair<std::string, int>{"::1", 1883}},
        {"", std::nullopt},
        {":1883", std::nullopt},
        {"host:", std::nullopt},
        {"host:0", std::nullopt},
        {"host:65536", std::nullopt},
        {"host:12x", std::nullopt},
        {"::1", std::nullopt},
        {"[::1", std::nullopt}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseHostPort(text, 1883), expected) << text;
}

} // namespace
} // namespace vexlorin

namespace vexlorin {
namespace {

TEST(Mqtt, WatchPublishesEachSampleItRecords) {
    if (Skip())
        GTEST_SKIP() << "mosquitto is missing: run scripts/install-deps";
    TTempDir dir;
    const uint16_t brokerPort = test::FreeLoopbackPort();
    TBroker broker(dir, brokerPort);
    TRouterSimOptions options;
    options.Profile = vp35b;
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    test::TRunOptions run;
    run.Env["VEXLORIN_PASSWORD"] = "admin";
    const test::TRunResult result =
        test::RunCli({"watch", "127.0.0.1", "--port", std::to_string(port), "--user", "admin",
                      "--db", dir.File("history.sqlite"), "--count", "2", "--interval", "1s",
                      "--no-bins", "--mqtt", "127.0.0.1:" + std::to_string(brokerPort)},
                     run);
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    const std::string topic = "vexlorin/127_0_0_1_" + std::to_string(port);
    std::map<std::string, std::string> messages;
    ASSERT_TRUE(test::WaitFor(
        [&] {
            messages = Retained(brokerPort, 12);
            return messages.count(topic + "/state") > 0;
        },
        std::chrono::seconds(10)))
        << result.Err;
    const auto state = nlohmann::json::parse(messages.at(topic + "/state"));
    EXPECT_EQ(state["success"], true);
    EXPECT_EQ(state["profile"], "35B");
    EXPECT_TRUE(state["ds"].contains("snr_margin_db"));
    EXPECT_TRUE(messages.count("homeassistant/sensor/vexlorin_127_0_0_1_" + std::to_string(port) +
                               "/us_rate/config"));

    // Options that cannot work are refused before anything runs.
    const test::TRunResult topicWithoutBroker =
        test::RunCli({"watch", "127.0.0.1", "--port", std::to_string(port), "--user", "admin",
                      "--db", dir.File("history.sqlite"), "--count", "1", "--mqtt-topic", "x"},
                     run);
    EXPECT_EQ(topicWithoutBroker.ExitCode, 1);
    EXPECT_NE(topicWithoutBroker.Err.find("need --mqtt"), std::string::npos)
        << topicWithoutBroker.Err;
    const test::TRunResult wildcard = test::RunCli(
        {"watch", "127.0.0.1", "--port", std::to_string(port), "--user", "admin", "--db",
         dir.File("history.sqlite"), "--count", "1", "--mqtt", "127.0.0.1", "--mqtt-topic", "a/#"},
        run);
    EXPECT_EQ(wildcard.ExitCode, 1);
    EXPECT_NE(wildcard.Err.find("is not a topic to publish to"), std::string::npos) << wildcard.Err;
}

} // namespace
} // namespace vexlorin
