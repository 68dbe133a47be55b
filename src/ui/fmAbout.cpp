#include "ui/fmAbout.h"

#include "ui/UiResources.h"

#include "VexlorinVersion.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QVBoxLayout>

namespace vexlorin {

namespace {

QLabel* WrappedLabel(const QString& AText, QWidget* AParent) {
    auto* label = new QLabel(AText, AParent);
    label->setWordWrap(true);
    return label;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* AOwner) : QDialog(AOwner) {
    setWindowTitle(QCoreApplication::translate("vexlorin::TfrmAbout", "About"));
    setFont(UiFont(11));

    // Two nested bevels: lowered outside, raised inside.
    auto* outer = new QFrame(this);
    outer->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* panel = new QFrame(outer);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* outerLayout = new QVBoxLayout(outer);
    outerLayout->setContentsMargins(1, 1, 1, 1);
    outerLayout->addWidget(panel);

    imgProgramIcon = new QLabel(panel);
    imgProgramIcon->setPixmap(ProgramIcon().pixmap(32, 32));
    imgProgramIcon->setFixedSize(32, 32);
    ProductName = WrappedLabel(QStringLiteral("Vexlorin"), panel);
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    Version = WrappedLabel(QCoreApplication::translate("vexlorin::TfrmAbout", "Version %1")
                               .arg(QString::fromLatin1(ProgramVersion)),
                           panel);
    lblPurpose =
        WrappedLabel(tr("Reads the line statistics of a DrayTek Vigor VDSL router over its "
                        "telnet console and shows them as text and charts: HLog, QLN, SNR, "
                        "bit loading and gain, upstream and downstream."),
                     panel);
    lblLicence =
        WrappedLabel(QCoreApplication::translate(
                         "vexlorin::TfrmAbout",
                         "Free software under the MIT licence: use, copy, change and share it."),
                     panel);
    lblIssues =
        WrappedLabel(QCoreApplication::translate(
                         "vexlorin::TfrmAbout",
                         "Found a problem? Please report it on the project's issue tracker."),
                     panel);

    auto* head = new QGridLayout;
    head->addWidget(imgProgramIcon, 0, 0, 2, 1, Qt::AlignTop);
    head->addWidget(ProductName, 0, 1);
    head->addWidget(Version, 1, 1);
    head->setColumnStretch(1, 1);
    head->setHorizontalSpacing(12);

    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(12, 12, 12, 12);
    panelLayout->addLayout(head);
    panelLayout->addSpacing(16);
    panelLayout->addWidget(lblPurpose);
    panelLayout->addWidget(lblLicence);
    panelLayout->addWidget(lblIssues);
    panelLayout->addStretch();

    OKButton = new QPushButton(QCoreApplication::translate("vexlorin::TfrmAbout", "OK"), this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(outer, 1);
    layout->addLayout(buttons);

    setFixedSize(363, 312);
    OKButton->setFocus();
}

void TfrmAbout::showEvent(QShowEvent* AEvent) {
    QDialog::showEvent(AEvent);
    // Centred on the screen, not over the main window.
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void ShowAbout(QWidget* AOwner) {
    // Guarded: should the owner go away while the box runs, it takes the box along.
    QPointer<TfrmAbout> box = new TfrmAbout(AOwner);
    const auto release = qScopeGuard([&box] { delete box.data(); });
    box->exec();
}

} // namespace vexlorin
