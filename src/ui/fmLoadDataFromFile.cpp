#include "ui/fmLoadDataFromFile.h"

#include "ui/UiResources.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

namespace vexlorin {

namespace {

// The profile list's positions are the values of TVDSLProfile, in the same order.
constexpr std::array<const char*, VDSLProfileCount> ProfileItems = {
    "N/A", "8a", "8b", "8c", "8d", "12a", "12b", "17a", "30a", "35b"};

std::string FileNameOf(const QLineEdit* AEdit) {
    return AEdit->text().toStdString();
}

} // namespace

QList<TFileFilter> TfrmLoadDataFromFiles::FileTypes() {
    return {
        {QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "Text files (*.txt)"),
         QStringLiteral("*.txt")},
        {QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "HLog files (*.hlog)"),
         QStringLiteral("*.hlog")},
        {QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "QLN files (*.qln)"),
         QStringLiteral("*.qln")},
        {QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "SNR files (*.snr)"),
         QStringLiteral("*.snr")},
        {QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "Bins files (*.bins)"),
         QStringLiteral("*.bins")},
        {QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "Any file (*.*)"),
         QStringLiteral("*.*")},
    };
}

TfrmLoadDataFromFiles::TfrmLoadDataFromFiles(QWidget* AOwner, IUserDialogs& ADialogs)
    : QDialog(AOwner), FDialogs(ADialogs) {
    setWindowTitle(
        QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "Load data from files"));
    setFont(UiFont(11));
    FOpenOptions.Title =
        QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "Load file");
    FOpenOptions.Filters = FileTypes();

    cbxProfiles = new QComboBox(this);
    cbxProfiles->setEditable(false);
    for (const char* item : ProfileItems)
        cbxProfiles->addItem(QString::fromLatin1(item));
    cbxProfiles->setCurrentIndex(vpNA);

    edStatusFile = new QLineEdit(this);
    edStatusFile->setObjectName(QStringLiteral("edStatusFile"));
    edStatusFile->setToolTip(QStringLiteral(
        "A capture of the router's answer to \"vdsl status\" (and the other status answers)"));
    edHlogFile = new QLineEdit(this);
    edQLNFile = new QLineEdit(this);
    edSNRFile = new QLineEdit(this);
    edBINFile = new QLineEdit(this);
    btnSelectStatusFile = new QPushButton(
        QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "Select..."), this);
    btnSelectStatusFile->setObjectName(QStringLiteral("btnSelectStatusFile"));
    btnSelectStatusFile->setToolTip(
        QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "Select status capture..."));
    btnSelectStatusFile->setAccessibleName(
        QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "Select status capture..."));
    btnSelectHLogFile = new QPushButton(
        QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "Select..."), this);
    btnSelectQLNFile = new QPushButton(
        QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "Select..."), this);
    btnSelectSNRFile = new QPushButton(
        QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "Select..."), this);
    btnSlectBINFile = new QPushButton(
        QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "Select..."), this);

    auto* grid = new QGridLayout;
    const auto addRow = [&](int ARow, const char* ACaption, QWidget* AField, QWidget* AButton) {
        auto* label = new QLabel(QString::fromLatin1(ACaption), this);
        label->setBuddy(AField);
        grid->addWidget(label, ARow, 0);
        grid->addWidget(AField, ARow, 1);
        if (AButton)
            grid->addWidget(AButton, ARow, 2);
    };
    addRow(0, "&Profile:", cbxProfiles, nullptr);
    addRow(1, "S&tatus:", edStatusFile, btnSelectStatusFile);
    addRow(2, "&HLog file:", edHlogFile, btnSelectHLogFile);
    addRow(3, "&QLN file:", edQLNFile, btnSelectQLNFile);
    addRow(4, "&SNR file:", edSNRFile, btnSelectSNRFile);
    addRow(5, "&Bins file:", edBINFile, btnSlectBINFile);
    grid->setColumnStretch(1, 1);
    cbxProfiles->setMinimumWidth(80);
    grid->setAlignment(cbxProfiles, Qt::AlignLeft);

    btnOK = new QPushButton(QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "&OK"),
                            this);
    btnCancel = new QPushButton(
        QCoreApplication::translate("vexlorin::TfrmLoadDataFromFiles", "Cancel"), this);
    btnOK->setDefault(true);
    btnOK->setAutoDefault(true);
    // Only the OK button reacts to Enter, wherever the focus is.
    for (QPushButton* button : {btnSelectStatusFile, btnSelectHLogFile, btnSelectQLNFile,
                                btnSelectSNRFile, btnSlectBINFile, btnCancel})
        button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(btnSelectStatusFile, &QPushButton::clicked, this,
            &TfrmLoadDataFromFiles::btnSelectStatusFileClick);
    connect(btnSelectHLogFile, &QPushButton::clicked, this,
            &TfrmLoadDataFromFiles::btnSelectHLogFileClick);
    connect(btnSelectQLNFile, &QPushButton::clicked, this,
            &TfrmLoadDataFromFiles::btnSelectQLNFileClick);
    connect(btnSelectSNRFile, &QPushButton::clicked, this,
            &TfrmLoadDataFromFiles::btnSelectSNRFileClick);
    connect(btnSlectBINFile, &QPushButton::clicked, this,
            &TfrmLoadDataFromFiles::btnSlectBINFileClick);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    // One row more than the four captures of the tables: the status capture.
    setFixedSize(467, 256);
}

void TfrmLoadDataFromFiles::keyPressEvent(QKeyEvent* AEvent) {
    // Escape does not cancel the dialog: a stray key must not throw away four file names.
    if (AEvent->key() == Qt::Key_Escape && AEvent->modifiers() == Qt::NoModifier) {
        AEvent->accept();
        return;
    }
    QDialog::keyPressEvent(AEvent);
}

void TfrmLoadDataFromFiles::SelectFile(QLineEdit* AEdit, int AFileType) {
    FOpenOptions.FilterIndex = AFileType;
    if (const std::optional<QString> chosen = FDialogs.OpenFileName(FOpenOptions)) {
        AEdit->setText(*chosen);
        FOpenOptions.FileName = *chosen;
    }
}

std::unique_ptr<TDrayData> TfrmLoadDataFromFiles::GetDrayData() const {
    auto set = std::make_unique<TDrayData>("Loaded from file");
    set->SetVDSLProfile(SafeProfile(static_cast<unsigned>(cbxProfiles->currentIndex())));
    set->LoadStatusFromFile(FileNameOf(edStatusFile));
    set->LoadHLogFromFile(FileNameOf(edHlogFile));
    set->LoadQLNFromFile(FileNameOf(edQLNFile));
    set->LoadSNRFromFile(FileNameOf(edSNRFile));
    set->LoadBinsFromFile(FileNameOf(edBINFile));
    return set;
}

std::unique_ptr<TDrayData> LoadDataFromFiles(QWidget* AOwner, IUserDialogs& ADialogs,
                                             const std::function<void()>& AOnAccepted) {
    // Guarded: should the owner go away while the dialog runs, it takes the dialog along.
    QPointer<TfrmLoadDataFromFiles> dialog = new TfrmLoadDataFromFiles(AOwner, ADialogs);
    const auto release = qScopeGuard([&dialog] { delete dialog.data(); });
    if (dialog->exec() != QDialog::Accepted || !dialog)
        return nullptr;
    if (AOnAccepted)
        AOnAccepted();
    return dialog->GetDrayData();
}

} // namespace vexlorin
