#include "ui/CommandLine.h"

namespace vexlorin {

namespace {

bool StartsLikeSwitch(const QString& AArgument) {
    return AArgument.startsWith(QLatin1Char('-')) || AArgument.startsWith(QLatin1Char('/'));
}

// The separate value is refused when it looks like another switch. Where "/" starts every
// absolute path, only "-" marks a switch there, so "-c /home/me/router.conf" works.
bool StartsLikeNextSwitch(const QString& AArgument) {
#ifdef Q_OS_WIN
    return StartsLikeSwitch(AArgument);
#else
    return AArgument.startsWith(QLatin1Char('-'));
#endif
}

} // namespace

std::optional<QString> FindConfigSwitch(const QStringList& AArguments) {
    for (qsizetype i = 0; i < AArguments.size(); ++i) {
        const QString& argument = AArguments.at(i);
        if (argument.size() < 2 || !StartsLikeSwitch(argument) ||
            argument.at(1).toLower() != QLatin1Char('c'))
            continue;
        if (argument.size() > 2) {
            QString value = argument.mid(2);
            if (value.startsWith(QLatin1Char(':')))
                value.remove(0, 1);
            return value;
        }
        if (i + 1 < AArguments.size() && !StartsLikeNextSwitch(AArguments.at(i + 1)))
            return AArguments.at(i + 1);
        return QString();
    }
    return std::nullopt;
}

} // namespace vexlorin
