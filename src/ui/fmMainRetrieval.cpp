// Retrieval control of the main window: starting a reader on a fresh set, following it
// through its queued notifications, taking its set or its failure when it ends, stopping
// it from the Stop button, and letting it go when the window closes.
#include "ui/fmMainRetrieval.h"
#include "ui/Messages.h"

#include "reader/TelnetClient.h"
#include "ui/QtNotifier.h"
#include "ui/WatchControl.h"
#include "ui/fmMain.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QStatusBar>

#include <exception>

namespace vexlorin {

// ---------------------------------------------------------------------------------------
// What the reader shows while it runs (GUI thread, queued)

void ShowRetrievalProgress(QProgressBar& ABar, int AStep, int ASteps) {
    ABar.setRange(0, ASteps);
    ABar.setValue(AStep);
    ABar.show();
}

void TMainReaderView::ShowStatus(const std::string& AText) {
    if (AText.empty())
        FStatusBar.clearMessage();
    else
        FStatusBar.showMessage(ShownMessage(AText));
}

void TMainReaderView::UpdateProfileLabel(TVDSLProfile AProfile) {
    FWindow.UpdateProfileLabel(AProfile);
}

void TMainReaderView::DisplayTextData(TDrayData* AData) {
    FWindow.DisplayTextData(AData);
}

void TMainReaderView::PlotHLOG(TDrayData* AData) {
    FWindow.PlotHLOG(AData, nullptr, DSColor, USColor);
}

void TMainReaderView::PlotQLN(TDrayData* AData) {
    FWindow.PlotQLN(AData, nullptr, DSColor, USColor);
}

void TMainReaderView::PlotSNR(TDrayData* AData) {
    FWindow.PlotSNR(AData, nullptr, DSColor, USColor);
}

void TMainReaderView::PlotBins(TDrayData* AData) {
    FWindow.PlotBitLoading(AData, nullptr, DSColor, USColor);
    FWindow.PlotBinsSNR(AData, nullptr, nullptr, DSColor, USColor);
    FWindow.PlotGain(AData, nullptr, DSColor, USColor);
    // The text came before the bins tables: the summary's bit loading needs them too.
    FWindow.DisplaySummary(AData);
}

void TMainReaderView::ShowProgress(int AStep, int ASteps) {
    ShowRetrievalProgress(FProgress, AStep, ASteps);
}

// ---------------------------------------------------------------------------------------
// The window's side

void TfrmMain::acnRetrieveDataExecute() {
    FOutsideSet.reset();
    FStatus = dsReadingData;
    UpdateProfileLabel(vpNA);
    DisplayTextData(nullptr);
    DisplayChartData(nullptr);
    StartRetrieval();
}

void TfrmMain::StartRetrieval() {
    // First: the running reader may be reading the client's host and port right now.
    if (FReader) {
        FDialogs->ShowRefusal(
            QCoreApplication::translate("vexlorin::TfrmMain", "Reader thread already running"));
        return;
    }
    telnet->SetHost(edRouter->text().toStdString());
    telnet->SetPort(static_cast<uint16_t>(udTelnetPort->value()));
    // Until a reader runs, nothing is being read.
    struct TReadyUnlessStarted {
        TfrmMain& Window;
        ~TReadyUnlessStarted() {
            if (!Window.FReader)
                Window.FStatus = dsReady;
        }
    } readyUnlessStarted{*this};
    auto data = std::make_unique<TDrayData>(GetDefaultFileName().toStdString());
    const bool bins = chkShowBins->isChecked();
    auto reader = std::make_unique<TDrayTelnetReader>(
        *telnet, edUser->text().toStdString(), edPassword->text().toStdString(),
        edRouterName->text().toStdString(), data.get(), bins, *FNotifier, FReaderView.get());
    reader->SetTimeouts(FReaderTimeouts);
    reader->SetFreeOnTerminate(true);
    reader->SetOnTerminate([this](TDrayTelnetReader& AReader) {
        RunCommand([this, &AReader] { ReaderTerminated(AReader); });
    });
    // A reader that never started is ours to free; a started one frees itself.
    reader->Start();
    FReader = reader.release();
    FReaderData = std::move(data);
    FStopRequested = false;
    ShowProgress(0, bins ? 13 : 11);
}

void TfrmMain::ReaderTerminated(TDrayTelnetReader& AReader) {
    FReader = nullptr;
    FStatus = dsReady;
    FStopRequested = false;
    HideProgress();
    UpdateActions();
    // The set is ours again; every way but success frees it when this handler returns.
    std::unique_ptr<TDrayData> data = std::move(FReaderData);

    // Everything needed is read now: the boxes below wait for the user, and the reader
    // must not be kept in mind beyond this handler.
    const TReadOutcome outcome = AReader.Outcome();
    switch (outcome.Ending) {
    case reCompleted:
    case reNotInShowtime:
        if (data) {
            FDrayDataList->Add(std::move(data));
            // The reader drew the tables one by one; now the whole set is there, with its
            // band plan and, while one is pinned, compared with the reference.
            RedrawCharts();
        }
        // The text the user needs to read the set: it has no profile yet.
        if (outcome.Ending == reNotInShowtime)
            sbMain->showMessage(ShownMessage(outcome.Message));
        return;
    case reStopped:
        // A stop during the logon also leaves TelnetError set; the user asked for it, so
        // no box. The partial set is dropped.
        data.reset();
        sbMain->showMessage(QCoreApplication::translate("vexlorin::TfrmMain", "Retrieval stopped"));
        lbxStatisticsClick();
        return;
    case reConnectFailed:
    case reUnexpectedError:
        data.reset();
        sbMain->clearMessage();
        FDialogs->ShowRefusal(ShownMessage(outcome.Message));
        // The views were emptied when the retrieval started; the list still has its
        // selection, so show it again as after any other failure.
        lbxStatisticsClick();
        return;
    case reNoLogonPrompt:
    case reSingleConnection:
    case reLogonFailed:
    case reConnectionLost:
    case reStoppedAnswering:
    case reTooMuchData:
    case reParseError:
        break;
    }
    data.reset();
    FDialogs->ShowRefusal(ShownMessage(outcome.Message));
    sbMain->clearMessage();
    lbxStatisticsClick();
}

void TfrmMain::acnStopRetrievalExecute() {
    if (!FReader)
        return;
    FStopRequested = true;
    // The wait in progress ends at once; the completion handler follows shortly.
    FReader->Terminate();
}

void TfrmMain::acnStopRetrievalUpdate(QAction* ASender) {
    ASender->setEnabled(FReader != nullptr && !FStopRequested);
}

void TfrmMain::FormClose() {
    AbandonReader();
    // The watch's sample in progress ends within a second; what it stored stays.
    if (FWatch)
        FWatch->Abandon();
}

void TfrmMain::AbandonReader() {
    if (!FReader)
        return;
    FReader->Terminate();
    // Wakes a reader blocked on the router at once, whatever it waits for.
    telnet->Disconnect();
    // Joins the reader's thread. No deadlock: a reader whose completion is already queued
    // sees it abandoned and ends without waiting for the GUI thread.
    delete FReader;
    FReader = nullptr;
    // Its notifications still queued name a set that is about to go.
    FNotifier->DropPending();
    FReaderData.reset();
    FStatus = dsReady;
    FStopRequested = false;
    HideProgress();
}

void TfrmMain::ShowProgress(int AStep, int ASteps) {
    ShowRetrievalProgress(*pbRetrieval, AStep, ASteps);
}

void TfrmMain::HideProgress() {
    pbRetrieval->hide();
    pbRetrieval->reset();
}

void TfrmMain::UseSimulatedRouter(const QString& AHost, uint16_t APort, const QString& AUser,
                                  const QString& APassword, const QString& ARouterName) {
    edRouter->setText(AHost);
    udTelnetPort->setValue(APort);
    edUser->setText(AUser);
    edPassword->setText(APassword);
    edRouterName->setText(ARouterName);
    setWindowTitle(
        QCoreApplication::translate("vexlorin::TfrmMain", "Vexlorin - simulated router"));
    const QString where =
        QCoreApplication::translate("vexlorin::TfrmMain", "Simulated router console at %1:%2")
            .arg(AHost)
            .arg(APort);
    lblSimulated->setText(where);
    lblSimulated->show();
    sbMain->showMessage(QCoreApplication::translate(
        "vexlorin::TfrmMain", "Demo: reads a simulated router, not a real one. "
                              "Choose \"Retrieve\" to read it."));
    UpdateActions();
}

} // namespace vexlorin
