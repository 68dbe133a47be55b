#include "ui/SummaryView.h"
#include "ui/Messages.h"

#include "model/SetComparison.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
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

// The selected set's value minus the reference's; texts read "same" or "changed".
QTableWidgetItem* DifferenceCell(const TSummaryField& AField, const TSummaryValue& AReference,
                                 const TSummaryValue& ASelected) {
    QString text = QString(QChar(0x2014));
    if (AReference.IsText() && ASelected.IsText()) {
        text = AReference == ASelected ? QCoreApplication::translate("TSummaryView", "same")
                                       : QCoreApplication::translate("TSummaryView", "changed");
    } else if (const TSummaryValue difference = SummaryDifference(AReference, ASelected);
               difference.Has()) {
        text = FromUtf8(FormatSummaryDifference(AField, difference));
    }
    auto* cell = new QTableWidgetItem(text);
    cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return cell;
}

// Column headers beyond the first ACount while comparing; none otherwise.
void SetExtraHeaders(QTableWidget* ATable, int ACount, const QStringList& AExtra) {
    ATable->setColumnCount(ACount + static_cast<int>(AExtra.size()));
    for (qsizetype i = 0; i < AExtra.size(); ++i)
        ATable->setHorizontalHeaderItem(ACount + static_cast<int>(i),
                                        new QTableWidgetItem(AExtra[i]));
}

// The band fields that have a reference and a difference: measurements, not tone limits.
std::vector<std::size_t> ComparedBandFields() {
    std::vector<std::size_t> fields;
    for (std::size_t i = 0; i < BandItemCount; ++i)
        if (BandFields()[i].Kind != skInfo)
            fields.push_back(i);
    return fields;
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
                               {QCoreApplication::translate("vexlorin::TSummaryView", "Line"),
                                QCoreApplication::translate("vexlorin::TSummaryView", "Value")});
    tblSummaryDirections =
        MakeTable(QStringLiteral("tblSummaryDirections"),
                  {QString(), QCoreApplication::translate("vexlorin::TSummaryView", "Downstream"),
                   QCoreApplication::translate("vexlorin::TSummaryView", "Upstream")});
    QStringList bandHeaders{QCoreApplication::translate("vexlorin::TSummaryView", "Band"),
                            QCoreApplication::translate("vexlorin::TSummaryView", "Direction")};
    for (const TSummaryField& field : BandFields())
        bandHeaders << ShownLabel(field.Label);
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
    btnCopySummary =
        new QPushButton(QCoreApplication::translate("vexlorin::TSummaryView", "Copy all"), bottom);
    btnCopySummary->setObjectName(QStringLiteral("btnCopySummary"));
    btnCopySummary->setToolTip(
        QCoreApplication::translate("vexlorin::TSummaryView", "Copy the whole summary as text"));
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
    auto* copy = new QAction(QCoreApplication::translate("vexlorin::TSummaryView", "Copy"), table);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, [this, table] {
        FLastTable = table;
        CopySelection();
    });
    auto* copyAll =
        new QAction(QCoreApplication::translate("vexlorin::TSummaryView", "Copy all"), table);
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

void TSummaryView::SetReference(const TDrayData* AReference) {
    FReference.reset();
    FReferenceName.clear();
    if (AReference) {
        FReference = SummarizeSet(*AReference);
        FReferenceName = QString::fromStdString(AReference->Name());
    }
    Fill();
}

void TSummaryView::Fill() {
    for (QTableWidget* table : {tblSummaryLine, tblSummaryDirections, tblSummaryBands}) {
        table->clearContents();
        table->setRowCount(0);
    }
    FillLine();
    FillDirections();
    FillBands();
    for (QTableWidget* table : {tblSummaryLine, tblSummaryDirections, tblSummaryBands})
        FitSize(table);

    const bool empty = FSummary.Empty();
    const bool comparing = FHasSet && FReference;
    lblSummaryNote->setText(
        !FHasSet
            ? QCoreApplication::translate("vexlorin::TSummaryView", "No statistics set is shown.")
        : empty     ? tr("The statistics text of this set holds no "
                             "line values, and it has no bins tables.")
        : comparing ? tr("Compared with the reference set \"%1\": its values, and this set's "
                         "minus them, are in the columns on the right.")
                          .arg(FReferenceName)
                    : QString());
    lblSummaryNote->setVisible(empty || comparing);
    btnCopySummary->setEnabled(!empty);
}

void TSummaryView::FillLine() {
    const TLineSummary* reference = FHasSet && FReference ? &*FReference : nullptr;
    SetExtraHeaders(tblSummaryLine, 2,
                    reference ? QStringList{tr("Reference"), tr("Difference")} : QStringList{});
    for (std::size_t i = 0; i < LineItemCount; ++i) {
        if (!FSummary.Line[i].Has() && !(reference && reference->Line[i].Has()))
            continue;
        const TSummaryField& field = LineFields()[i];
        const int row = tblSummaryLine->rowCount();
        tblSummaryLine->insertRow(row);
        tblSummaryLine->setItem(row, 0, new QTableWidgetItem(ShownLabel(field.Label)));
        tblSummaryLine->setItem(row, 1, ValueCell(field, FSummary.Line[i]));
        if (reference) {
            tblSummaryLine->setItem(row, 2, ValueCell(field, reference->Line[i]));
            tblSummaryLine->setItem(row, 3,
                                    DifferenceCell(field, reference->Line[i], FSummary.Line[i]));
        }
    }
}

void TSummaryView::FillDirections() {
    const TLineSummary* reference = FHasSet && FReference ? &*FReference : nullptr;
    SetExtraHeaders(tblSummaryDirections, 3,
                    reference ? QStringList{tr("Reference downstream"), tr("Reference upstream"),
                                            tr("Difference downstream"), tr("Difference upstream")}
                              : QStringList{});
    // Both directions side by side; a row for every value either of them holds (or the
    // reference's, while comparing).
    const auto addRows = [this, reference](const auto& AFields, const auto& AValues,
                                           const auto& AReferenceValues) {
        for (std::size_t i = 0; i < AFields.size(); ++i) {
            const bool inReference =
                reference && (AReferenceValues[sdDown][i].Has() || AReferenceValues[sdUp][i].Has());
            if (!AValues[sdDown][i].Has() && !AValues[sdUp][i].Has() && !inReference)
                continue;
            const int row = tblSummaryDirections->rowCount();
            tblSummaryDirections->insertRow(row);
            tblSummaryDirections->setItem(row, 0,
                                          new QTableWidgetItem(ShownLabel(AFields[i].Label)));
            tblSummaryDirections->setItem(row, 1, ValueCell(AFields[i], AValues[sdDown][i]));
            tblSummaryDirections->setItem(row, 2, ValueCell(AFields[i], AValues[sdUp][i]));
            if (!reference)
                continue;
            int column = 3;
            for (const TStatDirection direction : {sdDown, sdUp})
                tblSummaryDirections->setItem(
                    row, column++, ValueCell(AFields[i], AReferenceValues[direction][i]));
            for (const TStatDirection direction : {sdDown, sdUp})
                tblSummaryDirections->setItem(row, column++,
                                              DifferenceCell(AFields[i],
                                                             AReferenceValues[direction][i],
                                                             AValues[direction][i]));
        }
    };
    const TLineSummary& compared = reference ? *reference : FSummary;
    addRows(DirectionFields(), FSummary.Directions, compared.Directions);
    addRows(BitsFields(), FSummary.Bits, compared.Bits);
}

void TSummaryView::FillBands() {
    const TLineSummary* reference = FHasSet && FReference ? &*FReference : nullptr;
    const std::vector<std::size_t> compared = ComparedBandFields();
    QStringList extra;
    if (reference) {
        for (const std::size_t i : compared)
            extra << tr("Reference %1").arg(ShownLabel(BandFields()[i].Label));
        for (const std::size_t i : compared)
            extra << tr("Δ %1").arg(ShownLabel(BandFields()[i].Label));
    }
    SetExtraHeaders(tblSummaryBands, 2 + static_cast<int>(BandItemCount), extra);
    // The shown set's bands, then those only the reference has.
    std::vector<TBandSummary> bands = FSummary.Bands;
    if (reference)
        for (const TBandSummary& band : reference->Bands)
            if (!FindBand(FSummary, band.Direction, band.Name))
                bands.push_back({band.Direction, band.Name, {}});
    for (const TBandSummary& band : bands) {
        const int row = tblSummaryBands->rowCount();
        tblSummaryBands->insertRow(row);
        tblSummaryBands->setItem(row, 0, LabelCell(band.Name));
        tblSummaryBands->setItem(
            row, 1,
            new QTableWidgetItem(
                band.Direction == sdUp
                    ? QCoreApplication::translate("vexlorin::TSummaryView", "Upstream")
                    : QCoreApplication::translate("vexlorin::TSummaryView", "Downstream")));
        for (std::size_t i = 0; i < BandItemCount; ++i)
            tblSummaryBands->setItem(row, static_cast<int>(i) + 2,
                                     ValueCell(BandFields()[i], band.Values[i]));
        if (!reference)
            continue;
        const TBandSummary* other = FindBand(*reference, band.Direction, band.Name);
        const TBandSummary none;
        const TBandSummary& values = other ? *other : none;
        int column = 2 + static_cast<int>(BandItemCount);
        for (const std::size_t i : compared)
            tblSummaryBands->setItem(row, column++, ValueCell(BandFields()[i], values.Values[i]));
        for (const std::size_t i : compared)
            tblSummaryBands->setItem(
                row, column++, DifferenceCell(BandFields()[i], values.Values[i], band.Values[i]));
    }
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
