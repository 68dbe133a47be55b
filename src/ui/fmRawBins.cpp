#include "ui/fmRawBins.h"

#include "ui/UiResources.h"
#include "ui/fmRawData.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <mutex>
#include <shared_mutex>

namespace vexlorin {

TfrmRawBins::TfrmRawBins(QWidget* AOwner)
    : QWidget(AOwner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(UiFont(11));
    setWindowTitle(QStringLiteral("Raw bins data"));

    auto* grid = new QGridLayout;
    lblUpstream = new QLabel(QStringLiteral("Upstream"), this);
    lblDownstream = new QLabel(QStringLiteral("Downstream"), this);
    memUS = NewRawLinesBox(this);
    memDS = NewRawLinesBox(this);
    grid->addWidget(lblUpstream, 0, 0);
    grid->addWidget(memUS, 1, 0);
    grid->addWidget(lblDownstream, 2, 0);
    grid->addWidget(memDS, 3, 0);
    // Each half of the window gets the same share, whatever the labels need.
    grid->setRowStretch(1, 1);
    grid->setRowStretch(3, 1);
    grid->setContentsMargins(8, 8, 8, 0);

    auto* bottom = new QWidget(this);
    bottom->setFixedHeight(44);
    auto* buttons = new QHBoxLayout(bottom);
    btnClose = new QPushButton(QStringLiteral("Close"), bottom);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    connect(btnClose, &QPushButton::clicked, this, &TfrmRawBins::btnCloseClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(grid, 1);
    layout->addWidget(bottom);

    resize(622, 515);
    memUS->setFocus();
    show();
}

void TfrmRawBins::SetLines(const TStringList& AUpstream, const TStringList& ADownstream) {
    memUS->setPlainText(RawLinesText(AUpstream));
    memDS->setPlainText(RawLinesText(ADownstream));
}

void TfrmRawBins::btnCloseClick() {
    close();
}

TfrmRawBins* ShowRawBins(QWidget* AOwner, const TDrayData* ASet) {
    auto* form = new TfrmRawBins(AOwner);
    if (ASet) {
        TStringList up;
        TStringList down;
        {
            std::shared_lock lock(ASet->BinStatLock());
            up = ASet->BinStatsUSRaw();
            down = ASet->BinStatsDSRaw();
        }
        form->SetLines(up, down);
    }
    form->show();
    return form;
}

} // namespace vexlorin
