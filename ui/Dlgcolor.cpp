#include "ui/Dlgcolor.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/Palette.h"
#include "render/SystemPalette.h"
#include "ui/ColorSwatch.h"
#include "ui/DialogButtons.h"

namespace {

constexpr int SamplePoints = 40;
const QString SampleWord = QStringLiteral("MUSTER");
constexpr QSize DesignSize(430, 179);
constexpr QSize SampleSize(305, 73);

constexpr int SwatchSize = 25;
constexpr int SwatchGap = 5;

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
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);

    auto *swatches = new QGridLayout();
    swatches->setSpacing(SwatchGap);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 8; ++column) {
            const int tag = SwatchTag(row, column);
            auto *swatch = new ColorSwatch(bevel);
            swatch->setObjectName(QStringLiteral("ColorPanel%1").arg(row * 8 + column));
            swatch->setFixedSize(SwatchSize, SwatchSize);
            swatch->setColor(PaletteIndex(tag));
            swatch->setCursor(Qt::PointingHandCursor);
            connect(swatch, &ColorSwatch::clicked, this, [this, tag] { SwatchClick(tag); });
            ColorPanels[std::size_t(row * 8 + column)] = swatch;
            swatches->addWidget(swatch, row, column);
        }
    }
    swatches->setColumnStretch(8, 1);

    Panel1 = new SamplePanel(this, bevel);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    // Room for the word in a face of the dialog's size, however large the
    // screen's fonts are.
    QFont sample = font();
    sample.setPointSize(SamplePoints);
    const QFontMetrics sampleMetrics(sample);
    Panel1->setMinimumSize(SampleSize.expandedTo(
        QSize(sampleMetrics.horizontalAdvance(SampleWord) * 5 / 4, sampleMetrics.height() + 8)));

    // Inside the bevel: the swatches, indented a little, above the sample.
    auto *inside = new QVBoxLayout(bevel);
    const int frame = bevel->frameWidth();
    inside->setContentsMargins(8 - frame, 12 - frame, 9 - frame, 8 - frame);
    inside->setSpacing(13);
    auto *indented = new QHBoxLayout();
    indented->addSpacing(4);
    indented->addLayout(swatches, 1);
    inside->addLayout(indented);
    inside->addWidget(Panel1, 1);

    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setMinimumSize(DialogButtonSize(BtnOK));
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    BtnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setMinimumSize(DialogButtonSize(BtnCancel));
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QVBoxLayout();
    buttons->setSpacing(8);
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    buttons->addStretch(1);
    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(8, 8, 7, 10);
    columns->setSpacing(8);
    columns->addWidget(bevel, 1);
    columns->addLayout(buttons);
    // The size it was drawn for, larger where the font needs more room.
    setFixedSize(DesignSize.expandedTo(minimumSizeHint()));
    // The swatches have their places before the first showing.
    columns->activate();
    inside->activate();
}

int TDlgTextColor::SwatchTag(int row, int column) {
    return Palette::TextColours[std::size_t(row * 8 + column)];
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
