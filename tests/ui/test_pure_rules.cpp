// The window's pure rules: the command-line switch, the default file name, the enable
// rules of the actions, the failure text and the file dialogs' filters.
#include "ui/ActionRules.h"
#include "ui/CommandLine.h"
#include "ui/UserDialogs.h"
#include "ui/fmMain.h"

#include <gtest/gtest.h>

namespace vexlorin {
namespace {

TEST(CommandLine, ConfigSwitchTable) {
    struct Case {
        QStringList Arguments;
        std::optional<QString> Expected;
    };
    const QString file = QStringLiteral("router.conf");
    const Case cases[] = {
        {{}, std::nullopt},
        {{QStringLiteral("router.conf")}, std::nullopt},
        // The three spellings that name the same file.
        {{QStringLiteral("-C:router.conf")}, file},
        {{QStringLiteral("/crouter.conf")}, file},
        {{QStringLiteral("-c"), QStringLiteral("router.conf")}, file},
        {{QStringLiteral("/C"), QStringLiteral("router.conf")}, file},
        // Only one colon right after the letter is dropped.
        {{QStringLiteral("-c::x")}, QStringLiteral(":x")},
        {{QStringLiteral("-c:")}, QString()},
        // Last argument, or followed by another switch: an empty name.
        {{QStringLiteral("-c")}, QString()},
        {{QStringLiteral("-c"), QStringLiteral("-x")}, QString()},
#ifdef Q_OS_WIN
        {{QStringLiteral("-c"), QStringLiteral("/x")}, QString()},
#else
        // An absolute path is a value, not another switch.
        {{QStringLiteral("-c"), QStringLiteral("/home/me/x.conf")},
         QStringLiteral("/home/me/x.conf")},
#endif
        {{QStringLiteral("-c"), QString()}, QString()},
        // Anything after the letter is the value, whatever it looks like.
        {{QStringLiteral("-config.conf")}, QStringLiteral("onfig.conf")},
        // Not the switch.
        {{QStringLiteral("c"), QStringLiteral("x")}, std::nullopt},
        {{QStringLiteral("--c"), QStringLiteral("x")}, std::nullopt},
        {{QStringLiteral("-x"), QStringLiteral("-")}, std::nullopt},
        {{QStringLiteral("-d:file")}, std::nullopt},
        // The first switch decides; other arguments are ignored.
        {{QStringLiteral("foo"), QStringLiteral("-cA"), QStringLiteral("-cB")},
         QStringLiteral("A")},
        {{QStringLiteral("-v"), QStringLiteral("-c"), QStringLiteral("a b.conf")},
         QStringLiteral("a b.conf")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Arguments.join(QLatin1Char('|')).toStdString());
        const auto result = FindConfigSwitch(c.Arguments);
        ASSERT_EQ(result.has_value(), c.Expected.has_value());
        if (result) {
            EXPECT_EQ(*result, *c.Expected);
        }
    }
}

TEST(DefaultFileName, DateTimeAndRouterName) {
    EXPECT_EQ(
        DefaultFileName(QDateTime(QDate(2023, 12, 8), QTime(14, 25, 1)), QStringLiteral("DrayTek")),
        QStringLiteral("20231208-142501-DrayTek.draydata"));
    EXPECT_EQ(DefaultFileName(QDateTime(QDate(2024, 1, 3), QTime(9, 5, 7)), QString()),
              QStringLiteral("20240103-090507-.draydata"));
    // The router name goes in unchanged, whatever it holds.
    EXPECT_EQ(
        DefaultFileName(QDateTime(QDate(2024, 1, 3), QTime(0, 0, 0)), QStringLiteral("a/b:c")),
        QStringLiteral("20240103-000000-a/b:c.draydata"));
}

TEST(ActionRules, EveryRuleOverItsInputs) {
    // Enumerate every combination of the inputs and compare with the table of actions.
    for (int bits = 0; bits < (1 << 8); ++bits) {
        TActionInputs in;
        in.ReaderRunning = bits & 1;
        in.HasRouter = bits & 2;
        in.HasPort = bits & 4;
        in.HasUser = bits & 8;
        in.HasRouterName = bits & 16;
        in.ListCount = (bits & 32) ? 2 : 0;
        in.HasSelection = (bits & 64) && in.ListCount > 0;
        SCOPED_TRACE(bits);
        const bool fieldsFilled = in.HasRouter && in.HasPort && in.HasUser && in.HasRouterName;
        EXPECT_EQ(RetrieveDataEnabled(in), !in.ReaderRunning && fieldsFilled);
        EXPECT_EQ(IdleEnabled(in), !in.ReaderRunning);
        EXPECT_EQ(SaveStatEnabled(in), !in.ReaderRunning && in.ListCount > 0 && in.HasSelection);
        EXPECT_EQ(RemoveEnabled(in), !in.ReaderRunning && in.ListCount > 0);
    }
}

TEST(UserDialogs, FailureTextAppendsOneFullStop) {
    EXPECT_EQ(FailureText(QStringLiteral("Stream read error")),
              QStringLiteral("Stream read error."));
    EXPECT_EQ(FailureText(QStringLiteral("Done.")), QStringLiteral("Done."));
    EXPECT_EQ(FailureText(QString()), QStringLiteral("."));
}

TEST(UserDialogs, FilterStringShowsEveryMaskOnce) {
    EXPECT_EQ(FilterString({{QStringLiteral("Configuration file"), QStringLiteral("*.conf")}}),
              QStringLiteral("Configuration file (*.conf)"));
    // A label that already shows its mask is kept; the hyphen mask stays a hyphen.
    EXPECT_EQ(
        FilterString({{QStringLiteral("DrayData file (*.draydata)"), QStringLiteral("*.draydata")},
                      {QStringLiteral("All files (*-*)"), QStringLiteral("*-*")}}),
        QStringLiteral("DrayData file (*.draydata);;All files (*-*)"));
}

} // namespace
} // namespace vexlorin
