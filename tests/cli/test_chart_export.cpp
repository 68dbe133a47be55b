// vexlorin --export-charts: the desktop program writes the seven charts of a statistics
// file without a window, pixel for pixel as the main window draws them.
#include "CliTestSupport.h"
#include "ui/ChartExport.h"
#include "ui/DarkStyle.h"
#include "ui/fmMain.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>

namespace vexlorin {
namespace {

using test::ReadWholeFile;
using test::RunProgram;
using test::TTempDir;
using test::WriteWholeFile;

// A statistics file with every table, read from the simulated router by vexlorin-cli.
std::string RetrievedFile(const TTempDir& ADir) {
    return test::RetrievedFile(ADir, "line.draydata", vp35b, 1);
}

TEST(ChartExport, SevenImagesAsTheWindowDrawsThem) {
    TTempDir dir;
    const std::string file = RetrievedFile(dir);
    const std::string out = dir.File("charts/today");
    const auto run = RunProgram({VEXLORIN_APP_PATH, "--export-charts", out, file});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, "");

    // The window a user opens, with the same file selected.
    auto data = std::make_unique<TDrayData>();
    data->LoadFromFile(file);
    TfrmMain window;
    window.DrayDataList().Add(std::move(data));
    window.lbxStatisticsClick();
    const QList<TChart*> charts = window.LineCharts().Charts();
    const QStringList names = ChartExportFileNames();
    ASSERT_EQ(charts.size(), names.size());
    for (qsizetype i = 0; i < charts.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        const std::string path = out + "/" + names[i].toStdString();
        EXPECT_EQ(ReadWholeFile(path).substr(0, 8), "\x89PNG\r\n\x1a\n");
        const QImage written(QString::fromStdString(path));
        ASSERT_FALSE(written.isNull());
        EXPECT_EQ(written.size(), QSize(ChartExportWidth, ChartExportHeight));
        charts[i]->resize(ChartExportWidth, ChartExportHeight);
        charts[i]->RedrawNow();
        const QImage drawn = charts[i]->ToImage().convertToFormat(written.format());
        EXPECT_TRUE(drawn == written);
    }
}

int CountExact(const QImage& AImage, const QRect& AArea, const QColor& AColour) {
    int count = 0;
    const QRect area = AArea.intersected(AImage.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += AImage.pixelColor(x, y) == AColour ? 1 : 0;
    return count;
}

// The bar charts of a 35b set carry both direction colours exactly, and no chart's legend
// lies over its plotting area.
TEST(ChartExport, TrueColoursAndLegendsBesideTheData) {
    TTempDir dir;
    const std::string file = RetrievedFile(dir);
    const std::string out = dir.File("charts");
    const auto run = RunProgram({VEXLORIN_APP_PATH, "--export-charts", out, file});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;

    auto data = std::make_unique<TDrayData>();
    data->LoadFromFile(file);
    TfrmMain window;
    window.DrayDataList().Add(std::move(data));
    window.lbxStatisticsClick();
    const QList<TChart*> charts = window.LineCharts().Charts();
    const QStringList names = ChartExportFileNames();
    for (qsizetype i = 0; i < charts.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        charts[i]->resize(ChartExportWidth, ChartExportHeight);
        charts[i]->RedrawNow();
        ASSERT_TRUE(charts[i]->LegendShown());
        EXPECT_FALSE(charts[i]->LegendArea().intersects(charts[i]->PlotArea()));
        const QImage written(QString::fromStdString(out + "/" + names[i].toStdString()));
        ASSERT_FALSE(written.isNull());
        if (names[i] == QLatin1String("bitloading.png") || names[i] == QLatin1String("gain.png")) {
            const QRect plot = charts[i]->PlotArea();
            EXPECT_GT(CountExact(written, plot, QColor(0, 0, 255)), 100);
            EXPECT_GT(CountExact(written, plot, QColor(0, 128, 0)), 100);
        }
    }
}

// Each exported image equals what the window draws of the same chart at the export's size.
void ExpectWindowsCharts(const TfrmMain& AWindow, const std::string& ADir) {
    const QList<TChart*> charts = AWindow.LineCharts().Charts();
    const QStringList names = ChartExportFileNames();
    for (qsizetype i = 0; i < charts.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        const QImage written(QString::fromStdString(ADir + "/" + names[i].toStdString()));
        ASSERT_FALSE(written.isNull());
        charts[i]->resize(ChartExportWidth, ChartExportHeight);
        charts[i]->RedrawNow();
        EXPECT_TRUE(charts[i]->ToImage().convertToFormat(written.format()) == written);
    }
}

// --compare draws the window's overlay of a pinned reference, --difference its difference.
TEST(ChartExport, ComparedWithAReference) {
    TTempDir dir;
    const std::string before = test::RetrievedFile(dir, "before.draydata", vp35b, 1);
    const std::string after = test::RetrievedFile(dir, "after.draydata", vp35b, 2);
    for (const bool difference : {false, true}) {
        SCOPED_TRACE(difference ? "difference" : "overlay");
        const std::string out = dir.File(difference ? "difference" : "overlay");
        std::vector<std::string> args{
            VEXLORIN_APP_PATH, "--export-charts", out, after, "--compare", before};
        if (difference)
            args.push_back("--difference");
        const auto run = RunProgram(args);
        ASSERT_EQ(run.ExitCode, 0) << run.Err;

        TfrmMain window;
        auto reference = std::make_unique<TDrayData>();
        reference->LoadFromFile(before);
        auto shown = std::make_unique<TDrayData>();
        shown->LoadFromFile(after);
        TDrayData* pinned = window.DrayDataList().Add(std::move(reference));
        window.DrayDataList().Add(std::move(shown));
        window.SetReferenceSet(pinned);
        if (difference)
            window.findChild<QAction*>(QStringLiteral("acnChartShowDifference"))->trigger();
        ASSERT_TRUE(window.LineCharts().Comparing());
        EXPECT_EQ(window.LineCharts().Chart(TChartId::HLog)->SeriesCount(), difference ? 2 : 4);
        ExpectWindowsCharts(window, out);
    }
}

TEST(ChartExport, Failures) {
    TTempDir dir;
    const std::string notStats = dir.File("notes.draydata");
    WriteWholeFile(notStats, "notes\n");
    const std::string blocker = dir.File("blocker");
    WriteWholeFile(blocker, "a file where the folder should be\n");
    const std::string good = RetrievedFile(dir);
    struct Case {
        std::vector<std::string> Args;
        int Code;
        std::string Message;
    };
    const Case cases[] = {
        {{"--export-charts", dir.File("out"), dir.File("missing.draydata")}, 3, "Cannot open file"},
        {{"--export-charts", dir.File("out"), notStats}, 3, "Invalid property value"},
        {{"--export-charts", blocker + "/sub", good}, 3, "Cannot create folder"},
        {{"--export-charts", dir.File("out")}, 1, "Usage: vexlorin --export-charts"},
        {{"--export-charts", dir.File("out"), good, "--difference"}, 1, "[--compare OTHER"},
        {{"--export-charts", dir.File("out"), good, "--compare"}, 1, "Usage:"},
        {{"--export-charts", dir.File("out"), good, "--compare", dir.File("gone.draydata")},
         3,
         "Cannot open file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Args.back());
        std::vector<std::string> args{VEXLORIN_APP_PATH};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const auto run = RunProgram(args);
        EXPECT_EQ(run.ExitCode, c.Code);
        EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("out")));
    }
}

} // namespace
} // namespace vexlorin

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The exporting program draws with the program's look; so does the window here.
    vexlorin::ApplyDarkStyle(application);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
