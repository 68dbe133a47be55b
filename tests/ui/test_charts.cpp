// The seven charts: layout after setup, the tone axis per profile, the per-group and
// per-tone plots, emptying, the popup menu's "Copy" and "Save as image...", the readout
// and the zoom gestures.
#include "TestSupport.h"

#include <QClipboard>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace vexlorin::test {
namespace {

using Charts = WindowTest;

struct LayoutRow {
    TChart* Chart;
    QString Title;
    QString ToneTitle;
    QString ValueTitle;
    bool Automatic;
    double ValueMin, ValueMax; // fixed value range only
    bool MinorTicks;
    double ToneMax;
    double Increment;
};

TEST_F(Charts, LayoutAfterSetup) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    const LayoutRow rows[] = {
        {ui.chartHLog, "HLog", "Tones", "dB", true, 0, 0, true, 8192, 256},
        {ui.chartQLN, "QLN", "Tones", "dBm/Hz", false, -150, -90, true, 8192, 256},
        {ui.chartSNR, "SNR", "Tones", "dB", true, 0, 0, true, 8192, 256},
        {ui.chartBitLoading, "Allocated bits per tone", "Tones", "Bits", true, 0, 0, false, 8192,
         256},
        {ui.chartGain, "Gain", "Tones", "dB", true, 0, 0, true, 8192, 256},
        {ui.chartBinSNRUS, "SNR", "Bins", "dB", true, 0, 0, true, 512, 16},
        {ui.chartBinSNRDS, "SNR", "Bins", "dB", true, 0, 0, true, 512, 16},
    };
    for (const LayoutRow& r : rows) {
        SCOPED_TRACE(r.Chart->objectName().toStdString());
        EXPECT_EQ(r.Chart->SeriesCount(), 0);
        EXPECT_EQ(r.Chart->Title(), r.Title);
        EXPECT_EQ(r.Chart->BottomAxis().Title(), r.ToneTitle);
        EXPECT_EQ(r.Chart->LeftAxis().Title(), r.ValueTitle);
        EXPECT_EQ(r.Chart->LeftAxis().Automatic(), r.Automatic);
        if (!r.Automatic) {
            EXPECT_EQ(r.Chart->LeftAxis().Minimum(), r.ValueMin);
            EXPECT_EQ(r.Chart->LeftAxis().Maximum(), r.ValueMax);
        }
        EXPECT_EQ(r.Chart->LeftAxis().MinorTicks(), r.MinorTicks);
        EXPECT_FALSE(r.Chart->BottomAxis().Automatic());
        EXPECT_EQ(r.Chart->BottomAxis().Minimum(), 0);
        EXPECT_EQ(r.Chart->BottomAxis().Maximum(), r.ToneMax);
        EXPECT_EQ(r.Chart->BottomAxis().VisibleRange(), (TAxisRange{0, r.ToneMax}));
        EXPECT_EQ(r.Chart->BottomAxis().Increment(), r.Increment);
        EXPECT_TRUE(r.Chart->BottomAxis().LabelsAlternate());
        EXPECT_TRUE(r.Chart->BottomAxis().LabelsMultiLine());
        EXPECT_EQ(r.Chart->ToImage().pixelColor(3, 3), QColor(Qt::white));
        const QCustomPlot* plot = PlotOf(r.Chart);
        // No empty legend box on a chart without data.
        EXPECT_FALSE(r.Chart->LegendShown());
        EXPECT_FALSE(plot->xAxis2->visible());
        EXPECT_FALSE(plot->yAxis2->visible());
        EXPECT_EQ(plot->xAxis->basePen().style(), Qt::DotLine);
        EXPECT_EQ(plot->yAxis->basePen().style(), Qt::DotLine);
    }
    EXPECT_EQ(ui.chartBitLoading->LeftAxis().Increment(), 1);
    // Only HLog needs Ctrl for the zoom rectangle and scrolls with the middle button.
    EXPECT_EQ(ui.chartHLog->ZoomModifiers(), Qt::ControlModifier);
    EXPECT_EQ(ui.chartHLog->ScrollButton(), Qt::MiddleButton);
    EXPECT_EQ(ui.chartQLN->ZoomModifiers(), Qt::NoModifier);
    EXPECT_EQ(ui.chartQLN->ScrollButton(), Qt::RightButton);
}

TEST_F(Charts, BinSNRSetupWithTheOptionOff) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    ui.chkSNRBug->setChecked(false);
    w.SetupBinSNRChart(ui.chartBinSNRDS, 8192);
    EXPECT_EQ(ui.chartBinSNRDS->BottomAxis().Maximum(), 8192);
    EXPECT_EQ(ui.chartBinSNRDS->BottomAxis().Increment(), 256);
    EXPECT_EQ(ui.chartBinSNRDS->BottomAxis().Title(), QStringLiteral("Tones"));
    // A disabled check box counts as off.
    ui.chkSNRBug->setChecked(true);
    ui.chkSNRBug->setEnabled(false);
    w.SetupBinSNRChart(ui.chartBinSNRUS, 8192);
    EXPECT_EQ(ui.chartBinSNRUS->BottomAxis().Maximum(), 8192);
}

TEST_F(Charts, ToneAxisFollowsTheProfile) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    struct Case {
        std::optional<TVDSLProfile> Before;
        TVDSLProfile Profile;
        double Maximum;
        double Increment;
    };
    const Case cases[] = {
        {std::nullopt, vp30a, 3479, 128},
        {std::nullopt, vp8c, 1972, 64},
        {std::nullopt, vp12a, 2783, 64},
        {std::nullopt, vp35b, 8192, 256},
        {vp17a, vpNA, 8192, 128},
        {std::nullopt, vpNA, 8192, 256},
        // A profile from a damaged file reads as N/A.
        {vp8a, static_cast<TVDSLProfile>(42), 8192, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Profile);
        TLineCharts::SetupChart(ui.chartHLog, TChartId::HLog, 8192, {});
        if (c.Before)
            TLineCharts::SetToneAxis(ui.chartHLog, *c.Before);
        TLineCharts::SetToneAxis(ui.chartHLog, c.Profile);
        EXPECT_EQ(ui.chartHLog->BottomAxis().Minimum(), 0);
        EXPECT_EQ(ui.chartHLog->BottomAxis().Maximum(), c.Maximum);
        EXPECT_EQ(ui.chartHLog->BottomAxis().Increment(), c.Increment);
        EXPECT_FALSE(ui.chartHLog->BottomAxis().Automatic());
    }
}

// The user's zoom is undone first, so a minimum above the new maximum cannot stay.
TEST_F(Charts, ToneAxisUndoesTheUsersZoom) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    PlotOf(ui.chartSNR)->xAxis->setRange(5000, 6000);
    PlotOf(ui.chartSNR)->yAxis->setRange(-3, -2);
    TLineCharts::SetToneAxis(ui.chartSNR, vp8a);
    EXPECT_EQ(ui.chartSNR->BottomAxis().VisibleRange(), (TAxisRange{0, 2048}));
}

TEST_F(Charts, ProfileLabel) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    const std::pair<TVDSLProfile, const char*> cases[] = {
        {vpNA, "VDSL profile: N/A"},
        {vp12b, "VDSL profile: 12B"},
        {vp17a, "VDSL profile: 17A"},
        {vp35b, "VDSL profile: 35B"},
        {static_cast<TVDSLProfile>(200), "VDSL profile: N/A"},
    };
    for (const auto& [profile, text] : cases) {
        w.UpdateProfileLabel(profile);
        EXPECT_EQ(ui.lblProfileName->text(), QString::fromLatin1(text));
    }
}

TEST_F(Charts, PerGroupLinesWithGroupSizesAndGaps) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    TSetOptions options;
    options.Profile = vp30a;
    options.USGroupSize = 4;
    options.DSGroupSize = 8;
    options.NullHLogUS = {10, 11, 12};
    options.NullHLogDS = {0, 511};
    const auto set = MakeSet("s", options);
    w.PlotHLOG(set.get(), nullptr, DSColor, USColor);

    TChart* chart = ui.chartHLog;
    ASSERT_EQ(chart->SeriesCount(), 2);
    TChartSeries* up = chart->Series(0);
    TChartSeries* down = chart->Series(1);
    EXPECT_EQ(up->Kind(), TChartSeries::TKind::Line);
    EXPECT_EQ(up->Title(), QStringLiteral("US"));
    EXPECT_EQ(up->Color(), QColor(0, 128, 0));
    EXPECT_EQ(up->PenWidth(), 2);
    EXPECT_EQ(down->Title(), QStringLiteral("DS"));
    EXPECT_EQ(down->Color(), QColor(0, 0, 255));
    EXPECT_EQ(down->PenWidth(), 2);
    ASSERT_EQ(up->Count(), 512);
    ASSERT_EQ(down->Count(), 512);
    EXPECT_EQ(up->XValue(511), 2044);
    EXPECT_EQ(down->XValue(511), 4088);
    for (int g = 0; g < 512; ++g) {
        SCOPED_TRACE(g);
        ASSERT_EQ(up->XValue(g), 4.0 * g);
        ASSERT_EQ(up->IsNull(g), g >= 10 && g <= 12);
        if (!up->IsNull(g)) {
            ASSERT_EQ(up->YValue(g), HLogValue(g, true));
        }
        ASSERT_EQ(down->IsNull(g), g == 0 || g == 511);
    }
    EXPECT_EQ(chart->BottomAxis().Maximum(), 3479);

    // Each call only adds.
    w.PlotHLOG(set.get(), nullptr, DSColor, USColor);
    ASSERT_EQ(chart->SeriesCount(), 4);
    EXPECT_EQ(chart->Series(2)->Title(), QStringLiteral("US"));
    EXPECT_EQ(chart->Series(3)->Title(), QStringLiteral("DS"));
}

TEST_F(Charts, QLNValueAxisStaysFixed) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    const auto set = MakeSet("s");
    w.PlotQLN(set.get(), nullptr, DSColor, USColor);
    EXPECT_EQ(ui.chartQLN->SeriesCount(), 2);
    EXPECT_EQ(ui.chartQLN->LeftAxis().VisibleRange(), (TAxisRange{-150, -90}));
    // The automatic axes follow the data instead.
    w.PlotSNR(set.get(), nullptr, DSColor, USColor);
    const TAxisRange snr = ui.chartSNR->LeftAxis().VisibleRange();
    EXPECT_LE(snr.Lower, 10);
    EXPECT_GE(snr.Upper, 49);
}

// A table that was never filled: group sizes 0, 512 points per direction, all at (0, 0).
TEST_F(Charts, EmptyTablePlotsAtZero) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    TDrayData empty("empty");
    w.PlotSNR(&empty, nullptr, DSColor, USColor);
    ASSERT_EQ(ui.chartSNR->SeriesCount(), 2);
    for (int s = 0; s < 2; ++s) {
        TChartSeries* series = ui.chartSNR->Series(s);
        ASSERT_EQ(series->Count(), 512);
        for (int i = 0; i < 512; ++i) {
            ASSERT_EQ(series->XValue(i), 0);
            ASSERT_EQ(series->YValue(i), 0);
        }
    }
}

int CountColour(const QImage& AImage, const QRect& AArea, QColor AColour) {
    int count = 0;
    for (int y = AArea.top(); y <= AArea.bottom(); ++y)
        for (int x = AArea.left(); x <= AArea.right(); ++x) {
            const QColor c = AImage.pixelColor(x, y);
            if (std::abs(c.red() - AColour.red()) < 40 &&
                std::abs(c.green() - AColour.green()) < 40 &&
                std::abs(c.blue() - AColour.blue()) < 40 && c != QColor(Qt::white))
                ++count;
        }
    return count;
}

// What the eye sees: no segment reaches a null point.
TEST(ChartDrawing, NullPointsLeaveGaps) {
    TChart chart;
    chart.resize(600, 300);
    PlotOf(&chart)->legend->setVisible(false);
    chart.BottomAxis().SetMinMax(0, 10);
    chart.LeftAxis().SetMinMax(0, 2);
    TChartSeries* series = chart.AddLineSeries();
    series->SetColor(QColor(0, 128, 0));
    series->SetPenWidth(2);
    // 0..3 and 7..10 carry values, 4..6 are null; the line breaks between 3 and 7.
    for (int x = 0; x <= 10; ++x) {
        if (x >= 4 && x <= 6)
            series->AddNullXY(x, 0);
        else
            series->AddXY(x, 1);
    }
    chart.RedrawNow();
    QImage image = chart.ToImage();
    const int y = static_cast<int>(PlotOf(&chart)->yAxis->coordToPixel(1));
    auto column = [&](double AX) {
        const int x = static_cast<int>(PlotOf(&chart)->xAxis->coordToPixel(AX));
        return QRect(x - 1, y - 4, 3, 9);
    };
    EXPECT_GT(CountColour(image, column(1.5), QColor(0, 128, 0)), 0);
    EXPECT_GT(CountColour(image, column(8.5), QColor(0, 128, 0)), 0);
    EXPECT_EQ(CountColour(image, column(3.5), QColor(0, 128, 0)), 0);
    EXPECT_EQ(CountColour(image, column(5), QColor(0, 128, 0)), 0);
    EXPECT_EQ(CountColour(image, column(6.5), QColor(0, 128, 0)), 0);

    // A single value between two nulls draws nothing at all.
    TChart lone;
    lone.resize(600, 300);
    PlotOf(&lone)->legend->setVisible(false);
    lone.BottomAxis().SetMinMax(0, 10);
    lone.LeftAxis().SetMinMax(0, 2);
    TChartSeries* single = lone.AddLineSeries();
    single->SetColor(QColor(0, 128, 0));
    single->SetPenWidth(2);
    single->AddNullXY(4, 0);
    single->AddXY(5, 1);
    single->AddNullXY(6, 0);
    lone.RedrawNow();
    image = lone.ToImage();
    EXPECT_EQ(CountColour(image, PlotOf(&lone)->axisRect()->rect(), QColor(0, 128, 0)), 0);
}

TEST_F(Charts, BarsPerProfile) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    const std::pair<TVDSLProfile, int> cases[] = {
        {vp17a, 4096}, {vp8c, 1972}, {vpNA, 8192}, {vp35b, 8192}, {vp30a, 3479}};
    for (const auto& [profile, points] : cases) {
        SCOPED_TRACE(profile);
        w.DisplayChartData(nullptr);
        TSetOptions options;
        options.Profile = profile;
        const auto set = MakeSet("s", options);
        w.PlotBitLoading(set.get(), nullptr, DSColor, USColor);
        w.PlotGain(set.get(), nullptr, DSColor, USColor);
        for (TChart* chart : {ui.chartBitLoading, ui.chartGain}) {
            SCOPED_TRACE(chart->objectName().toStdString());
            ASSERT_EQ(chart->SeriesCount(), 2);
            EXPECT_EQ(chart->BottomAxis().Maximum(), points);
            for (int s = 0; s < 2; ++s) {
                TChartSeries* series = chart->Series(s);
                EXPECT_EQ(series->Kind(), TChartSeries::TKind::Bar);
                ASSERT_EQ(series->Count(), points);
                EXPECT_EQ(series->XValue(0), 0);
                EXPECT_EQ(series->XValue(points - 1), points - 1);
            }
            EXPECT_EQ(chart->Series(0)->Title(), QStringLiteral("US"));
            EXPECT_EQ(chart->Series(0)->Color(), QColor(0, 128, 0));
            EXPECT_EQ(chart->Series(1)->Title(), QStringLiteral("DS"));
            EXPECT_EQ(chart->Series(1)->Color(), QColor(0, 0, 255));
            // Both bars of a tone share its slot side by side, upstream on the left.
            auto* upBars = qobject_cast<QCPBars*>(PlotOf(chart)->plottable(0));
            auto* downBars = qobject_cast<QCPBars*>(PlotOf(chart)->plottable(1));
            ASSERT_TRUE(upBars && downBars);
            ASSERT_NE(upBars->barsGroup(), nullptr);
            EXPECT_EQ(upBars->barsGroup(), downBars->barsGroup());
            EXPECT_EQ(upBars->width(), 0.5);
            EXPECT_EQ(downBars->width(), 0.5);
            EXPECT_EQ(upBars->pen().style(), Qt::NoPen);
        }
    }
}

TEST_F(Charts, BarValuesPerDirection) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    auto set = std::make_unique<TDrayData>("values");
    set->SetVDSLProfile(vp8a);
    set->SetBinStatsUSRaw({"  3  20  -35  7", "  2047  9  125  15"});
    set->SetBinStatsDSRaw({"  3  30  40  11"});
    w.PlotBitLoading(set.get(), nullptr, DSColor, USColor);
    w.PlotGain(set.get(), nullptr, DSColor, USColor);
    TChartSeries* bitsUp = ui.chartBitLoading->Series(0);
    TChartSeries* bitsDown = ui.chartBitLoading->Series(1);
    EXPECT_EQ(bitsUp->YValue(3), 7);
    EXPECT_EQ(bitsDown->YValue(3), 11);
    EXPECT_EQ(bitsUp->YValue(2047), 15);
    EXPECT_EQ(bitsUp->YValue(4), 0);
    EXPECT_DOUBLE_EQ(ui.chartGain->Series(0)->YValue(3), -3.5);
    EXPECT_DOUBLE_EQ(ui.chartGain->Series(0)->YValue(2047), 12.5);
    EXPECT_DOUBLE_EQ(ui.chartGain->Series(1)->YValue(3), 4.0);
}

TEST_F(Charts, BinsSNRWithTheOptionOnAndOff) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    TSetOptions options;
    options.Profile = vp17a;
    const auto set = MakeSet("s", options);

    w.PlotBinsSNR(set.get(), nullptr, nullptr, DSColor, USColor);
    for (TChart* chart : {ui.chartBinSNRUS, ui.chartBinSNRDS}) {
        SCOPED_TRACE(chart->objectName().toStdString());
        ASSERT_EQ(chart->SeriesCount(), 1);
        EXPECT_EQ(chart->Series(0)->Kind(), TChartSeries::TKind::Line);
        EXPECT_EQ(chart->Series(0)->Count(), 512);
        EXPECT_EQ(chart->BottomAxis().Maximum(), 512);
        EXPECT_EQ(chart->BottomAxis().Increment(), 32);
    }
    EXPECT_EQ(ui.chartBinSNRDS->Title(), QStringLiteral("SNR Downstream"));
    EXPECT_EQ(ui.chartBinSNRUS->Title(), QStringLiteral("SNR Upstream"));
    EXPECT_EQ(ui.chartBinSNRUS->Series(0)->Title(), QStringLiteral("US"));
    EXPECT_EQ(ui.chartBinSNRUS->Series(0)->Color(), QColor(0, 128, 0));
    EXPECT_EQ(ui.chartBinSNRDS->Series(0)->Title(), QStringLiteral("DS"));
    EXPECT_EQ(ui.chartBinSNRDS->Series(0)->Color(), QColor(0, 0, 255));
    const TDrayBinArray& up = set->ShowBinStatsUS();
    EXPECT_EQ(ui.chartBinSNRUS->Series(0)->YValue(100), up[100].SNR);
    EXPECT_EQ(ui.chartBinSNRDS->Series(0)->YValue(511), set->ShowBinStatsDS()[511].SNR);

    // Switching the option leaves what is drawn until the next plot.
    ui.chkSNRBug->setChecked(false);
    EXPECT_EQ(ui.chartBinSNRUS->Series(0)->Count(), 512);
    w.DisplayChartData(nullptr);
    w.PlotBinsSNR(set.get(), nullptr, nullptr, DSColor, USColor);
    for (TChart* chart : {ui.chartBinSNRUS, ui.chartBinSNRDS}) {
        SCOPED_TRACE(chart->objectName().toStdString());
        ASSERT_EQ(chart->SeriesCount(), 1);
        EXPECT_EQ(chart->Series(0)->Count(), 4096);
        EXPECT_EQ(chart->BottomAxis().Maximum(), 4096);
        EXPECT_EQ(chart->BottomAxis().Increment(), 128);
        EXPECT_EQ(chart->BottomAxis().Title(), QStringLiteral("Tones"));
    }
    EXPECT_EQ(ui.chartBinSNRUS->Series(0)->YValue(4095), up[4095].SNR);
}

TEST_F(Charts, DisplayChartDataFillsAndEmptiesAllSeven) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    TSetOptions options;
    options.Profile = vp35b;
    const auto set = MakeSet("s", options);
    w.DisplayChartData(set.get());
    const int series[] = {2, 2, 2, 2, 2, 1, 1};
    const QList<TChart*> charts = w.LineCharts().Charts();
    for (int i = 0; i < charts.size(); ++i)
        EXPECT_EQ(charts[i]->SeriesCount(), series[i]) << charts[i]->objectName().toStdString();
    EXPECT_EQ(ui.chartBitLoading->Series(0)->Count(), 8192);

    w.UpdateProfileLabel(vp35b);
    for (int round = 0; round < 2; ++round) {
        w.DisplayChartData(nullptr);
        for (TChart* chart : charts)
            EXPECT_EQ(chart->SeriesCount(), 0);
    }
    // Titles, axes and the label stay.
    EXPECT_EQ(ui.chartBinSNRDS->Title(), QStringLiteral("SNR Downstream"));
    EXPECT_EQ(ui.chartHLog->BottomAxis().Maximum(), 8192);
    EXPECT_EQ(ui.lblProfileName->text(), QStringLiteral("VDSL profile: 35B"));

    // The series keep their own points after the set is gone.
    auto other = MakeSet("t", options);
    w.DisplayChartData(other.get());
    other.reset();
    EXPECT_EQ(ui.chartSNR->Series(0)->YValue(3), SNRValue(3, true));
}

// Shows the page a chart sits on, so the chart has its real size.
void ShowChart(TfrmMain& AWindow, TChart* AChart) {
    const TMainControls ui(AWindow);
    QWidget* page = AChart->parentWidget();
    if (page->parentWidget() && page->parentWidget()->parentWidget() == ui.pgcBins) {
        ui.pgcMain->setCurrentWidget(ui.tbsBins);
        ui.pgcBins->setCurrentWidget(page);
    } else {
        ui.pgcMain->setCurrentWidget(page);
    }
    QApplication::processEvents();
}

TEST_F(Charts, CopyTakesExactlyTheChartTheMenuWasOpenedOn) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    const auto set = MakeSet("s");
    w.DisplayChartData(set.get());
    for (TChart* chart : w.LineCharts().Charts()) {
        SCOPED_TRACE(chart->objectName().toStdString());
        ShowChart(w, chart);
        ASSERT_TRUE(chart->isVisible());
        QApplication::clipboard()->clear();
        // A right click opens the shared menu on this chart.
        QTest::mouseClick(chart, Qt::RightButton, {}, chart->rect().center());
        ASSERT_TRUE(ui.mnuCharts->isVisible());
        ASSERT_EQ(w.LineCharts().PopupChart(), chart);
        QAction* copy = ui.mnuCharts->actions().value(0);
        ASSERT_EQ(copy, ui.acnChartCopy);
        copy->trigger();
        ui.mnuCharts->hide();
        const QImage copied = QApplication::clipboard()->image();
        ASSERT_FALSE(copied.isNull());
        EXPECT_EQ(copied.size(), chart->size());
        EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32),
                  chart->ToImage().convertToFormat(QImage::Format_RGB32));
        QApplication::processEvents();
    }
    // The two SNR charts share a page but are copied apart.
    ShowChart(w, ui.chartBinSNRDS);
    EXPECT_NE(ui.chartBinSNRUS->ToImage(), ui.chartBinSNRDS->ToImage());
}

TEST_F(Charts, CopyOutsideTheMenuDoesNothing) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    ui.acnChartCopy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
    // Nor once the menu has closed without a choice.
    ShowChart(w, ui.chartQLN);
    w.LineCharts().PopupChartMenu(ui.chartQLN, ui.chartQLN->mapToGlobal(QPoint(50, 50)));
    ui.mnuCharts->hide();
    QApplication::processEvents();
    ui.acnChartCopy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
}

TEST_F(Charts, SaveAsImagePngAndSvg) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    const auto set = MakeSet("s");
    w.DisplayChartData(set.get());
    ShowChart(w, ui.chartGain);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString png = dir.filePath(QStringLiteral("gain.png"));
    const QString svg = dir.filePath(QStringLiteral("gain.svg"));
    Dialogs->Answers = {png, svg, dir.filePath(QStringLiteral("missing/x.png"))};

    for (int i = 0; i < 3; ++i) {
        w.LineCharts().PopupChartMenu(ui.chartGain, ui.chartGain->mapToGlobal(QPoint(10, 10)));
        ui.acnChartSaveImage->trigger();
        ui.mnuCharts->hide();
        QApplication::processEvents();
    }
    ASSERT_EQ(Dialogs->Asked.size(), 3);
    EXPECT_EQ(Dialogs->Asked[0].Filters.size(), 2);
    EXPECT_EQ(Dialogs->Asked[0].FileName, QStringLiteral("Gain.png"));

    const QImage image(png);
    EXPECT_EQ(image.size(), ui.chartGain->size());
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("<svg"));
    // A folder that does not exist: the failure box, with its full stop.
    ASSERT_EQ(Dialogs->Failures.size(), 1);
    EXPECT_TRUE(Dialogs->Failures[0].startsWith(QStringLiteral("Cannot create file \"")));
    EXPECT_TRUE(Dialogs->Failures[0].endsWith(QLatin1Char('.')));
}

TEST_F(Charts, HoverShowsToneFrequencyAndValues) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    TSetOptions options;
    options.Profile = vp17a;
    auto set = MakeSet("s", options);
    w.DisplayChartData(set.get());
    ShowChart(w, ui.chartBitLoading);
    TChart* chart = ui.chartBitLoading;
    chart->RedrawNow();
    const double y = PlotOf(chart)->axisRect()->center().y();
    QString text = chart->HoverText(QPointF(PlotOf(chart)->xAxis->coordToPixel(100), y));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Tone 100 (431.25 kHz)"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("US: %1 Bits").arg(100 % 16))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("DS: %1 Bits").arg(100 % 16))) << text.toStdString();
    EXPECT_TRUE(chart->HoverText(QPointF(2, 2)).isEmpty());

    // Per-group lines read the group a tone belongs to; nulls have no value. 30a tones are
    // twice as wide.
    options.Profile = vp30a;
    options.NullHLogUS = {2};
    set = MakeSet("t", options);
    w.DisplayChartData(nullptr);
    w.DisplayChartData(set.get());
    ShowChart(w, ui.chartHLog);
    ui.chartHLog->RedrawNow();
    text = ui.chartHLog->HoverText(QPointF(PlotOf(ui.chartHLog)->xAxis->coordToPixel(17), y));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Tone 17 (146.625 kHz)"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("US: no value"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("DS: %1 dB").arg(HLogValue(2, false))))
        << text.toStdString();
}

void SendMouse(QWidget* AWidget, QEvent::Type AType, QPoint APos, Qt::MouseButton AButton,
               Qt::MouseButtons AButtons, Qt::KeyboardModifiers AModifiers = {}) {
    QMouseEvent event(AType, APos, AWidget->mapToGlobal(APos), AButton, AButtons, AModifiers);
    QApplication::sendEvent(AWidget, &event);
}

void Drag(QWidget* AWidget, QPoint AFrom, QPoint ATo, Qt::MouseButton AButton,
          Qt::KeyboardModifiers AModifiers = {}) {
    SendMouse(AWidget, QEvent::MouseButtonPress, AFrom, AButton, AButton, AModifiers);
    SendMouse(AWidget, QEvent::MouseMove, (AFrom + ATo) / 2, Qt::NoButton, AButton, AModifiers);
    SendMouse(AWidget, QEvent::MouseMove, ATo, Qt::NoButton, AButton, AModifiers);
    SendMouse(AWidget, QEvent::MouseButtonRelease, ATo, AButton, Qt::NoButton, AModifiers);
}

TEST_F(Charts, ZoomScrollAndDoubleClickReset) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    const auto set = MakeSet("s");
    w.DisplayChartData(set.get());

    struct Case {
        TChart* Chart;
        Qt::KeyboardModifiers ZoomKeys;
        Qt::MouseButton ScrollButton;
    };
    const Case cases[] = {{ui.chartHLog, Qt::ControlModifier, Qt::MiddleButton},
                          {ui.chartSNR, Qt::NoModifier, Qt::RightButton}};
    for (const Case& c : cases) {
        TChart* chart = c.Chart;
        SCOPED_TRACE(chart->objectName().toStdString());
        ShowChart(w, chart);
        chart->RedrawNow();
        const QRect plot = PlotOf(chart)->axisRect()->rect();
        const QPoint from = plot.topLeft() + QPoint(plot.width() / 4, plot.height() / 4);
        const QPoint to = plot.center();
        const TAxisRange home = chart->BottomAxis().VisibleRange();

        if (c.ZoomKeys != Qt::NoModifier) {
            // Without the key the left button does not zoom.
            Drag(chart, from, to, Qt::LeftButton);
            EXPECT_EQ(chart->BottomAxis().VisibleRange(), home);
        }
        Drag(chart, from, to, Qt::LeftButton, c.ZoomKeys);
        const TAxisRange zoomed = chart->BottomAxis().VisibleRange();
        EXPECT_GT(zoomed.Lower, home.Lower);
        EXPECT_LT(zoomed.Upper, home.Upper);

        Drag(chart, to, to + QPoint(-40, 0), c.ScrollButton);
        const TAxisRange scrolled = chart->BottomAxis().VisibleRange();
        EXPECT_GT(scrolled.Lower, zoomed.Lower);
        EXPECT_NEAR(scrolled.Size(), zoomed.Size(), 1e-6);
        EXPECT_FALSE(ui.mnuCharts->isVisible());

        QTest::mouseDClick(chart, Qt::LeftButton, {}, to);
        EXPECT_EQ(chart->BottomAxis().VisibleRange(), home);
    }
}

} // namespace
} // namespace vexlorin::test
