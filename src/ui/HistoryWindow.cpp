#include "ui/HistoryWindow.h"

#include "ui/HistoryWaterfall.h"
#include "ui/LineCharts.h"
#include "ui/fmMain.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vexlorin {

TFileDialogOptions HistoryFileDialog(const QString& ATitle) {
    TFileDialogOptions options;
    options.Title = ATitle;
    options.Filters = {{THistoryWindow::tr("History file (*.sqlite)"), QStringLiteral("*.sqlite")},
                       {THistoryWindow::tr("All files (*)"), QStringLiteral("*")}};
    options.DefaultExt = QStringLiteral("sqlite");
    return options;
}

THistoryWindow::THistoryWindow(IUserDialogs& ADialogs, QWidget* AParent)
    : QWidget(AParent, Qt::Window), FDialogs(ADialogs) {
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(tr("Vexlorin - history"));
    resize(1100, 800);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* top = new QHBoxLayout;
    btnOpenHistory = new QPushButton(tr("Open history..."), this);
    btnOpenHistory->setObjectName(QStringLiteral("btnOpenHistory"));
    lblHistoryFile = new QLabel(tr("No history file open"), this);
    lblHistoryFile->setObjectName(QStringLiteral("lblHistoryFile"));
    lblHistoryFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblToneViews = new QLabel(this);
    lblToneViews->setObjectName(QStringLiteral("lblToneViews"));
    lblToneViews->hide();
    top->addWidget(btnOpenHistory);
    top->addWidget(lblHistoryFile, 1);
    top->addWidget(lblToneViews);
    layout->addLayout(top);
    FCharts = new THistoryCharts(FDialogs, this);
    layout->addWidget(FCharts, 1);

    dlgOpenHistory = HistoryFileDialog(tr("Open history file"));
    connect(btnOpenHistory, &QPushButton::clicked, this, [this] { btnOpenHistoryClick(); });
    connect(FCharts, &THistoryCharts::RangeChosen, this, [this] {
        FToneViewsStale = true;
        UpdateToneViewsWhenShown();
    });
    connect(FCharts, &THistoryCharts::ToneViewChanged, this, [this] {
        FToneViewsStale = true;
        UpdateToneViewsWhenShown();
    });
    connect(FCharts, &THistoryCharts::TimeClicked, this,
            [this](double ATimeMs) { OpenNearestSet(ATimeMs); });

    tmrFollow = new QTimer(this);
    tmrFollow->setObjectName(QStringLiteral("tmrFollow"));
    tmrFollow->setInterval(2000);
    connect(tmrFollow, &QTimer::timeout, this, [this] { Follow(); });

    tmrToneViews = new QTimer(this);
    tmrToneViews->setObjectName(QStringLiteral("tmrToneViews"));
    tmrToneViews->setInterval(50);
    connect(tmrToneViews, &QTimer::timeout, this, [this] { PollToneViews(); });
}

THistoryWindow::~THistoryWindow() {
    // Its threads end before anything they could report to goes.
    CancelToneViews();
}

void THistoryWindow::showEvent(QShowEvent* AEvent) {
    QWidget::showEvent(AEvent);
    UpdateToneViewsWhenShown();
}

void THistoryWindow::hideEvent(QHideEvent* AEvent) {
    QWidget::hideEvent(AEvent);
    // A closed window computes nothing; it computes again when shown and asked.
    if (FToneJob) {
        CancelToneViews();
        FToneViewsStale = true;
    }
}

void THistoryWindow::btnOpenHistoryClick() {
    dlgOpenHistory.FileName = FFileName;
    if (const std::optional<QString> file = FDialogs.OpenFileName(dlgOpenHistory))
        OpenFile(*file);
}

bool THistoryWindow::OpenFile(const QString& AFileName) {
    std::unique_ptr<THistorySource> source;
    THistorySeries series;
    try {
        if (!QFileInfo::exists(AFileName))
            throw history::EHistoryError(
                tr("The history file \"%1\" does not exist. Choose a file recorded by "
                   "\"Watch\" or by vexlorin-cli watch.")
                    .arg(AFileName)
                    .toStdString());
        source = THistorySource::Open(AFileName.toStdString());
        series = source->Read();
    } catch (const std::exception& e) {
        // What was shown stays; the file was opened read-only and is as it was.
        FDialogs.ShowRefusal(QString::fromStdString(e.what()));
        return false;
    }
    // A computation for the file shown before would show its sets.
    CancelToneViews();
    FSource = std::move(source);
    FSeries = std::move(series);
    FFileName = AFileName;
    ShowLine();
    FCharts->Show(FSeries, true);
    FToneViewsStale = true;
    UpdateToneViewsWhenShown();
    tmrFollow->start();
    return true;
}

void THistoryWindow::ShowLine() {
    const history::TLineInfo* line = FSource ? FSource->Line() : nullptr;
    QString text = FFileName;
    if (line)
        text +=
            tr(" - %1:%2 (%3), %n samples", nullptr, static_cast<int>(FSeries.SampleTimesMs.size()))
                .arg(QString::fromStdString(line->Key.Host))
                .arg(line->Key.Port)
                .arg(QString::fromStdString(line->Key.RouterName));
    else
        text += tr(" - no samples yet");
    lblHistoryFile->setText(text);
    setWindowTitle(tr("Vexlorin - history - %1").arg(QFileInfo(FFileName).fileName()));
}

void THistoryWindow::SetFollowInterval(int AMs) {
    tmrFollow->setInterval(AMs);
}

void THistoryWindow::Follow() {
    if (!FSource)
        return;
    try {
        if (!FSource->Changed())
            return;
        const std::size_t sets = FSeries.SetTimesMs.size();
        if (!FSource->ReadNewer(FSeries))
            return;
        ShowLine();
        FCharts->Show(FSeries, false);
        // New sets change the envelope and the waterfall only when the range shows them.
        if (FSeries.SetTimesMs.size() != sets &&
            static_cast<double>(FSeries.SetTimesMs.back()) <= FCharts->RangeTo()) {
            FToneViewsStale = true;
            UpdateToneViewsWhenShown();
        }
    } catch (const std::exception& e) {
        // A file that went away or broke while followed: stop following, keep what is shown.
        tmrFollow->stop();
        FDialogs.ShowRefusal(
            tr("The history file can no longer be read: %1").arg(QString::fromStdString(e.what())));
    }
}

void THistoryWindow::UpdateToneViewsWhenShown() {
    if (FToneViewsStale && FCharts->ToneViewsShown())
        UpdateToneViews();
}

void THistoryWindow::UpdateToneViews() {
    if (!FSource)
        return;
    FToneViewsStale = false;
    TToneViewRequest request;
    request.FromMs = FCharts->RangeFrom();
    request.ToMs = FCharts->RangeTo();
    request.Quantity = FCharts->Quantity();
    request.WaterfallDirection = FCharts->WaterfallDirection();
    request.Rows = std::max(50, FCharts->Waterfall()->RowsWanted());
    request.Columns = std::max(100, FCharts->Waterfall()->ColumnsWanted());
    request.SNROnlyFirst512 = FSNROnlyFirst512;
    CancelToneViews();
    if (FSource->Path().empty()) {
        // A store without a file of its own (never the case for an opened file): here.
        try {
            const TToneViews views = FSource->ToneViews(request);
            FCharts->ShowEnvelope(views.DS, views.US);
            FCharts->ShowWaterfall(views.Waterfall);
        } catch (const std::exception& e) {
            FDialogs.ShowRefusal(QString::fromStdString(e.what()));
        }
        return;
    }
    FToneJob =
        std::make_unique<history::TToneViewsJob>(FSource->Path(), FSource->LineId(), request);
    lblToneViews->setText(tr("Computing the envelope and the waterfall..."));
    lblToneViews->show();
    tmrToneViews->start();
}

void THistoryWindow::CancelToneViews() {
    tmrToneViews->stop();
    lblToneViews->hide();
    FToneJob.reset();
}

void THistoryWindow::PollToneViews() {
    if (!FToneJob)
        return;
    if (!FToneJob->Done()) {
        const int64_t total = FToneJob->SetsTotal();
        if (total > 0)
            lblToneViews->setText(tr("Computing the envelope and the waterfall: %1 of %2 sets...")
                                      .arg(FToneJob->SetsDone())
                                      .arg(total));
        return;
    }
    tmrToneViews->stop();
    lblToneViews->hide();
    const std::unique_ptr<history::TToneViewsJob> job = std::move(FToneJob);
    try {
        const TToneViews views = job->Take();
        FCharts->ShowEnvelope(views.DS, views.US);
        FCharts->ShowWaterfall(views.Waterfall);
    } catch (const std::exception& e) {
        FDialogs.ShowRefusal(QString::fromStdString(e.what()));
    }
}

bool THistoryWindow::OpenNearestSet(double ATimeMs) {
    if (!FSource)
        return false;
    int64_t sampleTime = 0;
    std::unique_ptr<TDrayData> set;
    try {
        set = FSource->NearestSet(ATimeMs, &sampleTime);
    } catch (const std::exception& e) {
        FDialogs.ShowRefusal(QString::fromStdString(e.what()));
        return false;
    }
    if (!set)
        return false;
    const history::TLineInfo* line = FSource->Line();
    set->SetName(DefaultFileName(QDateTime::fromMSecsSinceEpoch(sampleTime),
                                 line ? QString::fromStdString(line->Key.RouterName) : QString())
                     .toStdString());
    if (FOnSetChosen)
        FOnSetChosen(std::move(set), sampleTime);
    return true;
}

} // namespace vexlorin
