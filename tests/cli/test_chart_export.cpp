// vexlorin --export-charts: the desktop program writes the seven charts of a statistics
// file without a window, pixel for pixel as the main window draws them.
#include "CliTestSupport.h"
#include "RouterSim.h"
#include "ui/ChartExport.h"
#include "ui/DarkStyle.h"
#include "ui/fmMain.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

namespace vexlorin {
namespace {

using test::ReadWholeFile;
using test::RunCli;
using test::RunProgram;
using test::TRunOptions;
using test::TTempDir;
using test::WriteWholeFile;

// A statistics file with every table, read from the simulated router by vexlorin-cli.
std::string RetrievedFile(const TTempDir& ADir) {
    TRouterSimOptions options;
    options.Profile = vp35b;
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    const std::string file = ADir.File("line.draydata");
    TRunOptions run;
    run.Env["VEXLORIN_PASSWORD"] = "admin";
    const auto result = RunCli({"retrieve", "127.0.0.1", "--port", std::to_string(port), "--user",
                                "admin", "--bins", "-q", "-o", file},
                               run);
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    return file;
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
