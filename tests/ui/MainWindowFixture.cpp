#include "tests/ui/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "model/Job.h"
#include "model/SettingsFile.h"
#include "ui/AppWindows.h"
#include "ui/SpellSupport.h"

void MainWindowFixture::TearDown() {
    Close();
    form.reset();
    settings_.reset();
}

SettingsFile &MainWindowFixture::Settings() {
    if (!settings_)
        settings_ = std::make_unique<SettingsFile>(data.filePath(QStringLiteral("RIBOLANT.INI")));
    return *settings_;
}

void MainWindowFixture::StoreFormat(int index, const QString &name,
                                    const std::function<void(TJob &)> &setup) {
    TJob job;
    job.Name.set(name);
    if (setup)
        setup(job);
    job.SaveToSection(Settings(), QStringLiteral("Format%1").arg(index));
}

void MainWindowFixture::StoreFormatCount(int count) {
    Settings().writeInteger(QStringLiteral("Format"), QStringLiteral("Anzahl"), count);
}

void MainWindowFixture::WritePicture(const QString &name, int width, int height,
                                     const std::function<bool(int, int)> &ink) {
    QDir(data.appFolder()).mkpath(QStringLiteral("Bilder"));
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, ink(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    }
    ASSERT_TRUE(picture.save(data.appFolder() + QStringLiteral("/Bilder/") + name, "BMP"));
}

void MainWindowFixture::Start() {
    form = std::make_unique<TMainForm>();
    CreateAppWindows(*form);
    form->show();
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Settle();
    // The dictionary arrives from its thread and highlights the memos anew:
    // a test starts after that, not at a moment that depends on the load.
    if (SpellingSupport *spelling = SpellingSupport::of(form.get()))
        spelling->waitForDictionary();
    Settle();
    ASSERT_EQ(form->JobCount(), 1) << "the deferred start-up makes the first ribbon";
}

void MainWindowFixture::Close() {
    if (form && form->isVisible())
        form->close();
}

QAction *MainWindowFixture::Action(const char *name) const {
    auto *action = form->findChild<QAction *>(QLatin1String(name));
    EXPECT_NE(action, nullptr) << name;
    return action;
}

QStringList MainWindowFixture::FormatEntryTexts() const {
    QStringList entries;
    const auto *menu = form->findChild<QMenu *>(QStringLiteral("MenuDatei"));
    for (const QAction *action : menu->actions()) {
        const QString text = action->text();
        if (text.size() > 1 && text.at(0) == QLatin1Char('&') && text.at(1).isDigit())
            entries.append(text);
    }
    return entries;
}

void MainWindowFixture::TypeInto(QWidget *widget, const QString &text) {
    // Key events carrying the text, as a keyboard layout would send them;
    // QTest's own clicks only know ASCII.
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
    Settle();
}

void MainWindowFixture::CommitInto(QWidget *widget, const QString &text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
    Settle();
}

void MainWindowFixture::ClickJobRow(int row) {
    auto *list = Child<QListView>("LBJobs");
    const QRect item = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    Settle();
}

void MainWindowFixture::DoubleClick(QWidget *widget, QPoint at) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    Settle();
}

void MainWindowFixture::WhenModal(std::function<void(QWidget *)> whileOpen) {
    auto *timer = new QTimer(form.get());
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, whileOpen] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        whileOpen(modal);
    });
    timer->start();
}

void MainWindowFixture::Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}
