#include "monitor/Targets.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vexlorin::monitor {

namespace {

constexpr std::string_view KnownKeys =
    "host, port, user, router_name, password_file, password_env, interval, bins";
// A targets file is a few lines per router; anything this large is not one.
constexpr std::size_t MaxTargetsFileBytes = 4 * 1024 * 1024;
constexpr std::size_t MaxPasswordFileBytes = 4096;

std::string Where(const std::string& ASource, const toml::source_region& ARegion) {
    std::string where = ASource;
    if (ARegion.begin.line > 0)
        where += ", line " + std::to_string(ARegion.begin.line);
    return where;
}

bool IsPasswordKey(std::string_view AKey) {
    std::string lower(AKey);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == "password" || lower == "passwd" || lower == "pass" || lower == "pw" ||
           lower == "secret";
}

class TTargetReader {
public:
    TTargetReader(const std::string& ASource, const std::string& AName, const toml::table& ATable)
        : FSource(ASource), FName(AName), FTable(ATable) {}

    TTarget Read() {
        TTarget target;
        target.Name = FName;
        for (const auto& [key, node] : FTable)
            ReadKey(std::string(key.str()), node, target);
        if (target.Host.empty())
            Fail(FTable.source(), "has no host", "Add host = \"ADDRESS\" (the router's address).");
        if (target.User.empty())
            Fail(FTable.source(), "has no user", "Add user = \"NAME\" (the console's logon user).");
        if (target.PasswordFile.empty() == target.PasswordEnv.empty())
            Fail(FTable.source(),
                 target.PasswordFile.empty() ? "has no password source"
                                             : "has both password_file and password_env",
                 "Give exactly one: password_file = \"FILE\" (its first line is the password) or "
                 "password_env = \"VARIABLE\".");
        return target;
    }

private:
    [[noreturn]] void Fail(const toml::source_region& ARegion, const std::string& AWhat,
                           const std::string& AHint) const {
        throw ETargetsError(Where(FSource, ARegion) + ": target \"" + FName + "\" " + AWhat + ". " +
                            AHint);
    }

    std::string Text(const std::string& AKey, const toml::node& ANode) const {
        const auto value = ANode.value<std::string>();
        if (!value || value->empty())
            Fail(ANode.source(), "has a " + AKey + " that is not a non-empty text",
                 "Write it in quotes, e.g. " + AKey + " = \"...\".");
        if (value->find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos)
            Fail(ANode.source(), "has a " + AKey + " with a line break", "Write it on one line.");
        return *value;
    }

    void ReadKey(const std::string& AKey, const toml::node& ANode, TTarget& ATarget) const {
        if (IsPasswordKey(AKey))
            Fail(ANode.source(), "holds a password (key \"" + AKey + "\")",
                 "A password never stands in the targets file: remove it, and name a file that "
                 "holds it with password_file = \"FILE\" or an environment variable with "
                 "password_env = \"VARIABLE\".");
        if (AKey == "host") {
            ATarget.Host = Text(AKey, ANode);
        } else if (AKey == "port") {
            const auto port = ANode.value_exact<int64_t>();
            if (!port || *port < 1 || *port > 65535)
                Fail(ANode.source(), "has a port that is not a number from 1 to 65535",
                     "Write it without quotes, e.g. port = 23.");
            ATarget.Port = static_cast<uint16_t>(*port);
        } else if (AKey == "user") {
            ATarget.User = Text(AKey, ANode);
        } else if (AKey == "router_name") {
            ATarget.RouterName = Text(AKey, ANode);
        } else if (AKey == "password_file") {
            ATarget.PasswordFile = Text(AKey, ANode);
        } else if (AKey == "password_env") {
            ATarget.PasswordEnv = Text(AKey, ANode);
        } else if (AKey == "interval") {
            const auto interval = ParseInterval(Text(AKey, ANode));
            if (!interval)
                Fail(ANode.source(), "has an interval that cannot be read",
                     "Write a time from 1s to 24h in quotes, e.g. interval = \"60s\", \"5m\" or "
                     "\"1m30s\".");
            ATarget.Interval = *interval;
        } else if (AKey == "bins") {
            const auto bins = ANode.value_exact<bool>();
            if (!bins)
                Fail(ANode.source(), "has a bins value that is not true or false",
                     "Write bins = true or bins = false, without quotes.");
            ATarget.Bins = *bins;
        } else {
            Fail(ANode.source(), "has an unknown key \"" + AKey + "\"",
                 "The keys of a target are: " + std::string(KnownKeys) + ".");
        }
    }

    const std::string& FSource;
    const std::string& FName;
    const toml::table& FTable;
};

std::string ReadPassword(const TTarget& ATarget, const TEnvironment& AEnvironment) {
    if (!ATarget.PasswordEnv.empty()) {
        const auto value = AEnvironment(ATarget.PasswordEnv);
        if (!value)
            throw ETargetsError("Target \"" + ATarget.Name + "\": the environment variable " +
                                ATarget.PasswordEnv +
                                " (its password_env) is not set. Set it for vexlorin-cli serve, "
                                "or name a password_file instead.");
        return *value;
    }
    std::ifstream in(ATarget.PasswordFile, std::ios::binary);
    if (!in)
        throw ETargetsError("Target \"" + ATarget.Name + "\": cannot read its password_file \"" +
                            ATarget.PasswordFile +
                            "\". Check that it exists and that this user may read it.");
    std::string text(MaxPasswordFileBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > MaxPasswordFileBytes)
        throw ETargetsError("Target \"" + ATarget.Name + "\": its password_file \"" +
                            ATarget.PasswordFile +
                            "\" is larger than a password file should be. Its first line is the "
                            "password; keep nothing else in it.");
    const std::size_t end = text.find_first_of("\r\n");
    return end == std::string::npos ? text : text.substr(0, end);
}

} // namespace

bool TTarget::SameSettings(const TTarget& AOther) const {
    return Host == AOther.Host && Port == AOther.Port && User == AOther.User &&
           RouterName == AOther.RouterName && Interval == AOther.Interval && Bins == AOther.Bins;
}

std::optional<std::string> ProcessEnvironment(const std::string& AName) {
    if (const char* value = std::getenv(AName.c_str()))
        return std::string(value);
    return std::nullopt;
}

std::optional<std::chrono::milliseconds> ParseInterval(std::string_view AText) {
    if (AText.empty())
        return std::nullopt;
    int64_t total = 0;
    std::size_t pos = 0;
    while (pos < AText.size()) {
        int64_t number = 0;
        const std::size_t start = pos;
        while (pos < AText.size() && std::isdigit(static_cast<unsigned char>(AText[pos]))) {
            number = number * 10 + (AText[pos] - '0');
            if (number > 1'000'000'000)
                return std::nullopt;
            ++pos;
        }
        if (pos == start)
            return std::nullopt;
        std::size_t unitEnd = pos;
        while (unitEnd < AText.size() && std::isalpha(static_cast<unsigned char>(AText[unitEnd])))
            ++unitEnd;
        const std::string_view unit = AText.substr(pos, unitEnd - pos);
        pos = unitEnd;
        if (unit == "ms")
            total += number;
        else if (unit == "s")
            total += number * 1000;
        else if (unit == "m")
            total += number * 60'000;
        else if (unit == "h")
            total += number * 3'600'000;
        else
            return std::nullopt;
        if (total > 86'400'000)
            return std::nullopt;
    }
    if (total < 1000)
        return std::nullopt;
    return std::chrono::milliseconds(total);
}

std::vector<TTarget> ParseTargets(std::string_view AText, const std::string& ASource) {
    toml::table root;
    try {
        root = toml::parse(AText, ASource);
    } catch (const toml::parse_error& e) {
        throw ETargetsError(Where(ASource, e.source()) + ", column " +
                            std::to_string(e.source().begin.column) + ": " +
                            std::string(e.description()) +
                            ". Correct the TOML there (a target is a [targets.NAME] table).");
    }
    std::vector<TTarget> targets;
    for (const auto& [key, node] : root) {
        if (key.str() != "targets")
            throw ETargetsError(Where(ASource, node.source()) + ": unknown key \"" +
                                std::string(key.str()) +
                                "\". The file holds only [targets.NAME] tables.");
        const toml::table* table = node.as_table();
        if (!table)
            throw ETargetsError(Where(ASource, node.source()) +
                                ": \"targets\" is not a table. Write each target as "
                                "[targets.NAME] with its keys below.");
        for (const auto& [name, targetNode] : *table) {
            const toml::table* targetTable = targetNode.as_table();
            const std::string targetName(name.str());
            if (!targetTable)
                throw ETargetsError(Where(ASource, targetNode.source()) + ": target \"" +
                                    targetName + "\" is not a table. Write it as [targets." +
                                    targetName + "] with its keys below.");
            targets.push_back(TTargetReader(ASource, targetName, *targetTable).Read());
        }
    }
    if (targets.empty())
        throw ETargetsError(ASource +
                            ": names no targets. Add one [targets.NAME] table per router, with "
                            "host, user and password_file or password_env.");
    // TOML already refuses a table defined twice; this also catches names that differ in
    // letter case only, which would be one target to a person reading /probe URLs.
    for (std::size_t i = 0; i < targets.size(); ++i)
        for (std::size_t j = i + 1; j < targets.size(); ++j) {
            std::string a = targets[i].Name, b = targets[j].Name;
            std::transform(a.begin(), a.end(), a.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            std::transform(b.begin(), b.end(), b.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            if (a == b)
                throw ETargetsError(ASource + ": the target name \"" + targets[j].Name +
                                    "\" is used twice. Give every target its own name.");
        }
    return targets;
}

std::vector<TTarget> LoadTargets(const std::string& AFilename, const TEnvironment& AEnvironment) {
    std::ifstream in(AFilename, std::ios::binary);
    if (!in)
        throw ETargetsError("Cannot read the targets file \"" + AFilename +
                            "\". Check the path given with --targets.");
    std::string text(MaxTargetsFileBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > MaxTargetsFileBytes)
        throw ETargetsError("The targets file \"" + AFilename +
                            "\" is larger than 4 MiB; it is not a targets file.");
    std::vector<TTarget> targets = ParseTargets(text, AFilename);
    for (TTarget& target : targets)
        target.Password = ReadPassword(target, AEnvironment);
    return targets;
}

} // namespace vexlorin::monitor
