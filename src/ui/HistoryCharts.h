// The history charts as one component: the time charts on one shared time axis (rates,
// SNR margin, attenuation, errors per interval per counter, with the events as markers),
// the range selector, the per-tone envelope of the chosen range on a per-tone chart and
// the waterfall. It draws plain values (THistorySeries, TToneEnvelope, TWaterfallGrid);
// a host reads them from a history file and hands them over.
#pragma once

#include "model/ToneHistory.h"
#include "ui/HistorySeries.h"
#include "ui/UserDialogs.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <array>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QTabWidget;
class QTimer;

namespace vexlorin {

class TChart;
class THistoryPlot;
class THistoryWaterfall;

// The time charts, in the order they stand.
enum class TTimeChartId { Rates, SNRMargin, Attenuation, CRC, FEC, ES, SES };
inline constexpr int TimeChartCount = 7;

// The spans of the range selector.
enum class THistoryRange { LastHour, LastDay, LastWeek, All };

class THistoryCharts final : public QWidget {
    Q_OBJECT
public:
    // The save dialog of "Save as image..." and its failures go through ADialogs, which
    // must outlive this object.
    THistoryCharts(IUserDialogs& ADialogs, QWidget* AParent = nullptr);
    ~THistoryCharts() override;

    // Draws the series on every time chart. The time range stays where the user put it
    // unless it followed the newest sample, or AResetRange.
    void Show(const THistorySeries& ASeries, bool AResetRange);
    const THistorySeries& Series() const { return FSeries; }
    // The envelope of both directions for the chosen range (either may have no sets).
    void ShowEnvelope(const TToneEnvelope& ADS, const TToneEnvelope& AUS);
    void ShowWaterfall(const TWaterfallGrid& AGrid);

    // The time range shown on all time charts (ms).
    double RangeFrom() const;
    double RangeTo() const;
    void SetRange(double AFromMs, double AToMs);
    // The range selector's span ending at the newest sample; All: every sample.
    void SelectRange(THistoryRange ARange);

    // What the envelope and the waterfall show: SNR or bit loading; the waterfall's direction.
    TToneQuantity Quantity() const;
    TStatDirection WaterfallDirection() const;
    // The envelope or the waterfall is the page shown: only then are they worth computing.
    bool ToneViewsShown() const;

    THistoryPlot* TimeChart(TTimeChartId AId) const {
        return FTimeCharts[static_cast<std::size_t>(AId)];
    }
    TChart* EnvelopeChart() const { return FEnvelope; }
    THistoryWaterfall* Waterfall() const { return FWaterfall; }
    // Every chart that can be saved: the time charts, the envelope, the waterfall.
    QList<QWidget*> AllCharts() const;
    // Lays every chart out at its size and draws it now (images, benchmarks).
    void RedrawNow();

    // "Copy" and "Save as image..." for AChart (one of AllCharts()).
    void PopupChartMenu(QWidget* AChart, const QPoint& AGlobalPos);
    QList<QAction*> Actions() const;

signals:
    // The chosen range changed (by the selector, a drag, the wheel, ...); coalesced, so
    // the host recomputes the envelope and the waterfall once for a series of changes.
    void RangeChosen(double AFromMs, double AToMs);
    // What the envelope and waterfall show changed: the host computes them again.
    void ToneViewChanged();
    // The user clicked a time on a time chart.
    void TimeClicked(double ATimeMs);

private:
    void BuildTimeCharts(QWidget* APage);
    void ApplyRange(double AFromMs, double AToMs, THistoryPlot* ASource);
    void SaveImage(QWidget* AChart);

    IUserDialogs& FDialogs;
    THistorySeries FSeries;
    std::array<THistoryPlot*, TimeChartCount> FTimeCharts{};
    TChart* FEnvelope = nullptr;
    THistoryWaterfall* FWaterfall = nullptr;
    QTabWidget* pgcHistory = nullptr;
    QComboBox* cbxRange = nullptr;
    QComboBox* cbxQuantity = nullptr;
    QComboBox* cbxDirection = nullptr;
    QLabel* lblRange = nullptr;
    QTimer* FRangeTimer = nullptr;
    // The range ends at the newest sample and moves with it.
    bool FFollowing = true;
    QMenu* mnuHistoryChart = nullptr;
    QAction* acnHistoryCopy = nullptr;
    QAction* acnHistorySaveImage = nullptr;
    QPointer<QWidget> FPopupChart;
    TFileDialogOptions dlgSaveHistoryImage;
};

} // namespace vexlorin
