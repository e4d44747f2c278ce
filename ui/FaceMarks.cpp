#include "ui/FaceMarks.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QList>
#include <QStyle>

#include "render/FaceCoverage.h"
#include "render/FitCheck.h"

namespace {

// Marking a face the first time opens its file; a step stops after this
// long, so that a key pressed meanwhile is not kept waiting.
constexpr qint64 StepMs = 8;

QString DistinctCharacters(const QString &text) {
    QList<char32_t> seen;
    for (const char32_t ch : text.toUcs4()) {
        if (!seen.contains(ch))
            seen.append(ch);
    }
    return QString::fromUcs4(seen.constData(), seen.size());
}

}  // namespace

FaceMarks::FaceMarks(QComboBox *faces) : QObject(faces), faces_(faces), view_(faces->view()) {
    warning_ = faces->style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, faces);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &FaceMarks::step);
    // A list filled anew is marked anew.
    QAbstractItemModel *model = faces->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &FaceMarks::restart);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &FaceMarks::restart);
    connect(model, &QAbstractItemModel::modelReset, this, &FaceMarks::restart);
    connect(faces, &QComboBox::currentIndexChanged, this, &FaceMarks::showCurrent);
    // The list opened shows every face: its marks must be there.
    view_->installEventFilter(this);
}

void FaceMarks::setText(const QString &text) {
    const QString characters = DistinctCharacters(text);
    if (characters == characters_)
        return;
    characters_ = characters;
    restart();
}

void FaceMarks::restart() {
    next_ = 0;
    timer_.start(DelayMs);
}

void FaceMarks::finish() {
    timer_.stop();
    while (next_ < faces_->count())
        markRow(next_++);
}

bool FaceMarks::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Show && watched == view_)
        finish();
    return QObject::eventFilter(watched, event);
}

void FaceMarks::step() {
    QElapsedTimer clock;
    clock.start();
    while (next_ < faces_->count() && clock.elapsed() < StepMs)
        markRow(next_++);
    if (next_ < faces_->count())
        timer_.start(0);
}

void FaceMarks::markRow(int row) {
    const QString face = faces_->itemText(row);
    const QList<char32_t> missing = FaceCoverage::MissingCharacters(face, characters_);
    const QString tip = missing.isEmpty() ? QString() : MissingLettersMessage(face, missing);
    if (faces_->itemData(row, Qt::ToolTipRole).toString() == tip)
        return;
    if (missing.isEmpty()) {
        for (const int role : {int(Qt::DecorationRole), int(Qt::ToolTipRole),
                               int(Qt::AccessibleTextRole), int(Qt::AccessibleDescriptionRole)})
            faces_->setItemData(row, QVariant(), role);
    } else {
        faces_->setItemData(row, warning_, Qt::DecorationRole);
        faces_->setItemData(row, tip, Qt::ToolTipRole);
        faces_->setItemData(row,
                            QStringLiteral("%1, hat kein %2").arg(face, QuotedCharacters(missing)),
                            Qt::AccessibleTextRole);
        faces_->setItemData(row, tip, Qt::AccessibleDescriptionRole);
    }
    if (row == faces_->currentIndex())
        showCurrent();
}

void FaceMarks::showCurrent() {
    const int row = faces_->currentIndex();
    const QString tip = row >= 0 ? faces_->itemData(row, Qt::ToolTipRole).toString() : QString();
    faces_->setToolTip(tip);
    faces_->setAccessibleDescription(tip);
}
