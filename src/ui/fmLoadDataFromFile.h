// The dialog of "Load data from file...": a profile and up to five capture files (status,
// HLog, QLN, SNR, bins) from which a new statistics set is built.
#pragma once

#include "model/uDrayData.h"
#include "ui/UserDialogs.h"

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace vexlorin {

class TfrmLoadDataFromFiles final : public QDialog {
    Q_OBJECT
public:
    // File choices go through ADialogs, which must outlive the dialog.
    TfrmLoadDataFromFiles(QWidget* AOwner, IUserDialogs& ADialogs);

    // A new set named "Loaded from file" with the chosen profile, filled from the files
    // named in the five fields (an empty field is skipped). A status capture that names
    // its profile ("Running Mode") gives the set that profile instead. Throws what the
    // import throws; the half-built set is discarded then.
    std::unique_ptr<TDrayData> GetDrayData() const;

    // The file types of the file dialog, in the order the dialog shows them.
    static QList<TFileFilter> FileTypes();

    QComboBox* cbxProfiles;
    QLineEdit* edStatusFile;
    QLineEdit* edHlogFile;
    QLineEdit* edQLNFile;
    QLineEdit* edSNRFile;
    QLineEdit* edBINFile;
    QPushButton* btnSelectStatusFile;
    QPushButton* btnSelectHLogFile;
    QPushButton* btnSelectQLNFile;
    QPushButton* btnSelectSNRFile;
    QPushButton* btnSlectBINFile;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void keyPressEvent(QKeyEvent* AEvent) override;

private:
    void btnSelectStatusFileClick() { SelectFile(edStatusFile, 1); }
    void btnSelectHLogFileClick() { SelectFile(edHlogFile, 2); }
    void btnSelectQLNFileClick() { SelectFile(edQLNFile, 3); }
    void btnSelectSNRFileClick() { SelectFile(edSNRFile, 4); }
    void btnSlectBINFileClick() { SelectFile(edBINFile, 5); }
    void SelectFile(QLineEdit* AEdit, int AFileType);

    IUserDialogs& FDialogs;
    // One file dialog serves all five buttons, so the last choice is where the next one
    // starts.
    TFileDialogOptions FOpenOptions;
};

// The command "Load data from file...": runs the dialog modally over AOwner. On Cancel
// (or the title bar's close button) returns nullptr and nothing else happens. On OK first
// calls AOnAccepted (the main window empties its views there), then builds the set and
// returns it; the caller owns it. A failure while building propagates after the set was
// discarded. The dialog is destroyed on every path.
std::unique_ptr<TDrayData> LoadDataFromFiles(QWidget* AOwner, IUserDialogs& ADialogs,
                                             const std::function<void()>& AOnAccepted);

} // namespace vexlorin
