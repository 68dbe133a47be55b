// Comparing sets in the main window: pinning a reference from the list's menu, the overlay
// and the difference on all seven charts against a direct computation from two sets the
// simulated router gave with different seeds, nulls, missing tables and other profiles,
// the readout, and removing the reference.
#include "CompareSupport.h"

#include <QCoreApplication>

namespace vexlorin::test {
namespace {

struct TCompareActions {
    explicit TCompareActions(const TfrmMain& AWindow)
        : acnCompareWithSelected(Child<QAction>(AWindow, "acnCompareWithSelected")),
          acnStopComparing(Child<QAction>(AWindow, "acnStopComparing")),
          acnChartShowDifference(Child<QAction>(AWindow, "acnChartShowDifference")),
          acnChartFrequencyAxis(Child<QAction>(AWindow, "acnChartFrequencyAxis")) {}
    QAction* acnCompareWithSelected;
    QAction* acnStopComparing;
    QAction* acnChartShowDifference;
    QAction* acnChartFrequencyAxis;
};

class Compare : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        FillConnection();
    }

    // Lists both sets, pins AReference as the user does (select it, "Compare with
    // selected") and selects ASelected.
    void Pin(std::unique_ptr<TDrayData> AReference, std::unique_ptr<TDrayData> ASelected) {
        const TCompareActions compare(*Window);
        Reference = Window->DrayDataList().Add(std::move(AReference));
        Selected = Window->DrayDataList().Add(std::move(ASelected));
        Select(Reference);
        ASSERT_TRUE(compare.acnCompareWithSelected->isEnabled());
        compare.acnCompareWithSelected->trigger();
        ASSERT_EQ(Window->ReferenceSet(), Reference);
        Select(Selected);
    }

    void Select(const TDrayData* AData) {
        QListWidget* list = Controls().lbxStatistics;
        for (int row = 0; row < list->count(); ++row)
            if (QString::fromStdString(AData->Name()) == list->item(row)->text())
                list->setCurrentRow(row);
        ASSERT_EQ(Window->GetSelectedDrayData(), AData);
    }

    TDrayData* Reference = nullptr;
    TDrayData* Selected = nullptr;
};

// What PlotHLOG draws for one direction of a table: a point per group, null for a null.
std::vector<TPoint> GroupLine(const TDrayStatArray& AValues, int AGroupSize) {
    std::vector<TPoint> points;
    for (int g = 0; g < 512; ++g)
        points.push_back(
            {double(g * AGroupSize),
             AValues[g].IsNull() ? std::nullopt : std::optional<double>(AValues[g].AsNumber())});
    return points;
}

// Selected minus reference per group of equal size, up to the profile's tones.
std::vector<TPoint> GroupDifference(const TDrayStatArray& AReference,
                                    const TDrayStatArray& ASelected, int AGroupSize, int ATones) {
    std::vector<TPoint> points;
    for (int g = 0; g < 512 && g * AGroupSize < ATones; ++g) {
        std::optional<double> y;
        if (AReference[g].HasValue() && ASelected[g].HasValue())
            y = ASelected[g].Value() - AReference[g].Value();
        points.push_back({double(g * AGroupSize), y});
    }
    return points;
}

using TBinValue = double (*)(const TDrayBinEntry&);
double Bits(const TDrayBinEntry& AEntry) {
    return AEntry.ToneBits;
}
double GainDb(const TDrayBinEntry& AEntry) {
    return AEntry.Gain / 10.0;
}
double Snr(const TDrayBinEntry& AEntry) {
    return AEntry.SNR;
}

std::vector<TPoint> ToneLine(const TDrayBinArray& ABins, TBinValue AValue, int ATones) {
    std::vector<TPoint> points;
    for (int t = 0; t < ATones; ++t)
        points.push_back({double(t), AValue(ABins[t])});
    return points;
}

std::vector<TPoint> ToneDifference(const TDrayBinArray& AReference, const TDrayBinArray& ASelected,
                                   TBinValue AValue, int ATones) {
    std::vector<TPoint> points;
    for (int t = 0; t < ATones; ++t)
        points.push_back({double(t), AValue(ASelected[t]) - AValue(AReference[t])});
    return points;
}

// Gains differ by whole tenths; compare them free of float rounding.
void ExpectSamePoints(const std::vector<TPoint>& AActual, const std::vector<TPoint>& AExpected) {
    ASSERT_EQ(AActual.size(), AExpected.size());
    for (std::size_t i = 0; i < AActual.size(); ++i) {
        ASSERT_EQ(AActual[i].X, AExpected[i].X) << i;
        ASSERT_EQ(AActual[i].Y.has_value(), AExpected[i].Y.has_value()) << i;
        if (AActual[i].Y) {
            ASSERT_NEAR(*AActual[i].Y, *AExpected[i].Y, 1e-9) << i;
        }
    }
}

struct TGroupChart {
    TChart* Chart;
    const TDrayStatArray& (TDrayData::*US)() const;
    const TDrayStatArray& (TDrayData::*DS)() const;
    const TStatMultipliers& (TDrayData::*Sizes)() const;
};

std::vector<TGroupChart> GroupCharts(const TMainControls& AUi) {
    return {
        {AUi.chartHLog, &TDrayData::HLogStatsUS, &TDrayData::HLogStatsDS,
         &TDrayData::HLogMultipliers},
        {AUi.chartQLN, &TDrayData::QLNStatsUS, &TDrayData::QLNStatsDS, &TDrayData::QLNMultipliers},
        {AUi.chartSNR, &TDrayData::SNRStatsUS, &TDrayData::SNRStatsDS, &TDrayData::SNRMultipliers}};
}

TEST_F(Compare, OverlayShowsBothSetsOnEveryChart) {
    Pin(RetrievedSet(vp17a, 1, "before"), RetrievedSet(vp17a, 2, "after"));
    const TMainControls ui = Controls();
    const TDrayData& a = *Reference;
    const TDrayData& b = *Selected;
    ASSERT_NE(a.HLogStatsDS(), b.HLogStatsDS()) << "the seeds give other lines";
    EXPECT_TRUE(Window->LineCharts().Comparing());
    const QString us = QStringLiteral("US (after)"), ds = QStringLiteral("DS (after)");
    const QString usRef = QStringLiteral("US (reference: before)");
    const QString dsRef = QStringLiteral("DS (reference: before)");

    for (const TGroupChart& c : GroupCharts(ui)) {
        SCOPED_TRACE(c.Chart->objectName().toStdString());
        ASSERT_EQ(c.Chart->SeriesCount(), 4);
        const QStringList titles{us, ds, usRef, dsRef};
        for (int s = 0; s < 4; ++s)
            EXPECT_EQ(c.Chart->Series(s)->Title(), titles[s]);
        ExpectSamePoints(Points(c.Chart->Series(0)), GroupLine((b.*c.US)(), (b.*c.Sizes)()[sdUp]));
        ExpectSamePoints(Points(c.Chart->Series(1)),
                         GroupLine((b.*c.DS)(), (b.*c.Sizes)()[sdDown]));
        ExpectSamePoints(Points(c.Chart->Series(2)), GroupLine((a.*c.US)(), (a.*c.Sizes)()[sdUp]));
        ExpectSamePoints(Points(c.Chart->Series(3)),
                         GroupLine((a.*c.DS)(), (a.*c.Sizes)()[sdDown]));
        // The reference in lighter, dashed direction colours.
        EXPECT_EQ(c.Chart->Series(0)->PenStyle(), Qt::SolidLine);
        EXPECT_EQ(c.Chart->Series(2)->PenStyle(), Qt::DashLine);
        EXPECT_EQ(c.Chart->Series(2)->Color(), USReferenceColor);
        EXPECT_EQ(c.Chart->Series(3)->Color(), DSReferenceColor);
        EXPECT_GT(c.Chart->Series(3)->Color().lightness(), DSColor.lightness());
    }
    // Bars of the shown set, outlines of the reference's.
    const std::pair<TChart*, TBinValue> bars[] = {{ui.chartBitLoading, Bits},
                                                  {ui.chartGain, GainDb}};
    for (const auto& [chart, value] : bars) {
        SCOPED_TRACE(chart->objectName().toStdString());
        ASSERT_EQ(chart->SeriesCount(), 4);
        EXPECT_EQ(chart->Series(0)->Kind(), TChartSeries::TKind::Bar);
        EXPECT_EQ(chart->Series(2)->Kind(), TChartSeries::TKind::Line);
        EXPECT_EQ(chart->Series(2)->Title(), usRef);
        ExpectSamePoints(Points(chart->Series(1)), ToneLine(b.ShowBinStatsDS(), value, 4096));
        ExpectSamePoints(Points(chart->Series(2)), ToneLine(a.ShowBinStatsUS(), value, 4096));
        ExpectSamePoints(Points(chart->Series(3)), ToneLine(a.ShowBinStatsDS(), value, 4096));
    }
    for (const auto& [chart, title, bins, reference] :
         {std::tuple{ui.chartBinSNRUS, us, &b.ShowBinStatsUS(), &a.ShowBinStatsUS()},
          std::tuple{ui.chartBinSNRDS, ds, &b.ShowBinStatsDS(), &a.ShowBinStatsDS()}}) {
        ASSERT_EQ(chart->SeriesCount(), 2);
        EXPECT_EQ(chart->Series(0)->Title(), title);
        ExpectSamePoints(Points(chart->Series(0)), ToneLine(*bins, Snr, 512));
        ExpectSamePoints(Points(chart->Series(1)), ToneLine(*reference, Snr, 512));
        EXPECT_EQ(chart->Series(1)->PenStyle(), Qt::DashLine);
    }

    // The reference is marked in the list.
    const QListWidgetItem* first = ui.lbxStatistics->item(0);
    ASSERT_EQ(first->text(), QStringLiteral("after"));
    EXPECT_FALSE(first->font().bold());
    EXPECT_TRUE(ui.lbxStatistics->item(1)->font().bold());
    EXPECT_FALSE(ui.lbxStatistics->item(1)->icon().isNull());
    EXPECT_TRUE(first->icon().isNull());
}

TEST_F(Compare, DifferenceIsSelectedMinusReferenceOnEveryChart) {
    Pin(RetrievedSet(vp17a, 1, "before"), RetrievedSet(vp17a, 2, "after"));
    const TMainControls ui = Controls();
    const TCompareActions compare(*Window);
    const TDrayData& a = *Reference;
    const TDrayData& b = *Selected;
    ASSERT_TRUE(compare.acnChartShowDifference->isEnabled());
    compare.acnChartShowDifference->trigger();
    QApplication::processEvents();

    const QString us = QStringLiteral("US (after \u2212 before)");
    for (const TGroupChart& c : GroupCharts(ui)) {
        SCOPED_TRACE(c.Chart->objectName().toStdString());
        ASSERT_EQ(c.Chart->SeriesCount(), 2);
        EXPECT_EQ(c.Chart->Series(0)->Title(), us);
        EXPECT_EQ(c.Chart->LeftAxis().Title(), QStringLiteral("Δ dB"));
        EXPECT_TRUE(c.Chart->LeftAxis().Automatic()) << "QLN's dBm/Hz window does not hold it";
        EXPECT_TRUE(c.Chart->ZeroLine());
        ExpectSamePoints(Points(c.Chart->Series(0)),
                         GroupDifference((a.*c.US)(), (b.*c.US)(), (b.*c.Sizes)()[sdUp], 4096));
        ExpectSamePoints(Points(c.Chart->Series(1)),
                         GroupDifference((a.*c.DS)(), (b.*c.DS)(), (b.*c.Sizes)()[sdDown], 4096));
    }
    const std::tuple<TChart*, TBinValue, QString> bins[] = {
        {ui.chartBitLoading, Bits, QStringLiteral("Δ bits")},
        {ui.chartGain, GainDb, QStringLiteral("Δ dB")}};
    for (const auto& [chart, value, unit] : bins) {
        SCOPED_TRACE(chart->objectName().toStdString());
        ASSERT_EQ(chart->SeriesCount(), 2);
        EXPECT_EQ(chart->LeftAxis().Title(), unit);
        EXPECT_TRUE(chart->ZeroLine());
        ExpectSamePoints(Points(chart->Series(0)),
                         ToneDifference(a.ShowBinStatsUS(), b.ShowBinStatsUS(), value, 4096));
        ExpectSamePoints(Points(chart->Series(1)),
                         ToneDifference(a.ShowBinStatsDS(), b.ShowBinStatsDS(), value, 4096));
    }
    ExpectSamePoints(Points(ui.chartBinSNRUS->Series(0)),
                     ToneDifference(a.ShowBinStatsUS(), b.ShowBinStatsUS(), Snr, 512));
    ExpectSamePoints(Points(ui.chartBinSNRDS->Series(0)),
                     ToneDifference(a.ShowBinStatsDS(), b.ShowBinStatsDS(), Snr, 512));

    // The readout gives both values and the difference.
    ui.pgcMain->setCurrentWidget(ui.tbsHLog);
    QApplication::processEvents();
    TChart* hlog = ui.chartHLog;
    hlog->RedrawNow();
    const int group = 200; // tone 1600, downstream
    ASSERT_TRUE(a.HLogStatsDS()[group].HasValue() && b.HLogStatsDS()[group].HasValue());
    const double x = PlotOf(hlog)->xAxis->coordToPixel(group * 8 + 3);
    const QString text = hlog->HoverText(QPointF(x, PlotOf(hlog)->axisRect()->center().y()));
    const int before = a.HLogStatsDS()[group].Value();
    const int after = b.HLogStatsDS()[group].Value();
    const QString delta = after - before > 0 ? QStringLiteral("+%1").arg(after - before)
                                             : QString::number(after - before);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Tone 1603 ("))) << text.toStdString();
    EXPECT_TRUE(text.contains(
        QStringLiteral("DS: %1 dB, reference %2 dB, Δ %3 dB").arg(after).arg(before).arg(delta)))
        << text.toStdString();

    // Back to the overlay: the value axes are each chart's own again.
    compare.acnChartShowDifference->trigger();
    EXPECT_EQ(ui.chartHLog->SeriesCount(), 4);
    EXPECT_EQ(ui.chartQLN->LeftAxis().Title(), QStringLiteral("dBm/Hz"));
    EXPECT_FALSE(ui.chartQLN->LeftAxis().Automatic());
    EXPECT_EQ(ui.chartQLN->LeftAxis().VisibleRange(), (TAxisRange{-150, -90}));
    EXPECT_EQ(ui.chartBitLoading->LeftAxis().Title(), QStringLiteral("Bits"));
    EXPECT_EQ(ui.chartBitLoading->LeftAxis().Increment(), 1);
    for (const TChart* chart : Window->LineCharts().Charts())
        EXPECT_FALSE(chart->ZeroLine());
}

TEST_F(Compare, ASetComparedWithItselfIsZero) {
    Pin(RetrievedSet(vp35b, 1, "one"), RetrievedSet(vp35b, 1, "two"));
    const TCompareActions compare(*Window);
    compare.acnChartShowDifference->trigger();
    for (const TChart* chart : Window->LineCharts().Charts()) {
        SCOPED_TRACE(chart->objectName().toStdString());
        int values = 0;
        for (int s = 0; s < chart->SeriesCount(); ++s)
            for (const TPoint& point : Points(chart->Series(s)))
                if (point.Y) {
                    ASSERT_EQ(*point.Y, 0);
                    ++values;
                }
        EXPECT_GT(values, 0);
    }
}

// A 17a reference with nulls and no bins table against a 35b set with 16 tones a group.
TEST_F(Compare, NullsMissingTablesAndOtherProfiles) {
    TSetOptions old;
    old.Profile = vp17a;
    old.NullHLogDS = {5, 6};
    old.BinCount = 0;
    TSetOptions now;
    now.Profile = vp35b;
    now.USGroupSize = now.DSGroupSize = 16;
    now.NullHLogDS = {100};
    Pin(MakeSet("old", old), MakeSet("now", now));
    const TMainControls ui = Controls();
    // The tone axis covers the larger profile.
    for (TChart* chart : {ui.chartHLog, ui.chartBitLoading, ui.chartGain})
        EXPECT_EQ(chart->BottomAxis().Maximum(), 8192) << chart->objectName().toStdString();
    // The reference has no bins: its outlines draw nothing, yet name it in the legend.
    EXPECT_EQ(ui.chartBitLoading->Series(2)->Title(), QStringLiteral("US (reference: old)"));
    EXPECT_EQ(ui.chartBitLoading->Series(2)->Count(), 0);

    const TCompareActions compare(*Window);
    compare.acnChartShowDifference->trigger();
    // On the 17a grid of 8 tones, up to its 4096 tones: the 35b group of a tone against
    // the 17a group of the same tone; a gap where either is null.
    const std::vector<TPoint> hlog = Points(ui.chartHLog->Series(1));
    ASSERT_EQ(hlog.size(), 512u);
    for (int g = 0; g < 512; ++g) {
        SCOPED_TRACE(g);
        ASSERT_EQ(hlog[g].X, g * 8);
        const bool null = g == 5 || g == 6 || g / 2 == 100;
        ASSERT_EQ(hlog[g].Y.has_value(), !null);
        if (!null) {
            ASSERT_EQ(*hlog[g].Y, HLogValue(g / 2, false) - HLogValue(g, false));
        }
    }
    for (TChart* chart : {ui.chartBitLoading, ui.chartGain, ui.chartBinSNRUS, ui.chartBinSNRDS}) {
        SCOPED_TRACE(chart->objectName().toStdString());
        for (int s = 0; s < chart->SeriesCount(); ++s)
            EXPECT_EQ(chart->Series(s)->Count(), 0) << "no difference without the reference's bins";
    }
}

TEST_F(Compare, RemovingOrUnpinningTheReferenceEndsTheComparison) {
    Pin(MakeSet("a"), MakeSet("b"));
    const TMainControls ui = Controls();
    const TCompareActions compare(*Window);
    EXPECT_TRUE(compare.acnStopComparing->isEnabled());
    compare.acnStopComparing->trigger();
    EXPECT_EQ(Window->ReferenceSet(), nullptr);
    EXPECT_FALSE(Window->LineCharts().Comparing());
    EXPECT_FALSE(compare.acnStopComparing->isEnabled());
    EXPECT_FALSE(compare.acnChartShowDifference->isEnabled());
    EXPECT_EQ(ui.chartHLog->SeriesCount(), 2);
    EXPECT_EQ(ui.chartHLog->Series(0)->Title(), QStringLiteral("US"));
    for (int row = 0; row < ui.lbxStatistics->count(); ++row)
        EXPECT_FALSE(ui.lbxStatistics->item(row)->font().bold());

    // Pinned again, then removed from the list.
    Select(Reference);
    compare.acnCompareWithSelected->trigger();
    Select(Selected);
    compare.acnChartShowDifference->trigger();
    EXPECT_TRUE(ui.chartHLog->ZeroLine());
    Select(Reference);
    ui.acnRemove->trigger();
    EXPECT_EQ(Window->ReferenceSet(), nullptr);
    EXPECT_EQ(Window->GetSelectedDrayData(), Selected);
    EXPECT_FALSE(Window->LineCharts().Comparing());
    EXPECT_EQ(ui.chartHLog->SeriesCount(), 2);
    EXPECT_EQ(ui.chartHLog->LeftAxis().Title(), QStringLiteral("dB"));
    EXPECT_FALSE(ui.chartHLog->ZeroLine());
}

} // namespace
} // namespace vexlorin::test
