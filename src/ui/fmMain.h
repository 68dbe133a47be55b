// The main window: connection fields, the list of statistics sets, the text view, the
// chart pages of TLineCharts and every command of the program as an action.
//
// Its controls and actions are its own; each carries its name as object name, so tests
// and tools find them with findChild.
#pragma once

#include "model/uDrayData.h"
#include "reader/uDrayTelnetReader.h"
#include "ui/ActionRules.h"
#include "ui/DrayDataList.h"
#include "ui/LineCharts.h"
#include "ui/UserDialogs.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QTabWidget;

namespace vexlorin {

namespace history {
struct TSampleResult;
}
class THistoryWindow;
class TMainReaderView;
class TWatchControl;
class TQtNotifier;
class TSummaryView;
class TTelnetClient;

enum TDrayStatus { dsReady, dsReadingData };

// "%.2d%.2d%.2d-%.2d%.2d%.2d-%s.draydata" of the date, time and router name.
QString DefaultFileName(const QDateTime& ANow, const QString& ARouterName);

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // AArguments: the command line without the program name. ADialogs: the boxes and
    // file dialogs (the real ones when null).
    explicit TfrmMain(const QStringList& AArguments = {},
                      std::unique_ptr<IUserDialogs> ADialogs = nullptr, QWidget* AParent = nullptr);
    ~TfrmMain() override;

    // --- the list of sets, the text view ------------------------------------------------
    // Add a set by DrayDataList().Add(std::move(set)): the list box gets its entry at the
    // sorted place and selects it; the caller refreshes the views.
    TDrayDataList& DrayDataList() { return *FDrayDataList; }
    void DisplayTextData(const TDrayData* AData);
    // The page "Summary" for AData (empty for null), from its text and its tables.
    void DisplaySummary(const TDrayData* AData);
    TDrayData* GetSelectedDrayData() const;
    QString GetDefaultFileName() const;
    // Shows the selected set (text, profile label, charts); nothing when none is selected.
    void lbxStatisticsClick();
    // Recomputes every action's enabled state; runs after each change that matters.
    void UpdateActions();
    // The action list aclMain: every command of the window, the charts' included.
    const QList<QAction*>& ActionList() const { return aclMain; }
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

    // --- configuration files (fmMainFiles.cpp) ------------------------------------------
    void LoadConfiguration(const QString& AFileName);
    void SaveConfiguration(const QString& AFileName);

    // --- the charts: TLineCharts, fed with the window's 512-bins option -----------------
    TLineCharts& LineCharts() { return *FCharts; }
    const TLineCharts& LineCharts() const { return *FCharts; }
    void UpdateProfileLabel(TVDSLProfile AProfile);
    // Draws the set on all seven charts, or empties them all for null; compared with the
    // reference set while one is pinned.
    void DisplayChartData(const TDrayData* AData);
    // A null chart means the routine's own chart. The sets must not be null.
    void PlotHLOG(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotQLN(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotSNR(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotBitLoading(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotGain(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotBinsSNR(const TDrayData* AData, TChart* AChartDS, TChart* AChartUS, QColor ADSColor,
                     QColor AUSColor);
    void SetupBinSNRChart(TChart* AChart, uint16_t AMaxTones);

    // --- comparing (fmMainCompare.cpp) --------------------------------------------------
    // The set the selected one is compared with on the charts and the Summary page; null
    // while none is pinned.
    const TDrayData* ReferenceSet() const { return FReference; }
    // Pins AData (a set of the list) as the reference, or unpins for null; marks it in the
    // list and shows the selected set again.
    void SetReferenceSet(TDrayData* AData);

    // --- history (fmMainHistory.cpp) -----------------------------------------------------
    // "Watch" records the line into this file (the default history file at first).
    QString HistoryFile() const { return FHistoryFile; }
    void SetHistoryFile(const QString& AFileName) { FHistoryFile = AFileName; }
    bool Watching() const;
    TWatchControl& Watch() { return *FWatch; }
    // The history window on AFileName (opened when needed); false when it cannot be read.
    bool OpenHistory(const QString& AFileName);
    THistoryWindow* HistoryWindow() const;
    // A set that is not in the list (a watched sample, a set of the history) on the views;
    // "Add to list" puts it there.
    void ShowOutsideSet(std::unique_ptr<TDrayData> ASet);
    const TDrayData* OutsideSet() const { return FOutsideSet.get(); }

protected:
    void closeEvent(QCloseEvent* AEvent) override;

private:
    void FormCreate(const QStringList& AArguments);
    void FormDestroy();
    // The controls as built (fmMainLayout.cpp).
    void BuildStatusBar();
    void BuildPages();
    QWidget* BuildInputPanel();
    void BuildDialogOptions();
    QAction* MakeAction(const QString& ACaption, const QString& ACategory, const char* AName,
                        void (TfrmMain::*AExecute)());
    // Runs a command; a failure ends it and is shown in the failure box.
    void RunCommand(const std::function<void()>& ACommand);
    void BindButton(QPushButton* AButton, QAction* AAction, bool AKeepCaption = false);
    void BindClick(QPushButton* AButton, void (TfrmMain::*AHandler)());
    TActionInputs ActionInputs() const;
    // The options the charts are drawn with, and laid out with: the 512-bins box as it is
    // now.
    TLineChartOptions ChartOptions() const;
    TLineChartOptions LayoutOptions() const;

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
    void acnCompareWithSelectedUpdate(QAction* ASender);
    void acnStopComparingUpdate(QAction* ASender);

    // Execute handlers.
    void acnRetrieveDataExecute();
    void acnLoadDataFromFileExecute();
    void btnLoadConfigurationClick();
    void btnSaveCfgClick();
    void acnLoadStatFromFileExecute();
    void acnSaveStatToFileExecute();
    void acnRemoveExecute();
    void acnRemoveAllExecute();
    void acnCompareWithSelectedExecute();
    void acnStopComparingExecute();
    // Pins or unpins without showing anything again (the list is changing under it).
    void PinReference(TDrayData* AData);
    // The reference's entry in the list bold and marked, every other one plain.
    void MarkReferenceEntry();
    // The selected set on the charts again (not while a retrieval draws its own).
    void RedrawCharts();
    void acnShowLegendExecute();
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
    // History (fmMainHistory.cpp).
    QWidget* BuildWatchPanel(QWidget* AParent);
    void UpdateHistoryActions();
    void acnWatchExecute();
    void acnChooseHistoryFileExecute();
    void acnOpenHistoryExecute();
    void acnAddToListExecute();
    void WatchSample(const history::TSampleResult& AResult);
    void WatchFinished(const std::string& AError);
    THistoryWindow& EnsureHistoryWindow();

    // --- controls the commands read or change after the window is built -----------------
    QStatusBar* sbMain;
    QLineEdit* edRouter;
    QSpinBox* udTelnetPort;
    QLineEdit* edRouterPort; // the line edit inside udTelnetPort
    QLineEdit* edUser;
    QLineEdit* edPassword;
    QLineEdit* edRouterName;
    QCheckBox* chkShowBins;
    QCheckBox* chkSNRBug;
    QLabel* lblProfileName;
    QListWidget* lbxStatistics;
    QMenu* mnuStatListBox;
    QTabWidget* pgcMain;
    QWidget* tbsRouter;
    QPlainTextEdit* memStats;
    QProgressBar* pbRetrieval; // in the status bar while a retrieval runs
    QLabel* lblSimulated;      // in the status bar for the demo router

    // --- actions (aclMain); the category is the property "category" ----------------------
    QAction* acnRetrieveData;
    QAction* acnStopRetrieval;
    QAction* acnLoadDataFromFile;
    QAction* acnLoadConfiguration;
    QAction* acnSaveConfiguration;
    QAction* acnLoadStatFromFile;
    QAction* acnSaveStatToFile;
    QAction* acnRemove;
    QAction* acnRemoveAll;
    QAction* acnCompareWithSelected;
    QAction* acnStopComparing;
    QAction* acnShowLegend;
    QList<QAction*> aclMain;

    // --- file dialogs -------------------------------------------------------------------
    TFileDialogOptions dlgOpen;             // configuration file
    TFileDialogOptions dlgSave;             // configuration file
    TFileDialogOptions dlgLoadStatFromFile; // statistics file
    TFileDialogOptions dlgSaveStatistcs;    // statistics file

    std::unique_ptr<IUserDialogs> FDialogs;
    std::unique_ptr<TDrayDataList> FDrayDataList;
    std::unique_ptr<TLineCharts> FCharts;
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
    TSummaryView* FSummaryView = nullptr; // the page "Summary"
    TDrayData* FReference = nullptr;      // pinned by "Compare with selected"; in the list

    // --- history (fmMainHistory.cpp) -----------------------------------------------------
    QAction* acnWatch = nullptr; // checkable: on while the recorder runs
    QAction* acnChooseHistoryFile = nullptr;
    QAction* acnOpenHistory = nullptr;
    QAction* acnAddToList = nullptr;
    QSpinBox* udWatchInterval = nullptr; // seconds
    QSpinBox* udWatchBins = nullptr;     // minutes
    TWatchControl* FWatch = nullptr;
    QPointer<THistoryWindow> FHistoryWindow;
    std::unique_ptr<TDrayData> FOutsideSet;
    QString FHistoryFile;
    TFileDialogOptions dlgHistoryFile;
    TFileDialogOptions dlgOpenHistory;
};

} // namespace vexlorin
