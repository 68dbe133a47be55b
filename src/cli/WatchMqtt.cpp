#include "cli/WatchMqtt.h"

#include "cli/CliErrors.h"
#include "cli/Password.h"
#include "history/Recorder.h"

#include <CLI/CLI.hpp>

namespace vexlorin::cli {

TWatchMqtt::TWatchMqtt(THistoryCommands& ACommands) : FCommands(ACommands) {
    CLI::App* watch = FCommands.Watch();
    watch
        ->add_option(
            "--mqtt", FAddress,
            "Also publish each sample to this MQTT broker, HOST[:PORT] (default port 1883)")
        ->type_name("HOST[:PORT]");
    watch
        ->add_option("--mqtt-topic", FTopic, "Topic the messages go below (default: vexlorin/HOST)")
        ->type_name("TOPIC");
    watch->add_option("--mqtt-user", FUser, "User name for the broker")->type_name("U");
    watch
        ->add_option("--mqtt-password-file", FPasswordFile,
                     "Read the broker password from the first line of FILE")
        ->type_name("F");
}

void TWatchMqtt::Start() {
    CLI::App* watch = FCommands.Watch();
    if (!watch->parsed())
        return;
    if (FAddress.empty()) {
        if (!FTopic.empty() || !FUser.empty() || !FPasswordFile.empty())
            throw ECliError(ecUsage,
                            "--mqtt-topic, --mqtt-user and --mqtt-password-file need --mqtt",
                            "Name the broker with --mqtt HOST[:PORT].");
        return;
    }
    const auto address = monitor::ParseHostPort(FAddress, 1883);
    if (!address)
        throw ECliError(ecUsage, "--mqtt \"" + FAddress + "\" is not HOST or HOST:PORT",
                        "Write it as e.g. --mqtt 127.0.0.1 or --mqtt broker.lan:1883.");
    if (!FPasswordFile.empty() && FUser.empty())
        throw ECliError(ecUsage, "--mqtt-password-file needs --mqtt-user", "");
    if (FTopic.find_first_of("#+") != std::string::npos ||
        (!FTopic.empty() && FTopic.back() == '/'))
        throw ECliError(
            ecUsage, "--mqtt-topic \"" + FTopic + "\" is not a topic to publish to",
            "Write it without wildcards and without a closing \"/\", e.g. vexlorin/office.");

    const std::string host = watch->get_option("HOST")->as<std::string>();
    const int port = watch->get_option("--port")->as<int>();
    monitor::TMqttOptions options;
    options.Host = address->first;
    options.Port = address->second;
    options.LineName = port == 23 ? host : host + ":" + std::to_string(port);
    options.Topic = FTopic.empty() ? "vexlorin/" + monitor::TopicPart(options.LineName) : FTopic;
    options.User = FUser;
    if (!FPasswordFile.empty())
        options.Password = ReadPasswordFile(FPasswordFile);
    try {
        FPublisher = std::make_unique<monitor::TMqttPublisher>(std::move(options));
    } catch (const monitor::EMqttError& e) {
        throw ECliError(ecUsage, e.what(), "Check --mqtt and --mqtt-topic.");
    }
    monitor::TMqttPublisher* publisher = FPublisher.get();
    FCommands.AddSampleListener([publisher](const history::TSampleResult& AResult) {
        publisher->Publish(monitor::FromRecorder(AResult));
    });
}

} // namespace vexlorin::cli
