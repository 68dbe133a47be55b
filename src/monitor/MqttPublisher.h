// Publishing each sample of a line to an MQTT broker (libmosquitto), for Home Assistant
// and similar: the summary as one retained JSON message on TOPIC/state, "online" or
// "offline" on TOPIC/availability (the broker sends "offline" itself when the connection
// dies), and Home Assistant discovery configs for the main values, so the line shows up
// there without configuration.
//
// The connection runs on libmosquitto's own thread and reconnects on its own. Publish()
// never waits for the broker: while it is down the latest sample is kept and sent (with
// the discovery configs) as soon as the connection is back, so a broker that is down never
// holds up the sampling.
#pragma once

#include "monitor/Sample.h"

#include <nlohmann/json_fwd.hpp>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

struct mosquitto;

namespace vexlorin::monitor {

class EMqttError : public Exception {
public:
    using Exception::Exception;
};

struct TMqttOptions {
    std::string Host;
    int Port = 1883;
    std::string Topic;    // e.g. vexlorin/office; messages go below it
    std::string LineName; // shown in Home Assistant, e.g. "office" or the router's address
    std::string User;     // empty: no logon
    std::string Password; // from a file, never from the command line
    std::string DiscoveryPrefix = "homeassistant";
};

// "HOST" or "HOST:PORT" ("[v6]:PORT" too), ADefaultPort without a port; port 0 only with
// AAllowZero; none for a malformed text.
std::optional<std::pair<std::string, int>> ParseHostPort(const std::string& AText, int ADefaultPort,
                                                         bool AAllowZero = false);

// A topic part made of what MQTT and Home Assistant take: letters, digits, "_" and "-".
std::string TopicPart(std::string_view AText);

// The state message: {"time", "success", "ending", "message"?, "profile"?, and the
// summary's keys: "state", "mode", ..., "ds": {...}, "us": {...}, "retrains", ...}.
std::string SampleStateJson(const TSample& ASample);

// The discovery configs: (topic, payload) pairs.
std::vector<std::pair<std::string, std::string>> DiscoveryMessages(const TMqttOptions& AOptions);

class TMqttPublisher {
public:
    // Starts connecting in the background. EMqttError only for options libmosquitto
    // refuses outright (not for a broker that is down).
    explicit TMqttPublisher(TMqttOptions AOptions);
    ~TMqttPublisher(); // publishes "offline", disconnects, joins the network thread
    TMqttPublisher(const TMqttPublisher&) = delete;
    TMqttPublisher& operator=(const TMqttPublisher&) = delete;

    void Publish(const TSample& ASample);
    bool Connected() const { return FConnected; }
    // Messages handed to the broker since the start (for tests and logs).
    uint64_t Published() const { return FPublished; }

private:
    static void OnConnect(mosquitto*, void* AThis, int ARc);
    static void OnDisconnect(mosquitto*, void* AThis, int ARc);
    static void OnPublish(mosquitto*, void* AThis, int AMid);
    void SendAll();
    void Send(const std::string& ATopic, const std::string& APayload, bool ARetain);

    TMqttOptions FOptions;
    mosquitto* FClient = nullptr;
    std::mutex FLock;
    std::string FLatestState; // "" before the first sample
    std::atomic<bool> FConnected{false};
    std::atomic<uint64_t> FPublished{0};
    std::condition_variable FAcked;
    int FLastAcked = 0;
};

} // namespace vexlorin::monitor
