// What comparing adds around the data: the "Frequency axis" at the tone counts of 17a,
// 30a and 35b, the band plan shaded from a text with bandinfo (and none without), and the
// Summary page's reference and difference columns.
#include "CompareSupport.h"
#include "ui/SummaryView.h"

#include <QTableWidget>

#include <cmath>

namespace vexlorin::test {
namespace {

using CompareViews = WindowTest;

QStringList RowCells(const QTableWidget* ATable, const QString& ALabel) {
    for (int row = 0; row < ATable->rowCount(); ++row) {
        if (ATable->item(row, 0)->text() != ALabel)
            continue;
        QStringList cells;
        for (int column = 0; column < ATable->columnCount(); ++column)
            cells << (ATable->item(row, column) ? ATable->item(row, column)->text() : QString());
        return cells;
    }
    return {};
}

TEST_F(CompareViews, FrequencyAxisAt17a30aAnd35b) {
    FillConnection();
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    QAction* frequency = Child<QAction>(w, "acnChartFrequencyAxis");
    frequency->trigger();
    ASSERT_TRUE(frequency->isChecked());

    struct Case {
        TVDSLProfile Profile;
        double Tones;
        double SpacingKHz;
        const char* Readout; // at tone 100
    };
    const Case cases[] = {{vp17a, 4096, 4.3125, "Tone 100 (431.25 kHz)"},
                          {vp30a, 3479, 8.625, "Tone 100 (862.5 kHz)"},
                          {vp35b, 8192, 4.3125, "Tone 100 (431.25 kHz)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(VDSLProfileNames[c.Profile]);
        TSetOptions options;
        options.Profile = c.Profile;
        w.DrayDataList().Clear();
        w.DrayDataList().Add(MakeSet(VDSLProfileNames[c.Profile], options));
        w.lbxStatisticsClick();
        for (TChart* chart : w.LineCharts().Charts()) {
            SCOPED_TRACE(chart->objectName().toStdString());
            const bool bins512 = chart == ui.chartBinSNRUS || chart == ui.chartBinSNRDS;
            EXPECT_EQ(chart->BottomAxis().Title(), QStringLiteral("MHz"));
            // The tones stay where they were; only their labels read in MHz.
            EXPECT_EQ(chart->BottomAxis().Maximum(), bins512 ? 512 : c.Tones);
            chart->resize(1000, 500);
            chart->RedrawNow();
            const QCPAxis* axis = PlotOf(chart)->xAxis;
            const QVector<double> ticks = axis->tickVector();
            const QVector<QString> labels = axis->tickVectorLabels();
            ASSERT_GE(ticks.size(), 6);
            ASSERT_EQ(ticks.size(), labels.size());
            const double step = (ticks[1] - ticks[0]) * c.SpacingKHz / 1000;
            for (qsizetype i = 0; i < ticks.size(); ++i) {
                bool ok = false;
                const double mhz = QString(labels[i]).remove(QLatin1Char('\n')).toDouble(&ok);
                ASSERT_TRUE(ok) << labels[i].toStdString();
                EXPECT_NEAR(mhz, ticks[i] * c.SpacingKHz / 1000, 1e-9);
                // At round steps: every label a whole multiple of the step.
                EXPECT_NEAR(mhz / step, std::round(mhz / step), 1e-6);
            }
            const double end = (bins512 ? 512 : c.Tones) * c.SpacingKHz / 1000;
            EXPECT_LE(ticks.last() * c.SpacingKHz / 1000, end + 1e-9);
            EXPECT_GT(ticks.last() * c.SpacingKHz / 1000, end - 2 * step);
        }
        // The readout gives tone and frequency.
        TChart* bits = ui.chartBitLoading;
        const QString text = bits->HoverText(QPointF(PlotOf(bits)->xAxis->coordToPixel(100),
                                                     PlotOf(bits)->axisRect()->center().y()));
        EXPECT_TRUE(text.startsWith(QString::fromLatin1(c.Readout))) << text.toStdString();
    }

    // Off again: tones, in whole numbers, at once (no new plot needed).
    const int series = ui.chartHLog->SeriesCount();
    frequency->trigger();
    EXPECT_EQ(ui.chartHLog->SeriesCount(), series);
    EXPECT_EQ(ui.chartHLog->BottomAxis().Title(), QStringLiteral("Tones"));
    EXPECT_EQ(ui.chartBinSNRDS->BottomAxis().Title(), QStringLiteral("Bins"));
    ui.chartHLog->RedrawNow();
    EXPECT_EQ(PlotOf(ui.chartHLog)->xAxis->tickVectorLabels().value(1).remove(QLatin1Char('\n')),
              QStringLiteral("256"));
}

// Tinted pixels (more blue than red, or more green than red) among those of a column.
double TintedShare(const QImage& AImage, int AX, int ATop, int ABottom) {
    int tinted = 0;
    for (int y = ATop; y <= ABottom; ++y) {
        const QColor c = AImage.pixelColor(AX, y);
        if (c.blue() > c.red() + 10 || c.green() > c.red() + 10)
            ++tinted;
    }
    return double(tinted) / (ABottom - ATop + 1);
}

TEST_F(CompareViews, BandPlanShadedFromBandinfo) {
    FillConnection();
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    TSetOptions options;
    options.Profile = vp17a;
    options.Stats = {"  Running Mode : 17A",
                     "  US:",
                     "   US0: Limits=[   6-   32]  LATN=  1.0 dB  SATN=  1.2 dB  SNRM=  7.0 dB",
                     "   US1: Limits=[ 860- 1205]  LATN= 14.0 dB  SNRM=  7.5 dB",
                     "  DS:",
                     "   DS1: Limits=[  33-  859]  LATN=  5.6 dB  SNRM= 12.1 dB",
                     "   DS2: Limits=[1206- 1971]  LATN= 20.0 dB  SNRM= 11.0 dB"};
    Add("bands", options);
    w.lbxStatisticsClick();
    for (const TChart* chart : w.LineCharts().Charts()) {
        SCOPED_TRACE(chart->objectName().toStdString());
        const QList<TChartBand> bands = chart->Bands();
        ASSERT_EQ(bands.size(), 4);
        QStringList labels;
        for (const TChartBand& band : bands)
            labels << band.Label;
        EXPECT_EQ(labels, (QStringList{"US0", "US1", "DS1", "DS2"}));
        EXPECT_EQ(bands[1].First, 860);
        EXPECT_EQ(bands[1].Last, 1205);
        EXPECT_EQ(bands[1].Color, USColor);
        EXPECT_EQ(bands[2].Color, DSColor);
    }
    // Drawn behind the data: the band's span is tinted, the tones beyond every band not.
    TChart* qln = ui.chartQLN;
    qln->resize(1000, 500);
    qln->RedrawNow();
    const QImage image = qln->ToImage();
    const QRect area = PlotOf(qln)->axisRect()->rect();
    const int top = area.top() + area.height() / 4, bottom = area.bottom() - area.height() / 4;
    const auto column = [&](double ATone) {
        return static_cast<int>(PlotOf(qln)->xAxis->coordToPixel(ATone));
    };
    EXPECT_GT(TintedShare(image, column(1500), top, bottom), 0.8);
    EXPECT_LT(TintedShare(image, column(2500), top, bottom), 0.2);

    // A set without bandinfo shades nothing, nor do emptied charts.
    Add("plain");
    w.lbxStatisticsClick();
    for (const TChart* chart : w.LineCharts().Charts())
        EXPECT_TRUE(chart->Bands().isEmpty()) << chart->objectName().toStdString();
    w.DrayDataList().Clear();
    Add("bands again", options);
    w.lbxStatisticsClick();
    EXPECT_EQ(ui.chartHLog->Bands().size(), 4);
    w.DisplayChartData(nullptr);
    EXPECT_TRUE(ui.chartHLog->Bands().isEmpty());
}

TEST_F(CompareViews, SummaryGetsReferenceAndDifferenceColumns) {
    FillConnection();
    TfrmMain& w = *Window;
    auto status = [](const char* AMargin, const char* ABand) {
        return TStringList{"Running Mode : 17A State : SHOWTIME | |",
                           "DS Actual Rate : 32397000 bps US Actual Rate : 17000000 bps | |",
                           std::string("NE Current Attenuation : 11 dB Cur SNR Margin : ") +
                               AMargin + " | |",
                           "  DS:", ABand};
    };
    TSetOptions before;
    before.Stats = status("12 dB", "   DS1: Limits=[  33-  859]  LATN=  5.6 dB  SNRM= 12.1 dB");
    TSetOptions after;
    after.Stats = status("10.5 dB", "   DS2: Limits=[1206- 1971]  LATN= 20.0 dB  SNRM= 11.0 dB");
    after.Stats.insert(after.Stats.begin() + 4,
                       "   DS1: Limits=[  33-  859]  LATN=  5.0 dB  SNRM= 10.0 dB");
    TDrayData* reference = Add("before", before);
    Add("after", after);
    const TMainControls ui(w);
    ui.lbxStatistics->setCurrentRow(1); // "before"
    Child<QAction>(w, "acnCompareWithSelected")->trigger();
    ASSERT_EQ(w.ReferenceSet(), reference);
    ui.lbxStatistics->setCurrentRow(0);

    const auto* line = Child<QTableWidget>(w, "tblSummaryLine");
    const auto* directions = Child<QTableWidget>(w, "tblSummaryDirections");
    const auto* bands = Child<QTableWidget>(w, "tblSummaryBands");
    ASSERT_EQ(line->columnCount(), 4);
    EXPECT_EQ(line->horizontalHeaderItem(2)->text(), QStringLiteral("Reference"));
    EXPECT_EQ(line->horizontalHeaderItem(3)->text(), QStringLiteral("Difference"));
    EXPECT_EQ(RowCells(line, QStringLiteral("Line state")),
              (QStringList{"Line state", "SHOWTIME", "SHOWTIME", "same"}));
    ASSERT_EQ(directions->columnCount(), 7);
    EXPECT_EQ(RowCells(directions, QStringLiteral("SNR margin")),
              (QStringList{"SNR margin", "10.5 dB", QString(QChar(0x2014)), "12 dB",
                           QString(QChar(0x2014)), "-1.5 dB", QString(QChar(0x2014))}));
    EXPECT_EQ(RowCells(directions, QStringLiteral("Actual rate")).mid(5, 2),
              (QStringList{"0.000 Mbit/s", "0.000 Mbit/s"}));
    // Bands by name: the shown set's with their changes, then the reference's.
    const QStringList ds1 = RowCells(bands, QStringLiteral("DS1"));
    ASSERT_FALSE(ds1.isEmpty());
    EXPECT_EQ(ds1.last(), QStringLiteral("-2.1 dB")) << "SNRM 10.0 - 12.1";
    EXPECT_EQ(ds1.at(ds1.size() - 3), QStringLiteral("-0.6 dB")) << "LATN 5.0 - 5.6";
    EXPECT_EQ(RowCells(bands, QStringLiteral("DS2")).last(), QString(QChar(0x2014)));
    const auto* note = Child<QLabel>(w, "lblSummaryNote");
    EXPECT_FALSE(note->isHidden());
    EXPECT_TRUE(note->text().contains(QStringLiteral("\"before\"")));

    Child<QAction>(w, "acnStopComparing")->trigger();
    EXPECT_EQ(line->columnCount(), 2);
    EXPECT_EQ(directions->columnCount(), 3);
    EXPECT_EQ(bands->columnCount(), 2 + static_cast<int>(BandItemCount));
    EXPECT_TRUE(note->isHidden());
}

} // namespace
} // namespace vexlorin::test
