// The page "Summary": the line summary of the shown set (SummarizeSet) as three tables, the
// line values, the values of both directions side by side with their units, and the bands.
// Cells can be selected and copied as text (Ctrl+C, or the context menu); "Copy all"
// copies the whole summary as vexlorin-cli shows it. With a reference set, every value
// column has a reference and a difference column beside it.
//
// The page keeps a copy of the values, never the set, so a set destroyed after it was
// shown leaves nothing behind that could be read.
#pragma once

#include "model/LineSummary.h"

#include <QWidget>

#include <optional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace vexlorin {

class TSummaryView final : public QWidget {
    Q_OBJECT
public:
    explicit TSummaryView(QWidget* AParent = nullptr);

    // The summary of the set; null empties the page.
    void ShowSet(const TDrayData* AData);
    // The summary of the set's statistics text alone, for a set whose bins tables are
    // still being filled by another thread.
    void ShowStatus(const TDrayData& AData);
    const TLineSummary& Summary() const { return FSummary; }
    // The set the shown one is compared with (its summary is kept); null: no comparison.
    void SetReference(const TDrayData* AReference);

    // The selected cells of the table that has the focus (or of the last one that had it),
    // a line per row and a tab between cells, on the clipboard.
    void CopySelection();
    // SummaryText of the shown summary on the clipboard.
    void CopyAll();

private:
    void Fill();
    // The rows of the three tables, with the reference's columns while comparing.
    void FillLine();
    void FillDirections();
    void FillBands();
    QTableWidget* MakeTable(const QString& AName, const QStringList& AHeaders);

    QLabel* lblSummaryNote;
    QTableWidget* tblSummaryLine;
    QTableWidget* tblSummaryDirections;
    QTableWidget* tblSummaryBands;
    QPushButton* btnCopySummary;
    QTableWidget* FLastTable = nullptr;
    TLineSummary FSummary;
    bool FHasSet = false;
    std::optional<TLineSummary> FReference;
    QString FReferenceName;
};

} // namespace vexlorin
