// Loaded into the real program with LD_PRELOAD by window_test.sh. It only
// looks: several times a second it writes where the main window's lists and
// memos are on the screen and what they hold into the file that
// VELLUMO_E2E_PROBE names, so that the test can aim its X input at them and
// wait for the program's answers. It sends no input and changes nothing.
//
// One line per item, fields separated by tabs:
//   widget <name> <x> <y> <width> <height> <rows>   (global position, visible widgets)
//   text <name> <text with \n for line breaks>       (memos, spin fields)
//   item <name> <text>                               (rows of a list of texts)
//   popup <name>                                     (an open menu)
//   focus <name>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>

namespace {

QString Escaped(QString text) {
    return text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"))
        .replace(QLatin1Char('\t'), QStringLiteral("\\t"));
}

void Report(const QString &path) {
    static const QStringList names = {QStringLiteral("MTextLeft"), QStringLiteral("MTextRight"),
                                      QStringLiteral("LBTexte"),   QStringLiteral("LBJobs"),
                                      QStringLiteral("LBGraphic"), QStringLiteral("edLaenge"),
                                      QStringLiteral("edBreite"),  QStringLiteral("DataNote")};
    QStringList lines;
    const auto widgets = QApplication::allWidgets();
    for (QWidget *w : widgets) {
        const QString name = w->objectName();
        if (!names.contains(name) || !w->isVisible())
            continue;
        const QPoint at = w->mapToGlobal(QPoint(0, 0));
        int rows = -1;
        if (auto *view = qobject_cast<QAbstractItemView *>(w); view && view->model())
            rows = view->model()->rowCount();
        lines << QStringLiteral("widget\t%1\t%2\t%3\t%4\t%5\t%6")
                     .arg(name)
                     .arg(at.x())
                     .arg(at.y())
                     .arg(w->width())
                     .arg(w->height())
                     .arg(rows);
        if (auto *spin = qobject_cast<QAbstractSpinBox *>(w))
            lines << QStringLiteral("text\t%1\t%2").arg(name, spin->text());
        if (auto *memo = qobject_cast<QPlainTextEdit *>(w))
            lines << QStringLiteral("text\t%1\t%2").arg(name, Escaped(memo->toPlainText()));
        if (auto *label = qobject_cast<QLabel *>(w))
            lines << QStringLiteral("text\t%1\t%2").arg(name, Escaped(label->text()));
        if (auto *list = qobject_cast<QListWidget *>(w)) {
            for (int i = 0; i < list->count(); ++i)
                lines << QStringLiteral("item\t%1\t%2").arg(name, Escaped(list->item(i)->text()));
        }
    }
    if (QWidget *popup = QApplication::activePopupWidget())
        lines << QStringLiteral("popup\t%1").arg(popup->objectName());
    if (QWidget *focus = QApplication::focusWidget())
        lines << QStringLiteral("focus\t%1").arg(focus->objectName());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        file.commit();
    }
}

void StartProbe() {
    const QString path = qEnvironmentVariable("VELLUMO_E2E_PROBE");
    if (path.isEmpty())
        return;
    auto *timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [path] { Report(path); });
    timer->start(100);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(StartProbe)
