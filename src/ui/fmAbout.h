// The about box: program name, version, icon and three lines about the program.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace vexlorin {

class TfrmAbout final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* AOwner);

    QLabel* imgProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* lblPurpose;
    QLabel* lblLicence;
    QLabel* lblIssues;
    QPushButton* OKButton;

protected:
    void showEvent(QShowEvent* AEvent) override;
};

// "About...": shows the about box modally over AOwner and destroys it when it closes.
void ShowAbout(QWidget* AOwner);

} // namespace vexlorin
