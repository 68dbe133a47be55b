// The default name of a new set, shared by the window and the command-line tool.
#include "model/DefaultName.h"

#include <gtest/gtest.h>

#include <regex>

namespace vexlorin {
namespace {

std::tm Time(int AYear, int AMonth, int ADay, int AHour, int AMinute, int ASecond) {
    std::tm t{};
    t.tm_year = AYear - 1900;
    t.tm_mon = AMonth - 1;
    t.tm_mday = ADay;
    t.tm_hour = AHour;
    t.tm_min = AMinute;
    t.tm_sec = ASecond;
    return t;
}

TEST(DefaultName, DateTimeAndRouterName) {
    struct Case {
        std::tm Time;
        const char* Router;
        const char* Expected;
    };
    const Case cases[] = {
        {Time(2023, 12, 8, 14, 25, 1), "DrayTek", "20231208-142501-DrayTek.draydata"},
        // Every field below ten gets its leading zero; midnight is hour 00.
        {Time(2024, 1, 2, 0, 3, 9), "Vigor", "20240102-000309-Vigor.draydata"},
        {Time(2030, 10, 31, 23, 59, 59), "x", "20301031-235959-x.draydata"},
        // The router name goes in unchanged, whatever it holds.
        {Time(2023, 12, 8, 14, 25, 1), "Büro / 2F", "20231208-142501-Büro / 2F.draydata"},
        {Time(2023, 12, 8, 14, 25, 1), "", "20231208-142501-.draydata"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetDefaultFileName(c.Time, c.Router), c.Expected);
}

TEST(DefaultName, NowHasTheSameShape) {
    const std::string name = GetDefaultFileName("DrayTek");
    EXPECT_TRUE(std::regex_match(
        name, std::regex(R"(20\d\d[01]\d[0-3]\d-[0-2]\d[0-5]\d[0-6]\d-DrayTek\.draydata)")))
        << name;
}

} // namespace
} // namespace vexlorin
