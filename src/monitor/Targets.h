// The targets file of vexlorin-cli serve: one TOML table per router,
//
//     [targets.office]            # the name used in /probe?target=office
//     host = "192.168.1.1"
//     port = 23                   # default 23
//     user = "admin"
//     router_name = "DrayTek"     # default DrayTek
//     password_file = "/etc/vexlorin/office.pw"   # or: password_env = "OFFICE_PW"
//     interval = "60s"            # default 60s
//     bins = false                # default false
//
// The password itself never stands in the file. Every other key is an error, so a typing
// mistake cannot silently fall back to a default.
#pragma once

#include "model/uDrayData.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexlorin::monitor {

class ETargetsError : public Exception {
public:
    using Exception::Exception;
};

struct TTarget {
    std::string Name;
    std::string Host;
    uint16_t Port = 23;
    std::string User;
    std::string RouterName = "DrayTek";
    std::string PasswordFile; // one of these two
    std::string PasswordEnv;
    std::chrono::milliseconds Interval{60000};
    bool Bins = false;
    std::string Password; // resolved from the file or the variable, never from the targets file

    // Two targets with the same key are one router: never sampled at the same time.
    std::string RouterKey() const { return Host + ":" + std::to_string(Port); }
    // Everything but the name and the password: a reload that keeps it keeps the sample.
    bool SameSettings(const TTarget& AOther) const;
};

// Reads the environment while the passwords are resolved (the tests give their own).
using TEnvironment = std::function<std::optional<std::string>(const std::string&)>;
std::optional<std::string> ProcessEnvironment(const std::string& AName);

// The targets of a targets file's text, without their passwords. ASource names the file in
// the messages. ETargetsError that says where and what to do: a syntax error, an unknown
// key, a value of the wrong type or range, a password in the file, no password source or
// two of them, a name used twice, no targets at all.
std::vector<TTarget> ParseTargets(std::string_view AText, const std::string& ASource);

// Reads the file, parses it and resolves every target's password. ETargetsError as above,
// and when the file, a password file or a password variable cannot be read.
std::vector<TTarget> LoadTargets(const std::string& AFilename,
                                 const TEnvironment& AEnvironment = ProcessEnvironment);

// "60s", "5m", "1h", "500ms", "1m30s": at least 1 s, at most a day; none otherwise.
std::optional<std::chrono::milliseconds> ParseInterval(std::string_view AText);

} // namespace vexlorin::monitor
