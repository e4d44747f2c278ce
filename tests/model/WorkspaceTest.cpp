// The phrases and stored formats of a window, saved shortly after each change
// (not only at the close), merged with another window on the same folder.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <functional>
#include <memory>
#include <optional>

#include "model/DataFolder.h"
#include "model/Job.h"
#include "model/PhraseFile.h"
#include "model/RibbonFile.h"
#include "model/RibbonList.h"
#include "model/SettingsFile.h"
#include "model/StoredFormats.h"
#include "model/StoredFormatsModel.h"
#include "model/Workspace.h"
#include "tests/support/TempDataFolder.h"

namespace {

bool WaitFor(const std::function<bool()> &done, int ms = 10000) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A window's workspace on the data folder, opened as the window opens it.
struct Window {
    SettingsFile settings{SettingsFilePath()};
    Workspace work;
    explicit Window(bool autosave = true) {
        work.open(&settings, PhraseFilePath());
        work.formats()->read(&settings);
        work.setAutosave(autosave);
    }
    void storeFormat(const char *name, int laenge) {
        TJob job;
        job.Laenge = laenge;
        work.formats()->storeFormat(QString::fromLatin1(name), job);
    }
    // Waits for the autosave the last change scheduled.
    bool autosaved() {
        std::optional<QStringList> errors;
        const QMetaObject::Connection c = QObject::connect(
            &work, &Workspace::autosaved, [&errors](const QStringList &e) { errors = e; });
        WaitFor([&errors] { return errors.has_value(); });
        QObject::disconnect(c);
        return errors && errors->isEmpty();
    }
};

QStringList FormatNames() {
    SettingsFile settings(SettingsFilePath());
    QStringList names;
    for (const auto &format : ReadStoredFormats(settings))
        names << format->Name.str();
    return names;
}

TEST(WorkspaceTest, ChangesReachTheFilesWithoutAClose) {
    TempDataFolder data;
    auto window = std::make_unique<Window>();
    window->work.addPhrase(QStringLiteral("In stiller Trauer"));
    window->storeFormat("Kranz 75", 2000);
    ASSERT_TRUE(window->autosaved());
    // The process dies here: no close, no destructor's save.
    EXPECT_EQ(LoadPhraseFile(PhraseFilePath()), QStringList{QStringLiteral("In stiller Trauer")});
    EXPECT_EQ(FormatNames(), QStringList{QStringLiteral("Kranz 75")});

    // A change to a stored format and a deletion are changes too.
    window->storeFormat("kranz 75", 2500);
    ASSERT_TRUE(window->autosaved());
    SettingsFile settings(SettingsFilePath());
    ASSERT_EQ(ReadStoredFormats(settings).size(), 1u);
    EXPECT_EQ(ReadStoredFormats(settings)[0]->Laenge, 2500);
    window->work.formats()->removeAt(0);
    window->work.removePhrase(0);
    ASSERT_TRUE(window->autosaved());
    EXPECT_TRUE(FormatNames().isEmpty());
    EXPECT_TRUE(LoadPhraseFile(PhraseFilePath()).isEmpty());

    // Without a data folder nothing is tried.
    Window unsaved(false);
    unsaved.work.addPhrase(QStringLiteral("Ruhe sanft"));
    EXPECT_FALSE(unsaved.work.savePending());
}

TEST(WorkspaceTest, ASavedChangeIsNotSavedAgainOverAnotherWindowsLaterChange) {
    TempDataFolder data;
    Window first;
    first.work.addPhrase(QStringLiteral("Letzter Gru\u00DF"));
    first.storeFormat("Kranz 75", 2000);
    ASSERT_TRUE(first.autosaved());

    // A second window, opened now, deletes both.
    Window second;
    ASSERT_EQ(second.work.phrases().size(), 1);
    second.work.removePhrase(0);
    second.work.formats()->removeAt(second.work.formats()->findFormat(QStringLiteral("Kranz 75")));
    ASSERT_TRUE(second.autosaved());

    // The first window's next change must not bring them back.
    first.work.addPhrase(QStringLiteral("Ruhe sanft"));
    first.storeFormat("Gesteck", 600);
    ASSERT_TRUE(first.autosaved());
    EXPECT_EQ(LoadPhraseFile(PhraseFilePath()), QStringList{QStringLiteral("Ruhe sanft")});
    EXPECT_EQ(FormatNames(), QStringList{QStringLiteral("Gesteck")});

    // Nor the close.
    const DataSaveResult closed = first.work.save(QStringLiteral("Kassendrucker"));
    EXPECT_TRUE(closed.errors.isEmpty());
    EXPECT_EQ(LoadPhraseFile(PhraseFilePath()), QStringList{QStringLiteral("Ruhe sanft")});
    EXPECT_EQ(FormatNames(), QStringList{QStringLiteral("Gesteck")});
}

TEST(WorkspaceTest, TheDaysRibbonsComeBackAfterACrashAndWaitForTheAnswer) {
    TempDataFolder data;
    {
        // The workspace keeps its own ribbon list, as the window fills it.
        Workspace crashed;
        EXPECT_TRUE(crashed.openSession(DataFolder()).isEmpty());
        ASSERT_TRUE(crashed.sessionClaimed());
        auto ribbon = std::make_unique<TJob>();
        ribbon->TextLeft.set({QStringLiteral("Familie Meier")});
        ribbon->Section = QStringLiteral("Auftrag 4711");
        crashed.ribbons()->append(std::move(ribbon));
        crashed.ribbonsChanged();
        ASSERT_TRUE(WaitFor([&] { return QFile::exists(crashed.ribbonFilePath()); }));
        crashed.closeSession();  // the process dies: no end
    }

    // The next window finds them, and keeps its own list away from their
    // file until the user has answered.
    Workspace next;
    next.openSession(DataFolder());
    ASSERT_TRUE(next.recoveryPending());
    const QString file = next.ribbonFilePath();
    EXPECT_EQ(next.ribbons()->count(), 0);  // its own list is still empty
    EXPECT_FALSE(next.keepRibbons());
    ASSERT_EQ(LoadRibbonFile(file).ribbons.size(), 1u);

    // A line the reader refuses costs only its own ribbon; the file is kept.
    QFile damaged(file);
    ASSERT_TRUE(damaged.open(QIODevice::Append));
    damaged.write("\r\n[Kaputt]\r\nStil=7\r\nTextLinks=x\r\n");
    damaged.close();
    Workspace::Recovery recovery = next.recover();
    ASSERT_EQ(recovery.jobs.size(), 1u);
    EXPECT_EQ(recovery.jobs[0]->TextLeft.lines(), QStringList{QStringLiteral("Familie Meier")});
    EXPECT_EQ(recovery.jobs[0]->Section, QStringLiteral("Auftrag 4711"));
    ASSERT_EQ(recovery.faults.size(), 1);
    EXPECT_TRUE(QFile::exists(file + QStringLiteral(".defekt")));

    // Taken in, they are the list now; a normal end gives the file up.
    next.ribbons()->append(recovery.jobs);
    next.recovered();
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_FALSE(next.endSession(false));
    EXPECT_FALSE(QFile::exists(file));
}

}  // namespace
