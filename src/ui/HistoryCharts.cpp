#include "ui/HistoryCharts.h"

#include "ui/Chart.h"
#include "ui/HistoryPlot.h"
#include "ui/HistoryWaterfall.h"
#include "ui/LineCharts.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace vexlorin {

namespace {

constexpr double HourMs = 3'600'000;

struct TErrorChart {
    TTimeChartId Id;
    TErrorCounter Counter;
    const char* Name;
    const char* Title;
};

} // namespace

THistoryCharts::THistoryCharts(IUserDialogs& ADialogs, QWidget* AParent)
    : QWidget(AParent), FDialogs(ADialogs) {
    setObjectName(QStringLiteral("frmHistoryCharts"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(6, 4, 6, 0);
    auto* lblShow = new QLabel(tr("Show:"), this);
    cbxRange = new QComboBox(this);
    cbxRange->setObjectName(QStringLiteral("cbxRange"));
    cbxRange->addItems({tr("Last hour"), tr("Last day"), tr("Last week"), tr("All")});
    cbxRange->setCurrentIndex(static_cast<int>(THistoryRange::All));
    lblShow->setBuddy(cbxRange);
    lblRange = new QLabel(this);
    lblRange->setObjectName(QStringLiteral("lblRange"));
    auto* lblTones = new QLabel(tr("Per tone:"), this);
    cbxQuantity = new QComboBox(this);
    cbxQuantity->setObjectName(QStringLiteral("cbxQuantity"));
    cbxQuantity->addItems({tr("SNR"), tr("Bit loading")});
    lblTones->setBuddy(cbxQuantity);
    cbxDirection = new QComboBox(this);
    cbxDirection->setObjectName(QStringLiteral("cbxDirection"));
    cbxDirection->addItems({tr("Downstream"), tr("Upstream")});
    cbxDirection->setToolTip(tr("The direction the waterfall shows"));
    bar->addWidget(lblShow);
    bar->addWidget(cbxRange);
    bar->addWidget(lblRange, 1);
    bar->addWidget(lblTones);
    bar->addWidget(cbxQuantity);
    bar->addWidget(cbxDirection);
    layout->addLayout(bar);

    pgcHistory = new QTabWidget(this);
    pgcHistory->setObjectName(QStringLiteral("pgcHistory"));
    layout->addWidget(pgcHistory, 1);

    auto* timePage = new QScrollArea(pgcHistory);
    timePage->setObjectName(QStringLiteral("tbsTimeCharts"));
    timePage->setWidgetResizable(true);
    auto* timeCharts = new QWidget(timePage);
    BuildTimeCharts(timeCharts);
    timePage->setWidget(timeCharts);
    pgcHistory->addTab(timePage, tr("Time charts"));

    FEnvelope = new TChart(pgcHistory);
    FEnvelope->setObjectName(QStringLiteral("chartEnvelope"));
    FEnvelope->BottomAxis().SetTitle(tr("Tones"));
    FEnvelope->LeftAxis().SetTitle(tr("dB"));
    pgcHistory->addTab(FEnvelope, tr("Envelope"));
    connect(FEnvelope, &TChart::PopupRequested, this,
            [this](const QPoint& APos) { PopupChartMenu(FEnvelope, APos); });

    FWaterfall = new THistoryWaterfall(pgcHistory);
    FWaterfall->setObjectName(QStringLiteral("chartWaterfall"));
    pgcHistory->addTab(FWaterfall, tr("Waterfall"));
    connect(FWaterfall, &THistoryWaterfall::PopupRequested, this,
            [this](const QPoint& APos) { PopupChartMenu(FWaterfall, APos); });

    mnuHistoryChart = new QMenu(this);
    mnuHistoryChart->setObjectName(QStringLiteral("mnuHistoryChart"));
    acnHistoryCopy = mnuHistoryChart->addAction(tr("Copy"));
    acnHistoryCopy->setObjectName(QStringLiteral("acnHistoryCopy"));
    acnHistorySaveImage = mnuHistoryChart->addAction(tr("Save as image..."));
    acnHistorySaveImage->setObjectName(QStringLiteral("acnHistorySaveImage"));
    connect(acnHistoryCopy, &QAction::triggered, this, [this] {
        if (auto* plot = qobject_cast<THistoryPlot*>(FPopupChart.data()))
            plot->CopyToClipboardBitmap();
        else if (auto* chart = qobject_cast<TChart*>(FPopupChart.data()))
            chart->CopyToClipboardBitmap();
        else if (auto* map = qobject_cast<THistoryWaterfall*>(FPopupChart.data()))
            map->CopyToClipboardBitmap();
    });
    connect(acnHistorySaveImage, &QAction::triggered, this, [this] {
        if (FPopupChart)
            SaveImage(FPopupChart);
    });
    dlgSaveHistoryImage.Title = tr("Save chart as image");
    dlgSaveHistoryImage.Filters = {{tr("PNG image"), QStringLiteral("*.png")},
                                   {tr("SVG image"), QStringLiteral("*.svg")}};
    dlgSaveHistoryImage.DefaultExt = QStringLiteral("png");
    dlgSaveHistoryImage.OverwritePrompt = true;

    FRangeTimer = new QTimer(this);
    FRangeTimer->setSingleShot(true);
    FRangeTimer->setInterval(250);
    connect(FRangeTimer, &QTimer::timeout, this,
            [this] { emit RangeChosen(RangeFrom(), RangeTo()); });
    connect(cbxRange, &QComboBox::activated, this,
            [this](int AIndex) { SelectRange(static_cast<THistoryRange>(AIndex)); });
    connect(cbxQuantity, &QComboBox::currentIndexChanged, this, [this] { emit ToneViewChanged(); });
    connect(cbxDirection, &QComboBox::currentIndexChanged, this,
            [this] { emit ToneViewChanged(); });
    // The envelope and the waterfall are computed when their page opens.
    connect(pgcHistory, &QTabWidget::currentChanged, this, [this] {
        if (ToneViewsShown())
            emit ToneViewChanged();
    });
}

THistoryCharts::~THistoryCharts() = default;

void THistoryCharts::BuildTimeCharts(QWidget* APage) {
    auto* layout = new QVBoxLayout(APage);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto make = [&](TTimeChartId AId, const char* AName, const QString& ATitle,
                    const QString& AUnit) {
        auto* plot = new THistoryPlot(APage);
        plot->setObjectName(QString::fromLatin1(AName));
        plot->SetTitle(ATitle);
        plot->SetValueTitle(AUnit);
        FTimeCharts[static_cast<std::size_t>(AId)] = plot;
        layout->addWidget(plot);
        connect(plot, &THistoryPlot::TimeRangeChosen, this,
                [this, plot](double AFrom, double ATo) { ApplyRange(AFrom, ATo, plot); });
        connect(plot, &THistoryPlot::TimeClicked, this, &THistoryCharts::TimeClicked);
        connect(plot, &THistoryPlot::PopupRequested, this,
                [this, plot](const QPoint& APos) { PopupChartMenu(plot, APos); });
        return plot;
    };
    THistoryPlot* rates = make(TTimeChartId::Rates, "chartHistoryRates", tr("Rates"), tr("Mbit/s"));
    rates->SetValueScale(1e6);
    rates->AddLine(tr("DS actual"), DSColor);
    rates->AddLine(tr("DS attainable"), DSColor, Qt::DashLine);
    rates->AddLine(tr("US actual"), USColor);
    rates->AddLine(tr("US attainable"), USColor, Qt::DashLine);
    for (auto [id, name, title] :
         {std::tuple{TTimeChartId::SNRMargin, "chartHistorySNRMargin", tr("SNR margin")},
          std::tuple{TTimeChartId::Attenuation, "chartHistoryAttenuation", tr("Attenuation")}}) {
        THistoryPlot* plot = make(id, name, title, tr("dB"));
        plot->AddLine(tr("DS"), DSColor);
        plot->AddLine(tr("US"), USColor);
    }
    const TErrorChart errors[] = {
        {TTimeChartId::CRC, TErrorCounter::CRC, "chartHistoryCRC", "CRC errors per interval"},
        {TTimeChartId::FEC, TErrorCounter::FEC, "chartHistoryFEC", "FEC corrections per interval"},
        {TTimeChartId::ES, TErrorCounter::ES, "chartHistoryES", "Errored seconds per interval"},
        {TTimeChartId::SES, TErrorCounter::SES, "chartHistorySES",
         "Severely errored seconds per interval"}};
    for (const TErrorChart& error : errors) {
        THistoryPlot* plot = make(error.Id, error.Name, tr(error.Title), QString());
        plot->AddBars(tr("DS"), DSColor);
        plot->AddBars(tr("US"), USColor);
    }
}

void THistoryCharts::Show(const THistorySeries& ASeries, bool AResetRange) {
    const double oldSpan = RangeTo() - RangeFrom();
    const bool wasEmpty = FSeries.Empty();
    FSeries = ASeries;
    const int64_t threshold = GapThresholdMs(FSeries.SampleTimesMs);
    auto lines = [&](TTimeChartId AId, const std::array<TTimeSeries, 2>& AValues) {
        THistoryPlot* plot = TimeChart(AId);
        plot->SetSeriesData(0, WithGaps(AValues[sdDown], threshold));
        plot->SetSeriesData(1, WithGaps(AValues[sdUp], threshold));
    };
    THistoryPlot* rates = TimeChart(TTimeChartId::Rates);
    rates->SetSeriesData(0, WithGaps(FSeries.ActualRate[sdDown], threshold));
    rates->SetSeriesData(1, WithGaps(FSeries.AttainableRate[sdDown], threshold));
    rates->SetSeriesData(2, WithGaps(FSeries.ActualRate[sdUp], threshold));
    rates->SetSeriesData(3, WithGaps(FSeries.AttainableRate[sdUp], threshold));
    lines(TTimeChartId::SNRMargin, FSeries.SNRMargin);
    lines(TTimeChartId::Attenuation, FSeries.Attenuation);
    for (int counter = 0; counter < ErrorCounterCount; ++counter) {
        THistoryPlot* plot =
            TimeChart(static_cast<TTimeChartId>(static_cast<int>(TTimeChartId::CRC) + counter));
        plot->SetSeriesData(0, FSeries.Errors[static_cast<std::size_t>(counter)][sdDown]);
        plot->SetSeriesData(1, FSeries.Errors[static_cast<std::size_t>(counter)][sdUp]);
    }
    for (THistoryPlot* plot : FTimeCharts) {
        plot->SetMarkers(FSeries.Events);
        plot->SetHomeRange(FSeries.FirstMs(), FSeries.LastMs());
    }
    if (AResetRange || wasEmpty) {
        FFollowing = true;
        SelectRange(static_cast<THistoryRange>(cbxRange->currentIndex()));
    } else if (FFollowing) {
        // The newest sample stays in sight; a span of all samples grows with them.
        if (cbxRange->currentIndex() == static_cast<int>(THistoryRange::All))
            SelectRange(THistoryRange::All);
        else
            ApplyRange(FSeries.LastMs() - oldSpan, FSeries.LastMs(), nullptr);
    }
}

void THistoryCharts::SelectRange(THistoryRange ARange) {
    cbxRange->setCurrentIndex(static_cast<int>(ARange));
    const double last = FSeries.LastMs();
    double from = FSeries.FirstMs();
    switch (ARange) {
    case THistoryRange::LastHour:
        from = last - HourMs;
        break;
    case THistoryRange::LastDay:
        from = last - 24 * HourMs;
        break;
    case THistoryRange::LastWeek:
        from = last - 7 * 24 * HourMs;
        break;
    case THistoryRange::All:
        break;
    }
    FFollowing = true;
    ApplyRange(from, last, nullptr);
}

void THistoryCharts::SetRange(double AFromMs, double AToMs) {
    ApplyRange(AFromMs, AToMs, nullptr);
    FFollowing = !FSeries.Empty() && AToMs >= FSeries.LastMs();
}

void THistoryCharts::ApplyRange(double AFromMs, double AToMs, THistoryPlot* ASource) {
    for (THistoryPlot* plot : FTimeCharts)
        if (plot != ASource)
            plot->SetTimeRange(AFromMs, AToMs);
    if (ASource) {
        // The user moved it: it follows new samples only while it shows the newest.
        FFollowing = ASource->TimeTo() >= FSeries.LastMs();
        AFromMs = ASource->TimeFrom();
        AToMs = ASource->TimeTo();
    }
    lblRange->setText(FSeries.Empty() ? tr("no samples")
                                      : tr("%1 to %2").arg(FormatTime(AFromMs), FormatTime(AToMs)));
    FRangeTimer->start();
}

double THistoryCharts::RangeFrom() const {
    return FTimeCharts[0]->TimeFrom();
}

double THistoryCharts::RangeTo() const {
    return FTimeCharts[0]->TimeTo();
}

TToneQuantity THistoryCharts::Quantity() const {
    return cbxQuantity->currentIndex() == 1 ? TToneQuantity::Bits : TToneQuantity::SNR;
}

bool THistoryCharts::ToneViewsShown() const {
    return pgcHistory->currentWidget() == FEnvelope || pgcHistory->currentWidget() == FWaterfall;
}

TStatDirection THistoryCharts::WaterfallDirection() const {
    return cbxDirection->currentIndex() == 1 ? sdUp : sdDown;
}

void THistoryCharts::ShowEnvelope(const TToneEnvelope& ADS, const TToneEnvelope& AUS) {
    TChart* chart = FEnvelope;
    chart->DeleteAllSeries();
    const bool snr = ADS.Quantity() == TToneQuantity::SNR;
    chart->SetTitle(snr ? tr("SNR per tone: minimum, mean and maximum of %n sets", nullptr,
                             static_cast<int>(std::max(ADS.Sets(), AUS.Sets())))
                        : tr("Bit loading per tone: minimum, mean and maximum of %n sets", nullptr,
                             static_cast<int>(std::max(ADS.Sets(), AUS.Sets()))));
    chart->LeftAxis().SetTitle(snr ? tr("dB") : tr("bits"));
    const int tones = std::max(ADS.Tones(), AUS.Tones());
    chart->BottomAxis().SetMinMax(0, std::max(1, tones));
    auto add = [&](const TToneEnvelope& AEnvelope, const QString& ADirection, QColor AColor,
                   QColor ALight) {
        if (AEnvelope.Sets() == 0)
            return;
        struct TLine {
            QString Title;
            double (TToneEnvelope::*Value)(int) const;
            QColor Color;
            Qt::PenStyle Style;
            int Width;
        };
        const TLine lines[] = {
            {tr("%1 max").arg(ADirection), &TToneEnvelope::Maximum, ALight, Qt::DashLine, 1},
            {tr("%1 mean").arg(ADirection), &TToneEnvelope::Mean, AColor, Qt::SolidLine, 2},
            {tr("%1 min").arg(ADirection), &TToneEnvelope::Minimum, ALight, Qt::DotLine, 1}};
        for (const TLine& line : lines) {
            TChartSeries* series = chart->AddLineSeries();
            series->SetTitle(line.Title);
            series->SetColor(line.Color);
            series->SetPenWidth(line.Width);
            series->SetPenStyle(line.Style);
            series->BeginUpdate();
            for (int tone = 0; tone < AEnvelope.Tones(); ++tone)
                series->AddXY(tone, (AEnvelope.*line.Value)(tone));
            series->EndUpdate();
        }
    };
    add(ADS, tr("DS"), DSColor, DSReferenceColor);
    add(AUS, tr("US"), USColor, USReferenceColor);
    chart->Refresh();
}

void THistoryCharts::ShowWaterfall(const TWaterfallGrid& AGrid) {
    const bool snr = Quantity() == TToneQuantity::SNR;
    const QString direction = WaterfallDirection() == sdDown ? tr("downstream") : tr("upstream");
    FWaterfall->SetTitle(snr ? tr("SNR per tone over time, %1").arg(direction)
                             : tr("Bit loading per tone over time, %1").arg(direction));
    FWaterfall->Show(AGrid, snr ? tr("dB") : tr("bits"));
}

QList<QWidget*> THistoryCharts::AllCharts() const {
    QList<QWidget*> charts;
    for (THistoryPlot* plot : FTimeCharts)
        charts << plot;
    charts << FEnvelope << FWaterfall;
    return charts;
}

void THistoryCharts::RedrawNow() {
    for (THistoryPlot* plot : FTimeCharts)
        plot->RedrawNow();
    FEnvelope->RedrawNow();
    FWaterfall->RedrawNow();
}

QList<QAction*> THistoryCharts::Actions() const {
    return {acnHistoryCopy, acnHistorySaveImage};
}

void THistoryCharts::PopupChartMenu(QWidget* AChart, const QPoint& AGlobalPos) {
    FPopupChart = AChart;
    mnuHistoryChart->popup(AGlobalPos);
}

void THistoryCharts::SaveImage(QWidget* AChart) {
    const std::optional<QString> file = FDialogs.SaveFileName(dlgSaveHistoryImage);
    if (!file)
        return;
    bool saved = false;
    if (auto* plot = qobject_cast<THistoryPlot*>(AChart))
        saved = plot->SaveAsImage(*file);
    else if (auto* chart = qobject_cast<TChart*>(AChart))
        saved = chart->SaveAsImage(*file);
    else if (auto* map = qobject_cast<THistoryWaterfall*>(AChart))
        saved = map->SaveAsImage(*file);
    if (!saved)
        FDialogs.ShowFailure(tr("Cannot create file \"%1\"").arg(*file));
}

} // namespace vexlorin
