#include "ui/Dlgcolor.h"

#include <QFrame>
#include <QPainter>
#include <QPushButton>

#include "render/SystemPalette.h"
#include "ui/ColorSwatch.h"

namespace {

constexpr int SamplePoints = 40;
const QString SampleWord = QStringLiteral("MUSTER");

}  // namespace

// The sunken sample box; draws the word centred in the sample's font.
class TDlgTextColor::SamplePanel : public QFrame {
public:
    SamplePanel(TDlgTextColor *dialog, QWidget *parent) : QFrame(parent), dialog_(dialog) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Base);
    }

protected:
    void paintEvent(QPaintEvent *event) override {
        QFrame::paintEvent(event);
        QPainter painter(this);
        QFont font(dialog_->sampleFace());
        font.setPointSize(SamplePoints);
        painter.setFont(font);
        painter.setPen(SystemPalette::colour(dialog_->sampleColor()));
        const QFontMetrics metrics(font);
        const QRect box = contentsRect();
        const int top = box.top() + (box.height() - metrics.height()) / 2;
        const int x = box.left() + box.width() / 2 - metrics.horizontalAdvance(SampleWord) / 2;
        painter.drawText(QPoint(x, top + metrics.ascent()), SampleWord);
    }

private:
    TDlgTextColor *dialog_;
};

TDlgTextColor::TDlgTextColor(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgTextColor"));
    setWindowTitle(QStringLiteral("Textfarbe"));
    setFixedSize(430, 179);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel->setGeometry(8, 8, 322, 161);

    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 8; ++column) {
            const int tag = SwatchTag(row, column);
            auto *swatch = new ColorSwatch(this);
            swatch->setObjectName(QStringLiteral("ColorPanel%1").arg(row * 8 + column));
            swatch->setGeometry(20 + 30 * column, 20 + 30 * row, 25, 25);
            swatch->setColor(PaletteIndex(tag));
            swatch->setCursor(Qt::PointingHandCursor);
            connect(swatch, &ColorSwatch::clicked, this, [this, tag] { SwatchClick(tag); });
            ColorPanels[std::size_t(row * 8 + column)] = swatch;
        }
    }

    Panel1 = new SamplePanel(this, this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(16, 88, 305, 73);

    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setGeometry(338, 8, 85, 24);
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    BtnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setGeometry(338, 40, 85, 24);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TDlgTextColor::SwatchTag(int row, int column) {
    const int tag = 12 * row + column;
    return tag == 19 ? 0 : tag;
}

void TDlgTextColor::setSample(ColorRef colour, const QString &face) {
    colour_ = colour;
    face_ = face;
    Panel1->update();
}

void TDlgTextColor::SwatchClick(int tag) {
    colour_ = PaletteIndex(tag);
    Panel1->update();
}
