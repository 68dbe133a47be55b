// The captures of real consoles in tests/fixtures/console, as every test layer reads them.
// They are kept as they were found; what the pages they were copied from added is taken
// off here, never by the program.
#pragma once

#include "model/uDrayData.h"

#include <string>
#include <string_view>

namespace vexlorin::test {

inline std::string ConsoleFixture(const std::string& AName) {
    return std::string(VEXLORIN_FIXTURES) + "/console/" + AName;
}

// The collapsed capture's web page appended " | |" to every line, " |" to the last one.
inline TStringList WithoutWebSuffixes(TStringList ALines) {
    for (std::string& line : ALines) {
        for (const std::string_view suffix : {" | |", " |"}) {
            if (line.ends_with(suffix)) {
                line.erase(line.size() - suffix.size());
                break;
            }
        }
    }
    return ALines;
}

} // namespace vexlorin::test
