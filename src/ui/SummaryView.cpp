#include "ui/SummaryView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace vexlorin {

namespace {

QString FromUtf8(std::string_view AText) {
    return QString::fromUtf8(AText.data(), static_cast<qsizetype>(AText.size()));
}

// A cell for a value: what the user reads, numbers on the right.
QTableWidgetItem* ValueCell(const TSummaryField& AField, const TSummaryValue& AValue) {
    auto* cell = new QTableWidgetItem(AValue.Has() ? FromUtf8(FormatSummaryValue(AField, AValue))
                                                   : QString(QChar(0x2014)));
    cell->setTextAlignment(AValue.IsText() ? Qt::AlignLeft | Qt::AlignVCenter
                                           : Qt::AlignRight | Qt::AlignVCenter);
    return cell;
}

QTableWidgetItem* LabelCell(std::string_view AText) {
    return new QTableWidgetItem(FromUtf8(AText));
}

// The table as large as its cells: the page scrolls, the tables do not. Value columns
// share one width, so downstream and upstream line up as a pair.
void FitSize(QTableWidget* ATable) {
    ATable->resizeColumnsToContents();
    ATable->resizeRowsToContents();
    int valueWidth = 0;
    for (int column = 1; column < ATable->columnCount(); ++column)
        valueWidth = std::max(valueWidth, ATable->columnWidth(column) + 12);
    for (int column = 1; column < ATable->columnCount(); ++column)
        ATable->setColumnWidth(column, valueWidth);
    int height = 2 * ATable->frameWidth() + ATable->horizontalHeader()->sizeHint().height();
    for (int row = 0; row < ATable->rowCount(); ++row)
        height += ATable->rowHeight(row);
    int width = 2 * ATable->frameWidth();
    for (int column = 0; column < ATable->columnCount(); ++column)
        width += ATable->columnWidth(column);
    ATable->setFixedSize(width, height);
    ATable->setVisible(ATable->rowCount() > 0);
}

} // namespace

TSummaryView::TSummaryView(QWidget* AParent) : QWidget(AParent) {
    setObjectName(QStringLiteral("tbsSummary"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("sbxSummary"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* inner = new QWidget(scroll);
    auto* layout = new QVBoxLayout(inner);
    layout->setContentsMargins(8, 8, 8, 8);
    lblSummaryNote = new QLabel(inner);
    lblSummaryNote->setObjectName(QStringLiteral("lblSummaryNote"));
    lblSummaryNote->setWordWrap(true);
    layout->addWidget(lblSummaryNote);
    tblSummaryLine = MakeTable(QStringLiteral("tblSummaryLine"),
                               {QStringLiteral("Line"), QStringLiteral("Value")});
    tblSummaryDirections =
        MakeTable(QStringLiteral("tblSummaryDirections"),
                  {QString(), QStringLiteral("Downstream"), QStringLiteral("Upstream")});
    QStringList bandHeaders{QStringLiteral("Band"), QStringLiteral("Direction")};
    for (const TSummaryField& field : BandFields())
        bandHeaders << FromUtf8(field.Label);
    tblSummaryBands = MakeTable(QStringLiteral("tblSummaryBands"), bandHeaders);
    for (QTableWidget* table : {tblSummaryLine, tblSummaryDirections, tblSummaryBands})
        layout->addWidget(table, 0, Qt::AlignLeft);
    layout->addStretch(1);
    scroll->setWidget(inner);
    outer->addWidget(scroll, 1);

    auto* bottom = new QWidget(this);
    bottom->setFixedHeight(41);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(4, 4, 4, 4);
    btnCopySummary = new QPushButton(QStringLiteral("Copy all"), bottom);
    btnCopySummary->setObjectName(QStringLiteral("btnCopySummary"));
    btnCopySummary->setToolTip(QStringLiteral("Copy the whole summary as text"));
    connect(btnCopySummary, &QPushButton::clicked, this, &TSummaryView::CopyAll);
    bottomLayout->addWidget(btnCopySummary);
    bottomLayout->addStretch(1);
    outer->addWidget(bottom);
    Fill();
}

QTableWidget* TSummaryView::MakeTable(const QString& AName, const QStringList& AHeaders) {
    auto* table = new QTableWidget(0, static_cast<int>(AHeaders.size()), this);
    table->setObjectName(AName);
    table->setHorizontalHeaderLabels(AHeaders);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectItems);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setWordWrap(false);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The focused table, or the one last selected in, is what "Copy" copies.
    connect(table, &QTableWidget::itemSelectionChanged, this,
            [this, table] { FLastTable = table; });
    auto* copy = new QAction(QStringLiteral("Copy"), table);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, [this, table] {
        FLastTable = table;
        CopySelection();
    });
    auto* copyAll = new QAction(QStringLiteral("Copy all"), table);
    connect(copyAll, &QAction::triggered, this, &TSummaryView::CopyAll);
    table->addAction(copy);
    table->addAction(copyAll);
    table->setContextMenuPolicy(Qt::ActionsContextMenu);
    return table;
}

void TSummaryView::ShowSet(const TDrayData* AData) {
    FHasSet = AData != nullptr;
    FSummary = AData ? SummarizeSet(*AData) : TLineSummary();
    Fill();
}

void TSummaryView::ShowStatus(const TDrayData& AData) {
    FHasSet = true;
    FSummary = SummarizeStatus(AData.Stats());
    Fill();
}

void TSummaryView::Fill() {
    for (QTableWidget* table : {tblSummaryLine, tblSummaryDirections, tblSummaryBands}) {
        table->clearContents();
        table->setRowCount(0);
    }
    for (std::size_t i = 0; i < LineItemCount; ++i) {
        if (!FSummary.Line[i].Has())
            continue;
        const int row = tblSummaryLine->rowCount();
        tblSummaryLine->insertRow(row);
        tblSummaryLine->setItem(row, 0, LabelCell(LineFields()[i].Label));
        tblSummaryLine->setItem(row, 1, ValueCell(LineFields()[i], FSummary.Line[i]));
    }
    // Both directions side by side; a row for every value either of them holds.
    const auto addRows = [this](const auto& AFields, const auto& AValues) {
        for (std::size_t i = 0; i < AFields.size(); ++i) {
            if (!AValues[sdDown][i].Has() && !AValues[sdUp][i].Has())
                continue;
            const int row = tblSummaryDirections->rowCount();
            tblSummaryDirections->insertRow(row);
            tblSummaryDirections->setItem(row, 0, LabelCell(AFields[i].Label));
            tblSummaryDirections->setItem(row, 1, ValueCell(AFields[i], AValues[sdDown][i]));
            tblSummaryDirections->setItem(row, 2, ValueCell(AFields[i], AValues[sdUp][i]));
        }
    };
    addRows(DirectionFields(), FSummary.Directions);
    addRows(BitsFields(), FSummary.Bits);
    for (const TBandSummary& band : FSummary.Bands) {
        const int row = tblSummaryBands->rowCount();
        tblSummaryBands->insertRow(row);
        tblSummaryBands->setItem(row, 0, LabelCell(band.Name));
        tblSummaryBands->setItem(row, 1,
                                 new QTableWidgetItem(band.Direction == sdUp
                                                          ? QStringLiteral("Upstream")
                                                          : QStringLiteral("Downstream")));
        for (std::size_t i = 0; i < BandItemCount; ++i)
            tblSummaryBands->setItem(row, static_cast<int>(i) + 2,
                                     ValueCell(BandFields()[i], band.Values[i]));
    }
    for (QTableWidget* table : {tblSummaryLine, tblSummaryDirections, tblSummaryBands})
        FitSize(table);

    const bool empty = FSummary.Empty();
    lblSummaryNote->setText(!FHasSet ? QStringLiteral("No statistics set is shown.")
                            : empty  ? QStringLiteral("The statistics text of this set holds no "
                                                       "line values, and it has no bins tables.")
                                     : QString());
    lblSummaryNote->setVisible(empty);
    btnCopySummary->setEnabled(!empty);
}

void TSummaryView::CopySelection() {
    QTableWidget* table = qobject_cast<QTableWidget*>(QApplication::focusWidget());
    if (table != tblSummaryLine && table != tblSummaryDirections && table != tblSummaryBands)
        table = FLastTable;
    if (!table)
        return;
    // Row by row, left to right, whatever the order of selecting was.
    std::map<int, std::map<int, QString>> cells;
    for (const QTableWidgetItem* item : table->selectedItems())
        cells[item->row()][item->column()] = item->text();
    if (cells.empty())
        return;
    QStringList lines;
    for (const auto& [row, columns] : cells) {
        QStringList texts;
        for (const auto& [column, text] : columns)
            texts << text;
        lines << texts.join(QLatin1Char('\t'));
    }
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void TSummaryView::CopyAll() {
    if (!FSummary.Empty())
        QApplication::clipboard()->setText(QString::fromStdString(SummaryText(FSummary)));
}

} // namespace vexlorin
