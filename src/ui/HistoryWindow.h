// The history window: one history file's line in the history charts. It opens a file
// read-only ("Open history..."), follows new samples while another process or the window's
// own watch records into it, computes the envelope and the waterfall of the chosen range,
// and hands the stored set nearest to a clicked time to its host.
//
// A file it cannot read (not a history file, damaged, a newer schema version) gets a clear
// box; the file is not touched and what the window showed stays.
#pragma once

#include "ui/HistoryCharts.h"
#include "ui/HistorySource.h"
#include "ui/UserDialogs.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;

namespace vexlorin {

class THistoryWindow final : public QWidget {
    Q_OBJECT
public:
    // ADialogs must outlive the window.
    explicit THistoryWindow(IUserDialogs& ADialogs, QWidget* AParent = nullptr);
    ~THistoryWindow() override;

    // Shows AFileName; false (after the box) when it cannot be read.
    bool OpenFile(const QString& AFileName);
    QString FileName() const { return FFileName; }
    const THistorySource* Source() const { return FSource.get(); }
    THistoryCharts& Charts() { return *FCharts; }

    // Reads what was stored since the last look now, without waiting for the timer.
    void Follow();
    // How often the window looks for new samples (ms).
    void SetFollowInterval(int AMs);
    // Starts computing the envelope and the waterfall of the chosen range on worker
    // threads (the charts ask for it a moment after the range changed); a computation still
    // running for another range is cancelled. The window stays usable meanwhile and says how
    // far it got; the charts get the result when it is there.
    void UpdateToneViews();
    // The envelope and the waterfall are being computed.
    bool ToneViewsPending() const { return FToneJob != nullptr; }
    // The same once they are shown: while the time charts are, a range change costs only
    // their redraw, and the envelope and waterfall follow when their page is opened.
    void UpdateToneViewsWhenShown();
    // As the charts' option: the per-tone SNR only in the first 512 tones.
    void SetSNROnlyFirst512(bool AValue) { FSNROnlyFirst512 = AValue; }

    // Clicking a time opens the stored set nearest to it here: the host shows it in the
    // seven charts. Its name says the sample's time.
    using TSetChosen = std::function<void(std::unique_ptr<TDrayData> ASet, int64_t ASampleTimeMs)>;
    void SetOnSetChosen(TSetChosen AHandler) { FOnSetChosen = std::move(AHandler); }
    // As a click at ATimeMs; false when the line has no stored set.
    bool OpenNearestSet(double ATimeMs);

protected:
    void showEvent(QShowEvent* AEvent) override;
    void hideEvent(QHideEvent* AEvent) override;

private:
    void btnOpenHistoryClick();
    void ShowLine();
    // Cancels the computation of the tone views, if any, and waits for its threads (at most
    // the set each is decoding).
    void CancelToneViews();
    // Shows the computation's progress, or its result once it is there.
    void PollToneViews();

    IUserDialogs& FDialogs;
    THistoryCharts* FCharts;
    QLabel* lblHistoryFile;
    QPushButton* btnOpenHistory;
    QTimer* tmrFollow;
    QLabel* lblToneViews;
    QTimer* tmrToneViews;
    std::unique_ptr<history::TToneViewsJob> FToneJob;
    std::unique_ptr<THistorySource> FSource;
    THistorySeries FSeries;
    QString FFileName;
    bool FSNROnlyFirst512 = true;
    // The envelope and the waterfall do not show the range chosen now.
    bool FToneViewsStale = true;
    TSetChosen FOnSetChosen;
    TFileDialogOptions dlgOpenHistory;
};

// The file dialog of "Open history..." and "Choose history file...".
TFileDialogOptions HistoryFileDialog(const QString& ATitle);

} // namespace vexlorin
