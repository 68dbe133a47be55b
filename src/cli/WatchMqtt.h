// The --mqtt options of "vexlorin-cli watch": each sample of the watched line published
// to an MQTT broker (retained summary, Home Assistant discovery), see monitor/MqttPublisher.h.
#pragma once

#include "cli/HistoryCommands.h"
#include "monitor/MqttPublisher.h"

#include <memory>
#include <string>

namespace vexlorin::cli {

class TWatchMqtt {
public:
    // Adds --mqtt, --mqtt-topic, --mqtt-user and --mqtt-password-file to the watch command.
    explicit TWatchMqtt(THistoryCommands& ACommands);
    // After parsing, before the watch runs: connects (in the background) when --mqtt was
    // given and hooks the publisher onto the watch's samples. ECliError for unusable options.
    void Start();

private:
    THistoryCommands& FCommands;
    std::string FAddress, FTopic, FUser, FPasswordFile;
    std::unique_ptr<monitor::TMqttPublisher> FPublisher;
};

} // namespace vexlorin::cli
