#include "ui/UserDialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace vexlorin {

QString FailureText(const QString& AMessage) {
    if (AMessage.endsWith(QLatin1Char('.')))
        return AMessage;
    return AMessage + QLatin1Char('.');
}

QString FilterString(const QList<TFileFilter>& AFilters) {
    QStringList parts;
    for (const TFileFilter& filter : AFilters) {
        const QString shown = QStringLiteral("(") + filter.Mask + QStringLiteral(")");
        // Qt reads the patterns from the parentheses, so the mask must be there even
        // when the label does not show it.
        parts << (filter.Label.endsWith(shown) ? filter.Label
                                               : filter.Label + QLatin1Char(' ') + shown);
    }
    return parts.join(QStringLiteral(";;"));
}

QString TRecentFolders::KindOf(const TFileDialogOptions& AOptions) {
    if (!AOptions.DefaultExt.isEmpty())
        return AOptions.DefaultExt.toLower();
    return AOptions.Filters.isEmpty() ? QString() : AOptions.Filters.constFirst().Mask.toLower();
}

QString TRecentFolders::FolderFor(const TFileDialogOptions& AOptions) const {
    return FFolders.value(KindOf(AOptions));
}

void TRecentFolders::Remember(const TFileDialogOptions& AOptions, const QString& AChosenFile) {
    FFolders.insert(KindOf(AOptions), QFileInfo(AChosenFile).absolutePath());
}

TRecentFolders& ProgramRecentFolders() {
    static TRecentFolders folders;
    return folders;
}

void TQtUserDialogs::ShowFailure(const QString& AMessage) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), AMessage,
                    QMessageBox::Ok, FParent);
    box.exec();
}

void TQtUserDialogs::ShowRefusal(const QString& AMessage) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), AMessage,
                    QMessageBox::NoButton, FParent);
    box.addButton(QCoreApplication::translate("TQtUserDialogs", "Close"), QMessageBox::RejectRole);
    box.exec();
}

namespace {

std::optional<QString> RunFileDialog(QWidget* AParent, const TFileDialogOptions& AOptions,
                                     QFileDialog::AcceptMode AMode) {
    QFileDialog dialog(AParent, AOptions.Title);
    dialog.setAcceptMode(AMode);
    dialog.setFileMode(AMode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                        : QFileDialog::AnyFile);
    dialog.setNameFilter(FilterString(AOptions.Filters));
    const QStringList filters = dialog.nameFilters();
    if (AOptions.FilterIndex >= 1 && AOptions.FilterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(AOptions.FilterIndex - 1));
    if (!AOptions.DefaultExt.isEmpty())
        dialog.setDefaultSuffix(AOptions.DefaultExt);
    if (!AOptions.OverwritePrompt)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // A proposed name with a folder of its own keeps that folder.
    const QString folder = ProgramRecentFolders().FolderFor(AOptions);
    if (!folder.isEmpty() && !QFileInfo(AOptions.FileName).isAbsolute() && QDir(folder).exists())
        dialog.setDirectory(folder);
    if (!AOptions.FileName.isEmpty())
        dialog.selectFile(AOptions.FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    ProgramRecentFolders().Remember(AOptions, chosen);
    return chosen;
}

} // namespace

std::optional<QString> TQtUserDialogs::OpenFileName(const TFileDialogOptions& AOptions) {
    return RunFileDialog(FParent, AOptions, QFileDialog::AcceptOpen);
}

std::optional<QString> TQtUserDialogs::SaveFileName(const TFileDialogOptions& AOptions) {
    return RunFileDialog(FParent, AOptions, QFileDialog::AcceptSave);
}

} // namespace vexlorin
