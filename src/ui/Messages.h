// The texts the Qt-free layers (model, reader) produce, in the language of the window.
// They arrive as English UTF-8 text; the window passes each through ShownMessage before
// showing it. A text the table does not know is shown as it came.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace vexlorin {

QString ShownMessage(const std::string& AText);
QString ShownMessage(const QString& AText);

// The labels of the line summary's fields (model/LineSummary.h), as the Summary page shows
// them.
QString ShownLabel(const std::string_view& ALabel);

} // namespace vexlorin
