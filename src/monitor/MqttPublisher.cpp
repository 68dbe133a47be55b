#include "monitor/MqttPublisher.h"

#include <mosquitto.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <charconv>
#include <chrono>
#include <ctime>
#include <mutex>

namespace vexlorin::monitor {

namespace {

using json = nlohmann::ordered_json;

std::once_flag LibraryInit;

json ValueJson(const TSummaryValue& AValue) {
    if (const auto integer = AValue.AsInteger())
        return *integer;
    if (const auto number = AValue.AsNumber())
        return *number;
    if (const auto text = AValue.AsText())
        return *text;
    return nullptr;
}

template <typename TFields, typename TValues>
void AddValues(json& AOut, const TFields& AFields, const TValues& AValues) {
    for (std::size_t i = 0; i < AFields.size(); ++i)
        if (AValues[i].Has())
            AOut[std::string(AFields[i].Key)] = ValueJson(AValues[i]);
}

std::string IsoTime(int64_t ATimeMs) {
    const std::time_t seconds = static_cast<std::time_t>(ATimeMs / 1000);
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buffer;
}

// The main values Home Assistant gets an entity for.
struct TEntity {
    const char* Id;
    const char* Name;
    const char* Template;
    const char* Unit;
    const char* DeviceClass;
    const char* StateClass;
};

constexpr TEntity Entities[] = {
    {"state", "Line state", "{{ value_json.state }}", "", "", ""},
    {"ds_rate", "Downstream rate", "{{ value_json.ds.actual_rate_bps }}", "bit/s", "data_rate",
     "measurement"},
    {"us_rate", "Upstream rate", "{{ value_json.us.actual_rate_bps }}", "bit/s", "data_rate",
     "measurement"},
    {"ds_attainable_rate", "Downstream attainable rate", "{{ value_json.ds.attainable_rate_bps }}",
     "bit/s", "data_rate", "measurement"},
    {"us_attainable_rate", "Upstream attainable rate", "{{ value_json.us.attainable_rate_bps }}",
     "bit/s", "data_rate", "measurement"},
    {"ds_snr_margin", "Downstream SNR margin", "{{ value_json.ds.snr_margin_db }}", "dB", "",
     "measurement"},
    {"us_snr_margin", "Upstream SNR margin", "{{ value_json.us.snr_margin_db }}", "dB", "",
     "measurement"},
    {"ds_attenuation", "Downstream line attenuation", "{{ value_json.ds.attenuation_db }}", "dB",
     "", "measurement"},
    {"us_attenuation", "Upstream line attenuation", "{{ value_json.us.attenuation_db }}", "dB", "",
     "measurement"},
    {"retrains", "Retrains", "{{ value_json.retrains }}", "", "", "total_increasing"},
};

} // namespace

std::optional<std::pair<std::string, int>> ParseHostPort(const std::string& AText, int ADefaultPort,
                                                         bool AAllowZero) {
    std::string host = AText;
    std::string port;
    if (!AText.empty() && AText.front() == '[') {
        const std::size_t close = AText.find(']');
        if (close == std::string::npos)
            return std::nullopt;
        host = AText.substr(1, close - 1);
        if (close + 1 < AText.size()) {
            if (AText[close + 1] != ':')
                return std::nullopt;
            port = AText.substr(close + 2);
            if (port.empty())
                return std::nullopt;
        }
    } else if (const std::size_t colon = AText.rfind(':'); colon != std::string::npos) {
        if (AText.find(':') != colon)
            return std::nullopt; // a bare IPv6 address needs its brackets
        host = AText.substr(0, colon);
        port = AText.substr(colon + 1);
        if (port.empty())
            return std::nullopt;
    }
    if (host.empty())
        return std::nullopt;
    int number = ADefaultPort;
    if (!port.empty()) {
        const auto result = std::from_chars(port.data(), port.data() + port.size(), number);
        if (result.ec != std::errc() || result.ptr != port.data() + port.size() ||
            number < (AAllowZero ? 0 : 1) || number > 65535)
            return std::nullopt;
    }
    return std::make_pair(host, number);
}

std::string TopicPart(std::string_view AText) {
    std::string out;
    for (const char c : AText)
        out += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
    return out.empty() ? std::string("line") : out;
}

std::string SampleStateJson(const TSample& ASample) {
    json out;
    out["time"] = IsoTime(ASample.TimeMs);
    out["success"] = ASample.Completed;
    out["ending"] = std::string(EndingKey(ASample.Ending));
    if (!ASample.Message.empty())
        out["message"] = ASample.Message;
    out["duration_seconds"] = ASample.DurationSeconds;
    if (ASample.Completed) {
        if (ASample.Profile != vpNA)
            out["profile"] = VDSLProfileNames[ASample.Profile];
        const TLineSummary& summary = ASample.Summary;
        AddValues(out, LineFields(), summary.Line);
        for (const TStatDirection direction : {sdDown, sdUp}) {
            json values = json::object();
            AddValues(values, DirectionFields(), summary.Directions[direction]);
            out[std::string(DirectionKey(direction))] = std::move(values);
        }
    }
    return out.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::vector<std::pair<std::string, std::string>> DiscoveryMessages(const TMqttOptions& AOptions) {
    const std::string node = "vexlorin_" + TopicPart(AOptions.LineName);
    std::vector<std::pair<std::string, std::string>> messages;
    for (const TEntity& entity : Entities) {
        json config;
        config["name"] = entity.Name;
        config["unique_id"] = node + "_" + entity.Id;
        config["object_id"] = node + "_" + entity.Id;
        config["state_topic"] = AOptions.Topic + "/state";
        config["value_template"] = entity.Template;
        config["availability_topic"] = AOptions.Topic + "/availability";
        if (*entity.Unit)
            config["unit_of_measurement"] = entity.Unit;
        if (*entity.DeviceClass)
            config["device_class"] = entity.DeviceClass;
        if (*entity.StateClass)
            config["state_class"] = entity.StateClass;
        config["device"] = {{"identifiers", json::array({node})},
                            {"name", "DSL line " + AOptions.LineName},
                            {"manufacturer", "DrayTek"},
                            {"model", "Vigor VDSL router"}};
        messages.emplace_back(AOptions.DiscoveryPrefix + "/sensor/" + node + "/" + entity.Id +
                                  "/config",
                              config.dump(-1, ' ', false, json::error_handler_t::replace));
    }
    return messages;
}

TMqttPublisher::TMqttPublisher(TMqttOptions AOptions) : FOptions(std::move(AOptions)) {
    std::call_once(LibraryInit, [] { mosquitto_lib_init(); });
    FClient = mosquitto_new(nullptr, true, this);
    if (!FClient)
        throw EMqttError("Cannot create the MQTT client (out of memory).");
    const auto fail = [this](const std::string& AWhat, int ARc) {
        mosquitto_destroy(FClient);
        FClient = nullptr;
        throw EMqttError(AWhat + ": " + mosquitto_strerror(ARc));
    };
    int rc = MOSQ_ERR_SUCCESS;
    if (!FOptions.User.empty() &&
        (rc = mosquitto_username_pw_set(FClient, FOptions.User.c_str(),
                                        FOptions.Password.c_str())) != MOSQ_ERR_SUCCESS)
        fail("The MQTT user name cannot be used", rc);
    const std::string availability = FOptions.Topic + "/availability";
    if ((rc = mosquitto_will_set(FClient, availability.c_str(), 7, "offline", 1, true)) !=
        MOSQ_ERR_SUCCESS)
        fail("The MQTT topic \"" + FOptions.Topic + "\" cannot be used", rc);
    mosquitto_connect_callback_set(FClient, &TMqttPublisher::OnConnect);
    mosquitto_disconnect_callback_set(FClient, &TMqttPublisher::OnDisconnect);
    mosquitto_publish_callback_set(FClient, &TMqttPublisher::OnPublish);
    // Back-off 1 s doubling to 30 s while the broker is away.
    mosquitto_reconnect_delay_set(FClient, 1, 30, true);
    if ((rc = mosquitto_loop_start(FClient)) != MOSQ_ERR_SUCCESS)
        fail("The MQTT client cannot start its thread", rc);
    // A broker that is down now is retried by the loop; only a malformed address fails here.
    rc = mosquitto_connect_async(FClient, FOptions.Host.c_str(), FOptions.Port, 30);
    if (rc == MOSQ_ERR_INVAL) {
        mosquitto_loop_stop(FClient, true);
        fail("The MQTT broker address \"" + FOptions.Host + "\" cannot be used", rc);
    }
}

TMqttPublisher::~TMqttPublisher() {
    if (!FClient)
        return;
    if (FConnected) {
        // A clean end sends no will: say it, and give the broker a moment to take it
        // before the connection goes.
        int mid = 0;
        const std::string topic = FOptions.Topic + "/availability";
        if (mosquitto_publish(FClient, &mid, topic.c_str(), 7, "offline", 1, true) ==
            MOSQ_ERR_SUCCESS) {
            std::unique_lock lock(FLock);
            FAcked.wait_for(lock, std::chrono::seconds(2),
                            [&] { return FLastAcked == mid || !FConnected; });
        }
        mosquitto_disconnect(FClient);
    }
    mosquitto_loop_stop(FClient, true);
    mosquitto_destroy(FClient);
}

void TMqttPublisher::Publish(const TSample& ASample) {
    std::string state = SampleStateJson(ASample);
    std::lock_guard lock(FLock);
    FLatestState = std::move(state);
    if (FConnected)
        Send(FOptions.Topic + "/state", FLatestState, true);
}

void TMqttPublisher::OnConnect(mosquitto*, void* AThis, int ARc) {
    auto* self = static_cast<TMqttPublisher*>(AThis);
    if (ARc != 0)
        return; // refused (e.g. bad logon): the loop tries again later
    self->FConnected = true;
    self->SendAll();
}

void TMqttPublisher::OnDisconnect(mosquitto*, void* AThis, int) {
    auto* self = static_cast<TMqttPublisher*>(AThis);
    std::lock_guard lock(self->FLock);
    self->FConnected = false;
    self->FAcked.notify_all();
}

void TMqttPublisher::OnPublish(mosquitto*, void* AThis, int AMid) {
    auto* self = static_cast<TMqttPublisher*>(AThis);
    std::lock_guard lock(self->FLock);
    self->FLastAcked = AMid;
    self->FAcked.notify_all();
}

void TMqttPublisher::SendAll() {
    std::lock_guard lock(FLock);
    for (const auto& [topic, payload] : DiscoveryMessages(FOptions))
        Send(topic, payload, true);
    Send(FOptions.Topic + "/availability", "online", true);
    if (!FLatestState.empty())
        Send(FOptions.Topic + "/state", FLatestState, true);
}

void TMqttPublisher::Send(const std::string& ATopic, const std::string& APayload, bool ARetain) {
    if (mosquitto_publish(FClient, nullptr, ATopic.c_str(), static_cast<int>(APayload.size()),
                          APayload.data(), 1, ARetain) == MOSQ_ERR_SUCCESS)
        ++FPublished;
}

} // namespace vexlorin::monitor
