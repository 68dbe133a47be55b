// Comparing the shown set with a reference set on the seven charts: the reference overlaid
// in lighter dashed lines, or the difference (the shown set minus the reference) with a
// zero line; the readout with both values and the difference; the band plan behind the
// data; the menu's "Frequency axis" and "Show difference". The differences themselves come
// from the model (CompareTables), the same computation vexlorin-cli diff writes.
#include "ui/LineCharts.h"

#include "model/SetComparison.h"

#include <QAction>
#include <QCoreApplication>
#include <QLocale>
#include <QMenu>

#include <algorithm>
#include <memory>
#include <optional>

namespace vexlorin {

namespace {

const TChartDescription& DescriptionOf(TChartId AId) {
    return ChartDescriptions[static_cast<std::size_t>(AId)];
}

// HLog, QLN and SNR per group; the other four per tone.
std::optional<TGroupTableId> GroupTableOf(TChartId AId) {
    switch (AId) {
    case TChartId::HLog:
        return gtHLog;
    case TChartId::QLN:
        return gtQLN;
    case TChartId::SNR:
        return gtSNR;
    default:
        return std::nullopt;
    }
}

TToneValueId ToneValueOf(TChartId AId) {
    return AId == TChartId::BitLoading ? tvBits : AId == TChartId::Gain ? tvGain : tvSNR;
}

// The directions a chart draws, in the order of its legend.
std::vector<TStatDirection> DirectionsOf(TChartId AId) {
    if (AId == TChartId::BinSNRUS)
        return {sdUp};
    if (AId == TChartId::BinSNRDS)
        return {sdDown};
    return {sdUp, sdDown};
}

QString DirectionTitle(TStatDirection ADirection) {
    return ADirection == sdUp ? QStringLiteral("US") : QStringLiteral("DS");
}

// The profile with more tones: the tone axis of a comparison covers it.
TVDSLProfile WiderProfile(TVDSLProfile AOne, TVDSLProfile ATwo) {
    return ProfileToneCount(ATwo) > ProfileToneCount(AOne) ? SafeProfile(ATwo) : SafeProfile(AOne);
}

QString SetName(const TDrayData& AData) {
    return QString::fromStdString(AData.Name());
}

// "US (name)", "US (reference: name)": the legend tells the sets apart by name, and the
// reference even from a set of the same name.
QString NamedTitle(const QString& ADirection, const QString& AName, bool AReference = false) {
    return AReference ? QCoreApplication::translate("TLineCharts", "%1 (reference: %2)")
                            .arg(ADirection, AName)
                      : QStringLiteral("%1 (%2)").arg(ADirection, AName);
}

// A series of a comparison, titled with the set(s) it shows.
TChartSeries* AddComparedSeries(TChart* AChart, TChartSeries::TKind AKind, int APenWidth,
                                TStatDirection ADirection, const QString& AName, bool AReference) {
    TChartSeries* series = AChart->AddSeries(AKind);
    series->SetPenWidth(APenWidth);
    series->SetTitle(NamedTitle(DirectionTitle(ADirection), AName, AReference));
    series->SetColor(AReference ? (ADirection == sdUp ? USReferenceColor : DSReferenceColor)
                                : (ADirection == sdUp ? USColor : DSColor));
    return series;
}

// What the readout needs of one set, copied: the charts must not keep the sets.
struct TReadoutSet {
    explicit TReadoutSet(const TDrayData& AData) : Tones(ProfileToneCount(AData.VDSLProfile())) {
        for (int table = 0; table < GroupTableCount; ++table)
            for (const TStatDirection direction : {sdUp, sdDown}) {
                const auto id = static_cast<TGroupTableId>(table);
                Groups[id][direction] = GroupValues(AData, id, direction);
                Sizes[id][direction] = GroupSize(AData, id, direction);
            }
        for (const TStatDirection direction : {sdUp, sdDown}) {
            Bins[direction] = BinValues(AData, direction);
            HoldsBins[direction] = vexlorin::HoldsBins(Bins[direction]);
        }
    }

    // The value the chart AId shows at a tone; none beyond the profile or without a value.
    std::optional<double> ValueAt(TChartId AId, TStatDirection ADirection, int ATone) const {
        if (ATone < 0 || ATone >= Tones)
            return std::nullopt;
        if (const auto table = GroupTableOf(AId))
            return GroupValueAtTone(Groups[*table][ADirection], Sizes[*table][ADirection], ATone);
        if (!HoldsBins[ADirection])
            return std::nullopt;
        return ToneValue(Bins[ADirection][static_cast<std::size_t>(ATone)], ToneValueOf(AId));
    }

    int Tones;
    std::array<std::array<TDrayStatArray, 2>, GroupTableCount> Groups{};
    std::array<std::array<int, 2>, GroupTableCount> Sizes{};
    std::array<TDrayBinArray, 2> Bins{};
    std::array<bool, 2> HoldsBins{};
};

struct TReadoutPair {
    TReadoutSet Selected;
    TReadoutSet Reference;
};

QString Number(double AValue) {
    return QLocale::c().toString(AValue, 'g', 6);
}

QString DifferenceUnit(TChartId AId) {
    return AId == TChartId::BitLoading ? QCoreApplication::translate("TLineCharts", "bits")
                                       : QCoreApplication::translate("TLineCharts", "dB");
}

} // namespace

// ---------------------------------------------------------------------------------------
// The menu's switches

void TLineCharts::BuildCompareMenu() {
    mnuCharts->addSeparator();
    auto addSwitch = [this](const QString& ACaption, const char* AName, const QString& AHint) {
        auto* action = new QAction(ACaption, mnuCharts);
        action->setObjectName(QString::fromLatin1(AName));
        action->setProperty("category", QStringLiteral("Charts"));
        action->setCheckable(true);
        action->setToolTip(AHint);
        action->setStatusTip(AHint);
        mnuCharts->addAction(action);
        return action;
    };
    acnChartFrequencyAxis = addSwitch(tr("Frequency axis"), "acnChartFrequencyAxis",
                                      tr("Label the tone axes with the tones' frequencies in MHz"));
    acnChartShowDifference =
        addSwitch(tr("Show difference"), "acnChartShowDifference",
                  tr("Show the selected set minus the reference set on every chart"));
    acnChartShowDifference->setEnabled(false);
    // Only the axes change: no new plot, also while a retrieval draws its set.
    connect(acnChartFrequencyAxis, &QAction::toggled, this, [this](bool AChecked) {
        FShownOptions.FrequencyAxis = AChecked;
        ApplyToneAxes(FShownOptions);
    });
    connect(acnChartShowDifference, &QAction::toggled, this, [this] { emit RedrawRequested(); });
}

TLineChartOptions TLineCharts::MenuOptions(TLineChartOptions ABase) const {
    ABase.FrequencyAxis = acnChartFrequencyAxis->isChecked();
    ABase.ShowDifference = acnChartShowDifference->isChecked();
    return ABase;
}

void TLineCharts::ApplyToneAxes(const TLineChartOptions& AOptions) {
    for (int id = 0; id < ChartCount; ++id) {
        TChart* chart = FCharts[static_cast<std::size_t>(id)];
        if (AOptions.FrequencyAxis) {
            chart->SetFrequencyAxis(true);
            chart->BottomAxis().SetTitle(tr("MHz"));
        } else if (chart->FrequencyAxis()) {
            chart->SetFrequencyAxis(false);
            const bool bins = ChartDescriptions[static_cast<std::size_t>(id)].BinsOption &&
                              AOptions.SNROnlyFirst512Bins;
            chart->BottomAxis().SetTitle(bins ? tr("Bins") : tr("Tones"));
        }
    }
}

// ---------------------------------------------------------------------------------------
// Band plan

void TLineCharts::ShowBands(const TDrayData& AData) {
    QList<TChartBand> bands;
    for (const TBandSummary& band : SummarizeStatus(AData.Stats()).Bands) {
        const auto first = band.Values[biFirstTone].AsInteger();
        const auto last = band.Values[biLastTone].AsInteger();
        if (!first || !last)
            continue;
        bands.append({static_cast<double>(*first), static_cast<double>(*last),
                      band.Direction == sdUp ? USColor : DSColor,
                      QString::fromStdString(band.Name)});
    }
    for (TChart* chart : FCharts)
        if (!bands.isEmpty() || !chart->Bands().isEmpty())
            chart->SetBands(bands);
}

// ---------------------------------------------------------------------------------------
// Comparisons

void TLineCharts::PlotCompared(const TDrayData& AData, const TDrayData& AReference,
                               const TLineChartOptions& AOptions) {
    if (AOptions.ShowDifference) {
        PlotDifference(AData, AReference, AOptions);
    } else {
        if (FDifferenceShown)
            ApplyValueAxes(false);
        PlotOverlay(AData, AReference, AOptions);
    }
    SetReadouts(AData, AReference);
}

void TLineCharts::PlotOverlay(const TDrayData& AData, const TDrayData& AReference,
                              const TLineChartOptions& AOptions) {
    // The shown set exactly as on its own, then the reference over it.
    PlotTables(AData, AOptions);
    std::array<int, ChartCount> shown{};
    for (int id = 0; id < ChartCount; ++id) {
        TChart* chart = FCharts[static_cast<std::size_t>(id)];
        shown[static_cast<std::size_t>(id)] = chart->SeriesCount();
        for (int s = 0; s < chart->SeriesCount(); ++s)
            chart->Series(s)->SetTitle(NamedTitle(chart->Series(s)->Title(), SetName(AData)));
    }

    PlotHLOG(&AReference, Chart(TChartId::HLog), DSReferenceColor, USReferenceColor);
    PlotQLN(&AReference, Chart(TChartId::QLN), DSReferenceColor, USReferenceColor);
    PlotSNR(&AReference, Chart(TChartId::SNR), DSReferenceColor, USReferenceColor);
    PlotBinsSNR(&AReference, Chart(TChartId::BinSNRDS), Chart(TChartId::BinSNRUS), DSReferenceColor,
                USReferenceColor, AOptions);
    for (int id = 0; id < ChartCount; ++id) {
        TChart* chart = FCharts[static_cast<std::size_t>(id)];
        for (int s = shown[static_cast<std::size_t>(id)]; s < chart->SeriesCount(); ++s) {
            TChartSeries* series = chart->Series(s);
            series->SetTitle(NamedTitle(series->Title(), SetName(AReference), true));
            series->SetPenStyle(Qt::DashLine);
        }
    }
    // Bars of two sets side by side would halve every bar; the reference's bit loading
    // and gain are outlines over the shown set's bars instead, solid: dashes mean nothing
    // on a line that moves at every tone.
    const int tones = ProfileToneCount(AReference.VDSLProfile());
    for (const TChartId id : {TChartId::BitLoading, TChartId::Gain}) {
        TChart* chart = Chart(id);
        for (const TStatDirection direction : DirectionsOf(id)) {
            TChartSeries* series = AddComparedSeries(chart, TChartSeries::TKind::Line, 1, direction,
                                                     SetName(AReference), true);
            const TDrayBinArray& bins = BinValues(AReference, direction);
            if (!HoldsBins(bins))
                continue;
            series->BeginUpdate();
            for (int t = 0; t < tones; ++t)
                series->Add(ToneValue(bins[static_cast<std::size_t>(t)], ToneValueOf(id)));
            series->EndUpdate();
        }
    }

    const TVDSLProfile wider = WiderProfile(AData.VDSLProfile(), AReference.VDSLProfile());
    for (const TChartId id :
         {TChartId::HLog, TChartId::QLN, TChartId::SNR, TChartId::BitLoading, TChartId::Gain}) {
        SetToneAxis(Chart(id), wider);
        Chart(id)->Refresh();
    }
    LayoutBinsSNR(Chart(TChartId::BinSNRDS), Chart(TChartId::BinSNRUS), wider, AOptions);
    Chart(TChartId::BinSNRDS)->Refresh();
    Chart(TChartId::BinSNRUS)->Refresh();
}

void TLineCharts::PlotDifference(const TDrayData& AData, const TDrayData& AReference,
                                 const TLineChartOptions& AOptions) {
    ApplyValueAxes(true);
    const TSetComparison comparison = CompareTables(AReference, AData);
    const int common = comparison.CommonTones();
    const QString names = QStringLiteral("%1 \u2212 %2").arg(SetName(AData), SetName(AReference));
    const TVDSLProfile wider = WiderProfile(AData.VDSLProfile(), AReference.VDSLProfile());
    LayoutBinsSNR(Chart(TChartId::BinSNRDS), Chart(TChartId::BinSNRUS), wider, AOptions);
    const int binsShown = AOptions.SNROnlyFirst512Bins ? 512 : ProfileToneCount(wider);

    for (int index = 0; index < ChartCount; ++index) {
        const auto id = static_cast<TChartId>(index);
        const TChartDescription& description = DescriptionOf(id);
        TChart* chart = Chart(id);
        if (!description.BinsOption)
            SetToneAxis(chart, wider);
        for (const TStatDirection direction : DirectionsOf(id)) {
            TChartSeries* series = AddComparedSeries(chart, description.Series,
                                                     description.PenWidth, direction, names, false);
            series->BeginUpdate();
            if (const auto table = GroupTableOf(id)) {
                const TGroupDifference& difference = comparison.Groups[*table][direction];
                for (std::size_t g = 0; g < StatArraySize; ++g) {
                    const int tone = static_cast<int>(g) * difference.GroupSize;
                    if (difference.GroupSize == 0 || tone >= common)
                        break;
                    if (const auto& value = difference.Values[g])
                        series->AddXY(tone, *value);
                    else
                        series->AddNullXY(tone, 0);
                }
            } else {
                const std::vector<double>& values =
                    comparison.Tones[ToneValueOf(id)][direction].Values;
                const std::size_t end = description.BinsOption
                                            ? std::min<std::size_t>(values.size(), binsShown)
                                            : values.size();
                for (std::size_t t = 0; t < end; ++t)
                    series->AddXY(static_cast<double>(t), values[t]);
            }
            series->EndUpdate();
        }
        chart->Refresh();
    }
}

void TLineCharts::SetReadouts(const TDrayData& AData, const TDrayData& AReference) {
    const auto pair = std::make_shared<const TReadoutPair>(
        TReadoutPair{TReadoutSet(AData), TReadoutSet(AReference)});
    for (int index = 0; index < ChartCount; ++index) {
        const auto id = static_cast<TChartId>(index);
        const QString unit =
            QCoreApplication::translate("TLineCharts", DescriptionOf(id).ValueTitle);
        const QString differenceUnit = DifferenceUnit(id);
        Chart(id)->SetReadout([pair, id, unit, differenceUnit](int ATone) {
            const auto text = [&unit](const std::optional<double>& AValue) {
                return AValue ? Number(*AValue) + QLatin1Char(' ') + unit
                              : QCoreApplication::translate("TLineCharts", "no value");
            };
            QStringList lines;
            for (const TStatDirection direction : DirectionsOf(id)) {
                const auto selected = pair->Selected.ValueAt(id, direction, ATone);
                const auto reference = pair->Reference.ValueAt(id, direction, ATone);
                const auto change = Change(reference, selected);
                const QString delta = change
                                          ? (*change > 0 ? QStringLiteral("+") : QString()) +
                                                Number(*change) + QLatin1Char(' ') + differenceUnit
                                          : QCoreApplication::translate("TLineCharts", "none");
                lines << QCoreApplication::translate("TLineCharts", "%1: %2, reference %3, Δ %4")
                             .arg(DirectionTitle(direction), text(selected), text(reference),
                                  delta);
            }
            return lines;
        });
    }
}

void TLineCharts::ApplyValueAxes(bool ADifference) {
    for (int index = 0; index < ChartCount; ++index) {
        const auto id = static_cast<TChartId>(index);
        const TChartDescription& description = DescriptionOf(id);
        TChart* chart = Chart(id);
        TChartAxis& values = chart->LeftAxis();
        if (ADifference) {
            // A difference has no fixed range of its own: QLN's dBm/Hz window would hide it.
            values.SetAutomatic(true);
            values.SetIncrement(0);
            values.SetTitle(id == TChartId::BitLoading ? tr("Δ bits") : tr("Δ dB"));
        } else {
            if (description.ValueAutomatic)
                values.SetAutomatic(true);
            else
                values.SetMinMax(description.ValueMinimum, description.ValueMaximum);
            values.SetIncrement(description.ValueIncrement);
            values.SetTitle(QCoreApplication::translate("TLineCharts", description.ValueTitle));
        }
        chart->SetZeroLine(ADifference);
    }
    FDifferenceShown = ADifference;
}

} // namespace vexlorin
