// The window's data folder and the day's ribbons: kept against a crash,
// opened from and saved to ribbon files, and what the status bar says.
#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "model/Job.h"
#include "model/RibbonFile.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/AppWindows.h"

namespace {

class SessionTest : public MainWindowFixture {
protected:
    // Runs `act` on the next modal dialog of type T once it is up.
    template <class T>
    void WhenModalIs(std::function<void(T *)> act) {
        auto *timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
            auto *modal = qobject_cast<T *>(QApplication::activeModalWidget());
            if (!modal || !modal->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            act(modal);
        });
        timer->start();
    }
    // Answers the next message box, after `thinkMs` as a user would.
    void AnswerQuestion(QString *text, QMessageBox::StandardButton button, int thinkMs = 0) {
        WhenModalIs<QMessageBox>([text, button, thinkMs](QMessageBox *box) {
            if (text)
                *text = box->text();
            QTimer::singleShot(thinkMs, box, [box, button] {
                if (box->button(button))
                    box->button(button)->click();
                else
                    box->close();
            });
        });
    }
    // The next ribbon file the window asks for, as if chosen in its dialog.
    void ChooseFile(const QString &path) {
        form->AskRibbonFile = [path](bool) { return path; };
    }
    QString RibbonBackup() const { return data.filePath(QStringLiteral("SITZUNG1.INI")); }
    QString Note() const { return form->findChild<QLabel *>(QStringLiteral("DataNote"))->text(); }
};

TEST_F(SessionTest, DaysRibbonsComeBackAfterTheWindowEndedWithoutClosing) {
    Start();
    TypeInto(Child<QWidget>("MTextLeft"), QStringLiteral("Familie Meier"));
    TypeInto(Child<QWidget>("edKommission"), QStringLiteral("Grab 12"));
    Action("FileNew")->trigger();
    Settle();
    TypeInto(Child<QWidget>("MTextLeft"), QStringLiteral("Ruhe sanft"));
    // Kept a moment after the last change.
    QTRY_VERIFY_WITH_TIMEOUT(LoadRibbonFile(RibbonBackup()).ribbons.size() == 2, 10000);

    // The process dies: no close, the file stays, the session's lock goes.
    form.reset();
    ASSERT_TRUE(QFile::exists(RibbonBackup()));

    // Answered only after the new window's own first ribbon would have been
    // kept: the old ribbons must not be overwritten meanwhile.
    QString question;
    AnswerQuestion(&question, QMessageBox::Yes, 2500);
    form = std::make_unique<TMainForm>();
    CreateAppWindows(*form);
    form->show();
    QTRY_COMPARE_WITH_TIMEOUT(form->JobCount(), 2, 10000);
    EXPECT_EQ(question, QStringLiteral("Die Schleifen der letzten Sitzung wiederherstellen?"));
    EXPECT_EQ(form->JobAt(0)->TextLeft.lines(), QStringList{QStringLiteral("Familie Meier")});
    EXPECT_EQ(form->JobAt(0)->Kommission.str(), QStringLiteral("Grab 12"));
    EXPECT_EQ(form->JobAt(1)->TextLeft.lines(), QStringList{QStringLiteral("Ruhe sanft")});

    // A normal close gives them up.
    Close();
    EXPECT_FALSE(QFile::exists(RibbonBackup()));
}

TEST_F(SessionTest, RibbonFilesOpenAndSaveThroughTheFileMenu) {
    Start();
    const QString bad = data.filePath(QStringLiteral("kaputt.ini"));
    data.writeFile(QStringLiteral("kaputt.ini"), "[Meier]\r\nStil=7\r\n");
    QString message;
    ChooseFile(bad);
    AnswerQuestion(&message, QMessageBox::Ok);
    Action("FileOpenRibbons")->trigger();
    Settle();
    EXPECT_TRUE(message.startsWith(bad + QStringLiteral(":2: Unbekannter Stil 7")))
        << message.toStdString();
    EXPECT_EQ(form->JobCount(), 1);

    // The faces are not installed under these names; the order names are
    // the shop's. Both must survive a visit in the editor and a save.
    data.writeFile(QStringLiteral("auftrag.ini"),
                   "[Meier]\r\nTextLinks=In Liebe\\\\Oma\r\nKommission=M-12\r\n"
                   "FontName=Old Germen\r\n"
                   "[Fehlt]\r\nTextRechts=Ruhe sanft\r\nFontName=Arial\r\n");
    ChooseFile(data.filePath(QStringLiteral("auftrag.ini")));
    Action("FileOpenRibbons")->trigger();
    Settle();
    ASSERT_EQ(form->JobCount(), 2);  // the first, empty ribbon went
    EXPECT_EQ(form->JobAt(0)->TextLeft.lines(), (QStringList{"In Liebe", "Oma"}));
    ClickJobRow(1);
    ClickJobRow(0);

    const QString saved = data.filePath(QStringLiteral("gesichert.ini"));
    ChooseFile(saved);
    Action("FileSaveRibbons")->trigger();
    Settle();
    const RibbonFileResult back = LoadRibbonFile(saved);
    ASSERT_TRUE(back.ok());
    ASSERT_EQ(back.ribbons.size(), 2u);
    EXPECT_EQ(back.ribbons[0].job->TextLeft.lines(), (QStringList{"In Liebe", "Oma"}));
    EXPECT_EQ(back.ribbons[0].job->Kommission.str(), QStringLiteral("M-12"));
    EXPECT_EQ(back.ribbons[1].job->TextRight.lines(), QStringList{QStringLiteral("Ruhe sanft")});
    EXPECT_EQ(back.ribbons[0].section, QStringLiteral("Meier"));
    EXPECT_EQ(back.ribbons[1].section, QStringLiteral("Fehlt"));
    EXPECT_EQ(back.ribbons[0].job->FontName.str(), QStringLiteral("Old Germen"));
    EXPECT_EQ(back.ribbons[1].job->FontName.str(), QStringLiteral("Arial"));
}

TEST_F(SessionTest, MissingDataFolderIsOfferedAtStartAndASecondWindowIsToldOfTheFirst) {
    ASSERT_TRUE(QDir(data.appFolder()).removeRecursively());
    QString question;
    AnswerQuestion(&question, QMessageBox::Yes);
    form = std::make_unique<TMainForm>();
    CreateAppWindows(*form);
    EXPECT_TRUE(Note().contains(QStringLiteral("fehlt"))) << Note().toStdString();
    form->show();
    QTRY_VERIFY_WITH_TIMEOUT(QDir(data.appFolder()).exists(), 10000);
    EXPECT_TRUE(question.contains(QDir::toNativeSeparators(data.appFolder())))
        << question.toStdString();
    EXPECT_TRUE(Note().isEmpty()) << Note().toStdString();
    // It comes with the pictures the set-up gives a new data folder, shown
    // at once, and the window says so.
    const QStringList bundled =
        QDir(QDir::cleanPath(QStringLiteral(VELLUMO_TEST_DATA "/../../packaging/pictures")))
            .entryList({QStringLiteral("*.bmp")}, QDir::Files);
    ASSERT_FALSE(bundled.isEmpty());
    EXPECT_EQ(QDir(data.filePath(QStringLiteral("Bilder")))
                  .entryList({QStringLiteral("*.bmp")}, QDir::Files),
              bundled);
    EXPECT_EQ(form->findChild<QListWidget *>(QStringLiteral("LBGraphic"))->count(),
              bundled.size() + 1);
    EXPECT_TRUE(form->statusBar()->currentMessage().contains(QStringLiteral("Bilder")))
        << form->statusBar()->currentMessage().toStdString();

    TMainForm second;
    EXPECT_TRUE(
        second.findChild<QLabel *>(QStringLiteral("DataNote"))
            ->text()
            .startsWith(QStringLiteral("Ein anderes Vellumo verwendet denselben Datenordner")));
}

}  // namespace
