#pragma once

#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;

// The information window: product, version, maker, distributor, a web and a
// mail link, and a short legal notice.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    // What the two links open: "http://" and "mailto:" before their captions.
    QUrl internetTarget() const;
    QUrl mailTarget() const;
    void lbInternetClick();
    void lbMailClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormActivate();

    QLabel *lbVersion1 = nullptr;
    QLabel *lbHyperlink = nullptr;
    QLabel *lbMail = nullptr;
    QPushButton *BtnOK = nullptr;
};
