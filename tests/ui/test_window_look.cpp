// The window as a user sees it: the direction colours of the bars pixel for pixel, the
// legend beside the data, margins on automatic ranges, a list that keeps its selection,
// readable dark controls, the legend window's spacing, file dialogs that remember their
// folder, and the window in German.
#include "TestSupport.h"
#include "ui/Application.h"
#include "ui/DarkStyle.h"
#include "ui/Messages.h"
#include "ui/fmxDLSStatLegend.h"

#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLocale>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QtTest/QTest>

#include <functional>
#include <memory>

namespace vexlorin {
namespace {

using test::Child;
using test::MakeSet;
using test::PlotOf;
using test::TMainControls;
using test::TSetOptions;
using test::WindowTest;

int CountExact(const QImage& AImage, const QRect& AArea, const QColor& AColour) {
    int count = 0;
    const QRect area = AArea.intersected(AImage.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += AImage.pixelColor(x, y) == AColour ? 1 : 0;
    return count;
}

// --- bars ------------------------------------------------------------------------------

// Thousands of tones on a few hundred pixels: every bar is a fraction of a pixel wide, yet
// both directions must show in exactly their colours, at every size and zoom.
TEST(ChartBars, DirectionsKeepTheirExactColours) {
    struct Case {
        int Tones;
        QSize Size;
        double ZoomTo; // 0: the whole range
    };
    const Case cases[] = {{8192, {1000, 400}, 0},
                          {4096, {600, 300}, 0},
                          {8192, {1000, 400}, 200},
                          {512, {300, 200}, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Tones);
        TChart chart;
        chart.resize(c.Size);
        chart.BottomAxis().SetMinMax(0, c.ZoomTo > 0 ? c.ZoomTo : c.Tones);
        chart.LeftAxis().SetMinMax(0, 16);
        TChartSeries* up = chart.AddBarSeries();
        up->SetColor(USColor);
        TChartSeries* down = chart.AddBarSeries();
        down->SetColor(DSColor);
        up->BeginUpdate();
        down->BeginUpdate();
        // A band plan of its kind: stretches of upstream tones between downstream ones.
        for (int tone = 0; tone < c.Tones; ++tone) {
            const bool upstream = (tone / 100) % 3 == 1;
            up->Add(upstream ? 2 + tone % 12 : 0);
            down->Add(upstream ? 0 : 2 + tone % 12);
        }
        up->EndUpdate();
        down->EndUpdate();
        chart.RedrawNow();
        const QImage image = chart.ToImage();
        const QRect plot = chart.PlotArea();
        EXPECT_GT(CountExact(image, plot, DSColor), plot.width() / 4);
        EXPECT_GT(CountExact(image, plot, USColor), plot.width() / 8);
        // No blend of a direction's colour with the white behind it.
        EXPECT_EQ(CountExact(image, plot, QColor(0x97, 0x97, 0xFF)), 0);
    }
}

// --- legend ----------------------------------------------------------------------------

TEST(ChartLegend, OutsideThePlotAndOnlyWithData) {
    TChart chart;
    chart.resize(800, 400);
    chart.BottomAxis().SetMinMax(0, 100);
    chart.RedrawNow();
    EXPECT_FALSE(chart.LegendShown());
    EXPECT_TRUE(chart.LegendArea().isEmpty());

    // A series without points is no data either.
    TChartSeries* series = chart.AddLineSeries();
    series->SetTitle(QStringLiteral("DS"));
    series->SetColor(DSColor);
    chart.Refresh();
    chart.RedrawNow();
    EXPECT_FALSE(chart.LegendShown());

    // Data right up to the top right corner, where a legend inside the plot would sit.
    for (int x = 0; x <= 100; ++x)
        series->AddXY(x, x);
    chart.Refresh();
    chart.RedrawNow();
    ASSERT_TRUE(chart.LegendShown());
    EXPECT_FALSE(chart.LegendArea().isEmpty());
    EXPECT_FALSE(chart.LegendArea().intersects(chart.PlotArea()));
    // A legend of two lines' height at most, and a plot that keeps the chart's space.
    EXPECT_LT(chart.LegendArea().height(), 2 * chart.fontMetrics().height() + 12);
    EXPECT_GT(chart.PlotArea().height(), chart.height() / 2);
    EXPECT_TRUE(QRect(QPoint(0, 0), chart.size()).contains(chart.LegendArea()));

    chart.DeleteAllSeries();
    chart.RedrawNow();
    EXPECT_FALSE(chart.LegendShown());
}

TEST_F(WindowTest, EveryChartOfASetHasItsLegendBesideTheData) {
    TSetOptions options;
    options.Profile = vp35b;
    Add("35b", options);
    Window->lbxStatisticsClick();
    for (TChart* chart : Window->LineCharts().Charts()) {
        SCOPED_TRACE(chart->objectName().toStdString());
        // The size of a chart page at 1024x700, hidden pages included.
        chart->resize(740, 560);
        chart->RedrawNow();
        ASSERT_TRUE(chart->LegendShown());
        EXPECT_FALSE(chart->LegendArea().intersects(chart->PlotArea()));
    }
    // An emptied window shows no empty legend boxes.
    Window->DisplayChartData(nullptr);
    for (TChart* chart : Window->LineCharts().Charts()) {
        chart->RedrawNow();
        EXPECT_FALSE(chart->LegendShown()) << chart->objectName().toStdString();
    }
}

// --- ranges ----------------------------------------------------------------------------

TEST(ChartRanges, AutomaticRangesLeaveAMarginFixedOnesStay) {
    TChart chart;
    chart.resize(600, 300);
    chart.BottomAxis().SetMinMax(0, 10);
    TChartSeries* series = chart.AddLineSeries();
    for (int x = 0; x <= 10; ++x)
        series->AddXY(x, 10 + 4 * x); // 10 .. 50
    chart.Refresh();
    EXPECT_DOUBLE_EQ(chart.LeftAxis().VisibleRange().Lower, 10 - 40 * AutomaticRangeMargin);
    EXPECT_DOUBLE_EQ(chart.LeftAxis().VisibleRange().Upper, 50 + 40 * AutomaticRangeMargin);
    EXPECT_EQ(chart.BottomAxis().VisibleRange(), (TAxisRange{0, 10}));

    // The end values are drawn inside the plot, off its frame.
    series->SetColor(DSColor);
    series->SetPenWidth(2);
    chart.RedrawNow();
    const QImage image = chart.ToImage();
    const QRect plot = chart.PlotArea();
    EXPECT_EQ(CountExact(image, QRect(plot.left(), plot.top(), plot.width(), 2), DSColor), 0);
    EXPECT_EQ(CountExact(image, QRect(plot.left(), plot.bottom() - 1, plot.width(), 2), DSColor),
              0);
    EXPECT_GT(CountExact(image, plot, DSColor), 0);

    chart.LeftAxis().SetMinMax(0, 50);
    chart.Refresh();
    EXPECT_EQ(chart.LeftAxis().VisibleRange(), (TAxisRange{0, 50}));
}

// --- the list of sets ------------------------------------------------------------------

TEST_F(WindowTest, CtrlClickKeepsTheShownSetSelected) {
    FillConnection();
    Add("first");
    Add("second");
    const TMainControls ui = Controls();
    QListWidget* list = ui.lbxStatistics;
    auto click = [&](int ARow, Qt::KeyboardModifiers AModifiers) {
        const QRect item = list->visualItemRect(list->item(ARow));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, AModifiers, item.center());
        QApplication::processEvents();
    };
    click(1, Qt::NoModifier);
    ASSERT_TRUE(list->item(1)->isSelected());
    for (const Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::ShiftModifier)}) {
        click(1, modifiers);
        EXPECT_TRUE(list->item(1)->isSelected());
        EXPECT_EQ(list->selectedItems().size(), 1);
        EXPECT_TRUE(ui.acnSaveStatToFile->isEnabled());
    }
    // Ctrl+click on another entry selects that one alone.
    click(0, Qt::ControlModifier);
    EXPECT_TRUE(list->item(0)->isSelected());
    EXPECT_EQ(list->selectedItems().size(), 1);
    // Ctrl+Space on the selected entry leaves it selected too.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_TRUE(list->item(0)->isSelected());
    // A click below the entries keeps the selection.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      QPoint(5, list->viewport()->height() - 3));
    EXPECT_EQ(list->selectedItems().size(), 1);
    EXPECT_TRUE(ui.acnSaveStatToFile->isEnabled());
}

// --- dark controls ---------------------------------------------------------------------

// The strongest contrast any pixel of AArea has against ABackground.
double BestContrast(const QImage& AImage, const QRect& AArea, const QColor& ABackground) {
    double best = 1;
    const QRect area = AArea.intersected(AImage.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            best = std::max(best, ContrastRatio(AImage.pixelColor(x, y), ABackground));
    return best;
}

TEST(DarkStyle, FramesIndicatorsAndTextAreReadable) {
    std::unique_ptr<QStyle> style(CreateDarkStyle());
    ASSERT_TRUE(style);
    const QPalette palette = DarkPalette();
    const QColor panel = palette.color(QPalette::Window);

    QWidget window;
    window.setStyle(style.get());
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(&window);
    auto* check = new QCheckBox(QStringLiteral("Include bins"), &window);
    auto* edit = new QLineEdit(&window);
    auto* spin = new QSpinBox(&window);
    auto* button = new QPushButton(QStringLiteral("Retrieve"), &window);
    auto* list = new QListWidget(&window);
    list->addItem(QStringLiteral("20261210-220000-DrayTek"));
    list->setCurrentRow(0);
    for (QWidget* w : std::initializer_list<QWidget*>{check, edit, spin, button, list}) {
        w->setStyle(style.get());
        layout->addWidget(w);
    }
    window.resize(300, 300);
    window.show();
    QApplication::processEvents();

    auto grab = [](QWidget* AWidget) { return AWidget->grab().toImage(); };
    // An unchecked box: only its outline tells it is there.
    QStyleOptionButton option;
    option.initFrom(check);
    const QRect indicator = style->subElementRect(QStyle::SE_CheckBoxIndicator, &option, check);
    EXPECT_GE(BestContrast(grab(check), indicator, panel), 3.0);
    // Edit fields: the frame at their edge against the panel.
    for (QWidget* field : std::initializer_list<QWidget*>{edit, spin, button}) {
        const QImage image = grab(field);
        const QRect left(0, 0, 2, image.height());
        EXPECT_GE(BestContrast(image, left, panel), 3.0) << field->metaObject()->className();
    }
    // Text on the panel and on a selected entry.
    EXPECT_GE(ContrastRatio(palette.color(QPalette::WindowText), panel), 4.5);
    EXPECT_GE(ContrastRatio(palette.color(QPalette::Text), palette.color(QPalette::Base)), 4.5);
    EXPECT_GE(
        ContrastRatio(palette.color(QPalette::HighlightedText), palette.color(QPalette::Highlight)),
        4.5);
    const QRect item = list->visualItemRect(list->item(0));
    const QImage listImage = list->viewport()->grab().toImage();
    const QColor highlight = listImage.pixelColor(item.right() - 2, item.center().y());
    EXPECT_GE(BestContrast(listImage, item, highlight), 4.5);
}

TEST(DarkStyle, ContrastRatioAsDefined) {
    EXPECT_DOUBLE_EQ(ContrastRatio(Qt::black, Qt::white), 21);
    EXPECT_DOUBLE_EQ(ContrastRatio(Qt::white, Qt::white), 1);
    EXPECT_NEAR(ContrastRatio(QColor(118, 118, 118), Qt::white), 4.54, 0.01);
}

// --- the legend window -----------------------------------------------------------------

TEST(LegendWindow, PointLengthsBecomePixels) {
    struct Case {
        const char* In;
        double Dpi;
        const char* Out;
    };
    const Case cases[] = {
        {"<p style=\"margin-top:0; margin-bottom:8pt;\">", 96,
         "<p style=\"margin-top:0; margin-bottom:11px;\">"},
        {"<p style=\"margin-bottom:8pt;\">", 72, "<p style=\"margin-bottom:8px;\">"},
        {"<p style=\"margin-left: 4.5pt\">", 96, "<p style=\"margin-left: 6px\">"},
        // Font sizes are read in pt already; text is no length.
        {"<body style=\"font-size:11pt;\">", 96, "<body style=\"font-size:11pt;\">"},
        {"<b>8pt</b> is 8pt", 96, "<b>8pt</b> is 11px"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LengthsInPixels(QString::fromUtf8(c.In), c.Dpi), QString::fromUtf8(c.Out))
            << c.In;
}

TEST(LegendWindow, ParagraphsAreSpacedAndTheTextOffTheEdge) {
    std::unique_ptr<TfrmxDSLStatLegend> legend(ShowLegend());
    legend->setAttribute(Qt::WA_DeleteOnClose, false);
    QApplication::processEvents();
    const double dpi = legend->memLegend->logicalDpiY();
    QTextDocument* document = legend->memLegend->document();
    EXPECT_EQ(document->documentMargin(), LegendDocumentMargin(dpi));
    EXPECT_GE(document->documentMargin(), 8);
    const QTextBlock first = document->firstBlock();
    EXPECT_NEAR(first.blockFormat().bottomMargin(), 8 * dpi / 72, 0.5);
    EXPECT_NEAR(first.next().blockFormat().bottomMargin(), 8 * dpi / 72, 0.5);

    // No text pixel at the left edge of the box.
    const QImage image = legend->memLegend->viewport()->grab().toImage();
    const QColor box = image.pixelColor(1, 1);
    int leftmost = image.width();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (ContrastRatio(image.pixelColor(x, y), box) > 2) {
                leftmost = std::min(leftmost, x);
                break;
            }
    EXPECT_GE(leftmost, LegendDocumentMargin(dpi) - 1);
    EXPECT_LT(leftmost, image.width());
}

// --- file dialogs ----------------------------------------------------------------------

TEST(RecentFolders, EachKindOfFileHasItsOwnFolder) {
    TRecentFolders folders;
    TFileDialogOptions stats;
    stats.DefaultExt = QStringLiteral("draydata");
    TFileDialogOptions config;
    config.Filters = {{QStringLiteral("Configuration file"), QStringLiteral("*.conf")}};
    TFileDialogOptions statsOpen;
    statsOpen.DefaultExt = QStringLiteral("DrayData");
    EXPECT_TRUE(folders.FolderFor(stats).isEmpty());
    folders.Remember(stats, QStringLiteral("/tmp/lines/today.draydata"));
    folders.Remember(config, QStringLiteral("/etc/vexlorin/router.conf"));
    EXPECT_EQ(folders.FolderFor(stats), QStringLiteral("/tmp/lines"));
    // Opening and saving the same kind share the folder.
    EXPECT_EQ(folders.FolderFor(statsOpen), QStringLiteral("/tmp/lines"));
    EXPECT_EQ(folders.FolderFor(config), QStringLiteral("/etc/vexlorin"));
    folders.Remember(stats, QStringLiteral("/var/tmp/other.draydata"));
    EXPECT_EQ(folders.FolderFor(stats), QStringLiteral("/var/tmp"));
}

// The real dialog: the second one for the same kind of file opens where the first chose.
TEST(RecentFolders, TheRealDialogOpensInTheLastFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("lines")));
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("lines"));
    QWidget parent;
    TQtUserDialogs dialogs(&parent);
    TFileDialogOptions options;
    options.Filters = {{QStringLiteral("Look test (*.looktest)"), QStringLiteral("*.looktest")}};
    options.DefaultExt = QStringLiteral("looktest");
    options.FileName = QStringLiteral("first.looktest");

    QString seenFolder;
    auto answerWith = [&](const QString& AFile) {
        QTimer::singleShot(0, [&, AFile] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seenFolder = dialog->directory().absolutePath();
            dialog->selectFile(AFile);
            QMetaObject::invokeMethod(dialog, "accept");
        });
    };
    answerWith(QDir(folder).filePath(QStringLiteral("first.looktest")));
    const auto first = dialogs.SaveFileName(options);
    ASSERT_TRUE(first);
    EXPECT_EQ(QFileInfo(*first).absolutePath(), folder);

    options.FileName = QStringLiteral("second.looktest");
    answerWith(QDir(folder).filePath(QStringLiteral("second.looktest")));
    ASSERT_TRUE(dialogs.SaveFileName(options));
    EXPECT_EQ(seenFolder, folder);
}

// --- languages -------------------------------------------------------------------------

TEST(Languages, ChosenByTheSwitchOrTheSystem) {
    struct Case {
        QStringList Arguments;
        QLocale System;
        QString Language;
        bool Error;
    };
    const Case cases[] = {
        {{}, QLocale(QLocale::German, QLocale::Germany), QStringLiteral("de"), false},
        {{}, QLocale(QLocale::German, QLocale::Austria), QStringLiteral("de"), false},
        {{}, QLocale(QLocale::English, QLocale::UnitedKingdom), QStringLiteral("en"), false},
        {{}, QLocale(QLocale::French, QLocale::France), QStringLiteral("en"), false},
        {{QStringLiteral("--lang"), QStringLiteral("en")},
         QLocale(QLocale::German),
         QStringLiteral("en"),
         false},
        {{QStringLiteral("-c"), QStringLiteral("a.conf"), QStringLiteral("--lang"),
          QStringLiteral("de")},
         QLocale(QLocale::English),
         QStringLiteral("de"),
         false},
        {{QStringLiteral("--lang"), QStringLiteral("fr")},
         QLocale(QLocale::German),
         QString(),
         true},
        {{QStringLiteral("--lang")}, QLocale(QLocale::German), QString(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Arguments.join(QLatin1Char(' ')).toStdString());
        QString error;
        EXPECT_EQ(ChooseLanguage(c.Arguments, c.System, error), c.Language);
        EXPECT_EQ(!error.isEmpty(), c.Error) << error.toStdString();
    }
    EXPECT_EQ(WithoutLanguageSwitch({QStringLiteral("-c"), QStringLiteral("a.conf"),
                                     QStringLiteral("--lang"), QStringLiteral("de")}),
              (QStringList{QStringLiteral("-c"), QStringLiteral("a.conf")}));
    EXPECT_FALSE(UseLanguage(QStringLiteral("fr")));
}

// Puts the program into German for one test and back into English after it.
class German : public WindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(UseLanguage(QStringLiteral("de")));
        WindowTest::SetUp();
    }
    void TearDown() override {
        WindowTest::TearDown();
        UseLanguage(QStringLiteral("en"));
    }
};

TEST_F(German, CaptionsMessagesAndCharts) {
    EXPECT_EQ(CurrentLanguage(), QStringLiteral("de"));
    const TMainControls ui = Controls();
    EXPECT_EQ(ui.acnRetrieveData->text(), QStringLiteral("Daten abrufen"));
    EXPECT_EQ(ui.acnSaveStatToFile->text(), QStringLiteral("Statistik speichern..."));
    EXPECT_EQ(ui.chkSNRBug->text(), QStringLiteral("SNR-Daten nur in den ersten 512 Tönen"));
    EXPECT_EQ(ui.btnHLogShowRaw->text(), QStringLiteral("Rohdaten zeigen..."));
    EXPECT_EQ(ui.pgcMain->tabText(ui.pgcMain->indexOf(ui.tbsRouter)), QStringLiteral("Router"));
    EXPECT_EQ(ui.lblProfileName->text(), QStringLiteral("VDSL-Profil: k. A."));
    EXPECT_EQ(ui.chartBitLoading->Title(), QStringLiteral("Bitbelegung pro Ton"));
    EXPECT_EQ(ui.chartGain->BottomAxis().Title(), QStringLiteral("Töne"));
    // Qt's own buttons in the boxes and dialogs speak German too.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));

    // A message box with the model's error in German, its file name kept.
    QTemporaryDir dir;
    const QString notes = QDir(dir.path()).filePath(QStringLiteral("notes.draydata"));
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("notes\n");
    file.close();
    Dialogs->Answers.push_back(notes);
    ui.acnLoadStatFromFile->trigger();
    QApplication::processEvents();
    const QStringList boxes = Dialogs->Failures + Dialogs->Refusals;
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes.first().startsWith(QStringLiteral("Ungültiger Eigenschaftswert")) ||
                boxes.first().startsWith(QStringLiteral("Keine gültige 'DrayData'-Datei")))
        << boxes.first().toStdString();
    EXPECT_EQ(Dialogs->Asked.last().Title, QStringLiteral("Statistikdatei öffnen"));
}

// The width a control needs to draw its whole caption in its style (a push button draws
// its caption inside its frame).
int CaptionWidth(const QWidget* AWidget, const QString& AText) {
    const QStyle* style = AWidget->style();
    const int text =
        AWidget->fontMetrics().horizontalAdvance(QString(AText).remove(QLatin1Char('&')));
    if (qobject_cast<const QCheckBox*>(AWidget))
        return style->pixelMetric(QStyle::PM_IndicatorWidth) +
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing) + text;
    if (qobject_cast<const QPushButton*>(AWidget))
        return text + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth) + 2;
    return text;
}

// At the smallest window size nothing German is cut off: every caption fits its control.
TEST_F(German, NothingClippedAt1024x700) {
    FillConnection();
    TSetOptions options;
    options.Profile = vp35b;
    Add("35b", options);
    Window->lbxStatisticsClick();
    Window->resize(1024, 700);
    QApplication::processEvents();
    EXPECT_LE(Window->minimumSizeHint().width(), 1024);
    EXPECT_LE(Window->minimumSizeHint().height(), 700);
    EXPECT_EQ(Window->size(), QSize(1024, 700));

    // Every caption and every page caption of what each page shows.
    QTabWidget* main = Controls().pgcMain;
    QTabWidget* bins = Controls().pgcBins;
    int checked = 0;
    auto checkShown = [&](const QString& APage) {
        SCOPED_TRACE(APage.toStdString());
        QApplication::processEvents();
        for (QWidget* widget : Window->findChildren<QWidget*>()) {
            if (!widget->isVisible())
                continue;
            QString text;
            int room = widget->width();
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                text = button->text();
            } else if (auto* label = qobject_cast<QLabel*>(widget);
                       label && !label->wordWrap() && label->textFormat() != Qt::RichText) {
                text = label->text();
                room = label->contentsRect().width();
            }
            if (text.isEmpty())
                continue;
            ++checked;
            EXPECT_GE(room, CaptionWidth(widget, text))
                << widget->objectName().toStdString() << ": " << text.toStdString();
        }
        // No scroll arrows in the tab bars.
        for (QTabWidget* pages : Window->findChildren<QTabWidget*>()) {
            if (!pages->isVisible())
                continue;
            int tabs = 0;
            for (int i = 0; i < pages->count(); ++i) {
                tabs += pages->tabBar()->tabRect(i).width();
                EXPECT_GE(pages->tabBar()->tabRect(i).width(),
                          pages->fontMetrics().horizontalAdvance(pages->tabText(i)))
                    << pages->tabText(i).toStdString();
            }
            EXPECT_LE(tabs, pages->width()) << pages->objectName().toStdString();
        }
    };
    for (int page = 0; page < main->count(); ++page) {
        main->setCurrentIndex(page);
        if (main->widget(page) == Controls().tbsBins) {
            for (int sub = 0; sub < bins->count(); ++sub) {
                bins->setCurrentIndex(sub);
                checkShown(main->tabText(page) + QLatin1Char('/') + bins->tabText(sub));
            }
        } else {
            checkShown(main->tabText(page));
        }
    }
    EXPECT_GT(checked, 30);
}

TEST_F(German, TheLegendExplainsInGermanWithTheRoutersTerms) {
    const QString german = LegendDocument();
    ASSERT_TRUE(UseLanguage(QStringLiteral("en")));
    const QString english = LegendDocument();
    ASSERT_TRUE(UseLanguage(QStringLiteral("de")));
    EXPECT_TRUE(german.contains(QStringLiteral("Leitungsdämpfung")));
    EXPECT_FALSE(english.contains(QStringLiteral("Leitungsdämpfung")));
    // The same entries, each under the term the router prints.
    EXPECT_EQ(german.count(QStringLiteral("<p ")), english.count(QStringLiteral("<p ")));
    EXPECT_EQ(german.count(QStringLiteral("<b>")), english.count(QStringLiteral("<b>")));
    for (const char* term : {"<b>Cur SNR Margin:</b>", "<b>NE CRC Count:</b>", "<b>AELEM</b>"})
        EXPECT_TRUE(german.contains(QString::fromLatin1(term))) << term;
}

TEST(Messages, TheLowerLayersTextsInTheWindowsLanguage) {
    struct Case {
        std::string English;
        const char* German;
    };
    const Case cases[] = {
        {"Retrieving HLOG data, please wait...", "HLOG-Daten werden abgerufen, bitte warten..."},
        {"Unable to login", "Anmeldung nicht möglich"},
        {"Cannot open file \"/tmp/a b.draydata\". The file is larger than 64 MiB",
         "Die Datei „/tmp/a b.draydata“ kann nicht geöffnet werden. Die Datei ist größer als 64 "
         "MiB"},
        {"'12x' is not a valid integer value", "'12x' ist keine gültige ganze Zahl"},
        {"Cannot connect to 192.0.2.1:23: Connection refused",
         "Verbindung zu 192.0.2.1:23 nicht möglich: Connection refused"},
        // What the table does not know is shown as it came.
        {"Something new from the router", "Something new from the router"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShownMessage(c.English), QString::fromStdString(c.English)) << c.English;
    ASSERT_TRUE(UseLanguage(QStringLiteral("de")));
    for (const Case& c : cases)
        EXPECT_EQ(ShownMessage(c.English), QString::fromUtf8(c.German)) << c.English;
    EXPECT_EQ(ShownLabel("Line attenuation"), QStringLiteral("Leitungsdämpfung"));
    EXPECT_EQ(ShownLabel("SNR margin"), QStringLiteral("SNR-Marge"));
    UseLanguage(QStringLiteral("en"));
    EXPECT_EQ(ShownLabel("Line attenuation"), QStringLiteral("Line attenuation"));
}

} // namespace
} // namespace vexlorin
