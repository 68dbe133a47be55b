// A console session for the simulator tests, over the program's own telnet client.
#pragma once

#include "reader/TelnetClient.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>

namespace vexlorin::testing {

class TConsole {
public:
    explicit TConsole(uint16_t APort) {
        FClient.SetHost("127.0.0.1");
        FClient.SetPort(APort);
        FClient.SetOnDataAvailable([this](std::string_view AData) {
            std::lock_guard lock(FLock);
            FData.append(AData);
            FChanged.notify_all();
        });
        FClient.SetOnClosed([this] {
            std::lock_guard lock(FLock);
            FClosed = true;
            FChanged.notify_all();
        });
        FClient.Connect();
    }

    // Waits until the received text ends with ATail; returns everything received since the
    // last call and empties it, or "" on time-out (the text stays).
    std::string Until(std::string_view ATail,
                      std::chrono::milliseconds ATimeout = std::chrono::seconds(10)) {
        std::unique_lock lock(FLock);
        const bool arrived = FChanged.wait_for(lock, ATimeout, [&] {
            return FData.size() >= ATail.size() &&
                   FData.compare(FData.size() - ATail.size(), ATail.size(), ATail) == 0;
        });
        return arrived ? std::exchange(FData, {}) : std::string();
    }
    bool WaitForClose(std::chrono::milliseconds ATimeout = std::chrono::seconds(10)) {
        std::unique_lock lock(FLock);
        return FChanged.wait_for(lock, ATimeout, [&] { return FClosed; });
    }
    std::string Pending() {
        std::lock_guard lock(FLock);
        return FData;
    }
    void Send(std::string_view AText) { FClient.SendString(AText); }
    bool LogOn(const std::string& APrompt = "DrayTek> ") {
        if (Until("Account:").empty())
            return false;
        Send("admin\r");
        if (Until("Password: ").empty())
            return false;
        Send("admin\r");
        return !Until(APrompt).empty();
    }
    std::string Run(const std::string& ACommand, const std::string& APrompt = "DrayTek> ") {
        Send(ACommand + "\r");
        return Until(APrompt);
    }

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    std::string FData;
    bool FClosed = false;
    TTelnetClient FClient; // last: its reading thread ends before the members above go
};

} // namespace vexlorin::testing
