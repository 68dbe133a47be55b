#include "ui/fmRawData.h"

#include "ui/UiResources.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <mutex>
#include <shared_mutex>

namespace vexlorin {

QPlainTextEdit* NewRawLinesBox(QWidget* AParent) {
    auto* box = new QPlainTextEdit(AParent);
    box->setReadOnly(true);
    // Keyboard selection and copying stay possible in a read-only box.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setFont(FixedPitchFont(11));
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setUndoRedoEnabled(false);
    return box;
}

QString RawLinesText(const TStringList& ALines) {
    QString text;
    for (std::size_t i = 0; i < ALines.size(); ++i) {
        if (i > 0)
            text += QLatin1Char('\n');
        text += QString::fromStdString(ALines[i]);
    }
    return text;
}

TRawLinesWindow::TRawLinesWindow(QWidget* AOwner, const QString& ACaption,
                                 TArrangement AArrangement, QSize ASize)
    : QWidget(AOwner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(UiFont(11));
    setWindowTitle(ACaption);

    auto* grid = new QGridLayout;
    lblUpstream =
        new QLabel(QCoreApplication::translate("vexlorin::TRawLinesWindow", "Upstream"), this);
    lblDownstream =
        new QLabel(QCoreApplication::translate("vexlorin::TRawLinesWindow", "Downstream"), this);
    memUS = NewRawLinesBox(this);
    memDS = NewRawLinesBox(this);
    if (AArrangement == TArrangement::SideBySide) {
        grid->addWidget(lblUpstream, 0, 0);
        grid->addWidget(lblDownstream, 0, 1);
        grid->addWidget(memUS, 1, 0);
        grid->addWidget(memDS, 1, 1);
        grid->setColumnStretch(0, 1);
        grid->setColumnStretch(1, 1);
        grid->setRowStretch(1, 1);
    } else {
        grid->addWidget(lblUpstream, 0, 0);
        grid->addWidget(memUS, 1, 0);
        grid->addWidget(lblDownstream, 2, 0);
        grid->addWidget(memDS, 3, 0);
        // Each half of the window gets the same share, whatever the labels need.
        grid->setRowStretch(1, 1);
        grid->setRowStretch(3, 1);
    }
    grid->setContentsMargins(8, 8, 8, 0);

    auto* bottom = new QWidget(this);
    bottom->setFixedHeight(44);
    auto* buttons = new QHBoxLayout(bottom);
    btnClose =
        new QPushButton(QCoreApplication::translate("vexlorin::TRawLinesWindow", "Close"), bottom);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    connect(btnClose, &QPushButton::clicked, this, &TRawLinesWindow::btnCloseClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(grid, 1);
    layout->addWidget(bottom);

    resize(ASize);
    memUS->setFocus();
}

void TRawLinesWindow::SetLines(const TStringList& AUpstream, const TStringList& ADownstream) {
    memUS->setPlainText(RawLinesText(AUpstream));
    memDS->setPlainText(RawLinesText(ADownstream));
}

void TRawLinesWindow::btnCloseClick() {
    close();
}

TfrmRawData::TfrmRawData(QWidget* AOwner)
    : TRawLinesWindow(AOwner, QCoreApplication::translate("vexlorin::TRawLinesWindow", "Raw Data"),
                      TArrangement::SideBySide, QSize(942, 560)) {}

namespace {

using TRawList = const TStringList& (TDrayData::*)() const;
using TTableLock = std::shared_mutex& (TDrayData::*)() const;

TfrmRawData* ShowRawTable(QWidget* AOwner, const TDrayData* ASet, const char* ACaption,
                          TTableLock ALock, TRawList AUpstream, TRawList ADownstream) {
    auto* form = new TfrmRawData(AOwner);
    form->setWindowTitle(QCoreApplication::translate("vexlorin::TRawLinesWindow", ACaption));
    if (ASet) {
        TStringList up;
        TStringList down;
        {
            // Held only for the copy: the boxes are filled after it is released.
            std::shared_lock lock((ASet->*ALock)());
            up = (ASet->*AUpstream)();
            down = (ASet->*ADownstream)();
        }
        form->SetLines(up, down);
    }
    form->show();
    return form;
}

} // namespace

TfrmRawData* ShowRawHLog(QWidget* AOwner, const TDrayData* ASet) {
    return ShowRawTable(AOwner, ASet,
                        QT_TRANSLATE_NOOP("vexlorin::TRawLinesWindow", "HLOG Raw Data"),
                        &TDrayData::HLogLock, &TDrayData::HLogUSRaw, &TDrayData::HLogDSRaw);
}

TfrmRawData* ShowRawQLN(QWidget* AOwner, const TDrayData* ASet) {
    return ShowRawTable(AOwner, ASet,
                        QT_TRANSLATE_NOOP("vexlorin::TRawLinesWindow", "QLN Raw Data"),
                        &TDrayData::QLNLock, &TDrayData::QLNUSRaw, &TDrayData::QLNDSRaw);
}

TfrmRawData* ShowRawSNR(QWidget* AOwner, const TDrayData* ASet) {
    return ShowRawTable(AOwner, ASet,
                        QT_TRANSLATE_NOOP("vexlorin::TRawLinesWindow", "SNR Raw Data"),
                        &TDrayData::SNRLock, &TDrayData::SNRUSRaw, &TDrayData::SNRDSRaw);
}

} // namespace vexlorin
