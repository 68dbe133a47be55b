// The main window's side of the line history: "Watch" beside "Retrieve data" (the recorder
// on its own thread, each completed sample shown on the views), "Choose history file...",
// "Open history..." (the history window) and "Add to list" for a set shown from outside
// the list.
#include "history/Recorder.h"
#include "ui/HistoryWindow.h"
#include "ui/WatchControl.h"
#include "ui/fmMain.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>

namespace vexlorin {

using namespace history;

namespace {

// A set of its own, as the list keeps them.
std::unique_ptr<TDrayData> CopySet(const TDrayData& ASet) {
    auto copy = std::make_unique<TDrayData>(ASet.Name());
    copy->LoadFromBytes(ASet.SaveToBytes());
    copy->SetName(ASet.Name());
    return copy;
}

} // namespace

QWidget* TfrmMain::BuildWatchPanel(QWidget* AParent) {
    const QString category = tr("History");
    acnWatch = MakeAction(tr("Watch"), category, "acnWatch", &TfrmMain::acnWatchExecute);
    acnWatch->setCheckable(true);
    acnWatch->setToolTip(tr("Record the line into the history file at the interval, until "
                            "pressed again"));
    acnChooseHistoryFile =
        MakeAction(tr("Choose history file..."), category, "acnChooseHistoryFile",
                   &TfrmMain::acnChooseHistoryFileExecute);
    acnOpenHistory = MakeAction(tr("Open history..."), category, "acnOpenHistory",
                                &TfrmMain::acnOpenHistoryExecute);
    acnAddToList =
        MakeAction(tr("Add to list"), category, "acnAddToList", &TfrmMain::acnAddToListExecute);
    acnAddToList->setToolTip(tr("Put the set shown (a watched sample or a set of the history) "
                                "into the list of statistics"));
    dlgHistoryFile = HistoryFileDialog(tr("Choose history file"));
    dlgOpenHistory = HistoryFileDialog(tr("Open history file"));
    try {
        FHistoryFile = QString::fromStdString(DefaultHistoryPath());
    } catch (const std::exception&) {
        // No home folder: the user chooses a file.
    }

    FWatch = new TWatchControl(this);
    FWatch->SetOnSample([this](const TSampleResult& AResult) {
        RunCommand([this, &AResult] { WatchSample(AResult); });
    });
    FWatch->SetOnFinished([this](const std::string& AError) {
        RunCommand([this, &AError] { WatchFinished(AError); });
    });

    auto* panel = new QWidget(AParent);
    panel->setObjectName(QStringLiteral("pnlWatch"));
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 2, 0, 2);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    auto* btnWatch = new QPushButton(panel);
    btnWatch->setObjectName(QStringLiteral("btnWatch"));
    btnWatch->setCheckable(true);
    btnWatch->setText(acnWatch->text());
    btnWatch->setToolTip(acnWatch->toolTip());
    connect(btnWatch, &QPushButton::clicked, acnWatch, &QAction::trigger);
    connect(acnWatch, &QAction::changed, btnWatch, [this, btnWatch] {
        btnWatch->setEnabled(acnWatch->isEnabled());
        btnWatch->setChecked(acnWatch->isChecked());
        btnWatch->setText(acnWatch->text());
    });
    udWatchInterval = new QSpinBox(panel);
    udWatchInterval->setObjectName(QStringLiteral("udWatchInterval"));
    udWatchInterval->setRange(5, 86400);
    udWatchInterval->setValue(60);
    udWatchInterval->setSuffix(tr(" s"));
    udWatchInterval->setToolTip(tr("Time between two samples"));
    udWatchBins = new QSpinBox(panel);
    udWatchBins->setObjectName(QStringLiteral("udWatchBins"));
    udWatchBins->setRange(1, 1440);
    udWatchBins->setValue(15);
    udWatchBins->setSuffix(tr(" min"));
    udWatchBins->setToolTip(tr("How often a sample also reads the per-tone tables"));
    auto* lblEvery = new QLabel(tr("every"), panel);
    lblEvery->setBuddy(udWatchInterval);
    auto* lblBins = new QLabel(tr("bins every"), panel);
    lblBins->setBuddy(udWatchBins);
    grid->addWidget(btnWatch, 0, 0);
    grid->addWidget(lblEvery, 0, 1, Qt::AlignRight);
    grid->addWidget(udWatchInterval, 0, 2);
    grid->addWidget(lblBins, 1, 1, Qt::AlignRight);
    grid->addWidget(udWatchBins, 1, 2);
    auto* btnChooseHistoryFile = new QPushButton(panel);
    btnChooseHistoryFile->setObjectName(QStringLiteral("btnChooseHistoryFile"));
    BindButton(btnChooseHistoryFile, acnChooseHistoryFile);
    auto* btnOpenHistoryFile = new QPushButton(panel);
    btnOpenHistoryFile->setObjectName(QStringLiteral("btnOpenHistoryFile"));
    BindButton(btnOpenHistoryFile, acnOpenHistory);
    grid->addWidget(btnChooseHistoryFile, 2, 0, 1, 2);
    grid->addWidget(btnOpenHistoryFile, 2, 2);
    grid->setColumnStretch(0, 1);
    return panel;
}

THistoryWindow* TfrmMain::HistoryWindow() const {
    return FHistoryWindow;
}

bool TfrmMain::Watching() const {
    return FWatch && FWatch->Running();
}

void TfrmMain::UpdateHistoryActions() {
    if (!acnWatch)
        return;
    const TActionInputs inputs = ActionInputs();
    const bool watching = Watching();
    // One console session at a time: a watch and a retrieval exclude each other.
    if (watching)
        acnRetrieveData->setEnabled(false);
    acnWatch->setEnabled(watching ? !FWatch->Stopping() : RetrieveDataEnabled(inputs));
    acnWatch->setChecked(watching);
    acnWatch->setText(watching && FWatch->Stopping() ? tr("Stopping...") : tr("Watch"));
    acnChooseHistoryFile->setEnabled(!watching);
    acnChooseHistoryFile->setToolTip(tr("Watch records into %1").arg(FHistoryFile));
    udWatchInterval->setEnabled(!watching);
    udWatchBins->setEnabled(!watching);
    acnAddToList->setEnabled(FOutsideSet != nullptr && !inputs.ReaderRunning);
}

void TfrmMain::acnWatchExecute() {
    if (Watching()) {
        FWatch->Stop();
        sbMain->showMessage(tr("Watch stops after the sample in progress"));
        return;
    }
    if (FHistoryFile.isEmpty()) {
        acnChooseHistoryFileExecute();
        if (FHistoryFile.isEmpty())
            return;
    }
    TRecorderTarget target;
    target.Line.Host = edRouter->text().toStdString();
    target.Line.Port = static_cast<uint16_t>(udTelnetPort->value());
    target.Line.RouterName = edRouterName->text().toStdString();
    target.User = edUser->text().toStdString();
    target.Password = edPassword->text().toStdString();
    target.Bins = true;
    target.Interval = std::chrono::seconds(udWatchInterval->value());
    target.BinsEvery = std::chrono::minutes(udWatchBins->value());
    target.Timeouts = FReaderTimeouts;
    try {
        FWatch->Start(target, FHistoryFile.toStdString());
    } catch (const std::exception& e) {
        UpdateActions();
        FDialogs->ShowRefusal(QString::fromStdString(e.what()));
        return;
    }
    sbMain->showMessage(tr("Watching %1:%2 into %3")
                            .arg(edRouter->text())
                            .arg(udTelnetPort->value())
                            .arg(FHistoryFile));
    UpdateActions();
    // The live time charts of what is being recorded.
    OpenHistory(FHistoryFile);
}

void TfrmMain::WatchSample(const TSampleResult& AResult) {
    sbMain->showMessage(QString::fromStdString(SampleLine(AResult)));
    if (AResult.Completed && AResult.Set) {
        std::unique_ptr<TDrayData> set = CopySet(*AResult.Set);
        set->SetName(
            DefaultFileName(QDateTime::fromMSecsSinceEpoch(AResult.TimeMs), edRouterName->text())
                .toStdString());
        // Not while a retrieval draws its own set on the views.
        if (!Reading())
            ShowOutsideSet(std::move(set));
    }
    if (FHistoryWindow && FHistoryWindow->FileName() == FHistoryFile)
        FHistoryWindow->Follow();
}

void TfrmMain::WatchFinished(const std::string& AError) {
    UpdateActions();
    if (!AError.empty()) {
        sbMain->clearMessage();
        FDialogs->ShowFailure(FailureText(QString::fromStdString(AError)));
        return;
    }
    sbMain->showMessage(tr("Watch stopped"));
}

void TfrmMain::ShowOutsideSet(std::unique_ptr<TDrayData> ASet) {
    FOutsideSet = std::move(ASet);
    DisplayTextData(nullptr);
    DisplayChartData(nullptr);
    if (!FOutsideSet)
        return;
    DisplayTextData(FOutsideSet.get());
    UpdateProfileLabel(FOutsideSet->VDSLProfile());
    DisplayChartData(FOutsideSet.get());
    UpdateActions();
}

void TfrmMain::acnAddToListExecute() {
    if (!FOutsideSet)
        return;
    FDrayDataList->Add(std::move(FOutsideSet));
    lbxStatisticsClick();
}

void TfrmMain::acnChooseHistoryFileExecute() {
    TFileDialogOptions options = dlgHistoryFile;
    options.FileName = FHistoryFile;
    if (const std::optional<QString> file = FDialogs->SaveFileName(options))
        FHistoryFile = *file;
}

void TfrmMain::acnOpenHistoryExecute() {
    TFileDialogOptions options = dlgOpenHistory;
    options.FileName = FHistoryFile;
    if (const std::optional<QString> file = FDialogs->OpenFileName(options))
        OpenHistory(*file);
}

THistoryWindow& TfrmMain::EnsureHistoryWindow() {
    if (!FHistoryWindow) {
        FHistoryWindow = new THistoryWindow(*FDialogs, this);
        FHistoryWindow->SetSNROnlyFirst512(chkSNRBug->isChecked());
        FHistoryWindow->SetOnSetChosen([this](std::unique_ptr<TDrayData> ASet, int64_t) {
            const QString name = QString::fromStdString(ASet->Name());
            RunCommand([this, &ASet] { ShowOutsideSet(std::move(ASet)); });
            sbMain->showMessage(
                tr("Shown from the history: %1 (\"Add to list\" keeps it)").arg(name));
        });
    }
    return *FHistoryWindow;
}

bool TfrmMain::OpenHistory(const QString& AFileName) {
    THistoryWindow& window = EnsureHistoryWindow();
    if (!window.OpenFile(AFileName))
        return false;
    window.show();
    window.raise();
    return true;
}

} // namespace vexlorin
