#include "dialogs/qt/MainWindow.h"

#include "dialogs/MainLogic.h"
#include "dialogs/qt/Style.h"
#include "platform/qt/QtServices.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

namespace c2c {

namespace {

constexpr int kClientWidth = 528;
constexpr int kClientHeight = 216;

QIcon AboutGlyph()
{
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1E, 0x6F, 0xB8));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(0, 0, 14, 14);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(10);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, 14, 14), Qt::AlignCenter, QStringLiteral("i"));
    return QIcon(pixmap);
}

} // namespace

MainWindow::MainWindow(MainLogic& logic, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      logic_(logic)
{
    setObjectName(QStringLiteral("FDrevantaFirmWare"));
    ApplyDrevantaStyle(this);

    auto stepLabel = [this](const char* text, int top) {
        auto* label = new QLabel(QString::fromLatin1(text), this);
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, kStepColour);
        label->setPalette(palette);
        label->move(21, top);
        label->adjustSize();
        return label;
    };
    stepLabel("Step 1", 47);
    stepLabel("Step 2", 91);
    stepLabel("Step 3", 135);
    stepLabel("Step 4", 179);

    auto button = [this](const char* name, const char* text, int left, int top) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(left, top, 145, 26);
        return b;
    };
    New = button("New", "New project", 80, 36);
    open = button("open", "Open project", 232, 36);
    btn_Prm_Gen = button("btn_Prm_Gen", "Set Communication", 80, 80);
    btn_CobID = button("btn_CobID", "Set CobID Access", 80, 124);
    CreateBin = button("CreateBin", "Update Device", 80, 168);

    about = new QToolButton(this);
    about->setObjectName(QStringLiteral("about"));
    about->setText(QStringLiteral("About"));
    about->setToolTip(QStringLiteral("About"));
    about->setIcon(AboutGlyph());
    about->setToolButtonStyle(Qt::ToolButtonIconOnly);
    about->setGeometry(456, 21, 21, 19);
    LbButton1 = new QToolButton(this);
    LbButton1->setObjectName(QStringLiteral("LbButton1"));
    LbButton1->setText(QStringLiteral("X"));
    LbButton1->setGeometry(483, 21, 21, 19);

    Label1 = new QLabel(QString::fromLatin1(kMakerHost), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont linkFont = Label1->font();
    linkFont.setBold(true);
    Label1->setFont(linkFont);
    QPalette linkPalette = Label1->palette();
    linkPalette.setColor(QPalette::WindowText, kStepColour);
    Label1->setPalette(linkPalette);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->move(387, 182);
    Label1->adjustSize();
    Label1->installEventFilter(this);

    // The status label of the form, kept up to date but never shown.
    Labelstate = new QLabel(this);
    Labelstate->setObjectName(QStringLiteral("Labelstate"));
    Labelstate->move(232, 155);
    Labelstate->hide();

    connect(New, &QPushButton::clicked, this, [this] { Run([this] { logic_.NewProject(); }); });
    connect(open, &QPushButton::clicked, this, [this] { Run([this] { logic_.OpenProject(); }); });
    connect(btn_Prm_Gen, &QPushButton::clicked, this, [this] { Run([this] { logic_.SetCommunication(); }); });
    connect(btn_CobID, &QPushButton::clicked, this, [this] { Run([this] { logic_.SetCobIdAccess(); }); });
    connect(CreateBin, &QPushButton::clicked, this, [this] { Run([this] { logic_.UpdateDevice(); }); });
    connect(about, &QToolButton::clicked, this, [this] { Run([this] { logic_.About(); }); });
    connect(LbButton1, &QToolButton::clicked, this, [this] { Run([this] { logic_.Exit(); }); });

    FixAndCentre(this, kClientWidth, kClientHeight);
    Refresh();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label1 && event->type() == QEvent::MouseButtonRelease) {
        Run([this] { logic_.OpenMakerPage(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::Run(const std::function<void()>& handler)
{
    RunGuarded(logic_.Services().messages, handler);
    Refresh();
}

void MainWindow::Refresh()
{
    setWindowTitle(ToQString(logic_.caption));
    Labelstate->setText(ToQString(logic_.statusText));
}

void MainWindow::RepaintNow()
{
    Refresh();
    repaint();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Closing always ends the program; whatever goes wrong on the way out is
    // shown, never thrown into the event loop.
    RunGuarded(logic_.Services().messages, [this] { logic_.Close(); });
    event->accept();
}

} // namespace c2c
