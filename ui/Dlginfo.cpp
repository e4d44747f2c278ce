#include "ui/Dlginfo.h"

#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <functional>

#include "ui/Artwork.h"

namespace {

constexpr int PanelWidth = 385;
constexpr int PanelHeight = 271;

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

QLabel *Place(QLabel *label, int x, int y, bool bold = false) {
    if (bold) {
        QFont heavy = label->font();
        heavy.setBold(true);
        label->setFont(heavy);
    }
    label->move(x, y);
    label->adjustSize();
    return label;
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
    panel->setGeometry(8, 10, PanelWidth, PanelHeight);

    auto *icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(338, 14, 37, 33);
    icon->setScaledContents(true);
    icon->setPixmap(ArtworkIcon(QStringLiteral("vellumo")).pixmap(64, 64));

    auto *product = Place(new QLabel(QStringLiteral("Vellumo"), panel), 8, 12, true);
    product->setObjectName(QStringLiteral("ProductName"));
    lbVersion1 = Place(new QLabel(QStringLiteral("Version"), panel), 19, 29);
    lbVersion1->setObjectName(QStringLiteral("lbVersion1"));
    Place(new QLabel(QStringLiteral("Hersteller:"), panel), 8, 81, true);
    Place(new QLabel(QString::fromUtf8(MakerLines), panel), 19, 98);
    Place(new QLabel(QStringLiteral("Vertrieb:"), panel), 176, 81, true);
    Place(new QLabel(QString::fromUtf8(DistributorLines), panel), 185, 98);

    lbHyperlink = Place(new LinkLabel(
                            QLatin1String(WebAddress), [this] { lbInternetClick(); }, panel),
                        19, 168);
    lbHyperlink->setObjectName(QStringLiteral("lbHyperlink"));
    lbMail = Place(new LinkLabel(
                       QLatin1String(MailAddress), [this] { lbMailClick(); }, panel),
                   185, 168);
    lbMail->setObjectName(QStringLiteral("lbMail"));

    auto *notice = new QLabel(QString::fromUtf8(LegalNotice), panel);
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notice->setGeometry(8, 193, 367, 62);

    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setGeometry(160, 292, 85, 24);
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);

    // The window is 22 wider and 100 higher than the panel with its frame and
    // caption; the client area is what remains of that.
    setFixedSize(PanelWidth + 16, PanelHeight + 70);
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
    lbVersion1->adjustSize();
}
