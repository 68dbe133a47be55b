// Every message box and file dialog of the windows goes through IUserDialogs, so the
// windows can be driven by tests without a modal window ever blocking.
#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

class QWidget;

namespace vexlorin {

// One file type of a file dialog: the label the user sees and its mask ("*.conf").
struct TFileFilter {
    QString Label;
    QString Mask;
};

// What a file-open or file-save dialog is asked to show.
struct TFileDialogOptions {
    QString Title;                // empty: the platform's default title
    QList<TFileFilter> Filters;   // in the order shown
    int FilterIndex = 1;          // preselected file type, counted from 1
    QString DefaultExt;           // without dot; added to a typed name without extension
    QString FileName;             // proposed name (save) or preselected file (open)
    bool OverwritePrompt = false; // save: ask before replacing an existing file
};

class IUserDialogs {
public:
    virtual ~IUserDialogs() = default;

    // A command failed: the application title, a stop icon, an OK button. The message
    // is shown as given; use FailureText() for the full stop.
    virtual void ShowFailure(const QString& AMessage) = 0;
    // One of the program's own refusals: an error box with a single "Close" button.
    virtual void ShowRefusal(const QString& AMessage) = 0;
    // The chosen file, or nothing when the user cancelled.
    virtual std::optional<QString> OpenFileName(const TFileDialogOptions& AOptions) = 0;
    virtual std::optional<QString> SaveFileName(const TFileDialogOptions& AOptions) = 0;
};

// The failure message as the failure box shows it: a full stop is appended when the
// message does not end with one.
QString FailureText(const QString& AMessage);

// The filter string of a Qt file dialog for the given file types ("Label (*.x)" each,
// the mask added to the label when the label does not already show it).
QString FilterString(const QList<TFileFilter>& AFilters);

// The folder the file dialogs for a kind of file open in: the one a file of that kind was
// last chosen in while the program runs. The kind is the dialog's default extension, or its
// first file type's mask when it has none.
class TRecentFolders {
public:
    static QString KindOf(const TFileDialogOptions& AOptions);
    // Empty while no file of the kind was chosen.
    QString FolderFor(const TFileDialogOptions& AOptions) const;
    void Remember(const TFileDialogOptions& AOptions, const QString& AChosenFile);

private:
    QHash<QString, QString> FFolders;
};

// The folders the program's real file dialogs share.
TRecentFolders& ProgramRecentFolders();

// The real boxes and dialogs, modal over AParent.
class TQtUserDialogs final : public IUserDialogs {
public:
    explicit TQtUserDialogs(QWidget* AParent) : FParent(AParent) {}

    void ShowFailure(const QString& AMessage) override;
    void ShowRefusal(const QString& AMessage) override;
    std::optional<QString> OpenFileName(const TFileDialogOptions& AOptions) override;
    std::optional<QString> SaveFileName(const TFileDialogOptions& AOptions) override;

private:
    QWidget* FParent;
};

} // namespace vexlorin
