#include "ui/Messages.h"

#include <QCoreApplication>
#include <QList>
#include <QRegularExpression>

#include <string_view>
#include <vector>

namespace vexlorin {

namespace {

// Each text as the model and the reader write it, with %1, %2 where their values go. The
// values are passed through the table in turn, so a reason inside a message is translated
// too.
const char* const MessageFormats[] = {
    // reader: progress
    QT_TRANSLATE_NOOP("Messages", "Connecting to the router, please wait..."),
    QT_TRANSLATE_NOOP("Messages", "Connected to router, logging in..."),
    QT_TRANSLATE_NOOP("Messages", "Retrieving data..."),
    QT_TRANSLATE_NOOP("Messages", "Retrieving statistics, please wait..."),
    QT_TRANSLATE_NOOP("Messages", "Retrieving HLOG data, please wait..."),
    QT_TRANSLATE_NOOP("Messages", "Retrieving QLN data, please wait..."),
    QT_TRANSLATE_NOOP("Messages", "Retrieving SNR data, please wait..."),
    QT_TRANSLATE_NOOP("Messages", "Retrieving bins downstream, please wait..."),
    QT_TRANSLATE_NOOP("Messages", "Retrieving bins upstream, please wait..."),
    // reader: endings
    QT_TRANSLATE_NOOP("Messages", "Unable to connect"),
    QT_TRANSLATE_NOOP("Messages", "Unable to login"),
    QT_TRANSLATE_NOOP("Messages",
                      "Unable to login: the console's prompt is \"%1> \"; set Router name: to %2"),
    QT_TRANSLATE_NOOP("Messages", "Only a single connection is allowed"),
    QT_TRANSLATE_NOOP("Messages", "Invalid login"),
    QT_TRANSLATE_NOOP("Messages", "Connection closed by the router"),
    QT_TRANSLATE_NOOP("Messages", "The router sent too much data without a prompt"),
    QT_TRANSLATE_NOOP("Messages", "The router stopped answering"),
    QT_TRANSLATE_NOOP("Messages", "Line not in showtime: profile unknown"),
    QT_TRANSLATE_NOOP("Messages", "Cannot connect to %1: %2"),
    QT_TRANSLATE_NOOP("Messages", "List index out of bounds (%1)"),
    QT_TRANSLATE_NOOP("Messages", "Unknown error"),
    QT_TRANSLATE_NOOP("Messages", "The reader has already been started"),
    // model
    QT_TRANSLATE_NOOP("Messages", "Unable to retrieve profile from VDSL data"),
    QT_TRANSLATE_NOOP("Messages", "Unknown profile %1 in VDSL data"),
    QT_TRANSLATE_NOOP("Messages", "Text too long to be stored"),
    QT_TRANSLATE_NOOP("Messages", "Stream read error"),
    QT_TRANSLATE_NOOP("Messages", "Invalid property value"),
    QT_TRANSLATE_NOOP("Messages", "Invalid configuration file"),
    QT_TRANSLATE_NOOP("Messages", "Not a valida 'DrayData' file"),
    QT_TRANSLATE_NOOP("Messages", "Cannot open file \"%1\". %2"),
    QT_TRANSLATE_NOOP("Messages", "Cannot create file \"%1\". %2"),
    QT_TRANSLATE_NOOP("Messages", "The file is larger than %1"),
    QT_TRANSLATE_NOOP("Messages", "'%1' is not a valid integer value"),
    QT_TRANSLATE_NOOP("Messages",
                      "The bins capture%1 holds neither \"DOWNSTREAM :\" nor \"UPSTREAM :\"; give "
                      "a capture of the router's answers to \"vdsl showbins\" and \"vdsl showbins "
                      "up\""),
};

// The line summary's field labels.
const char* const SummaryLabels[] = {
    QT_TRANSLATE_NOOP("Summary", "Line state"),
    QT_TRANSLATE_NOOP("Summary", "Running mode"),
    QT_TRANSLATE_NOOP("Summary", "Firmware version"),
    QT_TRANSLATE_NOOP("Summary", "DSLAM chipset vendor"),
    QT_TRANSLATE_NOOP("Summary", "Modem chipset vendor"),
    QT_TRANSLATE_NOOP("Summary", "Annex"),
    QT_TRANSLATE_NOOP("Summary", "Vectoring"),
    QT_TRANSLATE_NOOP("Summary", "Resets"),
    QT_TRANSLATE_NOOP("Summary", "Link times (retrains)"),
    QT_TRANSLATE_NOOP("Summary", "Actual rate"),
    QT_TRANSLATE_NOOP("Summary", "Attainable rate"),
    QT_TRANSLATE_NOOP("Summary", "SNR margin"),
    QT_TRANSLATE_NOOP("Summary", "Line attenuation"),
    QT_TRANSLATE_NOOP("Summary", "Signal attenuation"),
    QT_TRANSLATE_NOOP("Summary", "Actual PSD"),
    QT_TRANSLATE_NOOP("Summary", "Path mode"),
    QT_TRANSLATE_NOOP("Summary", "Interleave depth"),
    QT_TRANSLATE_NOOP("Summary", "Impulse noise protection (INP)"),
    QT_TRANSLATE_NOOP("Summary", "Interleave delay"),
    QT_TRANSLATE_NOOP("Summary", "CRC errors"),
    QT_TRANSLATE_NOOP("Summary", "FEC corrections"),
    QT_TRANSLATE_NOOP("Summary", "Errored seconds (ES)"),
    QT_TRANSLATE_NOOP("Summary", "Severely errored seconds (SES)"),
    QT_TRANSLATE_NOOP("Summary", "Unavailable seconds (UAS)"),
    QT_TRANSLATE_NOOP("Summary", "Loss-of-signal seconds (LOSS)"),
    QT_TRANSLATE_NOOP("Summary", "FEC seconds (FECS)"),
    QT_TRANSLATE_NOOP("Summary", "HEC errors"),
    QT_TRANSLATE_NOOP("Summary", "First tone"),
    QT_TRANSLATE_NOOP("Summary", "Last tone"),
    QT_TRANSLATE_NOOP("Summary", "LATN"),
    QT_TRANSLATE_NOOP("Summary", "SATN"),
    QT_TRANSLATE_NOOP("Summary", "SNRM"),
    QT_TRANSLATE_NOOP("Summary", "Tones with bits loaded"),
    QT_TRANSLATE_NOOP("Summary", "Bits per symbol"),
    QT_TRANSLATE_NOOP("Summary", "Rate of the loaded bits"),
};

struct TPattern {
    const char* Format;
    QRegularExpression Expression;
    int Arguments = 0;
};

// "Cannot open file \"%1\". %2" as ^Cannot open file "(.*)"\. (.*)$.
const std::vector<TPattern>& Patterns() {
    static const std::vector<TPattern> patterns = [] {
        std::vector<TPattern> result;
        static const QRegularExpression placeholder(QStringLiteral("%(\\d)"));
        for (const char* format : MessageFormats) {
            const QString text = QString::fromUtf8(format);
            QString expression = QStringLiteral("^");
            qsizetype last = 0;
            int arguments = 0;
            for (auto it = placeholder.globalMatch(text); it.hasNext();) {
                const auto match = it.next();
                expression +=
                    QRegularExpression::escape(text.mid(last, match.capturedStart() - last));
                expression += QStringLiteral("(.*)");
                last = match.capturedEnd();
                ++arguments;
            }
            expression += QRegularExpression::escape(text.mid(last)) + QStringLiteral("$");
            result.push_back(
                {format,
                 QRegularExpression(expression, QRegularExpression::DotMatchesEverythingOption),
                 arguments});
        }
        return result;
    }();
    return patterns;
}

QString Translate(const QString& AText, int ADepth) {
    if (AText.isEmpty() || ADepth > 3)
        return AText;
    for (const TPattern& pattern : Patterns()) {
        const QRegularExpressionMatch match = pattern.Expression.match(AText);
        if (!match.hasMatch())
            continue;
        QString shown = QCoreApplication::translate("Messages", pattern.Format);
        for (int i = 1; i <= pattern.Arguments; ++i)
            shown = shown.arg(Translate(match.captured(i), ADepth + 1));
        return shown;
    }
    return AText;
}

} // namespace

QString ShownMessage(const QString& AText) {
    return Translate(AText, 0);
}

QString ShownMessage(const std::string& AText) {
    return ShownMessage(QString::fromStdString(AText));
}

QString ShownLabel(const std::string_view& ALabel) {
    const std::string label(ALabel);
    for (const char* known : SummaryLabels)
        if (label == known)
            return QCoreApplication::translate("Summary", known);
    return QString::fromStdString(label);
}

} // namespace vexlorin
