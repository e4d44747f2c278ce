#include "ui/Dlginfo.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "ui/Artwork.h"
#include "ui/DialogButtons.h"

namespace {

constexpr int PanelWidth = 385;
constexpr int PanelHeight = 271;
constexpr int SecondColumn = 176;  // where the distributor's column starts
constexpr int NoticeWidth = 367;
constexpr int NoticeHeight = 62;

const char *const MakerLines = "Quarnwerk Software\nAm Lindenhof 7\n99999 Nirgendheim";
const char *const DistributorLines =
    "Kranz & Band Vertrieb\nRosenweg 12\n99998 Blumenthal\nFax 0000 / 123 456";
const char *const WebAddress = "www.quarnwerk.example";
const char *const MailAddress = "vertrieb@quarnwerk.example";
const char *const YearAndMaker = "\u00A9 2024 Quarnwerk";
const char *const LegalNotice =
    "Dieses Programm ist urheberrechtlich gesch\u00FCtzt. Vervielf\u00E4ltigung und "
    "Weitergabe ohne schriftliche Genehmigung von Quarnwerk sind nicht erlaubt und werden "
    "zivil- und strafrechtlich verfolgt.";

// A label that looks and acts like a link and reports clicks.
class LinkLabel : public QLabel {
public:
    LinkLabel(const QString &text, std::function<void()> onClick, QWidget *parent)
        : QLabel(text, parent), onClick_(std::move(onClick)) {
        QFont underlined = font();
        underlined.setUnderline(true);
        setFont(underlined);
        QPalette blue = palette();
        blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
        setPalette(blue);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            onClick_();
        QLabel::mouseReleaseEvent(event);
    }

private:
    std::function<void()> onClick_;
};

QLabel *Bold(QLabel *label) {
    QFont heavy = label->font();
    heavy.setBold(true);
    label->setFont(heavy);
    return label;
}

// `widget` moved right by `indent`.
QHBoxLayout *Indented(QWidget *widget, int indent) {
    auto *row = new QHBoxLayout();
    row->setSpacing(0);
    row->addSpacing(indent);
    row->addWidget(widget);
    row->addStretch(1);
    return row;
}

// A caption above its lines, the lines indented.
QVBoxLayout *Block(QWidget *caption, QLayout *lines) {
    auto *block = new QVBoxLayout();
    block->setSpacing(0);
    block->addWidget(caption);
    block->addSpacing(3);
    block->addLayout(lines);
    return block;
}

}  // namespace

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Infos"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);

    auto *icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setFixedSize(37, 33);
    icon->setScaledContents(true);
    icon->setPixmap(ArtworkIcon(QStringLiteral("vellumo")).pixmap(64, 64));

    auto *product = Bold(new QLabel(QStringLiteral("Vellumo"), panel));
    product->setObjectName(QStringLiteral("ProductName"));
    lbVersion1 = new QLabel(QStringLiteral("Version"), panel);
    lbVersion1->setObjectName(QStringLiteral("lbVersion1"));
    auto *makerLines = new QLabel(QString::fromUtf8(MakerLines), panel);
    auto *distributorLines = new QLabel(QString::fromUtf8(DistributorLines), panel);
    lbHyperlink = new LinkLabel(
        QLatin1String(WebAddress), [this] { lbInternetClick(); }, panel);
    lbHyperlink->setObjectName(QStringLiteral("lbHyperlink"));
    lbMail = new LinkLabel(
        QLatin1String(MailAddress), [this] { lbMailClick(); }, panel);
    lbMail->setObjectName(QStringLiteral("lbMail"));
    auto *notice = new QLabel(QString::fromUtf8(LegalNotice), panel);
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notice->setMinimumHeight(std::max(NoticeHeight, notice->heightForWidth(NoticeWidth)));

    // Name and version, the icon in the top right corner.
    auto *title = new QVBoxLayout();
    title->setSpacing(0);
    title->addWidget(product);
    title->addSpacing(3);
    title->addLayout(Indented(lbVersion1, 11));
    title->addStretch(1);
    auto *top = new QHBoxLayout();
    top->addLayout(title, 1);
    auto *iconColumn = new QVBoxLayout();
    iconColumn->addSpacing(2);
    iconColumn->addWidget(icon);
    iconColumn->addStretch(1);
    top->addLayout(iconColumn);

    // Maker and distributor side by side, each with its link below.
    auto *maker =
        Block(Bold(new QLabel(QStringLiteral("Hersteller:"), panel)), Indented(makerLines, 11));
    auto *distributor =
        Block(Bold(new QLabel(QStringLiteral("Vertrieb:"), panel)), Indented(distributorLines, 9));
    auto *addresses = new QGridLayout();
    addresses->setSpacing(0);
    addresses->setColumnMinimumWidth(0, SecondColumn - 8);
    addresses->setColumnStretch(1, 1);
    addresses->addLayout(maker, 0, 0, Qt::AlignTop);
    addresses->addLayout(distributor, 0, 1, Qt::AlignTop);
    addresses->setRowMinimumHeight(1, 14);
    addresses->addLayout(Indented(lbHyperlink, 11), 2, 0);
    addresses->addLayout(Indented(lbMail, 9), 2, 1);

    auto *contents = new QVBoxLayout(panel);
    const int frame = panel->frameWidth();
    contents->setContentsMargins(8 - frame, 12 - frame, 10 - frame, 16 - frame);
    contents->setSpacing(0);
    contents->addLayout(top);
    contents->addSpacing(34);  // below the icon, which reaches lower than the version
    contents->addLayout(addresses);
    contents->addSpacing(11);
    contents->addWidget(notice);
    contents->addStretch(1);

    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setMinimumSize(DialogButtonSize(BtnOK));
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 10, 8, 25);
    column->setSpacing(11);
    column->addWidget(panel, 1);
    column->addWidget(BtnOK, 0, Qt::AlignHCenter);
    // The panel with a margin, larger where the font needs more room.
    setFixedSize(QSize(PanelWidth + 16, PanelHeight + 70).expandedTo(minimumSizeHint()));
}

QUrl TAboutBox::internetTarget() const {
    return QUrl(QStringLiteral("http://") + lbHyperlink->text());
}

QUrl TAboutBox::mailTarget() const {
    return QUrl(QStringLiteral("mailto:") + lbMail->text());
}

void TAboutBox::lbInternetClick() {
    QDesktopServices::openUrl(internetTarget());
}

void TAboutBox::lbMailClick() {
    QDesktopServices::openUrl(mailTarget());
}

void TAboutBox::showEvent(QShowEvent *event) {
    FormActivate();
    QDialog::showEvent(event);
}

void TAboutBox::FormActivate() {
    lbVersion1->setText(QStringLiteral("Version ") + QStringLiteral(VELLUMO_VERSION) +
                        QStringLiteral("  ") + QString::fromUtf8(YearAndMaker));
}
