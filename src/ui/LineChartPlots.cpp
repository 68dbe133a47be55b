// The chart component's plots: the per-group lines (HLog, QLN, SNR), the per-tone bars
// (bit loading, gain), the per-tone SNR lines, and a whole set at once.
#include "ui/LineCharts.h"

#include <QCoreApplication>
#include <algorithm>

namespace vexlorin {

namespace {

TChartSeries* AddDirection(TChart* AChart, TChartId AId, const QString& ATitle, QColor AColor) {
    const TChartDescription& description = ChartDescriptions[static_cast<std::size_t>(AId)];
    TChartSeries* series = AChart->AddSeries(description.Series);
    series->SetPenWidth(description.PenWidth);
    series->SetTitle(ATitle);
    series->SetColor(AColor);
    return series;
}

// The upstream series first, as the legend lists them.
std::pair<TChartSeries*, TChartSeries*> AddDirections(TChart* AChart, TChartId AId, QColor ADSColor,
                                                      QColor AUSColor) {
    TChartSeries* up = AddDirection(
        AChart, AId, QCoreApplication::translate("vexlorin::TLineCharts", "US"), AUSColor);
    TChartSeries* down = AddDirection(
        AChart, AId, QCoreApplication::translate("vexlorin::TLineCharts", "DS"), ADSColor);
    return {up, down};
}

// Every tone a bins plot draws for a profile: the profile's tones, never beyond the table.
int BinTones(TVDSLProfile AProfile) {
    return std::min<int>(VDSLProfileTones[SafeProfile(AProfile)], BinArraySize);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Per-group plots

void TLineCharts::PlotGroupTable(TChart* AChart, TChartId AId, TVDSLProfile AProfile,
                                 const TDrayStatArray& AUS, const TDrayStatArray& ADS,
                                 const TStatMultipliers& ASizes, QColor ADSColor, QColor AUSColor) {
    SetToneAxis(AChart, AProfile);
    auto [up, down] = AddDirections(AChart, AId, ADSColor, AUSColor);

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

void TLineCharts::PlotHLOG(const TDrayData* AData, TChart* AChart, QColor ADSColor,
                           QColor AUSColor) {
    PlotGroupTable(AChart ? AChart : Chart(TChartId::HLog), TChartId::HLog, AData->VDSLProfile(),
                   AData->HLogStatsUS(), AData->HLogStatsDS(), AData->HLogMultipliers(), ADSColor,
                   AUSColor);
}

void TLineCharts::PlotQLN(const TDrayData* AData, TChart* AChart, QColor ADSColor,
                          QColor AUSColor) {
    PlotGroupTable(AChart ? AChart : Chart(TChartId::QLN), TChartId::QLN, AData->VDSLProfile(),
                   AData->QLNStatsUS(), AData->QLNStatsDS(), AData->QLNMultipliers(), ADSColor,
                   AUSColor);
}

void TLineCharts::PlotSNR(const TDrayData* AData, TChart* AChart, QColor ADSColor,
                          QColor AUSColor) {
    PlotGroupTable(AChart ? AChart : Chart(TChartId::SNR), TChartId::SNR, AData->VDSLProfile(),
                   AData->SNRStatsUS(), AData->SNRStatsDS(), AData->SNRMultipliers(), ADSColor,
                   AUSColor);
}

// ---------------------------------------------------------------------------------------
// Per-tone plots

void TLineCharts::PlotBinBars(TChart* AChart, TChartId AId, const TDrayData* AData,
                              TBinValue AValue, QColor ADSColor, QColor AUSColor) {
    SetToneAxis(AChart, AData->VDSLProfile());
    auto [up, down] = AddDirections(AChart, AId, ADSColor, AUSColor);
    const int tones = BinTones(AData->VDSLProfile());
    auto fill = [tones, AValue](TChartSeries* ASeries, const TDrayBinArray& ABins) {
        ASeries->BeginUpdate();
        for (int tone = 0; tone < tones; ++tone)
            ASeries->Add(AValue(ABins[static_cast<std::size_t>(tone)]));
        ASeries->EndUpdate();
    };
    fill(down, AData->ShowBinStatsDS());
    fill(up, AData->ShowBinStatsUS());
    AChart->Refresh();
}

void TLineCharts::PlotBitLoading(const TDrayData* AData, TChart* AChart, QColor ADSColor,
                                 QColor AUSColor) {
    PlotBinBars(
        AChart ? AChart : Chart(TChartId::BitLoading), TChartId::BitLoading, AData,
        [](const TDrayBinEntry& AEntry) { return static_cast<double>(AEntry.ToneBits); }, ADSColor,
        AUSColor);
}

void TLineCharts::PlotGain(const TDrayData* AData, TChart* AChart, QColor ADSColor,
                           QColor AUSColor) {
    PlotBinBars(
        AChart ? AChart : Chart(TChartId::Gain), TChartId::Gain, AData,
        [](const TDrayBinEntry& AEntry) { return AEntry.Gain / 10.0; }, ADSColor, AUSColor);
}

void TLineCharts::PlotBinsSNR(const TDrayData* AData, TChart* AChartDS, TChart* AChartUS,
                              QColor ADSColor, QColor AUSColor, const TLineChartOptions& AOptions) {
    TChart* chartDS = AChartDS ? AChartDS : Chart(TChartId::BinSNRDS);
    TChart* chartUS = AChartUS ? AChartUS : Chart(TChartId::BinSNRUS);
    const TVDSLProfile profile = SafeProfile(AData->VDSLProfile());
    const int tones = AOptions.SNROnlyFirst512Bins ? 512 : BinTones(profile);
    LayoutBinsSNR(chartDS, chartUS, profile, AOptions);

    TChartSeries* up =
        AddDirection(chartUS, TChartId::BinSNRUS,
                     QCoreApplication::translate("vexlorin::TLineCharts", "US"), AUSColor);
    TChartSeries* down =
        AddDirection(chartDS, TChartId::BinSNRDS,
                     QCoreApplication::translate("vexlorin::TLineCharts", "DS"), ADSColor);

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

void TLineCharts::LayoutBinsSNR(TChart* AChartDS, TChart* AChartUS, TVDSLProfile AProfile,
                                const TLineChartOptions& AOptions) {
    const TVDSLProfile profile = SafeProfile(AProfile);
    const bool first512 = AOptions.SNROnlyFirst512Bins;
    // Only the first 512 bins carry the modem's SNR when the option is on; otherwise the
    // whole profile is drawn on a tone axis like the bar charts'.
    const int tones = first512 ? 512 : BinTones(profile);
    const double increment = first512                     ? 32
                             : ToneIncrement(profile) > 0 ? ToneIncrement(profile)
                                                          : 256;
    const QString toneTitle = first512
                                  ? QCoreApplication::translate("vexlorin::TLineCharts", "Bins")
                                  : QCoreApplication::translate("vexlorin::TLineCharts", "Tones");

    auto layout = [&](TChart* AChart, const QString& ATitle) {
        AChart->ResetZoom();
        AChart->SetTitle(ATitle);
        AChart->BottomAxis().SetMinMax(0, tones);
        AChart->BottomAxis().SetIncrement(increment);
        AChart->BottomAxis().SetTitle(AChart->FrequencyAxis() ? tr("MHz") : toneTitle);
        AChart->SetToneSpacingKHz(ToneSpacingKHz(profile));
    };
    layout(AChartDS, QCoreApplication::translate("vexlorin::TLineCharts", "SNR Downstream"));
    layout(AChartUS, QCoreApplication::translate("vexlorin::TLineCharts", "SNR Upstream"));
}

// ---------------------------------------------------------------------------------------
// A whole set

void TLineCharts::Show(const TDrayData& AData, const TLineChartOptions& AOptions,
                       const TDrayData* AReference) {
    Clear();
    PlotAll(AData, AOptions, AReference);
}

void TLineCharts::PlotAll(const TDrayData& AData, const TLineChartOptions& AOptions,
                          const TDrayData* AReference) {
    FShownOptions = AOptions;
    FComparing = AReference != nullptr;
    acnChartShowDifference->setEnabled(FComparing);
    ApplyToneAxes(AOptions);
    if (AReference) {
        PlotCompared(AData, *AReference, AOptions);
        ShowBands(AData);
        return;
    }
    if (FDifferenceShown)
        ApplyValueAxes(false);
    PlotTables(AData, AOptions);
    ShowBands(AData);
}

void TLineCharts::PlotTables(const TDrayData& AData, const TLineChartOptions& AOptions) {
    PlotHLOG(&AData, Chart(TChartId::HLog), DSColor, USColor);
    PlotQLN(&AData, Chart(TChartId::QLN), DSColor, USColor);
    PlotSNR(&AData, Chart(TChartId::SNR), DSColor, USColor);
    PlotBitLoading(&AData, Chart(TChartId::BitLoading), DSColor, USColor);
    PlotGain(&AData, Chart(TChartId::Gain), DSColor, USColor);
    PlotBinsSNR(&AData, Chart(TChartId::BinSNRDS), Chart(TChartId::BinSNRUS), DSColor, USColor,
                AOptions);
}

void TLineCharts::Clear() {
    for (TChart* chart : FCharts) {
        chart->DeleteAllSeries();
        chart->SetReadout({});
        if (!chart->Bands().isEmpty())
            chart->SetBands({});
    }
    // What is drawn next may be a set on its own, plot by plot.
    if (FDifferenceShown)
        ApplyValueAxes(false);
    FComparing = false;
    acnChartShowDifference->setEnabled(false);
}

} // namespace vexlorin
