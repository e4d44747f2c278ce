#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <QUrl>

#include "model/Job.h"
#include "model/QueueSettings.h"
#include "model/SettingsFile.h"
#include "print/RecordingPrinter.h"
#include "render/DrawJob.h"
#include "render/RecordingCanvas.h"
#include "tests/support/TempDataFolder.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/ColorSwatch.h"
#include "ui/Dlgcolor.h"
#include "ui/PrintDialogs.h"
#include "ui/TextMemo.h"
#include "ui/Translations.h"

namespace {

// Format store dialog, reached through "&Festhalten...".
class StoreFormatDialogTest : public MainWindowFixture {
protected:
    void StoreFormats(const QStringList &names) {
        for (int i = 0; i < names.size(); ++i)
            StoreFormat(i, names[i], [i](TJob &job) { job.Breite = 100 + i; });
        StoreFormatCount(int(names.size()));
    }

    // Opens the dialog, runs `whileOpen` on it and tells whether it closed
    // with OK. `whileOpen` must close it unless it expects it to stay open.
    bool RunDialog(const std::function<void(QWidget *)> &whileOpen) {
        WhenModal(whileOpen);
        Action("FormatKeep")->trigger();
        Settle();
        const auto *dialog = form->findChild<QDialog *>(QStringLiteral("DlgStoreFormat"));
        return dialog && dialog->result() == QDialog::Accepted;
    }

    static QLineEdit *Name(QWidget *dialog) {
        return dialog->findChild<QLineEdit *>(QStringLiteral("EDFormatName"));
    }
    static QPushButton *Button(QWidget *dialog, const char *name) {
        return dialog->findChild<QPushButton *>(QLatin1String(name));
    }
    static QListView *List(QWidget *dialog) {
        return dialog->findChild<QListView *>(QStringLiteral("LBFormatList"));
    }
    static void ClickItem(QWidget *dialog, int row) {
        QListView *list = List(dialog);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
    }
};

TEST_F(StoreFormatDialogTest, OpensEmptyWithOkDisabledEvenWithASelection) {
    StoreFormats({QStringLiteral("Trauer"), QStringLiteral("Hochzeit")});
    Start();
    const QString nameBefore = form->currentJob()->Name.str();
    const bool first = RunDialog([](QWidget *dialog) {
        EXPECT_TRUE(Name(dialog)->text().isEmpty());
        EXPECT_FALSE(Button(dialog, "BtnOK")->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), Name(dialog));
        ClickItem(dialog, 1);
        EXPECT_EQ(Name(dialog)->text(), QStringLiteral("Hochzeit"));
        EXPECT_TRUE(Button(dialog, "BtnOK")->isEnabled());
        Button(dialog, "BtnCancel")->click();
    });
    EXPECT_FALSE(first);
    EXPECT_EQ(form->currentJob()->Name.str(), nameBefore) << "cancel changes nothing";

    RunDialog([](QWidget *dialog) {
        EXPECT_EQ(List(dialog)->currentIndex().row(), 1) << "the list keeps its selection";
        EXPECT_TRUE(Name(dialog)->text().isEmpty());
        EXPECT_FALSE(Button(dialog, "BtnOK")->isEnabled());
        dialog->close();  // the close box
    });
    EXPECT_EQ(FormatEntryTexts().size(), 2);
}

TEST_F(StoreFormatDialogTest, ShortNameNeedsADoubleClickOnAListedFormat) {
    StoreFormats({QStringLiteral("Gr")});
    Start();
    const bool accepted = RunDialog([](QWidget *dialog) {
        QLineEdit *name = Name(dialog);
        QTest::keyClicks(name, QStringLiteral("Xy"));
        EXPECT_FALSE(Button(dialog, "BtnOK")->isEnabled());
        QTest::keyClick(name, Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible()) << "Enter does nothing with two characters";
        QTest::keyClicks(name, QStringLiteral("z"));
        EXPECT_TRUE(Button(dialog, "BtnOK")->isEnabled());
        QTest::keyClick(name, Qt::Key_Backspace);
        EXPECT_FALSE(Button(dialog, "BtnOK")->isEnabled());

        QListView *list = List(dialog);
        const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    });
    EXPECT_TRUE(accepted);
    // The current ribbon's layout went into the format of that name.
    const QStringList entries = FormatEntryTexts();
    EXPECT_EQ(entries, QStringList{QStringLiteral("&1 Gr")});
    Close();
    SettingsFile written(data.filePath(QStringLiteral("RIBOLANT.INI")));
    EXPECT_EQ(written.readInteger(QStringLiteral("Format"), QStringLiteral("Anzahl"), -1), 1);
    EXPECT_EQ(written.readInteger(QStringLiteral("Format0"), QStringLiteral("Breite"), -1), 150);
}

TEST_F(StoreFormatDialogTest, DeletionStandsAfterCancelAndReachesTheFileAtShutDown) {
    StoreFormats({QStringLiteral("Trauer")});
    Start();
    const bool accepted = RunDialog([](QWidget *dialog) {
        // Without a selection nothing goes.
        Button(dialog, "BtnClear")->click();
        EXPECT_EQ(List(dialog)->model()->rowCount(), 1);
        ClickItem(dialog, 0);
        Button(dialog, "BtnClear")->click();
        EXPECT_EQ(List(dialog)->model()->rowCount(), 0);
        EXPECT_TRUE(Name(dialog)->text().isEmpty());
        EXPECT_FALSE(Button(dialog, "BtnOK")->isEnabled());
        EXPECT_TRUE(dialog->isVisible());
        Button(dialog, "BtnCancel")->click();
    });
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(FormatEntryTexts().isEmpty());
    Close();
    SettingsFile written(data.filePath(QStringLiteral("RIBOLANT.INI")));
    EXPECT_EQ(written.readInteger(QStringLiteral("Format"), QStringLiteral("Anzahl"), -1), 0);
}

TEST_F(StoreFormatDialogTest, TwentyFormatsAreAllListedAndFifteenInTheMenu) {
    QStringList names;
    for (int i = 0; i < 20; ++i)
        names.append(QStringLiteral("Format %1").arg(i));
    StoreFormats(names);
    Start();
    EXPECT_EQ(FormatEntryTexts().size(), 15);
    RunDialog([&](QWidget *dialog) {
        QListView *list = List(dialog);
        ASSERT_EQ(list->model()->rowCount(), 20);
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(list->model()->index(i, 0).data().toString(), names[i]);
        dialog->close();
    });
    // Deleting the first brings the sixteenth into the menu.
    RunDialog([](QWidget *dialog) {
        ClickItem(dialog, 0);
        Button(dialog, "BtnClear")->click();
        Button(dialog, "BtnCancel")->click();
    });
    const QStringList entries = FormatEntryTexts();
    ASSERT_EQ(entries.size(), 15);
    EXPECT_EQ(entries.first(), QStringLiteral("&1 Format 1"));
    EXPECT_EQ(entries.last(), QStringLiteral("&15 Format 15"));
}

// Text colour dialog, reached by "...", "&Textfarbe..." and a double click on
// a ribbon.
class TextColorDialogTest : public MainWindowFixture {
protected:
    // Opens the dialog with `open`, clicks the swatch at `swatch` (none for
    // -1) and closes with OK or cancel.
    void ChooseColour(const std::function<void()> &open, int swatch, bool ok) {
        WhenModal([=](QWidget *dialog) {
            auto *colours = qobject_cast<TDlgTextColor *>(dialog);
            ASSERT_NE(colours, nullptr);
            if (swatch >= 0)
                QTest::mouseClick(colours->swatch(swatch), Qt::LeftButton);
            dialog
                ->findChild<QPushButton *>(ok ? QStringLiteral("BtnOK")
                                              : QStringLiteral("BtnCancel"))
                ->click();
        });
        open();
        Settle();
    }
    void OpenByButton() { Child<QToolButton>("BtnFontColor")->click(); }
};

TEST_F(TextColorDialogTest, SwatchesCarryTheirPaletteEntriesWithBlackTwice) {
    Start();
    TDlgTextColor *dialog = form->findChild<TDlgTextColor *>();
    ASSERT_NE(dialog, nullptr);
    const int expected[16] = {0, 1, 2, 3, 4, 5, 6, 7, 12, 13, 14, 15, 16, 17, 18, 0};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(dialog->swatch(i)->color(), 0x01000000u + unsigned(expected[i])) << i;
        const QWidget *swatch = dialog->swatch(i);
        EXPECT_EQ(QRect(swatch->mapTo(dialog, QPoint(0, 0)), swatch->size()),
                  QRect(20 + 30 * (i % 8), 20 + 30 * (i / 8), 25, 25))
            << i;
    }
}

TEST_F(TextColorDialogTest, OkWithoutAChoiceKeepsPlainBlack) {
    Start();
    ASSERT_EQ(form->currentJob()->FontFarbe, 0x00000000u);
    ChooseColour([this] { OpenByButton(); }, -1, true);
    EXPECT_EQ(form->currentJob()->FontFarbe, 0x00000000u);
}

TEST_F(TextColorDialogTest, LastSwatchIsPaletteBlackAndCancelChangesNothing) {
    Start();
    ChooseColour([this] { Action("Textfarbe1")->trigger(); }, 15, true);
    EXPECT_EQ(form->currentJob()->FontFarbe, 0x01000000u);
    ChooseColour([this] { OpenByButton(); }, 9, false);
    EXPECT_EQ(form->currentJob()->FontFarbe, 0x01000000u);
    EXPECT_EQ(Child<ColorSwatch>("PanelFontColor")->color(), 0x01000000u);
}

TEST_F(TextColorDialogTest, RedFromTheRibbonListPrintsWithItsColourKey) {
    Settings().writeInteger(QStringLiteral("Colors"), QStringLiteral("Color13"), 0x0000FF);
    Start();
    TypeInto(Child<TextMemo>("MTextLeft"), QStringLiteral("Ruhe sanft"));
    ChooseColour(
        [this] {
            auto *list = Child<QListView>("LBJobs");
            const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
            DoubleClick(list->viewport(), at);
        },
        9, true);
    const TJob *job = form->currentJob();
    EXPECT_EQ(job->FontFarbe, 0x0100000Du);
    EXPECT_EQ(Child<ColorSwatch>("PanelFontColor")->color(), 0x0100000Du);

    // Printing takes the colour of [Colors] "Color13".
    RecordingCanvas canvas;
    RenderContext context = form->DrawingContext();
    DrawJob(context, *job, canvas, 8, DrawPrint | DrawPrintColors | DrawLeftEnd | DrawRightEnd);
    const QVector<CanvasOp> texts = canvas.opsOf(CanvasOp::Kind::TextOut);
    ASSERT_FALSE(texts.isEmpty());
    for (const CanvasOp &op : texts)
        EXPECT_EQ(op.textColour, 0x0000FFu) << op.text.toStdString();
}

// Information window.
class AboutBoxTest : public MainWindowFixture {};

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

TEST_F(AboutBoxTest, LinksOpenExactlyTheirCaptionsWithSchemeAndVersionStays) {
    Start();
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    QString mail, web, firstVersion, secondVersion;
    WhenModal([&](QWidget *dialog) {
        auto *mailLabel = dialog->findChild<QLabel *>(QStringLiteral("lbMail"));
        auto *webLabel = dialog->findChild<QLabel *>(QStringLiteral("lbHyperlink"));
        mail = mailLabel->text();
        web = webLabel->text();
        firstVersion = dialog->findChild<QLabel *>(QStringLiteral("lbVersion1"))->text();
        QTest::mouseClick(mailLabel, Qt::LeftButton);
        QTest::mouseClick(webLabel, Qt::LeftButton);
        dialog->findChild<QPushButton *>(QStringLiteral("BtnOK"))->click();
    });
    Action("Info1")->trigger();
    Settle();
    WhenModal([&](QWidget *dialog) {
        secondVersion = dialog->findChild<QLabel *>(QStringLiteral("lbVersion1"))->text();
        dialog->close();
    });
    Action("Info1")->trigger();
    Settle();
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));

    EXPECT_FALSE(mail.isEmpty());
    EXPECT_FALSE(web.isEmpty());
    EXPECT_EQ(catcher.opened, (QList<QUrl>{QUrl(QStringLiteral("mailto:") + mail),
                                           QUrl(QStringLiteral("http://") + web)}));
    EXPECT_TRUE(firstVersion.startsWith(QStringLiteral("Version ")));
    EXPECT_EQ(firstVersion, secondVersion);
}

}  // namespace

#include "DialogTest.moc"

// Qt's own buttons and dialogs speak German once the translations are in.
TEST(QtTextsTest, MessageBoxButtonsAreGerman) {
    QTranslator *translator = InstallGermanQtTexts(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "qt6-translations-l10n is missing";
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Cancel | QMessageBox::Yes);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')), QStringLiteral("Ja"));
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

namespace {

// Closes the next message box as soon as it is up and hands back its text.
void CloseNextMessageBox(QString *text) {
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, text] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        timer->stop();
        timer->deleteLater();
        *text = box->text();
        box->close();
    });
    timer->start();
}

// "Druckereinrichtung" with a laser without cutter and a label printer whose
// driver cuts only at the end of a job.
TEST(PrinterSetupDialogTest, CuttingAsTheDriverCanAndAMeasuredLengthStoredAndApplied) {
    TempDataFolder data;
    SettingsFile file(data.filePath(QStringLiteral("RIBOLANT.INI")));
    RecordingPrinter::Config config;
    config.printers = {QStringLiteral("Laser"), QStringLiteral("Zebra")};
    RecordingPrinter printer(config);
    printer.selectPrinter(0);
    const auto reader = [](const QString &queue) {
        QueueCapabilities capabilities;
        capabilities.known = true;
        if (queue == QStringLiteral("Zebra"))
            capabilities.cutOptions.append({QStringLiteral("CutMedia"),
                                            QStringLiteral("0"),
                                            {{QStringLiteral("0"), QString(), CutWhen::Never},
                                             {QStringLiteral("2"), QString(), CutWhen::AfterJob}}});
        return capabilities;
    };
    WriteQueueSettings(file, QStringLiteral("Zebra"), {CutMode::AfterRibbon, 1.0});
    PrinterSetupDialog dialog(printer, &file, reader);
    dialog.show();
    QComboBox *cut = dialog.cutBox();
    const auto offered = [cut](int row) {
        return qobject_cast<QStandardItemModel *>(cut->model())->item(row)->isEnabled();
    };

    dialog.printerBox()->setCurrentIndex(1);
    QTRY_VERIFY(cut->isEnabled());
    EXPECT_EQ(cut->currentIndex(), 2) << "the queue's stored choice";
    EXPECT_FALSE(offered(1)) << "the driver cannot cut after each page";
    EXPECT_TRUE(offered(2));
    EXPECT_TRUE(offered(3));
    dialog.printerBox()->setCurrentIndex(0);
    QTest::qWait(150);
    EXPECT_FALSE(cut->isEnabled()) << "no cutter";
    EXPECT_EQ(cut->currentIndex(), 0);
    dialog.printerBox()->setCurrentIndex(1);
    QTRY_VERIFY(cut->isEnabled());
    cut->setCurrentIndex(3);

    dialog.calibrateButton()->click();
    ASSERT_EQ(printer.printedPages().size(), 1u);
    EXPECT_EQ(printer.printedPages()[0]->settings.paperWidth, 2100) << "the queue's own width";
    EXPECT_EQ(printer.printerIndex(), 1);

    QString message;
    dialog.measuredEdit()->setText(QStringLiteral("0"));
    CloseNextMessageBox(&message);
    dialog.accept();
    EXPECT_TRUE(message.contains(QStringLiteral("gr\u00f6\u00dfer als 0")))
        << message.toStdString();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(ReadQueueSettings(&file, QStringLiteral("Zebra")),
              (QueueSettings{CutMode::AfterRibbon, 1.0}))
        << "a refused length writes nothing";

    dialog.measuredEdit()->setText(QStringLiteral("498"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const QString section = QueueSettingsSection(QStringLiteral("Zebra"));
    EXPECT_EQ(file.readString(section, QStringLiteral("Laengenfaktor")), QStringLiteral("1.0040"));
    EXPECT_EQ(file.readInteger(section, QStringLiteral("Schneiden"), -1), 3);
    EXPECT_DOUBLE_EQ(printer.lengthFactor(), 1.004);
    EXPECT_EQ(printer.cutMode(), CutMode::AfterJob);
    ASSERT_TRUE(printer.cutOption().has_value());
    EXPECT_EQ(printer.cutOption()->name, QStringLiteral("CutMedia"));
    EXPECT_EQ(dialog.factorLabel()->text(), QStringLiteral("L\u00e4ngenfaktor 1,0040"));
}

}  // namespace
