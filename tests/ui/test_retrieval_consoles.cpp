// Retrieval from the main window against consoles that behave like real firmware: a line
// that trains, a console that stops answering, a connect that waits, a paged answer.
#include "../reader/FullListener.h"
#include "Answers.h"
#include "RouterSim.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <chrono>

namespace vexlorin::test {
namespace {

using namespace std::chrono_literals;

class RetrievalConsoles : public WindowTest {
protected:
    template <typename T> T* Widget(const char* AName) {
        T* widget = Window->findChild<T*>(QString::fromLatin1(AName));
        EXPECT_NE(widget, nullptr) << AName;
        return widget;
    }

    void UseRouter(uint16_t APort, std::chrono::milliseconds AWaits = 5000ms) {
        Window->UseSimulatedRouter(QStringLiteral("127.0.0.1"), APort, QStringLiteral("admin"),
                                   QStringLiteral("admin"), QStringLiteral("DrayTek"));
        TReaderTimeouts waits;
        waits.Account = waits.Password = waits.Banner = waits.Command = waits.Bins = AWaits;
        Window->SetReaderTimeouts(waits);
    }

    void StartRouter(TRouterSimOptions AOptions, std::chrono::milliseconds AWaits = 5000ms) {
        Sim = std::make_unique<TRouterSim>(std::move(AOptions));
        UseRouter(Sim->Start(), AWaits);
    }

    void Retrieve() { Widget<QPushButton>("btnGetData")->click(); }

    bool WaitForEnd(int AMs = 20000) {
        return QTest::qWaitFor([this] { return !Window->Reading(); }, AMs);
    }

    // Runs a retrieval that must add a set and show no box; the set, selected.
    const TDrayData* RetrieveOneSet() {
        Retrieve();
        EXPECT_TRUE(WaitForEnd());
        EXPECT_TRUE(Dialogs->Refusals.isEmpty())
            << Dialogs->Refusals.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(Window->DrayDataList().Count(), 1u);
        return Window->GetSelectedDrayData();
    }

    QString StatusLine() { return Widget<QStatusBar>("sbMain")->currentMessage(); }

    void TearDown() override {
        WindowTest::TearDown();
        Sim.reset();
    }

    std::unique_ptr<TRouterSim> Sim;
};

TEST_F(RetrievalConsoles, ALineThatTrainsIsShownAndKept) {
    TRouterSimOptions options;
    options.Profile = vp35b;
    options.Training = true;
    StartRouter(options);

    const TDrayData* set = RetrieveOneSet();
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->VDSLProfile(), vpNA);
    EXPECT_EQ(StatusLine(), QStringLiteral("Line not in showtime: profile unknown"));
    EXPECT_EQ(Widget<QLabel>("lblProfileName")->text(), QStringLiteral("VDSL profile: N/A"));
    EXPECT_TRUE(Widget<QPlainTextEdit>("memStats")
                    ->toPlainText()
                    .contains(QStringLiteral("State                : TRAINING")));
}

TEST_F(RetrievalConsoles, AConsoleThatStopsAnsweringEndsWithItsBoxAndAddsNothing) {
    TRouterSimOptions options;
    options.LateAnswer = "vdsl status more";
    options.LateAfter = 60s; // ends with the simulator
    StartRouter(options, 300ms);

    Retrieve();
    ASSERT_TRUE(WaitForEnd());

    EXPECT_EQ(Dialogs->Refusals, QStringList{QStringLiteral("The router stopped answering")});
    EXPECT_EQ(Window->DrayDataList().Count(), 0u);
    EXPECT_TRUE(StatusLine().isEmpty());
    EXPECT_TRUE(Widget<QPlainTextEdit>("memStats")->toPlainText().isEmpty());
}

TEST_F(RetrievalConsoles, StopEndsAConnectThatWaitsWithoutABox) {
    TFullListener listener;
    UseRouter(listener.Port());
    Retrieve();
    ASSERT_TRUE(Window->Reading());
    // The connect waits: nobody answers it.
    QTest::qWait(300);
    ASSERT_TRUE(Window->Reading());

    QElapsedTimer clock;
    clock.start();
    Widget<QPushButton>("btnStop")->click();
    ASSERT_TRUE(WaitForEnd(5000)) << "the connect still waits";
    // Far below the 10 s the connect would wait by itself.
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(Dialogs->Refusals.isEmpty())
        << Dialogs->Refusals.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(StatusLine(), QStringLiteral("Retrieval stopped"));
    EXPECT_EQ(Window->DrayDataList().Count(), 0u);
}

TEST_F(RetrievalConsoles, APagedConsoleGivesTheCompleteSet) {
    TRouterSimOptions options;
    options.Profile = vp17a;
    options.PagerLines = 24;
    StartRouter(options);
    Widget<QCheckBox>("chkShowBins")->setChecked(true);

    const TDrayData* set = RetrieveOneSet();
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->VDSLProfile(), vp17a);
    EXPECT_FALSE(Widget<QPlainTextEdit>("memStats")
                     ->toPlainText()
                     .contains(QString::fromLatin1(routersim::PagerLine.data(),
                                                   static_cast<int>(routersim::PagerLine.size()))));
    // Every tone of the profile, none lost to the pager.
    EXPECT_EQ(set->ShowBinStatsDS()[4095].Bin, 4095);
    EXPECT_EQ(set->ShowBinStatsUS()[4095].Bin, 4095);
    EXPECT_EQ(Sim->Commands().size(), 13u);
}

} // namespace
} // namespace vexlorin::test
