#include "ui/fmMain.h"

#include "model/DefaultName.h"
#include "reader/TelnetClient.h"
#include "ui/CommandLine.h"
#include "ui/QtNotifier.h"
#include "ui/SummaryView.h"
#include "ui/UiResources.h"
#include "ui/fmMainRetrieval.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <ctime>
#include <exception>

namespace vexlorin {

namespace {

constexpr int InputPanelWidth = 282;
constexpr int BottomPanelHeight = 41;

TDrayData* EntrySet(const QListWidgetItem* AItem) {
    return AItem ? reinterpret_cast<TDrayData*>(AItem->data(Qt::UserRole).value<quintptr>())
                 : nullptr;
}

// A bottom strip of the given height holding one button on the right or left.
QWidget* BottomPanel(QWidget* AParent) {
    auto* panel = new QWidget(AParent);
    panel->setFixedHeight(BottomPanelHeight);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 4, 4, 4);
    return panel;
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

    acnRetrieveData = MakeAction(QStringLiteral("Retrieve data"), QStringLiteral("Configuration"),
                                 &TfrmMain::acnRetrieveDataExecute);
    acnStopRetrieval = MakeAction(QStringLiteral("Stop"), QStringLiteral("Configuration"),
                                  &TfrmMain::acnStopRetrievalExecute);
    acnStopRetrieval->setToolTip(QStringLiteral("Stop the running retrieval"));
    acnLoadDataFromFile =
        MakeAction(QStringLiteral("Load data from file..."), QStringLiteral("Configuration"),
                   &TfrmMain::acnLoadDataFromFileExecute);
    acnLoadConfiguration =
        MakeAction(QStringLiteral("Load configuration..."), QStringLiteral("Configuration"),
                   &TfrmMain::btnLoadConfigurationClick);
    acnSaveConfiguration = MakeAction(QStringLiteral("Save configuration..."),
                                      QStringLiteral("Configuration"), &TfrmMain::btnSaveCfgClick);
    acnLoadStatFromFile =
        MakeAction(QStringLiteral("Load statistics..."), QStringLiteral("Statistics"),
                   &TfrmMain::acnLoadStatFromFileExecute);
    acnSaveStatToFile =
        MakeAction(QStringLiteral("Save statistics..."), QStringLiteral("Statistics"),
                   &TfrmMain::acnSaveStatToFileExecute);
    acnRemove = MakeAction(QStringLiteral("Remove"), QStringLiteral("Statistics"),
                           &TfrmMain::acnRemoveExecute);
    acnRemoveAll = MakeAction(QStringLiteral("Remove all"), QStringLiteral("Statistics"),
                              &TfrmMain::acnRemoveAllExecute);
    acnShowLegend = MakeAction(QStringLiteral("Legend..."), QStringLiteral("Statistics"),
                               &TfrmMain::acnShowLegendExecute);
    acnChartCopy = MakeAction(QStringLiteral("Copy"), QStringLiteral("Charts"),
                              &TfrmMain::acnChartCopyExecute);
    acnChartSaveImage = MakeAction(QStringLiteral("Save as image..."), QStringLiteral("Charts"),
                                   &TfrmMain::acnChartSaveImageExecute);
    // Disabled until the first update, which runs before the window can be used.
    acnRetrieveData->setEnabled(false);
    acnStopRetrieval->setEnabled(false);

    telnet = std::make_unique<TTelnetClient>();
    FNotifier = new TQtNotifier(this);
    FNotifier->SetOnError([this](const QString& AMessage) {
        FDialogs->ShowFailure(FailureText(AMessage));
        UpdateActions();
    });
    FReaderView = std::make_unique<TMainReaderView>(*this);

    dlgSave.Title = QStringLiteral("Save configuration file");
    dlgSave.Filters = {{QStringLiteral("Configuration file"), QStringLiteral("*.conf")}};
    dlgSave.DefaultExt = QStringLiteral("conf");
    dlgSave.OverwritePrompt = true;
    dlgOpen.Filters = {{QStringLiteral("Configuration file (*.conf)"), QStringLiteral("*.conf")}};
    dlgOpen.DefaultExt = QStringLiteral("conf");
    dlgSaveStatistcs.Title = QStringLiteral("Save statistics to file");
    dlgSaveStatistcs.Filters = {
        {QStringLiteral("DrayData file (*.draydata)"), QStringLiteral("*.draydata")},
        {QStringLiteral("All files (*.*)"), QStringLiteral("*.*")}};
    dlgSaveStatistcs.DefaultExt = QStringLiteral("draydata");
    dlgSaveStatistcs.OverwritePrompt = true;
    dlgLoadStatFromFile.Title = QStringLiteral("Open statistics file");
    dlgLoadStatFromFile.Filters = {
        {QStringLiteral("DrayData file (*.draydata)"), QStringLiteral("*.draydata")},
        {QStringLiteral("All files (*)"), QStringLiteral("*")}};
    dlgLoadStatFromFile.DefaultExt = QStringLiteral("draydata");
    dlgSaveChartImage.Title = QStringLiteral("Save chart as image");
    dlgSaveChartImage.Filters = {{QStringLiteral("PNG image (*.png)"), QStringLiteral("*.png")},
                                 {QStringLiteral("SVG image (*.svg)"), QStringLiteral("*.svg")}};
    dlgSaveChartImage.DefaultExt = QStringLiteral("png");
    dlgSaveChartImage.OverwritePrompt = true;

    sbMain = new QStatusBar(this);
    sbMain->setObjectName(QStringLiteral("sbMain"));
    sbMain->setSizeGripEnabled(true);
    setStatusBar(sbMain);
    lblSimulated = new QLabel(sbMain);
    lblSimulated->setObjectName(QStringLiteral("lblSimulated"));
    lblSimulated->hide();
    sbMain->addPermanentWidget(lblSimulated);
    pbRetrieval = new QProgressBar(sbMain);
    pbRetrieval->setObjectName(QStringLiteral("pbRetrieval"));
    pbRetrieval->setFixedWidth(180);
    pbRetrieval->setTextVisible(true);
    pbRetrieval->setFormat(QStringLiteral("Step %v of %m"));
    pbRetrieval->hide();
    sbMain->addPermanentWidget(pbRetrieval);

    auto* central = new QWidget(this);
    auto* centralLayout = new QHBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);
    setCentralWidget(central);
    BuildPages();
    BuildInputPanel();
    centralLayout->addWidget(pgcMain, 1);
    centralLayout->addWidget(pnlInputs);

    FormCreate(AArguments);
}

TfrmMain::~TfrmMain() {
    FormDestroy();
}

QAction* TfrmMain::MakeAction(const QString& ACaption, const QString& ACategory,
                              void (TfrmMain::*AExecute)()) {
    auto* action = new QAction(ACaption, this);
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
        FDialogs->ShowFailure(FailureText(QString::fromUtf8(e.what())));
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

void TfrmMain::BuildInputPanel() {
    pnlInputs = new QWidget(this);
    pnlInputs->setObjectName(QStringLiteral("pnlInputs"));
    pnlInputs->setFixedWidth(InputPanelWidth);
    auto* layout = new QVBoxLayout(pnlInputs);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(3);

    auto addField = [&](const QString& ALabel, QWidget* AField, const QString& AHint) {
        auto* label = new QLabel(ALabel, pnlInputs);
        label->setBuddy(AField);
        AField->setToolTip(AHint);
        layout->addWidget(label);
        layout->addWidget(AField);
    };

    edRouter = new QLineEdit(pnlInputs);
    edRouter->setObjectName(QStringLiteral("edRouter"));
    edRouter->setPlaceholderText(QStringLiteral("Router FQDN or IP address"));
    addField(QStringLiteral("Router address:"), edRouter,
             QStringLiteral("Router fqnd or IP address"));

    udTelnetPort = new TPortSpinBox(pnlInputs);
    udTelnetPort->setObjectName(QStringLiteral("udTelnetPort"));
    udTelnetPort->setRange(1, 65535);
    udTelnetPort->setValue(23);
    udTelnetPort->setAlignment(Qt::AlignRight);
    udTelnetPort->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    edRouterPort = udTelnetPort->lineEdit();
    edRouterPort->setObjectName(QStringLiteral("edRouterPort"));
    addField(QStringLiteral("Port:"), udTelnetPort, QStringLiteral("Router telnet port"));

    edUser = new QLineEdit(pnlInputs);
    edUser->setObjectName(QStringLiteral("edUser"));
    addField(QStringLiteral("User:"), edUser, QStringLiteral("Router logon user"));

    edPassword = new QLineEdit(pnlInputs);
    edPassword->setObjectName(QStringLiteral("edPassword"));
    edPassword->setEchoMode(QLineEdit::Password);
    edPassword->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    addField(QStringLiteral("Password:"), edPassword, QStringLiteral("Router logon password"));

    edRouterName = new QLineEdit(QStringLiteral("DrayTek"), pnlInputs);
    edRouterName->setObjectName(QStringLiteral("edRouterName"));
    addField(QStringLiteral("Router name:"), edRouterName,
             QStringLiteral("Router name, as displayed in the telnet prompt"));

    layout->addSpacing(6);
    layout->addWidget(new QLabel(QStringLiteral("Options"), pnlInputs));
    chkShowBins = new QCheckBox(QStringLiteral("Include \"bins\" data (slower)"), pnlInputs);
    chkShowBins->setObjectName(QStringLiteral("chkShowBins"));
    chkShowBins->setToolTip(
        QStringLiteral("When set, output will include vdsl show bins [up] data"));
    layout->addWidget(chkShowBins);
    chkSNRBug = new QCheckBox(QStringLiteral("SNR data only in first 512 bins"), pnlInputs);
    chkSNRBug->setObjectName(QStringLiteral("chkSNRBug"));
    chkSNRBug->setChecked(true);
    chkSNRBug->setToolTip(QStringLiteral("When set, show SNR data from the fisrt 512 bins only"));
    auto* indented = new QHBoxLayout;
    indented->addSpacing(16);
    indented->addWidget(chkSNRBug);
    layout->addLayout(indented);

    lblProfileName = new QLabel(QStringLiteral("VDSL profile: N/A"), pnlInputs);
    lblProfileName->setObjectName(QStringLiteral("lblProfileName"));
    layout->addSpacing(4);
    layout->addWidget(lblProfileName);

    auto addButtonRow = [&](QPushButton* ALeft, QPushButton* ARight) {
        auto* row = new QHBoxLayout;
        row->addWidget(ALeft);
        row->addWidget(ARight);
        layout->addLayout(row);
    };
    btnLoadConfiguration = new QPushButton(pnlInputs);
    btnLoadConfiguration->setObjectName(QStringLiteral("btnLoadConfiguration"));
    btnSaveCfg = new QPushButton(pnlInputs);
    btnSaveCfg->setObjectName(QStringLiteral("btnSaveCfg"));
    BindButton(btnLoadConfiguration, acnLoadConfiguration);
    BindButton(btnSaveCfg, acnSaveConfiguration);
    addButtonRow(btnLoadConfiguration, btnSaveCfg);
    btnGetData = new QPushButton(QStringLiteral("Retrieve"), pnlInputs);
    btnGetData->setObjectName(QStringLiteral("btnGetData"));
    btnLoadDataFromFile = new QPushButton(pnlInputs);
    btnLoadDataFromFile->setObjectName(QStringLiteral("btnLoadDataFromFile"));
    btnStop = new QPushButton(pnlInputs);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnStop->setToolTip(acnStopRetrieval->toolTip());
    BindButton(btnGetData, acnRetrieveData, true);
    BindButton(btnStop, acnStopRetrieval);
    BindButton(btnLoadDataFromFile, acnLoadDataFromFile);
    {
        // Three buttons in the panel's width: Stop and Retrieve give up the style's
        // minimum button width, "Load data from file..." keeps its whole caption.
        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        btnGetData->setMinimumWidth(60);
        btnStop->setFixedWidth(54);
        row->addWidget(btnGetData, 1);
        row->addWidget(btnStop);
        row->addWidget(btnLoadDataFromFile, 2);
        layout->addLayout(row);
    }

    // The statistics list sits in a frame of its own below the connection settings.
    auto* statsFrame = new QFrame(pnlInputs);
    statsFrame->setFrameShape(QFrame::StyledPanel);
    auto* statsLayout = new QVBoxLayout(statsFrame);
    statsLayout->setContentsMargins(6, 6, 6, 6);
    lblAvaliableStatistics = new QLabel(QStringLiteral("Available statistics:"), statsFrame);
    lblAvaliableStatistics->setObjectName(QStringLiteral("lblAvaliableStatistics"));
    statsLayout->addWidget(lblAvaliableStatistics);
    lbxStatistics = new QListWidget(statsFrame);
    lbxStatistics->setObjectName(QStringLiteral("lbxStatistics"));
    lbxStatistics->setSelectionMode(QAbstractItemView::SingleSelection);
    lbxStatistics->setContextMenuPolicy(Qt::CustomContextMenu);
    lblAvaliableStatistics->setBuddy(lbxStatistics);
    statsLayout->addWidget(lbxStatistics, 1);
    mnuStatListBox = new QMenu(this);
    mnuStatListBox->setObjectName(QStringLiteral("mnuStatListBox"));
    mnuStatListBox->addAction(acnRemove);
    mnuStatListBox->addAction(acnRemoveAll);
    connect(lbxStatistics, &QWidget::customContextMenuRequested, this, [this](const QPoint& APos) {
        mnuStatListBox->popup(lbxStatistics->viewport()->mapToGlobal(APos));
    });
    // The selection, not the current row: a click makes the row current before it selects.
    connect(lbxStatistics, &QListWidget::itemSelectionChanged, this, [this] {
        if (FSettingSelection)
            return;
        RunCommand([this] { lbxStatisticsClick(); });
    });
    btnLoadStatisticsFromFile = new QPushButton(statsFrame);
    btnLoadStatisticsFromFile->setObjectName(QStringLiteral("btnLoadStatisticsFromFile"));
    btnSaveStatsToFile = new QPushButton(statsFrame);
    btnSaveStatsToFile->setObjectName(QStringLiteral("btnSaveStatsToFile"));
    BindButton(btnLoadStatisticsFromFile, acnLoadStatFromFile);
    BindButton(btnSaveStatsToFile, acnSaveStatToFile);
    auto* statsButtons = new QHBoxLayout;
    statsButtons->addWidget(btnLoadStatisticsFromFile);
    statsButtons->addWidget(btnSaveStatsToFile);
    statsLayout->addLayout(statsButtons);
    layout->addSpacing(6);
    layout->addWidget(statsFrame, 1);

    // The rules read these fields; nothing else reacts to their edits.
    for (QLineEdit* edit : {edRouter, edRouterPort, edUser, edRouterName})
        connect(edit, &QLineEdit::textChanged, this, [this] { UpdateActions(); });
}

TChart* TfrmMain::MakeChart(QWidget* AParent, const QString& AName) {
    auto* chart = new TChart(AParent);
    chart->setObjectName(AName);
    connect(chart, &TChart::PopupRequested, this,
            [this, chart](const QPoint& APos) { PopupChartMenu(chart, APos); });
    return chart;
}

void TfrmMain::BuildPages() {
    pgcMain = new QTabWidget(this);
    pgcMain->setObjectName(QStringLiteral("pgcMain"));

    tbsRouter = new QWidget(pgcMain);
    tbsRouter->setObjectName(QStringLiteral("tbsRouter"));
    auto* routerLayout = new QVBoxLayout(tbsRouter);
    routerLayout->setContentsMargins(0, 0, 0, 0);
    memStats = new QPlainTextEdit(tbsRouter);
    memStats->setObjectName(QStringLiteral("memStats"));
    memStats->setReadOnly(true);
    memStats->setFont(FixedPitchFont(15));
    memStats->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memStats->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    routerLayout->addWidget(memStats, 1);
    QWidget* routerBottom = BottomPanel(tbsRouter);
    bfnStatsLegend = new QPushButton(routerBottom);
    bfnStatsLegend->setObjectName(QStringLiteral("bfnStatsLegend"));
    BindButton(bfnStatsLegend, acnShowLegend);
    btnAbout = new QPushButton(QStringLiteral("About..."), routerBottom);
    btnAbout->setObjectName(QStringLiteral("btnAbout"));
    BindClick(btnAbout, &TfrmMain::btnAboutClick);
    routerBottom->layout()->addWidget(bfnStatsLegend);
    static_cast<QHBoxLayout*>(routerBottom->layout())->addStretch(1);
    routerBottom->layout()->addWidget(btnAbout);
    routerLayout->addWidget(routerBottom);
    pgcMain->addTab(tbsRouter, QStringLiteral("Router"));
    FSummaryView = new TSummaryView(pgcMain);
    pgcMain->addTab(FSummaryView, QStringLiteral("Summary"));

    // A chart page: the chart above a bottom strip with its "Show raw data..." button.
    auto chartPage = [&](const QString& AName, QWidget*& APage, QPushButton*& AButton,
                         const QString& AButtonName, void (TfrmMain::*AClick)()) {
        APage = new QWidget(pgcMain);
        auto* pageLayout = new QVBoxLayout(APage);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        pageLayout->setSpacing(0);
        QWidget* bottom = BottomPanel(APage);
        AButton = new QPushButton(QStringLiteral("Show raw data..."), bottom);
        AButton->setObjectName(AButtonName);
        BindClick(AButton, AClick);
        bottom->layout()->addWidget(AButton);
        static_cast<QHBoxLayout*>(bottom->layout())->addStretch(1);
        pgcMain->addTab(APage, AName);
        return std::pair{pageLayout, bottom};
    };

    auto [hlogLayout, hlogBottom] =
        chartPage(QStringLiteral("HLog"), tbsHLog, btnHLogShowRaw, QStringLiteral("btnHLogShowRaw"),
                  &TfrmMain::btnHLogShowRawClick);
    chartHLog = MakeChart(tbsHLog, QStringLiteral("chartHLog"));
    // HLog keeps the left button free unless Ctrl is held; scrolling is on the middle one.
    chartHLog->SetZoomModifiers(Qt::ControlModifier);
    chartHLog->SetScrollButton(Qt::MiddleButton);
    hlogLayout->addWidget(chartHLog, 1);
    hlogLayout->addWidget(hlogBottom);

    auto [qlnLayout, qlnBottom] =
        chartPage(QStringLiteral("QLN"), tbsQLN, btnQLNShowRawData,
                  QStringLiteral("btnQLNShowRawData"), &TfrmMain::btnQLNShowRawDataClick);
    chartQLN = MakeChart(tbsQLN, QStringLiteral("chartQLN"));
    qlnLayout->addWidget(chartQLN, 1);
    qlnLayout->addWidget(qlnBottom);

    auto [snrLayout, snrBottom] =
        chartPage(QStringLiteral("SNR"), tbsSNR, btnSNRShowRawData,
                  QStringLiteral("btnSNRShowRawData"), &TfrmMain::btnSNRShowRawDataClick);
    chartSNR = MakeChart(tbsSNR, QStringLiteral("chartSNR"));
    snrLayout->addWidget(chartSNR, 1);
    snrLayout->addWidget(snrBottom);

    auto [binsLayout, binsBottom] =
        chartPage(QStringLiteral("Bins"), tbsBins, btnBinShowRawData,
                  QStringLiteral("btnBinShowRawData"), &TfrmMain::btnBinShowRawDataClick);
    pgcBins = new QTabWidget(tbsBins);
    pgcBins->setObjectName(QStringLiteral("pgcBins"));
    pgcBins->setDocumentMode(true);
    tbsBitloading = new QWidget(pgcBins);
    tbsGain = new QWidget(pgcBins);
    tbsBinSNR = new QWidget(pgcBins);
    for (QWidget* page : {tbsBitloading, tbsGain}) {
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(0, 0, 0, 0);
    }
    chartBitLoading = MakeChart(tbsBitloading, QStringLiteral("chartBitLoading"));
    tbsBitloading->layout()->addWidget(chartBitLoading);
    chartGain = MakeChart(tbsGain, QStringLiteral("chartGain"));
    tbsGain->layout()->addWidget(chartGain);
    // One column, two rows of equal height.
    auto* grid = new QGridLayout(tbsBinSNR);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    chartBinSNRUS = MakeChart(tbsBinSNR, QStringLiteral("chartBinSNRUS"));
    chartBinSNRDS = MakeChart(tbsBinSNR, QStringLiteral("chartBinSNRDS"));
    grid->addWidget(chartBinSNRUS, 0, 0);
    grid->addWidget(chartBinSNRDS, 1, 0);
    grid->setRowStretch(0, 1);
    grid->setRowStretch(1, 1);
    pgcBins->addTab(tbsBitloading, QStringLiteral("Bitloading"));
    pgcBins->addTab(tbsGain, QStringLiteral("Gain"));
    pgcBins->addTab(tbsBinSNR, QStringLiteral("SNR"));
    binsLayout->addWidget(pgcBins, 1);
    binsLayout->addWidget(binsBottom);

    mnuCharts = new QMenu(this);
    mnuCharts->setObjectName(QStringLiteral("mnuCharts"));
    mnuCharts->addAction(acnChartCopy);
    mnuCharts->addAction(acnChartSaveImage);
    // The chart is forgotten once the menu's command has run; queued, because Qt hides the
    // menu before it triggers the chosen item.
    connect(
        mnuCharts, &QMenu::aboutToHide, this, [this] { FPopupChart = nullptr; },
        Qt::QueuedConnection);
}

QList<TChart*> TfrmMain::Charts() const {
    return {chartHLog, chartQLN,      chartSNR,     chartBitLoading,
            chartGain, chartBinSNRUS, chartBinSNRDS};
}

void TfrmMain::FormCreate(const QStringList& AArguments) {
    FDrayDataList = std::make_unique<TDrayDataList>();
    FDrayDataList->SetOnNotify(
        [this](TDrayDataList& ASender, TDrayData* AItem, TCollectionNotification AAction) {
            DrayDataListNotify(ASender, AItem, AAction);
        });
    SetupCharts();
    pgcMain->setCurrentWidget(tbsRouter);
    UpdateActions();
    if (const auto configFile = FindConfigSwitch(AArguments))
        RunCommand([this, &configFile] { LoadConfiguration(*configFile); });
}

void TfrmMain::FormDestroy() {
    // The reader uses the client, the notifier and its set: it goes first.
    AbandonReader();
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
    DisplayTextData(nullptr);
    DisplayChartData(nullptr);
    DisplayTextData(selected);
    UpdateProfileLabel(selected->VDSLProfile());
    DisplayChartData(selected);
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

} // namespace vexlorin
