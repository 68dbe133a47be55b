// The main window's chart routines: layout of the seven charts, the per-group plots
// (HLog, QLN, SNR), the per-tone plots (bit loading, gain, SNR) and the charts' popup menu.
#include "ui/fmMain.h"

#include <QFileInfo>

#include <cmath>

namespace vexlorin {

namespace {

// Resource texts of the charts.
QString TonesText() {
    return QObject::tr("Tones");
}
QString BitsPerToneText() {
    return QObject::tr("Allocated bits per tone");
}

constexpr uint16_t AllTones = 8192;

// Label increment of the tone axis for a profile; 0 leaves the chart's increment alone.
double ToneIncrement(TVDSLProfile AProfile) {
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

// 30a uses twice the usual tone spacing.
double ToneSpacingKHz(TVDSLProfile AProfile) {
    return AProfile == vp30a ? 8.625 : 4.3125;
}

// Damaged files may carry any number as the profile; it reads as N/A in every table.
TVDSLProfile Checked(TVDSLProfile AProfile) {
    return SafeProfile(AProfile);
}

void ApplyLabels(TChartAxis& AAxis) {
    AAxis.SetLabelsAlternate(true);
    AAxis.SetLabelsMultiLine(true);
}

} // namespace

void TfrmMain::SetupCharts() {
    ClearCharts(
        {chartHLog, chartQLN, chartSNR, chartBitLoading, chartGain, chartBinSNRUS, chartBinSNRDS});
    SetupBitLoadingChart(chartBitLoading, AllTones);
    SetupBinSNRChart(chartBinSNRUS, AllTones);
    SetupBinSNRChart(chartBinSNRDS, AllTones);
    SetupGainChart(chartGain, AllTones);
    SetupHLogChart(chartHLog, AllTones);
    SetupQLNChart(chartQLN, AllTones);
    SetupSNRChart(chartSNR, AllTones);
}

void TfrmMain::ClearCharts(std::initializer_list<TChart*> ACharts) {
    for (TChart* chart : ACharts) {
        if (!chart)
            continue;
        while (chart->SeriesCount() > 0)
            chart->DeleteSeries(0);
    }
}

void TfrmMain::SetupHLogChart(TChart* AChart, uint16_t AMaxTones) {
    AChart->LeftAxis().SetAutomatic(true);
    AChart->SetTitle(QStringLiteral("HLog"));
    AChart->BottomAxis().SetTitle(TonesText());
    AChart->LeftAxis().SetTitle(QStringLiteral("dB"));
    AChart->BottomAxis().SetMinMax(0, AMaxTones);
    AChart->BottomAxis().SetIncrement(256);
    ApplyLabels(AChart->BottomAxis());
}

void TfrmMain::SetupQLNChart(TChart* AChart, uint16_t AMaxTones) {
    AChart->LeftAxis().SetMinMax(-90, -150);
    AChart->SetTitle(QStringLiteral("QLN"));
    AChart->BottomAxis().SetTitle(TonesText());
    AChart->LeftAxis().SetTitle(QStringLiteral("dBm/Hz"));
    AChart->BottomAxis().SetMinMax(0, AMaxTones);
    AChart->BottomAxis().SetIncrement(256);
    ApplyLabels(AChart->BottomAxis());
}

void TfrmMain::SetupSNRChart(TChart* AChart, uint16_t AMaxTones) {
    AChart->LeftAxis().SetAutomatic(true);
    AChart->SetTitle(QStringLiteral("SNR"));
    AChart->BottomAxis().SetTitle(TonesText());
    AChart->LeftAxis().SetTitle(QStringLiteral("dB"));
    AChart->BottomAxis().SetMinMax(0, AMaxTones);
    AChart->BottomAxis().SetIncrement(256);
    ApplyLabels(AChart->BottomAxis());
}

void TfrmMain::SetupBitLoadingChart(TChart* AChart, uint16_t AMaxTones) {
    AChart->LeftAxis().SetAutomatic(true);
    AChart->LeftAxis().SetIncrement(1);
    AChart->SetTitle(BitsPerToneText());
    AChart->BottomAxis().SetTitle(TonesText());
    AChart->LeftAxis().SetTitle(QStringLiteral("Bits"));
    AChart->LeftAxis().SetMinorTicks(false);
    AChart->BottomAxis().SetMinMax(0, AMaxTones);
    AChart->BottomAxis().SetIncrement(256);
    ApplyLabels(AChart->BottomAxis());
}

void TfrmMain::SetupGainChart(TChart* AChart, uint16_t AMaxTones) {
    AChart->LeftAxis().SetAutomatic(true);
    AChart->SetTitle(QStringLiteral("Gain"));
    AChart->BottomAxis().SetTitle(TonesText());
    AChart->LeftAxis().SetTitle(QStringLiteral("dB"));
    AChart->LeftAxis().SetMinorTicks(true);
    AChart->BottomAxis().SetMinMax(0, AMaxTones);
    AChart->BottomAxis().SetIncrement(256);
    ApplyLabels(AChart->BottomAxis());
}

void TfrmMain::SetupBinSNRChart(TChart* AChart, uint16_t AMaxTones) {
    ClearCharts({AChart});
    double maximum = AMaxTones;
    double increment = 256;
    QString toneTitle = TonesText();
    if (chkSNRBug->isEnabled() && chkSNRBug->isChecked()) {
        maximum = 512;
        increment = 16;
        toneTitle = QStringLiteral("Bins");
    }
    AChart->LeftAxis().SetAutomatic(true);
    AChart->SetTitle(QStringLiteral("SNR"));
    AChart->BottomAxis().SetTitle(toneTitle);
    AChart->LeftAxis().SetTitle(QStringLiteral("dB"));
    AChart->LeftAxis().SetMinorTicks(true);
    AChart->BottomAxis().SetMinMax(0, maximum);
    AChart->BottomAxis().SetIncrement(increment);
    ApplyLabels(AChart->BottomAxis());
}

void TfrmMain::SetToneAxis(TChart* AChart, TVDSLProfile AProfile) {
    const TVDSLProfile profile = Checked(AProfile);
    // A minimum left by the user's zooming could lie above the new maximum.
    AChart->ResetZoom();
    AChart->BottomAxis().SetMaximum(VDSLProfileTones[profile]);
    if (const double increment = ToneIncrement(profile); increment > 0)
        AChart->BottomAxis().SetIncrement(increment);
    AChart->SetToneSpacingKHz(ToneSpacingKHz(profile));
}

void TfrmMain::UpdateProfileLabel(TVDSLProfile AProfile) {
    lblProfileName->setText(
        QStringLiteral("VDSL profile: %1").arg(QLatin1String(VDSLProfileNames[Checked(AProfile)])));
}

// ---------------------------------------------------------------------------------------
// Per-group plots

void TfrmMain::PlotGroupTable(TChart* AChart, TVDSLProfile AProfile, const TDrayStatArray& AUS,
                              const TDrayStatArray& ADS, const TStatMultipliers& ASizes,
                              QColor ADSColor, QColor AUSColor) {
    SetToneAxis(AChart, AProfile);
    TChartSeries* up = AChart->AddLineSeries();
    TChartSeries* down = AChart->AddLineSeries();
    for (TChartSeries* series : {up, down})
        series->SetPenWidth(2);
    up->SetTitle(QStringLiteral("US"));
    up->SetColor(AUSColor);
    down->SetTitle(QStringLiteral("DS"));
    down->SetColor(ADSColor);

    auto fill = [](TChartSeries* ASeries, const TDrayStatArray& AValues, int AGroupSize) {
        ASeries->BeginUpdate();
        try {
            for (int group = 0; group < static_cast<int>(AValues.size()); ++group) {
                const double x = static_cast<double>(group * AGroupSize);
                const TStatSlot& slot = AValues[static_cast<std::size_t>(group)];
                if (slot.IsNull())
                    ASeries->AddNullXY(x, 0);
                else
                    ASeries->AddXY(x, slot.AsNumber());
            }
        } catch (...) {
            ASeries->EndUpdate();
            throw;
        }
        ASeries->EndUpdate();
    };
    fill(up, AUS, ASizes[sdUp]);
    fill(down, ADS, ASizes[sdDown]);
    AChart->Refresh();
}

void TfrmMain::PlotHLOG(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor) {
    PlotGroupTable(AChart ? AChart : chartHLog, AData->VDSLProfile(), AData->HLogStatsUS(),
                   AData->HLogStatsDS(), AData->HLogMultipliers(), ADSColor, AUSColor);
}

void TfrmMain::PlotQLN(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor) {
    PlotGroupTable(AChart ? AChart : chartQLN, AData->VDSLProfile(), AData->QLNStatsUS(),
                   AData->QLNStatsDS(), AData->QLNMultipliers(), ADSColor, AUSColor);
}

void TfrmMain::PlotSNR(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor) {
    PlotGroupTable(AChart ? AChart : chartSNR, AData->VDSLProfile(), AData->SNRStatsUS(),
                   AData->SNRStatsDS(), AData->SNRMultipliers(), ADSColor, AUSColor);
}

// ---------------------------------------------------------------------------------------
// Per-tone plots

void TfrmMain::PlotBinBars(TChart* AChart, const TDrayData* AData, bool AGain, QColor ADSColor,
                           QColor AUSColor) {
    const TVDSLProfile profile = Checked(AData->VDSLProfile());
    SetToneAxis(AChart, profile);
    TChartSeries* up = AChart->AddBarSeries();
    TChartSeries* down = AChart->AddBarSeries();
    up->SetTitle(QStringLiteral("US"));
    up->SetColor(AUSColor);
    down->SetTitle(QStringLiteral("DS"));
    down->SetColor(ADSColor);

    const int tones = std::min<int>(VDSLProfileTones[profile], BinArraySize);
    auto fill = [tones, AGain](TChartSeries* ASeries, const TDrayBinArray& ABins) {
        ASeries->BeginUpdate();
        for (int tone = 0; tone < tones; ++tone) {
            const TDrayBinEntry& entry = ABins[static_cast<std::size_t>(tone)];
            ASeries->Add(AGain ? entry.Gain / 10.0 : entry.ToneBits);
        }
        ASeries->EndUpdate();
    };
    fill(down, AData->ShowBinStatsDS());
    fill(up, AData->ShowBinStatsUS());
    AChart->Refresh();
}

void TfrmMain::PlotBitLoading(const TDrayData* AData, TChart* AChart, QColor ADSColor,
                              QColor AUSColor) {
    PlotBinBars(AChart ? AChart : chartBitLoading, AData, false, ADSColor, AUSColor);
}

void TfrmMain::PlotGain(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor) {
    PlotBinBars(AChart ? AChart : chartGain, AData, true, ADSColor, AUSColor);
}

void TfrmMain::PlotBinsSNR(const TDrayData* AData, TChart* AChartDS, TChart* AChartUS,
                           QColor ADSColor, QColor AUSColor) {
    TChart* chartDS = AChartDS ? AChartDS : chartBinSNRDS;
    TChart* chartUS = AChartUS ? AChartUS : chartBinSNRUS;
    const TVDSLProfile profile = Checked(AData->VDSLProfile());
    const bool first512 = chkSNRBug->isChecked();
    // Only the first 512 bins carry the modem's SNR when the option is on; otherwise the
    // whole profile is drawn on a tone axis like the bar charts'.
    const int tones = first512 ? 512 : std::min<int>(VDSLProfileTones[profile], BinArraySize);
    const double increment = first512                     ? 32
                             : ToneIncrement(profile) > 0 ? ToneIncrement(profile)
                                                          : 256;
    const QString toneTitle = first512 ? QStringLiteral("Bins") : TonesText();

    auto layout = [&](TChart* AChart, const QString& ATitle) {
        AChart->ResetZoom();
        AChart->SetTitle(ATitle);
        AChart->BottomAxis().SetMinMax(0, tones);
        AChart->BottomAxis().SetIncrement(increment);
        AChart->BottomAxis().SetTitle(toneTitle);
        AChart->SetToneSpacingKHz(ToneSpacingKHz(profile));
    };
    layout(chartDS, QStringLiteral("SNR Downstream"));
    layout(chartUS, QStringLiteral("SNR Upstream"));

    TChartSeries* up = chartUS->AddLineSeries();
    TChartSeries* down = chartDS->AddLineSeries();
    up->SetTitle(QStringLiteral("US"));
    up->SetColor(AUSColor);
    down->SetTitle(QStringLiteral("DS"));
    down->SetColor(ADSColor);

    auto fill = [tones](TChartSeries* ASeries, const TDrayBinArray& ABins) {
        ASeries->BeginUpdate();
        for (int tone = 0; tone < tones; ++tone)
            ASeries->Add(ABins[static_cast<std::size_t>(tone)].SNR);
        ASeries->EndUpdate();
    };
    fill(down, AData->ShowBinStatsDS());
    fill(up, AData->ShowBinStatsUS());
    chartDS->Refresh();
    chartUS->Refresh();
}

void TfrmMain::DisplayChartData(const TDrayData* AData) {
    if (!AData) {
        ClearCharts({chartHLog, chartQLN, chartSNR, chartBitLoading, chartGain, chartBinSNRDS,
                     chartBinSNRUS});
        return;
    }
    PlotHLOG(AData, chartHLog, DSColor, USColor);
    PlotQLN(AData, chartQLN, DSColor, USColor);
    PlotSNR(AData, chartSNR, DSColor, USColor);
    PlotBitLoading(AData, chartBitLoading, DSColor, USColor);
    PlotGain(AData, chartGain, DSColor, USColor);
    PlotBinsSNR(AData, chartBinSNRDS, chartBinSNRUS, DSColor, USColor);
}

// ---------------------------------------------------------------------------------------
// The charts' popup menu

void TfrmMain::PopupChartMenu(TChart* AChart, const QPoint& AGlobalPos) {
    FPopupChart = AChart;
    mnuCharts->popup(AGlobalPos);
}

void TfrmMain::acnChartCopyExecute() {
    // Only a command chosen from the menu knows which chart it was opened on.
    TChart* chart = FPopupChart;
    if (!chart)
        return;
    chart->CopyToClipboardBitmap();
}

void TfrmMain::acnChartSaveImageExecute() {
    QPointer<TChart> chart = FPopupChart;
    if (!chart)
        return;
    TFileDialogOptions options = dlgSaveChartImage;
    options.FileName = chart->Title() + QStringLiteral(".png");
    const auto name = FDialogs->SaveFileName(options);
    if (!name || !chart)
        return;
    if (!chart->SaveAsImage(*name))
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2")
                                .arg(*name, QStringLiteral("The image could not be written"))
                                .toStdString());
}

} // namespace vexlorin
