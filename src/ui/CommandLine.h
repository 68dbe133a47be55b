// The program's command line: one switch, c, naming a configuration file to load at start.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vexlorin {

// AArguments without the program's own name. An argument is the switch when it starts
// with "-" or "/" followed by "c" or "C". Its value is the rest of the argument (without
// one colon right after the letter), or else the next argument unless there is none or it
// starts with "-" (or, on Windows, "/"; then the value is empty). The first switch decides; nothing
// when there is none.
std::optional<QString> FindConfigSwitch(const QStringList& AArguments);

} // namespace vexlorin
