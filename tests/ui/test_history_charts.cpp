// The history charts fed with plain series: what they draw equals what they were given,
// gaps and events sit where the data put them, the range selector and the gestures keep
// every time chart on one range, and the envelope and the waterfall draw their values.
#include "TestSupport.h"

#include "ui/Chart.h"
#include "ui/HistoryCharts.h"
#include "ui/HistoryPlot.h"
#include "ui/HistoryWaterfall.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>

namespace vexlorin::test {
namespace {

constexpr double MinuteMs = 60'000;
constexpr double T0 = 1'765'000'000'000.0; // a December day of 2025, ms

// Samples each minute for two hours with one hour missing in between, one failed sample,
// errors on some samples, and a retrain and a line-down event.
THistorySeries MakeSeries() {
    THistorySeries series;
    for (int i = 0; i < 180; ++i) {
        if (i >= 60 && i < 120)
            continue; // nothing recorded for an hour
        const double t = T0 + i * MinuteMs;
        series.SampleTimesMs.push_back(static_cast<int64_t>(t));
        const bool failed = i == 30;
        for (TStatDirection d : {sdDown, sdUp}) {
            const double base = d == sdDown ? 100e6 : 40e6;
            auto push = [&](TTimeSeries& ASeries, double AValue) {
                ASeries.Keys.push_back(t);
                ASeries.Values.push_back(failed ? NoValue : AValue);
            };
            push(series.ActualRate[d], base + i * 1000);
            push(series.AttainableRate[d], base * 1.2);
            push(series.SNRMargin[d], d == sdDown ? 9.5 - i * 0.01 : 7.0);
            push(series.Attenuation[d], 12.5);
            if (i > 0 && !failed)
                for (int c = 0; c < ErrorCounterCount; ++c) {
                    series.Errors[static_cast<std::size_t>(c)][d].Keys.push_back(t);
                    series.Errors[static_cast<std::size_t>(c)][d].Values.push_back((i + c) % 4);
                }
        }
        if (i % 15 == 0)
            series.SetTimesMs.push_back(static_cast<int64_t>(t));
    }
    series.Events.push_back({T0 + 45 * MinuteMs, "retrain", "DS rate 99 Mbit/s"});
    series.Events.push_back({T0 + 120 * MinuteMs, "line-down", ""});
    return series;
}

class HistoryChartsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dialogs = std::make_shared<TFakeDialogs::TShared>();
        FakeDialogs = std::make_unique<TFakeDialogs>(Dialogs);
        Charts = std::make_unique<THistoryCharts>(*FakeDialogs);
        Charts->resize(1000, 900);
        Charts->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        Charts.reset();
        QApplication::processEvents();
    }

    std::shared_ptr<TFakeDialogs::TShared> Dialogs;
    std::unique_ptr<TFakeDialogs> FakeDialogs;
    std::unique_ptr<THistoryCharts> Charts;
};

// The values of a drawn line without its gap points, beside the given ones without NaN.
void ExpectSameValues(const TTimeSeries& ADrawn, const TTimeSeries& AGiven) {
    std::vector<std::pair<double, double>> drawn, given;
    for (std::size_t i = 0; i < ADrawn.Keys.size(); ++i)
        if (!std::isnan(ADrawn.Values[i]))
            drawn.emplace_back(ADrawn.Keys[i], ADrawn.Values[i]);
    for (std::size_t i = 0; i < AGiven.Keys.size(); ++i)
        if (!std::isnan(AGiven.Values[i]))
            given.emplace_back(AGiven.Keys[i], AGiven.Values[i]);
    ASSERT_EQ(drawn.size(), given.size());
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_DOUBLE_EQ(drawn[i].first, given[i].first) << i;
        EXPECT_NEAR(drawn[i].second, given[i].second, std::abs(given[i].second) * 1e-12) << i;
    }
}

TEST_F(HistoryChartsTest, LinesHoldTheSeriesWithGapsWhereNoSamplesOrFailures) {
    const THistorySeries series = MakeSeries();
    Charts->Show(series, true);

    struct TCase {
        TTimeChartId Chart;
        int Index;
        const TTimeSeries& Given;
    };
    const TCase cases[] = {
        {TTimeChartId::Rates, 0, series.ActualRate[sdDown]},
        {TTimeChartId::Rates, 1, series.AttainableRate[sdDown]},
        {TTimeChartId::Rates, 2, series.ActualRate[sdUp]},
        {TTimeChartId::Rates, 3, series.AttainableRate[sdUp]},
        {TTimeChartId::SNRMargin, 0, series.SNRMargin[sdDown]},
        {TTimeChartId::SNRMargin, 1, series.SNRMargin[sdUp]},
        {TTimeChartId::Attenuation, 0, series.Attenuation[sdDown]},
        {TTimeChartId::Attenuation, 1, series.Attenuation[sdUp]},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(Charts->TimeChart(c.Chart)->SeriesTitle(c.Index).toStdString());
        const TTimeSeries drawn = Charts->TimeChart(c.Chart)->DrawnData(c.Index);
        ExpectSameValues(drawn, c.Given);
        // Gaps: at the failed sample, and one point inside the missing hour; no segment
        // joins the two sides of the hour.
        int gapsInHour = 0;
        for (std::size_t i = 0; i < drawn.Keys.size(); ++i) {
            if (drawn.Keys[i] > T0 + 59 * MinuteMs && drawn.Keys[i] < T0 + 120 * MinuteMs) {
                EXPECT_TRUE(std::isnan(drawn.Values[i]));
                ++gapsInHour;
            }
            if (drawn.Keys[i] == T0 + 30 * MinuteMs) {
                EXPECT_TRUE(std::isnan(drawn.Values[i]));
            }
        }
        EXPECT_EQ(gapsInHour, 1);
    }
}

TEST_F(HistoryChartsTest, ErrorBarsKeepEveryCountOfTheRange) {
    const THistorySeries series = MakeSeries();
    Charts->Show(series, true);
    Charts->RedrawNow();
    for (int c = 0; c < ErrorCounterCount; ++c)
        for (TStatDirection d : {sdDown, sdUp}) {
            THistoryPlot* plot = Charts->TimeChart(
                static_cast<TTimeChartId>(static_cast<int>(TTimeChartId::CRC) + c));
            const TTimeSeries drawn = plot->DrawnData(d == sdDown ? 0 : 1);
            double drawnSum = 0, givenSum = 0;
            for (double v : drawn.Values)
                drawnSum += v;
            for (double v : series.Errors[static_cast<std::size_t>(c)][d].Values)
                givenSum += v;
            EXPECT_EQ(drawnSum, givenSum) << c << " " << d;
            EXPECT_GT(givenSum, 0);
        }
}

TEST_F(HistoryChartsTest, EventsAreMarkersOnEveryTimeChartWithTheirReadout) {
    Charts->Show(MakeSeries(), true);
    Charts->RedrawNow();
    for (int i = 0; i < TimeChartCount; ++i) {
        THistoryPlot* plot = Charts->TimeChart(static_cast<TTimeChartId>(i));
        ASSERT_EQ(plot->MarkerCount(), 2);
        EXPECT_EQ(plot->Marker(0).TimeMs, T0 + 45 * MinuteMs);
        EXPECT_EQ(plot->Marker(1).Kind, "line-down");
    }
    THistoryPlot* rates = Charts->TimeChart(TTimeChartId::Rates);
    const QString atRetrain = rates->HoverText(rates->PointOf(T0 + 45 * MinuteMs));
    EXPECT_TRUE(atRetrain.contains(QStringLiteral("Retrain"))) << atRetrain.toStdString();
    EXPECT_TRUE(atRetrain.contains(QStringLiteral("DS rate 99 Mbit/s")));
    EXPECT_TRUE(atRetrain.contains(QStringLiteral("DS actual: 100.05")));
    const QString away = rates->HoverText(rates->PointOf(T0 + 10 * MinuteMs));
    EXPECT_FALSE(away.contains(QStringLiteral("Retrain")));
    EXPECT_TRUE(away.contains(QStringLiteral("DS actual: 100.01"))) << away.toStdString();
}

TEST_F(HistoryChartsTest, RangeSelectorAndFollowingTheNewestSample) {
    THistorySeries series = MakeSeries();
    Charts->Show(series, true);
    const double last = series.LastMs();
    EXPECT_DOUBLE_EQ(Charts->RangeFrom(), series.FirstMs());
    EXPECT_DOUBLE_EQ(Charts->RangeTo(), last);

    QSignalSpy chosen(Charts.get(), &THistoryCharts::RangeChosen);
    Charts->SelectRange(THistoryRange::LastHour);
    for (int i = 0; i < TimeChartCount; ++i) {
        EXPECT_DOUBLE_EQ(Charts->TimeChart(static_cast<TTimeChartId>(i))->TimeFrom(),
                         last - 60 * MinuteMs);
        EXPECT_DOUBLE_EQ(Charts->TimeChart(static_cast<TTimeChartId>(i))->TimeTo(), last);
    }
    // Coalesced: one signal a moment later.
    ASSERT_TRUE(chosen.wait(2000));
    EXPECT_EQ(chosen.count(), 1);

    // A new sample moves the hour along.
    series.SampleTimesMs.push_back(static_cast<int64_t>(last + MinuteMs));
    Charts->Show(series, false);
    EXPECT_DOUBLE_EQ(Charts->RangeTo(), last + MinuteMs);
    EXPECT_DOUBLE_EQ(Charts->RangeFrom(), last + MinuteMs - 60 * MinuteMs);

    // A range the user put in the past stays there.
    Charts->SetRange(T0, T0 + 30 * MinuteMs);
    series.SampleTimesMs.push_back(static_cast<int64_t>(last + 2 * MinuteMs));
    Charts->Show(series, false);
    EXPECT_DOUBLE_EQ(Charts->RangeFrom(), T0);
    EXPECT_DOUBLE_EQ(Charts->RangeTo(), T0 + 30 * MinuteMs);
}

TEST_F(HistoryChartsTest, DraggingOnOneChartChoosesTheRangeOfAllAndAClickPicksATime) {
    Charts->Show(MakeSeries(), true);
    Charts->RedrawNow();
    THistoryPlot* snr = Charts->TimeChart(TTimeChartId::SNRMargin);
    const QPoint from = snr->PointOf(T0 + 20 * MinuteMs).toPoint();
    const QPoint to = snr->PointOf(T0 + 50 * MinuteMs).toPoint();
    QTest::mousePress(snr, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), snr->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(snr, &move);
    QTest::mouseRelease(snr, Qt::LeftButton, {}, to);
    for (int i = 0; i < TimeChartCount; ++i) {
        THistoryPlot* plot = Charts->TimeChart(static_cast<TTimeChartId>(i));
        EXPECT_NEAR(plot->TimeFrom(), T0 + 20 * MinuteMs, 2 * MinuteMs);
        EXPECT_NEAR(plot->TimeTo(), T0 + 50 * MinuteMs, 2 * MinuteMs);
        EXPECT_DOUBLE_EQ(plot->TimeFrom(), snr->TimeFrom());
    }

    QSignalSpy clicked(Charts.get(), &THistoryCharts::TimeClicked);
    const QPoint at = snr->PointOf(T0 + 40 * MinuteMs).toPoint();
    QTest::mouseClick(snr, Qt::LeftButton, {}, at);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_NEAR(clicked[0][0].toDouble(), T0 + 40 * MinuteMs, MinuteMs / 2);
}

TEST_F(HistoryChartsTest, EnvelopeAndWaterfallDrawTheirValues) {
    TToneEnvelope ds(64, TToneQuantity::SNR), us(64, TToneQuantity::SNR);
    TDrayBinArray low{}, high{};
    for (int t = 0; t < 64; ++t) {
        low[static_cast<std::size_t>(t)].SNR = static_cast<int16_t>(t % 10);
        high[static_cast<std::size_t>(t)].SNR = static_cast<int16_t>(20 + t % 10);
    }
    low[33].SNR = -10; // the tone that collapses
    for (const auto* bins : {&low, &high, &high}) {
        ds.Add(*bins);
        us.Add(*bins);
    }
    Charts->ShowEnvelope(ds, us);
    TChart* chart = Charts->EnvelopeChart();
    ASSERT_EQ(chart->SeriesCount(), 6);
    EXPECT_EQ(chart->Series(0)->Title(), QStringLiteral("DS max"));
    EXPECT_EQ(chart->Series(2)->Title(), QStringLiteral("DS min"));
    EXPECT_EQ(chart->Series(2)->YValue(33), -10);
    EXPECT_EQ(chart->Series(0)->YValue(33), 23);
    EXPECT_NEAR(chart->Series(1)->YValue(33), (-10 + 23 + 23) / 3.0, 1e-9);
    EXPECT_EQ(chart->Series(1)->Color(), DSColor);
    EXPECT_EQ(chart->Series(4)->Color(), USColor);

    TWaterfallBuilder builder(T0, T0 + 60 * MinuteMs, 64, TToneQuantity::SNR, 60, 64);
    builder.Add(T0, low);
    builder.Add(T0 + 60 * MinuteMs, high);
    Charts->ShowWaterfall(builder.Take());
    THistoryWaterfall* waterfall = Charts->Waterfall();
    waterfall->resize(800, 600);
    waterfall->RedrawNow();
    const QString top = waterfall->HoverText(waterfall->PointOf(T0 + 10'000, 33));
    EXPECT_TRUE(top.contains(QStringLiteral("tone 33: -10.0"))) << top.toStdString();
    const QString middle = waterfall->HoverText(waterfall->PointOf(T0 + 30 * MinuteMs, 33));
    EXPECT_TRUE(middle.contains(QStringLiteral("no set"))) << middle.toStdString();
}

TEST_F(HistoryChartsTest, SaveAsImageFromTheMenuOfEachKindOfChart) {
    Charts->Show(MakeSeries(), true);
    QTemporaryDir dir;
    const QList<QWidget*> charts = Charts->AllCharts();
    ASSERT_EQ(charts.size(), TimeChartCount + 2);
    for (QWidget* chart : {charts.front(), charts[TimeChartCount], charts.back()}) {
        const QString file = dir.filePath(chart->objectName() + QStringLiteral(".png"));
        Dialogs->Answers.push_back(file);
        Charts->PopupChartMenu(chart, QPoint(0, 0));
        Child<QAction>(*Charts, "acnHistorySaveImage")->trigger();
        QImage image(file);
        EXPECT_FALSE(image.isNull()) << file.toStdString();
    }
    // A folder that cannot be written: the failure box, nothing else.
    Dialogs->Answers.push_back(QStringLiteral("/nonexistent-folder/chart.png"));
    Charts->PopupChartMenu(charts.front(), QPoint(0, 0));
    Child<QAction>(*Charts, "acnHistorySaveImage")->trigger();
    EXPECT_EQ(Dialogs->Failures.size(), 1);
}

} // namespace
} // namespace vexlorin::test
