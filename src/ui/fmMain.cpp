// The main window's core: its actions and how commands run, creation and destruction, the
// list of sets and its list box, the text view, the enable rules, and the forwards to the
// chart component. The controls are built in fmMainLayout.cpp.
#include "ui/fmMain.h"
#include "ui/Messages.h"

#include "model/DefaultName.h"
#include "reader/TelnetClient.h"
#include "ui/CommandLine.h"
#include "ui/QtNotifier.h"
#include "ui/SummaryView.h"
#include "ui/UiResources.h"
#include "ui/WatchControl.h"
#include "ui/fmMainRetrieval.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <ctime>
#include <exception>

namespace vexlorin {

namespace {

TDrayData* EntrySet(const QListWidgetItem* AItem) {
    return AItem ? reinterpret_cast<TDrayData*>(AItem->data(Qt::UserRole).value<quintptr>())
                 : nullptr;
}

} // namespace

QString DefaultFileName(const QDateTime& ANow, const QString& ARouterName) {
    // One naming rule for the window and the command-line tool.
    std::tm time{};
    time.tm_year = ANow.date().year() - 1900;
    time.tm_mon = ANow.date().month() - 1;
    time.tm_mday = ANow.date().day();
    time.tm_hour = ANow.time().hour();
    time.tm_min = ANow.time().minute();
    time.tm_sec = ANow.time().second();
    return QString::fromStdString(::vexlorin::GetDefaultFileName(time, ARouterName.toStdString()));
}

TfrmMain::TfrmMain(const QStringList& AArguments, std::unique_ptr<IUserDialogs> ADialogs,
                   QWidget* AParent)
    : QMainWindow(AParent), FDialogs(std::move(ADialogs)),
      FClock([] { return QDateTime::currentDateTime(); }) {
    if (!FDialogs)
        FDialogs = std::make_unique<TQtUserDialogs>(this);
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Vexlorin"));
    setFont(UiFont(11));
    resize(1188, 657);
    setMinimumSize(1024, 600);

    const QString configuration =
        QCoreApplication::translate("vexlorin::TfrmMain", "Configuration");
    const QString statistics = QCoreApplication::translate("vexlorin::TfrmMain", "Statistics");
    acnRetrieveData =
        MakeAction(QCoreApplication::translate("vexlorin::TfrmMain", "Retrieve data"),
                   configuration, "acnRetrieveData", &TfrmMain::acnRetrieveDataExecute);
    acnStopRetrieval =
        MakeAction(QCoreApplication::translate("vexlorin::TfrmMain", "Stop"), configuration,
                   "acnStopRetrieval", &TfrmMain::acnStopRetrievalExecute);
    acnStopRetrieval->setToolTip(
        QCoreApplication::translate("vexlorin::TfrmMain", "Stop the running retrieval"));
    acnLoadDataFromFile =
        MakeAction(QCoreApplication::translate("vexlorin::TfrmMain", "Load data from file..."),
                   configuration, "acnLoadDataFromFile", &TfrmMain::acnLoadDataFromFileExecute);
    acnLoadConfiguration =
        MakeAction(QCoreApplication::translate("vexlorin::TfrmMain", "Load configuration..."),
                   configuration, "acnLoadConfiguration", &TfrmMain::btnLoadConfigurationClick);
    acnSaveConfiguration =
        MakeAction(QCoreApplication::translate("vexlorin::TfrmMain", "Save configuration..."),
                   configuration, "acnSaveConfiguration", &TfrmMain::btnSaveCfgClick);
    acnLoadStatFromFile =
        MakeAction(QCoreApplication::translate("vexlorin::TfrmMain", "Load statistics..."),
                   statistics, "acnLoadStatFromFile", &TfrmMain::acnLoadStatFromFileExecute);
    acnSaveStatToFile =
        MakeAction(QCoreApplication::translate("vexlorin::TfrmMain", "Save statistics..."),
                   statistics, "acnSaveStatToFile", &TfrmMain::acnSaveStatToFileExecute);
    acnRemove = MakeAction(QCoreApplication::translate("vexlorin::TfrmMain", "Remove"), statistics,
                           "acnRemove", &TfrmMain::acnRemoveExecute);
    acnRemoveAll = MakeAction(QCoreApplication::translate("vexlorin::TfrmMain", "Remove all"),
                              statistics, "acnRemoveAll", &TfrmMain::acnRemoveAllExecute);
    acnShowLegend = MakeAction(QCoreApplication::translate("vexlorin::TfrmMain", "Legend..."),
                               statistics, "acnShowLegend", &TfrmMain::acnShowLegendExecute);
    acnCompareWithSelected =
        MakeAction(tr("Compare with selected"), statistics, "acnCompareWithSelected",
                   &TfrmMain::acnCompareWithSelectedExecute);
    acnStopComparing = MakeAction(tr("Stop comparing"), statistics, "acnStopComparing",
                                  &TfrmMain::acnStopComparingExecute);
    // Disabled until the first update, which runs before the window can be used.
    acnRetrieveData->setEnabled(false);
    acnStopRetrieval->setEnabled(false);

    telnet = std::make_unique<TTelnetClient>();
    FNotifier = new TQtNotifier(this);
    FNotifier->SetOnError([this](const QString& AMessage) {
        FDialogs->ShowFailure(FailureText(AMessage));
        UpdateActions();
    });
    BuildDialogOptions();

    BuildStatusBar();
    auto* central = new QWidget(this);
    auto* centralLayout = new QHBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);
    setCentralWidget(central);
    BuildPages();
    QWidget* pnlInputs = BuildInputPanel();
    centralLayout->addWidget(pgcMain, 1);
    centralLayout->addWidget(pnlInputs);
    FReaderView = std::make_unique<TMainReaderView>(*this, *sbMain, *pbRetrieval);

    FormCreate(AArguments);
}

TfrmMain::~TfrmMain() {
    FormDestroy();
}

QAction* TfrmMain::MakeAction(const QString& ACaption, const QString& ACategory, const char* AName,
                              void (TfrmMain::*AExecute)()) {
    auto* action = new QAction(ACaption, this);
    action->setObjectName(QString::fromLatin1(AName));
    action->setProperty("category", ACategory);
    connect(action, &QAction::triggered, this,
            [this, AExecute] { RunCommand([this, AExecute] { (this->*AExecute)(); }); });
    aclMain.append(action);
    return action;
}

void TfrmMain::RunCommand(const std::function<void()>& ACommand) {
    try {
        ACommand();
    } catch (const std::exception& e) {
        FDialogs->ShowFailure(FailureText(ShownMessage(std::string(e.what()))));
    }
    // Whatever the command changed, the enabled states follow it before the next input.
    UpdateActions();
}

void TfrmMain::BindButton(QPushButton* AButton, QAction* AAction, bool AKeepCaption) {
    if (!AKeepCaption)
        AButton->setText(AAction->text());
    AButton->setEnabled(AAction->isEnabled());
    connect(AButton, &QPushButton::clicked, AAction, &QAction::trigger);
    connect(AAction, &QAction::changed, AButton, [AButton, AAction, AKeepCaption] {
        AButton->setEnabled(AAction->isEnabled());
        if (!AKeepCaption)
            AButton->setText(AAction->text());
    });
}

void TfrmMain::BindClick(QPushButton* AButton, void (TfrmMain::*AHandler)()) {
    connect(AButton, &QPushButton::clicked, this,
            [this, AHandler] { RunCommand([this, AHandler] { (this->*AHandler)(); }); });
}

void TfrmMain::FormCreate(const QStringList& AArguments) {
    FDrayDataList = std::make_unique<TDrayDataList>();
    FDrayDataList->SetOnNotify(
        [this](TDrayDataList& ASender, TDrayData* AItem, TCollectionNotification AAction) {
            DrayDataListNotify(ASender, AItem, AAction);
        });
    FCharts->SetupCharts(LayoutOptions());
    pgcMain->setCurrentWidget(tbsRouter);
    UpdateActions();
    if (const auto configFile = FindConfigSwitch(AArguments))
        RunCommand([this, &configFile] { LoadConfiguration(*configFile); });
}

void TfrmMain::FormDestroy() {
    // The reader uses the client, the notifier and its set: it goes first.
    AbandonReader();
    if (FWatch)
        FWatch->Abandon();
    FOutsideSet.reset();
    // Every set is still removed with its notification while the controls exist.
    FDrayDataList.reset();
}

void TfrmMain::closeEvent(QCloseEvent* AEvent) {
    FormClose();
    QMainWindow::closeEvent(AEvent);
}

// ---------------------------------------------------------------------------------------
// The list of sets

void TfrmMain::SelectListRow(int ARow) {
    const bool was = FSettingSelection;
    FSettingSelection = true;
    lbxStatistics->setCurrentRow(ARow);
    FSettingSelection = was;
}

void TfrmMain::DrayDataListNotify(TDrayDataList& ASender, TDrayData* AItem,
                                  TCollectionNotification AAction) {
    const bool was = FSettingSelection;
    FSettingSelection = true;
    if (AAction == cnAdded) {
        const QString name = QString::fromStdString(AItem->Name());
        // After the entries that sort equal, so equal names keep the order they came in.
        int row = 0;
        while (row < lbxStatistics->count() &&
               QString::compare(lbxStatistics->item(row)->text(), name, Qt::CaseInsensitive) <= 0)
            ++row;
        auto* entry = new QListWidgetItem(name);
        entry->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(AItem)));
        lbxStatistics->insertItem(row, entry);
        lbxStatistics->setCurrentRow(row);
    } else if (AAction == cnRemoved) {
        // Removing the reference ends the comparison; the caller shows what is left.
        if (AItem == FReference)
            PinReference(nullptr);
        // The entry carrying this very set: names need not be unique.
        int row = -1;
        for (int i = 0; i < lbxStatistics->count(); ++i) {
            if (EntrySet(lbxStatistics->item(i)) == AItem) {
                row = i;
                break;
            }
        }
        if (row >= 0) {
            delete lbxStatistics->takeItem(row);
            if (ASender.Empty()) {
                DisplayTextData(nullptr);
                DisplayChartData(nullptr);
            } else if (lbxStatistics->count() > 0) {
                lbxStatistics->setCurrentRow(row > 0 ? row - 1 : 0);
            }
        }
    }
    FSettingSelection = was;
    UpdateActions();
}

TDrayData* TfrmMain::GetSelectedDrayData() const {
    const QListWidgetItem* current = lbxStatistics->currentItem();
    if (!current || !current->isSelected())
        return nullptr;
    return EntrySet(current);
}

void TfrmMain::lbxStatisticsClick() {
    const TDrayData* selected = GetSelectedDrayData();
    if (!selected)
        return;
    FOutsideSet.reset();
    DisplayTextData(nullptr);
    DisplayChartData(nullptr);
    DisplayTextData(selected);
    UpdateProfileLabel(selected->VDSLProfile());
    DisplayChartData(selected);
}

void TfrmMain::DisplaySummary(const TDrayData* AData) {
    FSummaryView->ShowSet(AData);
}

void TfrmMain::DisplayTextData(const TDrayData* AData) {
    // The set a retrieval still fills has its text, but not yet its bins tables.
    if (AData && AData == FReaderData.get())
        FSummaryView->ShowStatus(*AData);
    else
        FSummaryView->ShowSet(AData);
    if (!AData) {
        memStats->clear();
        return;
    }
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(AData->Stats().size()));
    for (const std::string& line : AData->Stats())
        lines << QString::fromStdString(line);
    // One replacement of the whole text: one redraw.
    memStats->setPlainText(lines.join(QLatin1Char('\n')));
}

QString TfrmMain::GetDefaultFileName() const {
    return DefaultFileName(FClock(), edRouterName->text());
}

void TfrmMain::acnRemoveExecute() {
    TDrayData* selected = GetSelectedDrayData();
    if (!selected)
        return;
    FDrayDataList->Remove(selected);
    lbxStatisticsClick();
}

void TfrmMain::acnRemoveAllExecute() {
    FDrayDataList->Clear();
}

// ---------------------------------------------------------------------------------------
// Enable rules

TActionInputs TfrmMain::ActionInputs() const {
    TActionInputs inputs;
    inputs.ReaderRunning = FReader != nullptr;
    inputs.HasRouter = !edRouter->text().isEmpty();
    inputs.HasPort = !edRouterPort->text().isEmpty();
    inputs.HasUser = !edUser->text().isEmpty();
    inputs.HasRouterName = !edRouterName->text().isEmpty();
    inputs.ListCount = lbxStatistics->count();
    inputs.HasSelection = GetSelectedDrayData() != nullptr;
    return inputs;
}

void TfrmMain::UpdateActions() {
    // Runs during construction and destruction too; the list is the last thing built.
    if (!FDrayDataList)
        return;
    acnRetrieveDataUpdate(acnRetrieveData);
    acnStopRetrievalUpdate(acnStopRetrieval);
    acnLoadDataFromFileUpdate(acnLoadDataFromFile);
    acnLoadStatFromFileUpdate(acnLoadConfiguration);
    acnLoadStatFromFileUpdate(acnSaveConfiguration);
    acnLoadStatFromFileUpdate(acnLoadStatFromFile);
    acnSaveStatToFileUpdate(acnSaveStatToFile);
    acnRemoveUpdate(acnRemove);
    acnRemoveUpdate(acnRemoveAll);
    acnCompareWithSelectedUpdate(acnCompareWithSelected);
    acnStopComparingUpdate(acnStopComparing);
    UpdateHistoryActions();
}

void TfrmMain::acnRetrieveDataUpdate(QAction* ASender) {
    const bool enabled = RetrieveDataEnabled(ActionInputs());
    ASender->setEnabled(enabled);
    lbxStatistics->setEnabled(enabled);
}

void TfrmMain::acnLoadDataFromFileUpdate(QAction* ASender) {
    ASender->setEnabled(IdleEnabled(ActionInputs()));
}

void TfrmMain::acnLoadStatFromFileUpdate(QAction* ASender) {
    ASender->setEnabled(IdleEnabled(ActionInputs()));
}

void TfrmMain::acnSaveStatToFileUpdate(QAction* ASender) {
    ASender->setEnabled(SaveStatEnabled(ActionInputs()));
}

void TfrmMain::acnRemoveUpdate(QAction* ASender) {
    ASender->setEnabled(RemoveEnabled(ActionInputs()));
}

// ---------------------------------------------------------------------------------------
// The charts

TLineChartOptions TfrmMain::ChartOptions() const {
    return FCharts->MenuOptions({chkSNRBug->isChecked()});
}

TLineChartOptions TfrmMain::LayoutOptions() const {
    // A disabled box counts as off when the charts are laid out.
    return FCharts->MenuOptions({chkSNRBug->isEnabled() && chkSNRBug->isChecked()});
}

void TfrmMain::UpdateProfileLabel(TVDSLProfile AProfile) {
    lblProfileName->setText(TLineCharts::ProfileText(AProfile));
}

void TfrmMain::DisplayChartData(const TDrayData* AData) {
    if (AData)
        FCharts->PlotAll(*AData, ChartOptions(), FReference);
    else
        FCharts->Clear();
}

void TfrmMain::PlotHLOG(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor) {
    FCharts->PlotHLOG(AData, AChart, ADSColor, AUSColor);
}

void TfrmMain::PlotQLN(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor) {
    FCharts->PlotQLN(AData, AChart, ADSColor, AUSColor);
}

void TfrmMain::PlotSNR(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor) {
    FCharts->PlotSNR(AData, AChart, ADSColor, AUSColor);
}

void TfrmMain::PlotBitLoading(const TDrayData* AData, TChart* AChart, QColor ADSColor,
                              QColor AUSColor) {
    FCharts->PlotBitLoading(AData, AChart, ADSColor, AUSColor);
}

void TfrmMain::PlotGain(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor) {
    FCharts->PlotGain(AData, AChart, ADSColor, AUSColor);
}

void TfrmMain::PlotBinsSNR(const TDrayData* AData, TChart* AChartDS, TChart* AChartUS,
                           QColor ADSColor, QColor AUSColor) {
    FCharts->PlotBinsSNR(AData, AChartDS, AChartUS, ADSColor, AUSColor, ChartOptions());
}

void TfrmMain::SetupBinSNRChart(TChart* AChart, uint16_t AMaxTones) {
    FCharts->SetupChart(AChart, TChartId::BinSNRUS, AMaxTones, LayoutOptions());
}

} // namespace vexlorin
