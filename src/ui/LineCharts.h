// The seven charts of a statistics set as one component: their pages, their layout by
// VDSL profile, the per-group plots (HLog, QLN, SNR), the per-tone plots (bit loading,
// gain, SNR) and the popup menu the charts share ("Copy", "Save as image...").
//
// A host hands it the page control the chart pages go into and then feeds it sets by
// value: Show(set) draws one set on all seven charts, Show(set, options, reference)
// compares it with a reference set, Clear() empties them. It needs the model and Qt only:
// the main window hosts it, and so does the headless chart export.
#pragma once

#include "model/uDrayData.h"
#include "ui/Chart.h"
#include "ui/UserDialogs.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <cstdint>
#include <initializer_list>

class QAction;
class QMenu;
class QTabWidget;
class QWidget;

namespace vexlorin {

// Colours of the two directions on every chart.
inline const QColor DSColor = QColor(0, 0, 255);
inline const QColor USColor = QColor(0, 128, 0);

// The seven charts, in the order of their pages.
enum class TChartId { HLog, QLN, SNR, BitLoading, Gain, BinSNRUS, BinSNRDS };
inline constexpr int ChartCount = 7;

// The four pages the charts sit on; "Bins" holds the last four charts on pages of its own.
enum class TChartPage { HLog, QLN, SNR, Bins };
inline constexpr int ChartPageCount = 4;

// What the user chose about how sets are drawn.
struct TLineChartOptions {
    // "SNR data only in first 512 bins": the per-tone SNR charts show bins 0 to 511 only.
    bool SNROnlyFirst512Bins = true;
    // "Frequency axis": the tone axes read in MHz.
    bool FrequencyAxis = false;
    // "Show difference": with a reference set, every chart shows the set minus the
    // reference instead of both.
    bool ShowDifference = false;
};

// Lighter versions of the direction colours, for the reference set of a comparison.
inline const QColor DSReferenceColor = QColor(110, 110, 255);
inline const QColor USReferenceColor = QColor(100, 185, 100);

// The layout one chart gets when the charts are set up: titles, the value axis, the
// series kind its plots create, and its mouse gestures. The tone axis is the same on all.
struct TChartDescription {
    const char* Name; // the chart's object name
    const char* Title;
    const char* ValueTitle;
    bool ValueAutomatic;
    double ValueMinimum, ValueMaximum; // a fixed value range only
    double ValueIncrement;             // 0: the chart's own choice
    enum TTicks { TicksAsBuilt, TicksShown, TicksHidden } MinorTicks;
    TChartSeries::TKind Series;
    int PenWidth;
    bool ZoomWithCtrl; // zoom rectangle only while Ctrl is held, scrolling on the middle button
    bool BinsOption;   // the 512-bins option decides its tone axis; setup empties it first
};

// One row per chart, in TChartId order.
extern const std::array<TChartDescription, ChartCount> ChartDescriptions;

class TLineCharts final : public QObject {
    Q_OBJECT
public:
    // Appends the pages "HLog", "QLN", "SNR" and "Bins" to APages; SetupCharts lays the
    // charts out. The save dialog of "Save as image..." and its failures go through
    // ADialogs. Both must outlive this object; the pages and the menu belong to APages.
    TLineCharts(QTabWidget& APages, IUserDialogs& ADialogs);
    ~TLineCharts() override;

    // --- a whole set --------------------------------------------------------------------
    // Empties all seven charts and draws AData on them; with AReference, compared with it.
    void Show(const TDrayData& AData, const TLineChartOptions& AOptions,
              const TDrayData* AReference = nullptr);
    // Draws AData on all seven charts beside what they already show, with the band plan of
    // its text. With AReference (which may be AData itself) the charts compare the two:
    // AReference overlaid in lighter colours (dashed lines; outlines over the bars), or
    // with AOptions.ShowDifference, AData minus AReference. The tone axis covers the larger
    // profile. The charts copy what they draw; neither set is kept.
    void PlotAll(const TDrayData& AData, const TLineChartOptions& AOptions,
                 const TDrayData* AReference = nullptr);
    // Takes every series, band and readout off all seven charts; titles and tone axes stay,
    // the value axes of a difference go back to their own.
    void Clear();
    // "VDSL profile: 17A": the profile label's text for a profile.
    static QString ProfileText(TVDSLProfile AProfile);

    // --- the layout ---------------------------------------------------------------------
    // Empties all seven charts and gives each its row of ChartDescriptions.
    void SetupCharts(const TLineChartOptions& AOptions);
    static void ClearCharts(std::initializer_list<TChart*> ACharts);
    // Gives AChart the layout of row AId (the per-tone SNR charts also empty it first)
    // with a tone axis from 0 to AMaxTones.
    static void SetupChart(TChart* AChart, TChartId AId, uint16_t AMaxTones,
                           const TLineChartOptions& AOptions);
    // The tone axis maximum and label increment of a profile.
    static void SetToneAxis(TChart* AChart, TVDSLProfile AProfile);
    // "Frequency axis" on or off on all seven charts, with their tone axis titles.
    void ApplyToneAxes(const TLineChartOptions& AOptions);

    // --- comparing (ChartCompare.cpp) -----------------------------------------------------
    // The bands of AData's text ("vdsl status bandinfo") shaded on every chart.
    void ShowBands(const TDrayData& AData);
    // The charts show a comparison: the last PlotAll had a reference, no Clear since.
    bool Comparing() const { return FComparing; }
    // ABase with "Frequency axis" and "Show difference" as the popup menu has them.
    TLineChartOptions MenuOptions(TLineChartOptions ABase) const;
    // The menu's checkable "Show difference", for the host's menus too.
    QAction* ShowDifferenceAction() const { return acnChartShowDifference; }
    QAction* FrequencyAxisAction() const { return acnChartFrequencyAxis; }

    // --- plots: each only adds series; a null chart means the routine's own ---------------
    void PlotHLOG(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotQLN(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotSNR(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotBitLoading(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotGain(const TDrayData* AData, TChart* AChart, QColor ADSColor, QColor AUSColor);
    void PlotBinsSNR(const TDrayData* AData, TChart* AChartDS, TChart* AChartUS, QColor ADSColor,
                     QColor AUSColor, const TLineChartOptions& AOptions);

    // --- charts and pages ---------------------------------------------------------------
    TChart* Chart(TChartId AId) const { return FCharts[static_cast<std::size_t>(AId)]; }
    // All seven, in the order of the pages.
    QList<TChart*> Charts() const;
    QWidget* Page(TChartPage APage) const { return FPages[static_cast<std::size_t>(APage)]; }

    // --- the popup menu -----------------------------------------------------------------
    // "Copy", "Save as image...", "Frequency axis" and "Show difference", category "Charts".
    QList<QAction*> Actions() const;
    // Opens the menu for AChart; its commands act on that chart.
    void PopupChartMenu(TChart* AChart, const QPoint& AGlobalPos);
    TChart* PopupChart() const { return FPopupChart; }

signals:
    // The page's "Show raw data..." button was clicked; the host opens the viewer.
    void RawDataRequested(TChartPage APage);
    // "Show difference" was switched: the host shows its set again. ("Frequency axis"
    // needs no new plot and is applied at once.)
    void RedrawRequested();

private:
    void BuildPages(QTabWidget& APages);
    TChart* MakeChart(QWidget* AParent, TChartId AId);
    void BuildMenu(QWidget* AParent);
    // Runs a menu command; a failure is shown in the failure box.
    void RunMenuCommand(void (TLineCharts::*ACommand)());
    void acnChartCopyExecute();
    void acnChartSaveImageExecute();

    using TBinValue = double (*)(const TDrayBinEntry& AEntry);

    // Label increment of the tone axis for a profile; 0 leaves the chart's increment alone.
    static double ToneIncrement(TVDSLProfile AProfile);
    static double ToneSpacingKHz(TVDSLProfile AProfile);
    // AId: the routine's own chart, whose description gives the series.
    void PlotGroupTable(TChart* AChart, TChartId AId, TVDSLProfile AProfile,
                        const TDrayStatArray& AUS, const TDrayStatArray& ADS,
                        const TStatMultipliers& ASizes, QColor ADSColor, QColor AUSColor);
    void PlotBinBars(TChart* AChart, TChartId AId, const TDrayData* AData, TBinValue AValue,
                     QColor ADSColor, QColor AUSColor);
    // The six plots of a set in the direction colours, as DisplayChartData draws it.
    void PlotTables(const TDrayData& AData, const TLineChartOptions& AOptions);
    // Titles, tone axes and spacing of the two per-tone SNR charts for a profile.
    void LayoutBinsSNR(TChart* AChartDS, TChart* AChartUS, TVDSLProfile AProfile,
                       const TLineChartOptions& AOptions);

    // Comparisons (ChartCompare.cpp).
    void BuildCompareMenu();
    void PlotCompared(const TDrayData& AData, const TDrayData& AReference,
                      const TLineChartOptions& AOptions);
    void PlotOverlay(const TDrayData& AData, const TDrayData& AReference,
                     const TLineChartOptions& AOptions);
    void PlotDifference(const TDrayData& AData, const TDrayData& AReference,
                        const TLineChartOptions& AOptions);
    void SetReadouts(const TDrayData& AData, const TDrayData& AReference);
    // The value axes of a difference ("Δ dB", a zero line), or each chart's own again.
    void ApplyValueAxes(bool ADifference);

    IUserDialogs& FDialogs;
    std::array<TChart*, ChartCount> FCharts{};
    std::array<QWidget*, ChartPageCount> FPages{};
    QMenu* mnuCharts = nullptr;
    QAction* acnChartCopy = nullptr;
    QAction* acnChartSaveImage = nullptr;
    QAction* acnChartFrequencyAxis = nullptr;
    QAction* acnChartShowDifference = nullptr;
    // What the charts show now, so that the menu's switches can be applied to it.
    TLineChartOptions FShownOptions;
    bool FComparing = false;
    bool FDifferenceShown = false;
    TFileDialogOptions dlgSaveChartImage; // a chart as PNG or SVG
    QPointer<TChart> FPopupChart;
};

} // namespace vexlorin
