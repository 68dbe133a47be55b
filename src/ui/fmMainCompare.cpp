// The main window's side of comparing sets: "Compare with selected" pins the selected set
// as the reference, "Stop comparing" unpins it, and its entry in the list is marked. The
// comparison itself is drawn by the chart component and the Summary page.
#include "ui/SummaryView.h"
#include "ui/fmMain.h"

#include <QAction>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>

namespace vexlorin {

namespace {

TDrayData* EntryData(const QListWidgetItem* AItem) {
    return reinterpret_cast<TDrayData*>(AItem->data(Qt::UserRole).value<quintptr>());
}

// A pin head: the reference stays where it is while other sets are selected.
QIcon ReferenceIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), 1.5));
    painter.drawLine(QPointF(8, 8), QPointF(8, 15));
    painter.setBrush(QColor(200, 60, 40));
    painter.drawEllipse(QPointF(8, 5.5), 4.5, 4.5);
    return QIcon(pixmap);
}

} // namespace

void TfrmMain::SetReferenceSet(TDrayData* AData) {
    PinReference(AData && FDrayDataList->Contains(AData) ? AData : nullptr);
    RedrawCharts();
}

void TfrmMain::PinReference(TDrayData* AData) {
    FReference = AData;
    MarkReferenceEntry();
    FSummaryView->SetReference(FReference);
    UpdateActions();
}

void TfrmMain::MarkReferenceEntry() {
    static const QIcon icon = ReferenceIcon();
    for (int row = 0; row < lbxStatistics->count(); ++row) {
        QListWidgetItem* item = lbxStatistics->item(row);
        const bool reference = FReference && EntryData(item) == FReference;
        QFont font = item->font();
        font.setBold(reference);
        item->setFont(font);
        item->setIcon(reference ? icon : QIcon());
        item->setToolTip(reference ? tr("Reference set: the selected set is compared with it")
                                   : QString());
    }
}

void TfrmMain::RedrawCharts() {
    // A running retrieval draws its set table by table; the new set is shown when it ends.
    if (Reading())
        return;
    DisplayChartData(nullptr);
    if (const TDrayData* selected = GetSelectedDrayData())
        DisplayChartData(selected);
}

void TfrmMain::acnCompareWithSelectedExecute() {
    if (TDrayData* selected = GetSelectedDrayData())
        SetReferenceSet(selected);
}

void TfrmMain::acnStopComparingExecute() {
    SetReferenceSet(nullptr);
}

void TfrmMain::acnCompareWithSelectedUpdate(QAction* ASender) {
    ASender->setEnabled(CompareEnabled(ActionInputs()));
}

void TfrmMain::acnStopComparingUpdate(QAction* ASender) {
    ASender->setEnabled(FReference != nullptr);
}

} // namespace vexlorin
