#include "dialogs/qt/AboutWindow.h"

#include "dialogs/MainLogic.h"
#include "dialogs/qt/Style.h"

#include <QEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace c2c {

AboutWindow::AboutWindow(UiServices services, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), services_(services)
{
    setObjectName(QStringLiteral("FAbout"));
    setWindowTitle(QStringLiteral("About..."));
    setModal(true);
    ApplyDrevantaStyle(this);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(16, 16, 81, 81);
    Image1->setPixmap(Logo(81));
    Image1->setScaledContents(true);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);

    auto text = [this](const char* name, const QString& value, int left, int top) {
        auto* label = new QLabel(value, this);
        label->setObjectName(QString::fromLatin1(name));
        label->move(left, top);
        label->adjustSize();
        return label;
    };
    QLabel* title = text("Label1", QStringLiteral("Software Drevanta "), 112, 12);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSize(10);
    title->setFont(titleFont);
    title->adjustSize();
    text("Label2", QStringLiteral("CAN - Repeater - Extender bus line - (With filter data configurable)"), 112, 36);
    text("Label3", QStringLiteral("Software Code : "), 112, 58);
    text("LabelCode", QStringLiteral("SW40517"), 230, 58);
    text("Label5", QStringLiteral("Version :"), 112, 76);
    text("LabelVersion", QStringLiteral("1.101"), 230, 76);
    text("Label6", QStringLiteral("Document Code :"), 112, 94);
    text("LabelDocument", QStringLiteral("MN40517"), 230, 94);

    Label4 = text("Label4", QString::fromLatin1(kMakerHost), 112, 122);
    QFont linkFont = Label4->font();
    linkFont.setUnderline(true);
    Label4->setFont(linkFont);
    QPalette linkPalette = Label4->palette();
    linkPalette.setColor(QPalette::WindowText, Qt::blue);
    Label4->setPalette(linkPalette);
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->adjustSize();
    Label4->installEventFilter(this);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(430, 116, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    FixAndCentre(this, 518, 152);
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == Image1 || watched == Label4) && event->type() == QEvent::MouseButtonRelease) {
        OpenMakerPage();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AboutWindow::OpenMakerPage()
{
    services_.shell.openUrl(kMakerUrl);
}

QPixmap AboutWindow::Logo(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 100.0, size / 100.0);

    // A rounded tile in the maker's blue.
    QLinearGradient tile(0, 0, 0, 100);
    tile.setColorAt(0, QColor(0x2E, 0x86, 0xD1));
    tile.setColorAt(1, QColor(0x15, 0x4C, 0x86));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(2, 2, 96, 96), 16, 16);

    // Two bus lines, CAN0 above and CAN1 below, joined by the repeater.
    QPen bus(QColor(255, 255, 255), 5, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(bus);
    painter.drawLine(QPointF(14, 30), QPointF(86, 30));
    painter.drawLine(QPointF(14, 70), QPointF(86, 70));
    painter.setBrush(QColor(0xF2, 0xA9, 0x00));
    painter.setPen(QPen(Qt::white, 3));
    painter.drawRoundedRect(QRectF(36, 38, 28, 24), 5, 5);

    // Arrows both ways through the repeater.
    painter.setPen(QPen(QColor(255, 255, 255), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPointF(44, 30), QPointF(44, 38));
    painter.drawLine(QPointF(56, 62), QPointF(56, 70));
    QPainterPath down;
    down.moveTo(40, 42);
    down.lineTo(44, 47);
    down.lineTo(48, 42);
    QPainterPath up;
    up.moveTo(52, 58);
    up.lineTo(56, 53);
    up.lineTo(60, 58);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(down);
    painter.drawPath(up);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(13);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 78, 100, 18), Qt::AlignCenter, QStringLiteral("C2C"));
    painter.drawText(QRectF(0, 8, 100, 18), Qt::AlignCenter, QStringLiteral("CAN"));
    return pixmap;
}

} // namespace c2c
