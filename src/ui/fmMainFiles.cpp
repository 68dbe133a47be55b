// The main window's file commands: configuration files, statistics files, the sets built
// from text captures, and the auxiliary windows opened from the window's buttons.
#include "model/ConfigFile.h"
#include "ui/Messages.h"
#include "ui/SummaryView.h"
#include "ui/fmAbout.h"
#include "ui/fmLoadDataFromFile.h"
#include "ui/fmMain.h"
#include "ui/fmRawBins.h"
#include "ui/fmRawData.h"
#include "ui/fmxDLSStatLegend.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>

namespace vexlorin {

namespace {

std::string LocalPath(const QString& AFileName) {
    return QFile::encodeName(AFileName).toStdString();
}

// The hourglass for as long as the command runs, also when it fails.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// Puts each setting into its field the moment it is read, so a file that breaks off
// half-way leaves the fields read so far changed and the others as they were.
class TConfigFields final : public IConfigFileVisitor {
public:
    struct TFields {
        QLineEdit& Router;
        QSpinBox& Port;
        QLineEdit& User;
        QCheckBox& IncludeBins;
        QCheckBox& SNROnlyFirst512Bins;
        QLineEdit& RouterName;
    };
    explicit TConfigFields(const TFields& AFields) : FFields(AFields) {}
    void RouterAddressRead(const std::string& AValue) override {
        FFields.Router.setText(QString::fromStdString(AValue));
    }
    void PortRead(int32_t AValue) override { FFields.Port.setValue(AValue); }
    void UserRead(const std::string& AValue) override {
        FFields.User.setText(QString::fromStdString(AValue));
    }
    void IncludeBinsRead(bool AValue) override { FFields.IncludeBins.setChecked(AValue); }
    void SNROnlyFirst512BinsRead(bool AValue) override {
        FFields.SNROnlyFirst512Bins.setChecked(AValue);
    }
    void RouterNameRead(const std::string& AValue) override {
        FFields.RouterName.setText(QString::fromStdString(AValue));
    }

private:
    TFields FFields;
};

} // namespace

// ---------------------------------------------------------------------------------------
// Configuration file

void TfrmMain::btnLoadConfigurationClick() {
    if (const auto name = FDialogs->OpenFileName(dlgOpen))
        LoadConfiguration(*name);
}

void TfrmMain::btnSaveCfgClick() {
    if (const auto name = FDialogs->SaveFileName(dlgSave))
        SaveConfiguration(*name);
}

void TfrmMain::LoadConfiguration(const QString& AFileName) {
    TConfigFields fields(
        {*edRouter, *udTelnetPort, *edUser, *chkShowBins, *chkSNRBug, *edRouterName});
    try {
        LoadConfigFile(LocalPath(AFileName), fields);
    } catch (const EConfigFileError& e) {
        FDialogs->ShowRefusal(ShownMessage(std::string(e.what())));
    }
}

void TfrmMain::SaveConfiguration(const QString& AFileName) {
    // The password stays out of the file.
    TConfigSettings settings;
    settings.RouterAddress = edRouter->text().toStdString();
    settings.Port = udTelnetPort->value();
    settings.User = edUser->text().toStdString();
    settings.IncludeBins = chkShowBins->isChecked();
    settings.SNROnlyFirst512Bins = chkSNRBug->isChecked();
    settings.RouterName = edRouterName->text().toStdString();
    SaveConfigFile(LocalPath(AFileName), settings);
}

// ---------------------------------------------------------------------------------------
// Statistics files

void TfrmMain::acnLoadStatFromFileExecute() {
    LoadStatistics();
}

void TfrmMain::acnSaveStatToFileExecute() {
    SaveStatistics();
}

void TfrmMain::SaveStatistics() {
    // A fresh proposal each time, from the clock and the router name field of this moment.
    dlgSaveStatistcs.FileName = GetDefaultFileName();
    const auto name = FDialogs->SaveFileName(dlgSaveStatistcs);
    if (!name)
        return;
    TBusyCursor busy;
    if (const TDrayData* selected = GetSelectedDrayData())
        selected->SaveToFile(LocalPath(*name));
}

void TfrmMain::LoadStatistics() {
    const auto name = FDialogs->OpenFileName(dlgLoadStatFromFile);
    if (!name)
        return;
    auto data = std::make_unique<TDrayData>();
    data->LoadFromFile(LocalPath(*name));
    const QString setName = QString::fromStdString(data->Name());
    for (int row = 0; row < lbxStatistics->count(); ++row) {
        if (QString::compare(lbxStatistics->item(row)->text(), setName, Qt::CaseInsensitive) == 0) {
            FDialogs->ShowRefusal(
                QCoreApplication::translate("vexlorin::TfrmMain", "Data already loaded"));
            return;
        }
    }
    FDrayDataList->Add(std::move(data));
    DisplayTextData(nullptr);
    DisplayChartData(nullptr);
    if (const TDrayData* selected = GetSelectedDrayData()) {
        UpdateProfileLabel(selected->VDSLProfile());
        DisplayTextData(selected);
        DisplayChartData(selected);
    }
}

// ---------------------------------------------------------------------------------------
// Sets from text captures, auxiliary windows

void TfrmMain::acnLoadDataFromFileExecute() {
    auto data = LoadDataFromFiles(this, *FDialogs, [this] {
        DisplayTextData(nullptr);
        DisplayChartData(nullptr);
    });
    if (!data)
        return;
    const TDrayData* added = FDrayDataList->Add(std::move(data));
    UpdateProfileLabel(added->VDSLProfile());
    DisplayTextData(added); // empty without a status capture
    DisplayChartData(added);
    // A line imported from its status text alone is best seen in its summary.
    pgcMain->setCurrentWidget(added->Stats().empty() || !added->HLogDSRaw().empty()
                                  ? FCharts->Page(TChartPage::HLog)
                                  : static_cast<QWidget*>(FSummaryView));
}

void TfrmMain::acnShowLegendExecute() {
    ShowLegend();
}

void TfrmMain::btnAboutClick() {
    ShowAbout(this);
}

void TfrmMain::btnHLogShowRawClick() {
    ShowRawHLog(this, GetSelectedDrayData());
}

void TfrmMain::btnQLNShowRawDataClick() {
    ShowRawQLN(this, GetSelectedDrayData());
}

void TfrmMain::btnSNRShowRawDataClick() {
    ShowRawSNR(this, GetSelectedDrayData());
}

void TfrmMain::btnBinShowRawDataClick() {
    ShowRawBins(this, GetSelectedDrayData());
}

} // namespace vexlorin
