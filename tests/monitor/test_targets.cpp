// The targets file: the documented shape with its defaults, and every kind of bad file
// refused with a message that says where and what to do.
#include "MonitorTestSupport.h"
#include "monitor/Targets.h"

#include <gtest/gtest.h>

namespace vexlorin {
namespace {

using monitor::ETargetsError;
using monitor::LoadTargets;
using monitor::ParseTargets;
using test::TTempDir;
using test::WriteWholeFile;

TEST(TargetsFile, ReadsEveryKeyAndTheDefaults) {
    const auto targets = ParseTargets(R"(
[targets.office]            # the name used in /probe?target=office
host = "192.0.2.1"
port = 2323
user = "admin"
router_name = "Vigor"
password_file = "/etc/vexlorin/office.pw"
interval = "1m30s"
bins = true

[targets.home]
host = "router.example"
user = "root"
password_env = "HOME_PW"
)",
                                      "targets.toml");
    ASSERT_EQ(targets.size(), 2u);
    const auto& office = targets[0].Name == "office" ? targets[0] : targets[1];
    const auto& home = targets[0].Name == "home" ? targets[0] : targets[1];
    EXPECT_EQ(office.Host, "192.0.2.1");
    EXPECT_EQ(office.Port, 2323);
    EXPECT_EQ(office.RouterName, "Vigor");
    EXPECT_EQ(office.PasswordFile, "/etc/vexlorin/office.pw");
    EXPECT_EQ(office.Interval, std::chrono::seconds(90));
    EXPECT_TRUE(office.Bins);
    EXPECT_EQ(home.Port, 23);
    EXPECT_EQ(home.RouterName, "DrayTek");
    EXPECT_EQ(home.PasswordEnv, "HOME_PW");
    EXPECT_EQ(home.Interval, std::chrono::seconds(60));
    EXPECT_FALSE(home.Bins);
    EXPECT_EQ(home.RouterKey(), "router.example:23");
}

TEST(TargetsFile, BadFilesAreRefusedWithWhereAndWhatToDo) {
    const std::string good = "host = \"h\"\nuser = \"u\"\npassword_env = \"P\"\n";
    struct TCase {
        const char* What;
        std::string Text;
        std::vector<std::string> Message; // all of these in the message
    };
    const TCase cases[] = {
        {"syntax error",
         "[targets.a]\nhost = \"h\nuser = \"u\"\n",
         {"targets.toml, line 2", "Correct the TOML"}},
        {"unknown key",
         "[targets.a]\n" + good + "hots = \"x\"\n",
         {"line 5", "target \"a\"", "unknown key \"hots\"", "host, port, user"}},
        {"password in the file",
         "[targets.a]\n" + good + "password = \"secret\"\n",
         {"holds a password", "never stands in the targets file", "password_file"}},
        {"password under another name",
         "[targets.a]\n" + good + "Passwd = \"x\"\n",
         {"holds a password"}},
        {"duplicate name",
         "[targets.a]\n" + good + "[targets.a]\n" + good,
         {"targets.toml, line 5", "a"}},
        {"names that differ in case only",
         "[targets.Office]\n" + good + "[targets.office]\n" + good,
         {"used twice"}},
        {"both password sources",
         "[targets.a]\n" + good + "password_file = \"f\"\n",
         {"both password_file and password_env"}},
        {"no password source", "[targets.a]\nhost = \"h\"\nuser = \"u\"\n", {"no password source"}},
        {"no host", "[targets.a]\nuser = \"u\"\npassword_env = \"P\"\n", {"has no host"}},
        {"port out of range",
         "[targets.a]\n" + good + "port = 70000\n",
         {"port that is not a number from 1 to 65535"}},
        {"port as text", "[targets.a]\n" + good + "port = \"23\"\n", {"port"}},
        {"unreadable interval",
         "[targets.a]\n" + good + "interval = \"soon\"\n",
         {"interval", "\"60s\""}},
        {"interval too short", "[targets.a]\n" + good + "interval = \"10ms\"\n", {"interval"}},
        {"bins as text", "[targets.a]\n" + good + "bins = \"yes\"\n", {"bins"}},
        {"host with a line break",
         "[targets.a]\nhost = \"h\\nx\"\nuser = \"u\"\npassword_env = \"P\"\n",
         {"line break"}},
        {"key outside the targets", "listen = \"x\"\n", {"unknown key \"listen\""}},
        {"targets not a table", "targets = 3\n", {"not a table"}},
        {"no targets", "# nothing\n", {"names no targets"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        try {
            ParseTargets(c.Text, "targets.toml");
            ADD_FAILURE() << "accepted";
        } catch (const ETargetsError& e) {
            for (const std::string& part : c.Message)
                EXPECT_NE(std::string(e.what()).find(part), std::string::npos)
                    << part << " not in: " << e.what();
        }
    }
}

TEST(TargetsFile, PasswordsComeFromTheirFileOrVariable) {
    TTempDir dir;
    const std::string pw = dir.File("office.pw");
    WriteWholeFile(pw, "s3cret\r\nignored\n");
    const std::string file = dir.File("targets.toml");
    WriteWholeFile(file, "[targets.office]\nhost = \"h\"\nuser = \"u\"\npassword_file = \"" + pw +
                             "\"\n[targets.home]\nhost = \"h2\"\nuser = \"u\"\npassword_env = "
                             "\"HOME_PW\"\n");
    const auto environment = [](const std::string& AName) -> std::optional<std::string> {
        if (AName == "HOME_PW")
            return "";
        return std::nullopt;
    };
    const auto targets = LoadTargets(file, environment);
    for (const auto& target : targets)
        EXPECT_EQ(target.Password, target.Name == "office" ? "s3cret" : "") << target.Name;

    const auto noVariable = [](const std::string&) -> std::optional<std::string> { return {}; };
    try {
        LoadTargets(file, noVariable);
        ADD_FAILURE() << "accepted";
    } catch (const ETargetsError& e) {
        EXPECT_NE(std::string(e.what()).find("HOME_PW (its password_env) is not set"),
                  std::string::npos)
            << e.what();
    }
    std::filesystem::remove(pw);
    try {
        LoadTargets(file, environment);
        ADD_FAILURE() << "accepted";
    } catch (const ETargetsError& e) {
        EXPECT_NE(std::string(e.what()).find("cannot read its password_file"), std::string::npos)
            << e.what();
    }
    EXPECT_THROW(LoadTargets(dir.File("missing.toml"), environment), ETargetsError);
}

TEST(TargetsFile, Intervals) {
    using std::chrono::milliseconds;
    const std::pair<const char*, std::optional<milliseconds>> cases[] = {
        {"60s", milliseconds(60000)},
        {"5m", milliseconds(300000)},
        {"1h", milliseconds(3600000)},
        {"1m30s", milliseconds(90000)},
        {"1500ms", milliseconds(1500)},
        {"24h", milliseconds(86400000)},
        {"", std::nullopt},
        {"60", std::nullopt},
        {"s", std::nullopt},
        {"999ms", std::nullopt},
        {"25h", std::nullopt},
        {"-5s", std::nullopt},
        {"5 s", std::nullopt},
        {"99999999999999s", std::nullopt}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(monitor::ParseInterval(text), expected) << text;
}

} // namespace
} // namespace vexlorin
