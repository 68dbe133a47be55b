// The chart component's pages, the layout table and the routines that apply it, the tone
// axis per profile and the shared popup menu. The plots are in LineChartPlots.cpp.
#include "ui/LineCharts.h"
#include "ui/Messages.h"

#include "ui/UiResources.h"

#include <QAction>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <exception>

namespace vexlorin {

using TKind = TChartSeries::TKind;

const std::array<TChartDescription, ChartCount> ChartDescriptions = {{
    // Name, title, value axis title, automatic, fixed range, increment, minor ticks,
    // series, pen width, Ctrl zoom, 512-bins option.
    {"chartHLog", QT_TRANSLATE_NOOP("TLineCharts", "HLog"), QT_TRANSLATE_NOOP("TLineCharts", "dB"),
     true, 0, 0, 0, TChartDescription::TicksAsBuilt, TKind::Line, 2, true, false},
    {"chartQLN", QT_TRANSLATE_NOOP("TLineCharts", "QLN"),
     QT_TRANSLATE_NOOP("TLineCharts", "dBm/Hz"), false, -150, -90, 0,
     TChartDescription::TicksAsBuilt, TKind::Line, 2, false, false},
    {"chartSNR", QT_TRANSLATE_NOOP("TLineCharts", "SNR"), QT_TRANSLATE_NOOP("TLineCharts", "dB"),
     true, 0, 0, 0, TChartDescription::TicksAsBuilt, TKind::Line, 2, false, false},
    {"chartBitLoading", QT_TRANSLATE_NOOP("TLineCharts", "Allocated bits per tone"),
     QT_TRANSLATE_NOOP("TLineCharts", "Bits"), true, 0, 0, 1, TChartDescription::TicksHidden,
     TKind::Bar, 1, false, false},
    {"chartGain", QT_TRANSLATE_NOOP("TLineCharts", "Gain"), QT_TRANSLATE_NOOP("TLineCharts", "dB"),
     true, 0, 0, 0, TChartDescription::TicksShown, TKind::Bar, 1, false, false},
    {"chartBinSNRUS", QT_TRANSLATE_NOOP("TLineCharts", "SNR"),
     QT_TRANSLATE_NOOP("TLineCharts", "dB"), true, 0, 0, 0, TChartDescription::TicksShown,
     TKind::Line, 1, false, true},
    {"chartBinSNRDS", QT_TRANSLATE_NOOP("TLineCharts", "SNR"),
     QT_TRANSLATE_NOOP("TLineCharts", "dB"), true, 0, 0, 0, TChartDescription::TicksShown,
     TKind::Line, 1, false, true},
}};

namespace {

constexpr uint16_t AllTones = 8192;

const TChartDescription& Describe(TChartId AId) {
    return ChartDescriptions[static_cast<std::size_t>(AId)];
}

} // namespace

double TLineCharts::ToneIncrement(TVDSLProfile AProfile) {
    switch (AProfile) {
    case vp8a:
    case vp8b:
    case vp8c:
    case vp8d:
    case vp12a:
    case vp12b:
        return 64;
    case vp17a:
    case vp30a:
        return 128;
    case vp35b:
        return 256;
    case vpNA:
        break;
    }
    return 0;
}

double TLineCharts::ToneSpacingKHz(TVDSLProfile AProfile) {
    // 30a uses twice the usual tone spacing.
    return AProfile == vp30a ? 8.625 : 4.3125;
}

// ---------------------------------------------------------------------------------------
// Pages and charts

TLineCharts::TLineCharts(QTabWidget& APages, IUserDialogs& ADialogs) : FDialogs(ADialogs) {
    dlgSaveChartImage.Title =
        QCoreApplication::translate("vexlorin::TLineCharts", "Save chart as image");
    dlgSaveChartImage.Filters = {
        {QCoreApplication::translate("vexlorin::TLineCharts", "PNG image (*.png)"),
         QStringLiteral("*.png")},
        {QCoreApplication::translate("vexlorin::TLineCharts", "SVG image (*.svg)"),
         QStringLiteral("*.svg")}};
    dlgSaveChartImage.DefaultExt = QStringLiteral("png");
    dlgSaveChartImage.OverwritePrompt = true;
    BuildPages(APages);
    BuildMenu(&APages);
}

TLineCharts::~TLineCharts() = default;

TChart* TLineCharts::MakeChart(QWidget* AParent, TChartId AId) {
    const TChartDescription& description = Describe(AId);
    auto* chart = new TChart(AParent);
    chart->setObjectName(QString::fromLatin1(description.Name));
    if (description.ZoomWithCtrl) {
        // The left button stays free unless Ctrl is held; scrolling is on the middle one.
        chart->SetZoomModifiers(Qt::ControlModifier);
        chart->SetScrollButton(Qt::MiddleButton);
    }
    connect(chart, &TChart::PopupRequested, this,
            [this, chart](const QPoint& APos) { PopupChartMenu(chart, APos); });
    FCharts[static_cast<std::size_t>(AId)] = chart;
    return chart;
}

void TLineCharts::BuildPages(QTabWidget& APages) {
    // A page: its charts above a bottom strip with the page's "Show raw data..." button.
    struct TPageName {
        const char* Name;
        const char* Title;
        const char* Button;
    };
    static const TPageName names[ChartPageCount] = {
        {"tbsHLog", QT_TRANSLATE_NOOP("TLineCharts", "HLog"), "btnHLogShowRaw"},
        {"tbsQLN", QT_TRANSLATE_NOOP("TLineCharts", "QLN"), "btnQLNShowRawData"},
        {"tbsSNR", QT_TRANSLATE_NOOP("TLineCharts", "SNR"), "btnSNRShowRawData"},
        {"tbsBins", QT_TRANSLATE_NOOP("TLineCharts", "Bins"), "btnBinShowRawData"},
    };
    auto addPage = [&](TChartPage APage) {
        const TPageName& name = names[static_cast<std::size_t>(APage)];
        auto* page = new QWidget(&APages);
        page->setObjectName(QString::fromLatin1(name.Name));
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        const TBottomPanel bottom = NewBottomPanel(page);
        auto* button = new QPushButton(
            QCoreApplication::translate("vexlorin::TLineCharts", "Show raw data..."), bottom.Panel);
        button->setObjectName(QString::fromLatin1(name.Button));
        connect(button, &QPushButton::clicked, this,
                [this, APage] { emit RawDataRequested(APage); });
        bottom.Row->addWidget(button);
        bottom.Row->addStretch(1);
        FPages[static_cast<std::size_t>(APage)] = page;
        APages.addTab(page, QCoreApplication::translate("TLineCharts", name.Title));
        return std::pair{layout, bottom.Panel};
    };
    const std::pair<TChartPage, TChartId> singles[] = {{TChartPage::HLog, TChartId::HLog},
                                                       {TChartPage::QLN, TChartId::QLN},
                                                       {TChartPage::SNR, TChartId::SNR}};
    for (const auto& [pageId, chartId] : singles) {
        auto [layout, bottom] = addPage(pageId);
        layout->addWidget(MakeChart(Page(pageId), chartId), 1);
        layout->addWidget(bottom);
    }

    auto [binsLayout, binsBottom] = addPage(TChartPage::Bins);
    auto* pgcBins = new QTabWidget(Page(TChartPage::Bins));
    pgcBins->setObjectName(QStringLiteral("pgcBins"));
    pgcBins->setDocumentMode(true);
    auto subPage = [&](const char* AName) {
        auto* page = new QWidget(pgcBins);
        page->setObjectName(QString::fromLatin1(AName));
        return page;
    };
    QWidget* tbsBitloading = subPage("tbsBitloading");
    QWidget* tbsGain = subPage("tbsGain");
    QWidget* tbsBinSNR = subPage("tbsBinSNR");
    for (auto [page, id] :
         {std::pair{tbsBitloading, TChartId::BitLoading}, std::pair{tbsGain, TChartId::Gain}}) {
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        pageLayout->addWidget(MakeChart(page, id));
    }
    // One column, two rows of equal height.
    auto* grid = new QGridLayout(tbsBinSNR);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    grid->addWidget(MakeChart(tbsBinSNR, TChartId::BinSNRUS), 0, 0);
    grid->addWidget(MakeChart(tbsBinSNR, TChartId::BinSNRDS), 1, 0);
    grid->setRowStretch(0, 1);
    grid->setRowStretch(1, 1);
    pgcBins->addTab(tbsBitloading,
                    QCoreApplication::translate("vexlorin::TLineCharts", "Bitloading"));
    pgcBins->addTab(tbsGain, QCoreApplication::translate("vexlorin::TLineCharts", "Gain"));
    pgcBins->addTab(tbsBinSNR, QCoreApplication::translate("vexlorin::TLineCharts", "SNR"));
    binsLayout->addWidget(pgcBins, 1);
    binsLayout->addWidget(binsBottom);
}

QList<TChart*> TLineCharts::Charts() const {
    return {FCharts.begin(), FCharts.end()};
}

// ---------------------------------------------------------------------------------------
// Layout

void TLineCharts::SetupCharts(const TLineChartOptions& AOptions) {
    Clear();
    for (int id = 0; id < ChartCount; ++id)
        SetupChart(FCharts[static_cast<std::size_t>(id)], static_cast<TChartId>(id), AllTones,
                   AOptions);
    FShownOptions = AOptions;
    ApplyToneAxes(AOptions);
}

void TLineCharts::ClearCharts(std::initializer_list<TChart*> ACharts) {
    for (TChart* chart : ACharts)
        if (chart)
            chart->DeleteAllSeries();
}

void TLineCharts::SetupChart(TChart* AChart, TChartId AId, uint16_t AMaxTones,
                             const TLineChartOptions& AOptions) {
    const TChartDescription& description = Describe(AId);
    double maximum = AMaxTones;
    double increment = 256;
    QString toneTitle = tr("Tones");
    if (description.BinsOption) {
        ClearCharts({AChart});
        if (AOptions.SNROnlyFirst512Bins) {
            maximum = 512;
            increment = 16;
            toneTitle = QCoreApplication::translate("vexlorin::TLineCharts", "Bins");
        }
    }
    TChartAxis& values = AChart->LeftAxis();
    if (description.ValueAutomatic)
        values.SetAutomatic(true);
    else
        values.SetMinMax(description.ValueMinimum, description.ValueMaximum);
    if (description.ValueIncrement > 0)
        values.SetIncrement(description.ValueIncrement);
    AChart->SetTitle(QCoreApplication::translate("TLineCharts", description.Title));
    values.SetTitle(QCoreApplication::translate("TLineCharts", description.ValueTitle));
    if (description.MinorTicks != TChartDescription::TicksAsBuilt)
        values.SetMinorTicks(description.MinorTicks == TChartDescription::TicksShown);
    TChartAxis& tones = AChart->BottomAxis();
    tones.SetTitle(toneTitle);
    tones.SetMinMax(0, maximum);
    tones.SetIncrement(increment);
    tones.SetLabelsAlternate(true);
    tones.SetLabelsMultiLine(true);
}

void TLineCharts::SetToneAxis(TChart* AChart, TVDSLProfile AProfile) {
    // Damaged files may carry any number as the profile; it reads as N/A in every table.
    const TVDSLProfile profile = SafeProfile(AProfile);
    // A minimum left by the user's zooming could lie above the new maximum.
    AChart->ResetZoom();
    AChart->BottomAxis().SetMaximum(VDSLProfileTones[profile]);
    if (const double increment = ToneIncrement(profile); increment > 0)
        AChart->BottomAxis().SetIncrement(increment);
    AChart->SetToneSpacingKHz(ToneSpacingKHz(profile));
}

QString TLineCharts::ProfileText(TVDSLProfile AProfile) {
    return QCoreApplication::translate("vexlorin::TLineCharts", "VDSL profile: %1")
        .arg(QLatin1String(VDSLProfileNames[SafeProfile(AProfile)]));
}

// ---------------------------------------------------------------------------------------
// The popup menu

void TLineCharts::BuildMenu(QWidget* AParent) {
    mnuCharts = new QMenu(AParent);
    mnuCharts->setObjectName(QStringLiteral("mnuCharts"));
    auto addCommand = [this](const QString& ACaption, const char* AName,
                             void (TLineCharts::*ACommand)()) {
        auto* action = new QAction(ACaption, mnuCharts);
        action->setObjectName(QString::fromLatin1(AName));
        action->setProperty("category", QStringLiteral("Charts"));
        connect(action, &QAction::triggered, this, [this, ACommand] { RunMenuCommand(ACommand); });
        mnuCharts->addAction(action);
        return action;
    };
    acnChartCopy = addCommand(QCoreApplication::translate("vexlorin::TLineCharts", "Copy"),
                              "acnChartCopy", &TLineCharts::acnChartCopyExecute);
    acnChartSaveImage =
        addCommand(QCoreApplication::translate("vexlorin::TLineCharts", "Save as image..."),
                   "acnChartSaveImage", &TLineCharts::acnChartSaveImageExecute);
    BuildCompareMenu();
    // The chart is forgotten once the menu's command has run; queued, because Qt hides the
    // menu before it triggers the chosen item.
    connect(
        mnuCharts, &QMenu::aboutToHide, this, [this] { FPopupChart = nullptr; },
        Qt::QueuedConnection);
}

QList<QAction*> TLineCharts::Actions() const {
    return {acnChartCopy, acnChartSaveImage, acnChartFrequencyAxis, acnChartShowDifference};
}

void TLineCharts::RunMenuCommand(void (TLineCharts::*ACommand)()) {
    try {
        (this->*ACommand)();
    } catch (const std::exception& e) {
        FDialogs.ShowFailure(FailureText(ShownMessage(std::string(e.what()))));
    }
}

void TLineCharts::PopupChartMenu(TChart* AChart, const QPoint& AGlobalPos) {
    FPopupChart = AChart;
    mnuCharts->popup(AGlobalPos);
}

void TLineCharts::acnChartCopyExecute() {
    // Only a command chosen from the menu knows which chart it was opened on.
    TChart* chart = FPopupChart;
    if (!chart)
        return;
    chart->CopyToClipboardBitmap();
}

void TLineCharts::acnChartSaveImageExecute() {
    QPointer<TChart> chart = FPopupChart;
    if (!chart)
        return;
    TFileDialogOptions options = dlgSaveChartImage;
    options.FileName = chart->Title() + QStringLiteral(".png");
    const auto name = FDialogs.SaveFileName(options);
    if (!name || !chart)
        return;
    if (!chart->SaveAsImage(*name))
        throw EFCreateError(
            QStringLiteral("Cannot create file \"%1\". %2")
                .arg(*name, QCoreApplication::translate("vexlorin::TLineCharts",
                                                        "The image could not be written"))
                .toStdString());
}

} // namespace vexlorin
