#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QTimer>

class QComboBox;

// Marks the entries of a typeface list whose face lacks characters of a
// text: a warning sign before the name, a tool tip that says which
// characters, and a spoken name that says it too. The list holds every
// installed face and the text changes with each key, so the marks follow a
// moment after the last change, a few faces at a time, and all at once when
// the list is opened.
class FaceMarks : public QObject {
    Q_OBJECT
public:
    explicit FaceMarks(QComboBox *faces);

    // The text the faces are to print.
    void setText(const QString &text);
    // Marks now every face not yet marked for the text.
    void finish();

    // How long the marks wait for the next change of the text.
    static constexpr int DelayMs = 300;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void restart();
    void step();
    void markRow(int row);
    // The list closed shows only the chosen face: it carries that face's mark.
    void showCurrent();

    QComboBox *faces_;
    // Kept apart: the view still sends events while the box is destroyed,
    // when the box can no longer be asked for it.
    QObject *view_;
    QIcon warning_;
    QString characters_;  // each character of the text once
    int next_ = 0;        // the first entry not yet marked for the text
    QTimer timer_;
};
