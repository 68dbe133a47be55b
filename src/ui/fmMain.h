// The main window: connection fields, the list of statistics sets, the text view, the
// seven charts and every command of the program as an action.
//
// Controls are public fields, like a form designer's published controls, so the commands
// kept in other files and the tests reach them by name.
#pragma once

#include "model/uDrayData.h"
#include "reader/uDrayTelnetReader.h"
#include "ui/ActionRules.h"
#include "ui/Chart.h"
#include "ui/DrayDataList.h"
#include "ui/UserDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QColor>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

namespace vexlorin {

class TMainReaderView;
class TQtNotifier;
class TSummaryView;
class TTelnetClient;

enum TDrayStatus { dsReady, dsReadingData };

// The port field: the spin box's own line edit is the edit the rules read.
class TPortSpinBox : public QSpinBox {
    Q_OBJECT
public:
    using QSpinBox::lineEdit;
    using QSpinBox::QSpinBox;
};

// Colours of the two directions on every chart.
inline const QColor DSColor = QColor(0, 0, 255);
inline const QColor USColor = QColor(0, 128, 0);

// "%.2d%.2d%.2d-%.2d%.2d%.2d-%s.draydata" of the date, time and router name.
QString DefaultFileName(const QDateTime& ANow, const QString& ARouterName);

class TfrmMain : public QMainWindow {
    Q_OBJECT
    friend class TMainReaderView;

public:
    // AArguments: the command line without the program name. ADialogs: the boxes and
    // file dialogs (the real ones when null).
    explicit TfrmMain(const QStringList& AArguments = {},
                      std::unique_ptr<IUserDialogs> ADialogs = nullptr, QWidget* AParent = nullptr);
    ~TfrmMain() override;

    // --- the list of sets, the text view ------------------------------------------------
    // Add a set by FDrayDataList.Add(std::move(set)): the list box gets its entry at the
    // sorted place and selects it; the caller refreshes the views.
    TDrayDataList& DrayDataList() { return *FDrayDataList; }
    void DisplayTextData(const TDrayData* AData);
    TDrayData* GetSelectedDrayData() const;
    QString GetDefaultFileName() const;
    // Shows the selected set (text, profile label, charts); nothing when none is selected.
    void lbxStatisticsClick();
    // Recomputes every action's enabled state; runs after each change that matters.
    void UpdateActions();
    IUserDialogs& Dialogs() { return *FDialogs; }
    // The clock behind GetDefaultFileName (tests pin it).
    void SetClock(std::function<QDateTime()> AClock) { FClock = std::move(AClock); }

    // --- retrieval (fmMainRetrieval.cpp) ------------------------------------------------
    // A retrieval is running (from StartRetrieval to ReaderTerminated).
    bool Reading() const { return FReader != nullptr; }
    TDrayStatus Status() const { return FStatus; }
    // The waits of every reader started from now on (tests shorten them).
    void SetReaderTimeouts(const TReaderTimeouts& ATimeouts) { FReaderTimeouts = ATimeouts; }
    // The demo: fills the connection fields for the simulated router console at
    // AHost:APort and says in the title and the status bar that it is simulated.
    void UseSimulatedRouter(const QString& AHost, uint16_t APort, const QString& AUser,
                            const QString& APassword, const QString& ARouterName);

    // --- configuration and statistics files (fmMainFiles.cpp) ----------------------------
    void LoadConfiguration(const QString& AFileName);
    void SaveConfiguration(const QString& AFileName);

    // --- chart routines (fmMainCharts.cpp) ----------------------------------------------
    void SetupCharts();
    void ClearCharts(std::initializer_list<TChart*> ACharts);
    void SetupHLogChart(TChart* AChart, uint16_t AMaxTones);
    void SetupQLNChart(TChart* AChart, uint16_t AMaxTones);
    void SetupSNRChart(TChart* AChart, uint16_t AMaxTones);
    void SetupBitLoadingChart(TChart* AChart, uint16_t AMaxTones);
    void SetupGainChart(TChart* AChart, uint16_t AMaxTones);
    void SetupBinSNRChart(TChart* AChart, uint16_t AMaxTones);
    void SetToneAxis(TChart* AChart, TVDSLProfile AProfile);
    void UpdateProfileLabel(TVDSLProfile AProfile);
    // A null chart means the routine's own chart. The sets must not be null.
    void PlotHLOG(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotQLN(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotSNR(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotBitLoading(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotGain(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotBinsSNR(const TDrayData* AData, TChart* AChartDS, TChart* AChartUS, QColor ADSColor,
                     QColor AUSColor);
    // Draws the set on all seven charts, or empties them all for null.
    void DisplayChartData(const TDrayData* AData);
    // Opens the charts' popup menu for AChart; its commands act on that chart.
    void PopupChartMenu(TChart* AChart, const QPoint& AGlobalPos);
    TChart* PopupChart() const { return FPopupChart; }
    // All seven, in the order of the pages.
    QList<TChart*> Charts() const;

    // --- controls -----------------------------------------------------------------------
    QStatusBar* sbMain;
    QWidget* pnlInputs;
    QLineEdit* edRouter;
    TPortSpinBox* udTelnetPort;
    QLineEdit* edRouterPort; // the line edit inside udTelnetPort
    QLineEdit* edUser;
    QLineEdit* edPassword;
    QLineEdit* edRouterName;
    QCheckBox* chkShowBins;
    QCheckBox* chkSNRBug;
    QLabel* lblProfileName;
    QPushButton* btnLoadConfiguration;
    QPushButton* btnSaveCfg;
    QPushButton* btnGetData;
    QPushButton* btnStop; // beside "Retrieve": ends a running retrieval
    QPushButton* btnLoadDataFromFile;
    QLabel* lblAvaliableStatistics;
    QListWidget* lbxStatistics;
    QMenu* mnuStatListBox;
    QPushButton* btnLoadStatisticsFromFile;
    QPushButton* btnSaveStatsToFile;

    QTabWidget* pgcMain;
    QWidget* tbsRouter;
    QWidget* tbsHLog;
    QWidget* tbsQLN;
    QWidget* tbsSNR;
    QWidget* tbsBins;
    QPlainTextEdit* memStats;
    QPushButton* bfnStatsLegend;
    QPushButton* btnAbout;
    QPushButton* btnHLogShowRaw;
    QPushButton* btnQLNShowRawData;
    QPushButton* btnSNRShowRawData;
    QTabWidget* pgcBins;
    QWidget* tbsBitloading;
    QWidget* tbsGain;
    QWidget* tbsBinSNR;
    QPushButton* btnBinShowRawData;

    TChart* chartHLog;
    TChart* chartQLN;
    TChart* chartSNR;
    TChart* chartBitLoading;
    TChart* chartGain;
    TChart* chartBinSNRUS;
    TChart* chartBinSNRDS;
    QMenu* mnuCharts;
    QProgressBar* pbRetrieval; // in the status bar while a retrieval runs
    QLabel* lblSimulated;      // in the status bar for the demo router

    // --- actions (aclMain); the category is the property "category" ------------------------
    QAction* acnRetrieveData;
    QAction* acnStopRetrieval;
    QAction* acnLoadDataFromFile;
    QAction* acnLoadConfiguration;
    QAction* acnSaveConfiguration;
    QAction* acnLoadStatFromFile;
    QAction* acnSaveStatToFile;
    QAction* acnRemove;
    QAction* acnRemoveAll;
    QAction* acnShowLegend;
    QAction* acnChartCopy;
    QAction* acnChartSaveImage;
    QList<QAction*> aclMain;

    // --- file dialogs -------------------------------------------------------------------
    TFileDialogOptions dlgOpen;             // configuration file
    TFileDialogOptions dlgSave;             // configuration file
    TFileDialogOptions dlgLoadStatFromFile; // statistics file
    TFileDialogOptions dlgSaveStatistcs;    // statistics file
    TFileDialogOptions dlgSaveChartImage;   // a chart as PNG or SVG

protected:
    void closeEvent(QCloseEvent* AEvent) override;

private:
    void FormCreate(const QStringList& AArguments);
    void FormDestroy();
    void BuildInputPanel();
    void BuildPages();
    QAction* MakeAction(const QString& ACaption, const QString& ACategory,
                        void (TfrmMain::*AExecute)());
    // Runs a command; a failure ends it and is shown in the failure box.
    void RunCommand(const std::function<void()>& ACommand);
    void BindButton(QPushButton* AButton, QAction* AAction, bool AKeepCaption = false);
    void BindClick(QPushButton* AButton, void (TfrmMain::*AHandler)());
    TActionInputs ActionInputs() const;

    void DrayDataListNotify(TDrayDataList& ASender, TDrayData* AItem,
                            TCollectionNotification AAction);
    // Program changes of the list box's selection do not count as the user's.
    void SelectListRow(int ARow);

    // Update handlers of the action table.
    void acnRetrieveDataUpdate(QAction* ASender);
    void acnLoadDataFromFileUpdate(QAction* ASender);
    void acnLoadStatFromFileUpdate(QAction* ASender);
    void acnSaveStatToFileUpdate(QAction* ASender);
    void acnRemoveUpdate(QAction* ASender);

    // Execute handlers.
    void acnRetrieveDataExecute();
    void acnLoadDataFromFileExecute();
    void btnLoadConfigurationClick();
    void btnSaveCfgClick();
    void acnLoadStatFromFileExecute();
    void acnSaveStatToFileExecute();
    void acnRemoveExecute();
    void acnRemoveAllExecute();
    void acnShowLegendExecute();
    void acnChartCopyExecute();
    void acnChartSaveImageExecute();
    void btnAboutClick();
    void btnHLogShowRawClick();
    void btnQLNShowRawDataClick();
    void btnSNRShowRawDataClick();
    void btnBinShowRawDataClick();

    // Statistics file commands.
    void LoadStatistics();
    void SaveStatistics();
    // Retrieval.
    void StartRetrieval();
    void ReaderTerminated(TDrayTelnetReader& AReader);
    void acnStopRetrievalExecute();
    void acnStopRetrievalUpdate(QAction* ASender);
    void FormClose();
    // Stops a running reader for good: it is stopped, its client disconnected, its thread
    // joined, its pending notifications dropped and its set freed, in that order.
    void AbandonReader();
    void ShowProgress(int AStep, int ASteps);
    void HideProgress();

    // Per-group plot shared by HLog, QLN and SNR.
    void PlotGroupTable(TChart* AChart, TVDSLProfile AProfile, const TDrayStatArray& AUS,
                        const TDrayStatArray& ADS, const TStatMultipliers& ASizes, QColor ADSColor,
                        QColor AUSColor);
    void PlotBinBars(TChart* AChart, const TDrayData* AData, bool AGain, QColor ADSColor,
                     QColor AUSColor);
    TChart* MakeChart(QWidget* AParent, const QString& AName);

    std::unique_ptr<IUserDialogs> FDialogs;
    std::unique_ptr<TDrayDataList> FDrayDataList;
    // Lent to one reader at a time.
    std::unique_ptr<TTelnetClient> telnet;
    std::unique_ptr<TMainReaderView> FReaderView;
    TQtNotifier* FNotifier = nullptr;
    // Frees itself after its completion handler (FreeOnTerminate).
    TDrayTelnetReader* FReader = nullptr;
    // The set the running reader fills; the list takes it when the reader succeeds.
    std::unique_ptr<TDrayData> FReaderData;
    TReaderTimeouts FReaderTimeouts;
    bool FStopRequested = false;
    TDrayStatus FStatus = dsReady;
    std::function<QDateTime()> FClock;
    bool FSettingSelection = false;
    QPointer<TChart> FPopupChart;
    TSummaryView* FSummaryView = nullptr; // the page "Summary"
};

} // namespace vexlorin
