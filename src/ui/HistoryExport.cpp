#include "ui/HistoryExport.h"

#include "ui/Application.h"
#include "ui/Chart.h"
#include "ui/ChartExport.h"
#include "ui/HistoryCharts.h"
#include "ui/HistoryPlot.h"
#include "ui/HistorySource.h"
#include "ui/HistoryWaterfall.h"
#include "ui/UiResources.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <limits>

namespace vexlorin {

namespace {

constexpr const char* ExportSwitch = "--export-history";
constexpr int ImageWidth = 1400;
constexpr int ImageHeight = 500;
constexpr int ToneImageHeight = 800;

template <class TWidget> void Save(TWidget* AChart, const QString& AFile) {
    if (!AChart->SaveAsImage(AFile))
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\"").arg(AFile).toStdString());
}

} // namespace

bool IsHistoryExportCall(int AArgc, char* AArgv[]) {
    for (int i = 1; i < AArgc; ++i)
        if (std::strcmp(AArgv[i], ExportSwitch) == 0)
            return true;
    return false;
}

QStringList HistoryExportFileNames() {
    return {QStringLiteral("rates.png"),
            QStringLiteral("snr-margin.png"),
            QStringLiteral("attenuation.png"),
            QStringLiteral("errors-crc.png"),
            QStringLiteral("errors-fec.png"),
            QStringLiteral("errors-es.png"),
            QStringLiteral("errors-ses.png"),
            QStringLiteral("envelope-snr.png"),
            QStringLiteral("waterfall-snr-ds.png"),
            QStringLiteral("waterfall-snr-us.png")};
}

std::optional<int64_t> ParseHistoryTime(const QString& AText) {
    const QString text = AText.trimmed();
    bool isNumber = false;
    const qlonglong ms = text.toLongLong(&isNumber);
    if (isNumber)
        return ms;
    QString iso = text;
    iso.replace(QLatin1Char(' '), QLatin1Char('T'));
    const bool utc = iso.endsWith(QLatin1Char('Z'));
    if (utc)
        iso.chop(1);
    QDateTime time;
    for (const QString& format :
         {QStringLiteral("yyyy-MM-ddTHH:mm:ss"), QStringLiteral("yyyy-MM-ddTHH:mm"),
          QStringLiteral("yyyy-MM-dd")}) {
        time = QDateTime::fromString(iso, format);
        if (time.isValid())
            break;
    }
    if (!time.isValid())
        return std::nullopt;
    if (utc)
        time.setTimeSpec(Qt::UTC);
    return time.toMSecsSinceEpoch();
}

void ExportHistory(const QString& AHistoryFile, const QString& ADir, std::optional<int64_t> AFromMs,
                   std::optional<int64_t> AToMs) {
    if (!QFileInfo::exists(AHistoryFile))
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". The file does not exist")
                              .arg(AHistoryFile)
                              .toStdString());
    std::unique_ptr<THistorySource> source = THistorySource::Open(AHistoryFile.toStdString());
    const THistorySeries series =
        source->Read(AFromMs.value_or(std::numeric_limits<int64_t>::min()),
                     AToMs.value_or(std::numeric_limits<int64_t>::max()));
    if (series.Empty())
        throw Exception("The history file holds no samples in that time range");
    if (!QDir().mkpath(ADir))
        throw EFCreateError(QStringLiteral("Cannot create folder \"%1\"").arg(ADir).toStdString());

    THeadlessDialogs dialogs;
    THistoryCharts charts(dialogs);
    charts.setFont(UiFont(11));
    charts.resize(ImageWidth, ImageHeight * 3);
    charts.Show(series, true);
    charts.SetRange(AFromMs ? static_cast<double>(*AFromMs) : series.FirstMs(),
                    AToMs ? static_cast<double>(*AToMs) : series.LastMs());

    const QStringList names = HistoryExportFileNames();
    const QDir dir(ADir);
    for (int i = 0; i < TimeChartCount; ++i) {
        THistoryPlot* plot = charts.TimeChart(static_cast<TTimeChartId>(i));
        plot->resize(ImageWidth, ImageHeight);
        plot->RedrawNow();
        Save(plot, dir.filePath(names[i]));
    }

    TChart* envelope = charts.EnvelopeChart();
    THistoryWaterfall* waterfall = charts.Waterfall();
    envelope->resize(ImageWidth, ToneImageHeight);
    waterfall->resize(ImageWidth, ToneImageHeight);
    waterfall->RedrawNow();
    TToneViewRequest request;
    request.FromMs = charts.RangeFrom();
    request.ToMs = charts.RangeTo();
    request.Rows = waterfall->RowsWanted();
    request.Columns = waterfall->ColumnsWanted();
    for (TStatDirection direction : {sdDown, sdUp}) {
        request.WaterfallDirection = direction;
        const TToneViews views = source->ToneViews(request);
        if (direction == sdDown) {
            charts.ShowEnvelope(views.DS, views.US);
            envelope->RedrawNow();
            Save(envelope, dir.filePath(names[TimeChartCount]));
        }
        waterfall->SetTitle(direction == sdDown ? QObject::tr("SNR per tone over time, downstream")
                                                : QObject::tr("SNR per tone over time, upstream"));
        waterfall->Show(views.Waterfall, QObject::tr("dB"));
        waterfall->RedrawNow();
        Save(waterfall, dir.filePath(names[TimeChartCount + 1 + (direction == sdDown ? 0 : 1)]));
    }
}

int RunHistoryExport(int AArgc, char* AArgv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(AArgc, AArgv);
    SetUpApplication(application);

    const QStringList args = QApplication::arguments().mid(1);
    std::optional<int64_t> from, to;
    bool usable = args.size() >= 3 && args[0] == QLatin1String(ExportSwitch);
    QString badTime;
    for (qsizetype i = 3; usable && i < args.size(); ++i) {
        std::optional<int64_t>* target = args[i] == QLatin1String("--from") ? &from
                                         : args[i] == QLatin1String("--to") ? &to
                                                                            : nullptr;
        if (!target || target->has_value() || i + 1 >= args.size()) {
            usable = false;
            break;
        }
        *target = ParseHistoryTime(args[++i]);
        if (!target->has_value()) {
            badTime = args[i];
            usable = false;
        }
    }
    if (usable && from && to && *from > *to) {
        std::fprintf(stderr, "vexlorin: --from is after --to\n");
        usable = false;
    }
    if (!usable) {
        if (!badTime.isEmpty())
            std::fprintf(stderr, "vexlorin: \"%s\" is not a time\n",
                         badTime.toLocal8Bit().constData());
        std::fprintf(stderr,
                     "Usage: vexlorin --export-history DIR FILE.sqlite [--from T] [--to T]\n"
                     "Writes the history charts of the history file FILE (time charts, SNR "
                     "envelope, waterfall) as PNG images into the folder DIR.\n"
                     "T: 2026-12-10T21:00[:00] or \"2026-12-10 21:00\" (local time; Z at the end "
                     "for UTC), a date, or ms since 1970.\n");
        return 1;
    }
    return RunReportedExport([&] { ExportHistory(args[2], args[1], from, to); },
                             "Give a history file recorded by \"Watch\" or by vexlorin-cli watch.");
}

} // namespace vexlorin
