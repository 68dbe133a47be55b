// The main window's controls as built: the status bar, the input panel on the right, the
// page "Router", the chart pages (TLineCharts) with their "Show raw data..." buttons, and
// the options of the window's file dialogs.
#include "ui/SummaryView.h"
#include "ui/fmMain.h"

#include "ui/UiResources.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace vexlorin {

namespace {

// The list of sets. A shown set is always the selected one, so no click or key may leave
// the list without a selection while it has entries: Ctrl+click on the selected entry
// (which would toggle it off) keeps it.
class TStatisticsList final : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& AIndex,
                                                         const QEvent* AEvent) const override {
        QItemSelectionModel::SelectionFlags flags = QListWidget::selectionCommand(AIndex, AEvent);
        if (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)) {
            if (!AIndex.isValid() || selectionModel()->isSelected(AIndex))
                return QItemSelectionModel::NoUpdate;
            return QItemSelectionModel::ClearAndSelect;
        }
        if ((flags & QItemSelectionModel::Clear) && !AIndex.isValid())
            return QItemSelectionModel::NoUpdate;
        return flags;
    }
};

} // namespace

namespace {

constexpr int InputPanelWidth = 282;

} // namespace

void TfrmMain::BuildStatusBar() {
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
    pbRetrieval->setFormat(QCoreApplication::translate("vexlorin::TfrmMain", "Step %v of %m"));
    pbRetrieval->hide();
    sbMain->addPermanentWidget(pbRetrieval);
}

QWidget* TfrmMain::BuildInputPanel() {
    auto* pnlInputs = new QWidget(this);
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
    auto newEdit = [&](const char* AName, const QString& AText = {}) {
        auto* edit = new QLineEdit(AText, pnlInputs);
        edit->setObjectName(QString::fromLatin1(AName));
        return edit;
    };

    edRouter = newEdit("edRouter");
    edRouter->setPlaceholderText(
        QCoreApplication::translate("vexlorin::TfrmMain", "Router FQDN or IP address"));
    addField(QCoreApplication::translate("vexlorin::TfrmMain", "Router address:"), edRouter,
             QCoreApplication::translate("vexlorin::TfrmMain", "Router fqnd or IP address"));

    udTelnetPort = new QSpinBox(pnlInputs);
    udTelnetPort->setObjectName(QStringLiteral("udTelnetPort"));
    udTelnetPort->setRange(1, 65535);
    udTelnetPort->setValue(23);
    udTelnetPort->setAlignment(Qt::AlignRight);
    udTelnetPort->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    // The rules read the text of the spin box's own line edit.
    edRouterPort = udTelnetPort->findChild<QLineEdit*>();
    edRouterPort->setObjectName(QStringLiteral("edRouterPort"));
    addField(QCoreApplication::translate("vexlorin::TfrmMain", "Port:"), udTelnetPort,
             QCoreApplication::translate("vexlorin::TfrmMain", "Router telnet port"));

    edUser = newEdit("edUser");
    addField(QCoreApplication::translate("vexlorin::TfrmMain", "User:"), edUser,
             QCoreApplication::translate("vexlorin::TfrmMain", "Router logon user"));

    edPassword = newEdit("edPassword");
    edPassword->setEchoMode(QLineEdit::Password);
    edPassword->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    addField(QCoreApplication::translate("vexlorin::TfrmMain", "Password:"), edPassword,
             QCoreApplication::translate("vexlorin::TfrmMain", "Router logon password"));

    edRouterName = newEdit("edRouterName", QStringLiteral("DrayTek"));
    addField(QCoreApplication::translate("vexlorin::TfrmMain", "Router name:"), edRouterName,
             QCoreApplication::translate("vexlorin::TfrmMain",
                                         "Router name, as displayed in the telnet prompt"));

    layout->addSpacing(6);
    layout->addWidget(
        new QLabel(QCoreApplication::translate("vexlorin::TfrmMain", "Options"), pnlInputs));
    chkShowBins = new QCheckBox(
        QCoreApplication::translate("vexlorin::TfrmMain", "Include \"bins\" data (slower)"),
        pnlInputs);
    chkShowBins->setObjectName(QStringLiteral("chkShowBins"));
    chkShowBins->setToolTip(QCoreApplication::translate(
        "vexlorin::TfrmMain", "When set, output will include vdsl show bins [up] data"));
    layout->addWidget(chkShowBins);
    chkSNRBug = new QCheckBox(
        QCoreApplication::translate("vexlorin::TfrmMain", "SNR data only in first 512 bins"),
        pnlInputs);
    chkSNRBug->setObjectName(QStringLiteral("chkSNRBug"));
    chkSNRBug->setChecked(true);
    chkSNRBug->setToolTip(QCoreApplication::translate(
        "vexlorin::TfrmMain", "When set, show SNR data from the fisrt 512 bins only"));
    auto* indented = new QHBoxLayout;
    indented->addSpacing(16);
    indented->addWidget(chkSNRBug);
    layout->addLayout(indented);

    lblProfileName = new QLabel(
        QCoreApplication::translate("vexlorin::TfrmMain", "VDSL profile: N/A"), pnlInputs);
    lblProfileName->setObjectName(QStringLiteral("lblProfileName"));
    layout->addSpacing(4);
    layout->addWidget(lblProfileName);

    auto newButton = [](QWidget* AParent, const char* AName, const QString& ACaption = {}) {
        auto* button = new QPushButton(ACaption, AParent);
        button->setObjectName(QString::fromLatin1(AName));
        return button;
    };
    // Two buttons side by side, each taking caption and state from its action.
    auto addActionRow = [&](QBoxLayout* ALayout, QWidget* AParent,
                            std::initializer_list<std::pair<const char*, QAction*>> AButtons) {
        auto* row = new QHBoxLayout;
        for (const auto& [name, action] : AButtons) {
            QPushButton* button = newButton(AParent, name);
            BindButton(button, action);
            row->addWidget(button);
        }
        ALayout->addLayout(row);
    };
    addActionRow(
        layout, pnlInputs,
        {{"btnLoadConfiguration", acnLoadConfiguration}, {"btnSaveCfg", acnSaveConfiguration}});
    auto* btnGetData = newButton(pnlInputs, "btnGetData",
                                 QCoreApplication::translate("vexlorin::TfrmMain", "Retrieve"));
    auto* btnLoadDataFromFile = newButton(pnlInputs, "btnLoadDataFromFile");
    auto* btnStop = newButton(pnlInputs, "btnStop"); // beside "Retrieve": ends a retrieval
    btnStop->setToolTip(acnStopRetrieval->toolTip());
    BindButton(btnGetData, acnRetrieveData, true);
    BindButton(btnStop, acnStopRetrieval);
    BindButton(btnLoadDataFromFile, acnLoadDataFromFile);
    {
        // Three buttons in the panel's width: Stop and Retrieve give up the style's
        // minimum button width, "Load data from file..." keeps its whole caption.
        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        // ... unless their caption needs more (another language's words).
        auto captionWidth = [](const QPushButton* AButton) {
            return AButton->fontMetrics().horizontalAdvance(
                       AButton->text().remove(QLatin1Char('&'))) +
                   16;
        };
        btnGetData->setMinimumWidth(std::max(60, captionWidth(btnGetData)));
        btnStop->setFixedWidth(std::max(54, captionWidth(btnStop)));
        row->addWidget(btnGetData, 1);
        row->addWidget(btnStop);
        row->addWidget(btnLoadDataFromFile, 2);
        layout->addLayout(row);
    }
    layout->addWidget(BuildWatchPanel(pnlInputs));

    // The statistics list sits in a frame of its own below the connection settings.
    auto* statsFrame = new QFrame(pnlInputs);
    statsFrame->setFrameShape(QFrame::StyledPanel);
    auto* statsLayout = new QVBoxLayout(statsFrame);
    statsLayout->setContentsMargins(6, 6, 6, 6);
    auto* lblAvaliableStatistics = new QLabel(
        QCoreApplication::translate("vexlorin::TfrmMain", "Available statistics:"), statsFrame);
    lblAvaliableStatistics->setObjectName(QStringLiteral("lblAvaliableStatistics"));
    statsLayout->addWidget(lblAvaliableStatistics);
    lbxStatistics = new TStatisticsList(statsFrame);
    lbxStatistics->setObjectName(QStringLiteral("lbxStatistics"));
    lbxStatistics->setSelectionMode(QAbstractItemView::SingleSelection);
    lbxStatistics->setContextMenuPolicy(Qt::CustomContextMenu);
    lblAvaliableStatistics->setBuddy(lbxStatistics);
    statsLayout->addWidget(lbxStatistics, 1);
    mnuStatListBox = new QMenu(this);
    mnuStatListBox->setObjectName(QStringLiteral("mnuStatListBox"));
    mnuStatListBox->addAction(acnRemove);
    mnuStatListBox->addAction(acnRemoveAll);
    mnuStatListBox->addSeparator();
    mnuStatListBox->addAction(acnCompareWithSelected);
    mnuStatListBox->addAction(acnStopComparing);
    mnuStatListBox->addAction(FCharts->ShowDifferenceAction());
    connect(lbxStatistics, &QWidget::customContextMenuRequested, this, [this](const QPoint& APos) {
        mnuStatListBox->popup(lbxStatistics->viewport()->mapToGlobal(APos));
    });
    // The selection, not the current row: a click makes the row current before it selects.
    connect(lbxStatistics, &QListWidget::itemSelectionChanged, this, [this] {
        if (FSettingSelection)
            return;
        RunCommand([this] { lbxStatisticsClick(); });
    });
    addActionRow(statsLayout, statsFrame, {{"btnAddToList", acnAddToList}});
    addActionRow(statsLayout, statsFrame,
                 {{"btnLoadStatisticsFromFile", acnLoadStatFromFile},
                  {"btnSaveStatsToFile", acnSaveStatToFile}});
    layout->addSpacing(6);
    layout->addWidget(statsFrame, 1);

    // The panel keeps the width it was laid out for unless the captions of the language in
    // use need more.
    pnlInputs->setFixedWidth(std::max(InputPanelWidth, layout->minimumSize().width()));

    // The rules read these fields; nothing else reacts to their edits.
    for (QLineEdit* edit : {edRouter, edRouterPort, edUser, edRouterName})
        connect(edit, &QLineEdit::textChanged, this, [this] { UpdateActions(); });
    return pnlInputs;
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
    // The legend on the left, "About..." on the right.
    const TBottomPanel routerBottom = NewBottomPanel(tbsRouter);
    auto* bfnStatsLegend = new QPushButton(routerBottom.Panel);
    bfnStatsLegend->setObjectName(QStringLiteral("bfnStatsLegend"));
    BindButton(bfnStatsLegend, acnShowLegend);
    auto* btnAbout = new QPushButton(QCoreApplication::translate("vexlorin::TfrmMain", "About..."),
                                     routerBottom.Panel);
    btnAbout->setObjectName(QStringLiteral("btnAbout"));
    BindClick(btnAbout, &TfrmMain::btnAboutClick);
    routerBottom.Row->addWidget(bfnStatsLegend);
    routerBottom.Row->addStretch(1);
    routerBottom.Row->addWidget(btnAbout);
    routerLayout->addWidget(routerBottom.Panel);
    pgcMain->addTab(tbsRouter, QCoreApplication::translate("vexlorin::TfrmMain", "Router"));
    FSummaryView = new TSummaryView(pgcMain);
    pgcMain->addTab(FSummaryView, QCoreApplication::translate("vexlorin::TfrmMain", "Summary"));

    // The chart pages follow "Router".
    FCharts = std::make_unique<TLineCharts>(*pgcMain, *FDialogs);
    aclMain << FCharts->Actions();
    connect(FCharts.get(), &TLineCharts::RedrawRequested, this,
            [this] { RunCommand([this] { RedrawCharts(); }); });
    connect(FCharts.get(), &TLineCharts::RawDataRequested, this, [this](TChartPage APage) {
        // A switch rather than a table of member pointers, which GCC's sanitizer builds
        // warn about as possibly uninitialised.
        RunCommand([this, APage] {
            switch (APage) {
            case TChartPage::HLog:
                btnHLogShowRawClick();
                break;
            case TChartPage::QLN:
                btnQLNShowRawDataClick();
                break;
            case TChartPage::SNR:
                btnSNRShowRawDataClick();
                break;
            case TChartPage::Bins:
                btnBinShowRawDataClick();
                break;
            }
        });
    });
}

void TfrmMain::BuildDialogOptions() {
    dlgSave.Title = QCoreApplication::translate("vexlorin::TfrmMain", "Save configuration file");
    dlgSave.Filters = {{QCoreApplication::translate("vexlorin::TfrmMain", "Configuration file"),
                        QStringLiteral("*.conf")}};
    dlgSave.DefaultExt = QStringLiteral("conf");
    dlgSave.OverwritePrompt = true;
    dlgOpen.Filters = {
        {QCoreApplication::translate("vexlorin::TfrmMain", "Configuration file (*.conf)"),
         QStringLiteral("*.conf")}};
    dlgOpen.DefaultExt = QStringLiteral("conf");
    dlgSaveStatistcs.Title =
        QCoreApplication::translate("vexlorin::TfrmMain", "Save statistics to file");
    dlgSaveStatistcs.Filters = {
        {QCoreApplication::translate("vexlorin::TfrmMain", "DrayData file (*.draydata)"),
         QStringLiteral("*.draydata")},
        {QCoreApplication::translate("vexlorin::TfrmMain", "All files (*.*)"),
         QStringLiteral("*.*")}};
    dlgSaveStatistcs.DefaultExt = QStringLiteral("draydata");
    dlgSaveStatistcs.OverwritePrompt = true;
    dlgLoadStatFromFile.Title =
        QCoreApplication::translate("vexlorin::TfrmMain", "Open statistics file");
    dlgLoadStatFromFile.Filters = {
        {QCoreApplication::translate("vexlorin::TfrmMain", "DrayData file (*.draydata)"),
         QStringLiteral("*.draydata")},
        {QCoreApplication::translate("vexlorin::TfrmMain", "All files (*)"), QStringLiteral("*")}};
    dlgLoadStatFromFile.DefaultExt = QStringLiteral("draydata");
}

} // namespace vexlorin
