#include "dialogs/qt/GenerateFirmwareWindow.h"

#include "dialogs/GenerateFirmwareLogic.h"
#include "dialogs/qt/ComparisonWindow.h"
#include "platform/qt/QtServices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>

namespace c2c {

namespace {

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

// The status text with a break allowed after every path separator, so a
// long folder wraps instead of running out of the window.
QString Wrappable(const std::string& text)
{
    QString shown = ToQString(text);
    shown.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
    shown.replace(QLatin1Char('\\'), QStringLiteral("\\\u200B"));
    return shown;
}

// A colour value 0x00BBGGRR as Qt's colour.
QColor ColorOf(std::uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

void Paint(QWidget* widget, std::uint32_t color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, ColorOf(color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

GenerateFirmwareWindow::GenerateFirmwareWindow(GenerateFirmwareLogic& logic, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), logic_(logic)
{
    setObjectName(QStringLiteral("FModifyFileSx"));
    setWindowTitle(QString::fromLatin1(kGenerateFirmwareCaption));
    setModal(true);
    setFixedSize(kGenerateFirmwareWidth, kGenerateFirmwareHeight);
    // Verdana where it is installed; Qt falls back to a similar face elsewhere.
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(8);
    setFont(font);
    Paint(this, kFormColor);

    // The controls the user sees.
    LbButton1 = Place(new QPushButton(QStringLiteral("X"), this), "LbButton1", 400, 3, 25, 17);
    cbport = Place(new QComboBox(this), "cbport", 328, 143, 89, 21);
    cbport->setEditable(false);
    for (const char* port : kPorts)
        cbport->addItem(QString::fromLatin1(port));
    LbButton2 =
        Place(new QPushButton(QStringLiteral("Execute update firmware"), this), "LbButton2", 160, 142, 153, 23);
    Avanzamento = Place(new QProgressBar(this), "Avanzamento", 8, 176, 417, 24);
    Avanzamento->setTextVisible(false);
    Shape1 = Place(new QFrame(this), "Shape1", 8, 208, 417, 10);
    Shape1->setStyleSheet(QStringLiteral("background-color: rgb(166, 202, 240); border: 1px solid rgb(128, 128, 128);"));
    StatusLine = Place(new QLabel(this), "StatusLine", 8, 24, 414, 110);
    StatusLine->setWordWrap(true);
    StatusLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    StatusLine->setTextFormat(Qt::PlainText);
    CompareFirmware = Place(new QPushButton(QString::fromLatin1(kCompareWithFirmwareCaption), this),
                            "CompareFirmware", 186, 111, 150, 23);
    ReportButton = Place(new QPushButton(QString::fromLatin1(kReportCaption), this), "ReportButton", 342, 111, 80, 23);
    comparison_ = new ComparisonWindow(this);

    // Controls of the form that no visible control shows; they work when used.
    Label3 = Place(new QLabel(QStringLiteral("Name new Firmware:"), this), "Label3", 8, 8, 120, 16);
    NewFileSx = Place(new QLineEdit(this), "NewFileSx", 8, 26, 250, 21);
    Label3->setBuddy(NewFileSx);
    OpenFile = Place(new QPushButton(QStringLiteral("Open Firmware"), this), "OpenFile", 270, 24, 100, 25);
    Options = Place(new QPushButton(QString::fromLatin1(kOptionsCaptionInForm), this), "Options", 8, 142, 100, 23);
    GbBank = Place(new QGroupBox(this), "GbBank", 8, 54, 300, 80);
    for (int i = 0; i < kBankCount; ++i) {
        const std::string name = "Cbbank" + std::to_string(i + 1);
        const QString caption = QStringLiteral("Bank %1").arg(i + 1);
        Cbbank[static_cast<std::size_t>(i)] =
            Place(new QCheckBox(caption, GbBank), name.c_str(), 8 + (i % 3) * 95, 16 + (i / 3) * 28, 85, 21);
        Cbbank[static_cast<std::size_t>(i)]->setChecked(true);
    }
    DirFileBin = Place(new QPushButton(QStringLiteral("Directory File Bin"), this), "DirFileBin", 316, 60, 105, 25);
    ExeModFileSx =
        Place(new QPushButton(QStringLiteral("Execute Modify File Sx"), this), "ExeModFileSx", 316, 92, 105, 25);
    ExeUpdateFir =
        Place(new QPushButton(QStringLiteral("Execute update firmware"), this), "ExeUpdateFir", 316, 120, 105, 21);
    for (QWidget* hidden : std::initializer_list<QWidget*>{Label3, NewFileSx, OpenFile, Options, GbBank, DirFileBin,
                                                           ExeModFileSx, ExeUpdateFir})
        hidden->hide();

    progress_ = std::make_unique<QtProgressBarSink>(Avanzamento);

    connect(LbButton1, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbport, &QComboBox::currentIndexChanged, this, [this](int index) { logic_.port = index; });
    connect(LbButton2, &QPushButton::clicked, this,
            [this] { Run([this] { logic_.ExecuteUpdateFirmware(*progress_); }); });
    connect(CompareFirmware, &QPushButton::clicked, this, [this] {
        Run([this] {
            if (logic_.CompareWithFirmware())
                comparison_->ShowComparison(*logic_.comparison);
        });
    });
    connect(ReportButton, &QPushButton::clicked, this, [this] { Run([this] { logic_.WriteReport(); }); });
    connect(NewFileSx, &QLineEdit::textChanged, this,
            [this](const QString& text) { logic_.SetNewFirmwareName(FromQString(text)); });
    connect(OpenFile, &QPushButton::clicked, this, [this] { Run([this] { logic_.OpenFirmware(); }); });
    connect(Options, &QPushButton::clicked, this, [this] { Run([this] { logic_.ToggleOptions(); }); });
    connect(DirFileBin, &QPushButton::clicked, this, [this] { Run([this] { logic_.ChooseBinFolder(); }); });
    connect(ExeModFileSx, &QPushButton::clicked, this, [this] { Run([this] { logic_.ComposeFirmware(*progress_); }); });
    connect(ExeUpdateFir, &QPushButton::clicked, this, [this] { Run([this] { logic_.StartFlasher(); }); });
    for (std::size_t i = 0; i < Cbbank.size(); ++i)
        connect(Cbbank[i], &QCheckBox::toggled, this, [this, i](bool checked) { logic_.banks[i].checked = checked; });

    Refresh();
}

GenerateFirmwareWindow::~GenerateFirmwareWindow() = default;

template <typename Handler>
void GenerateFirmwareWindow::Run(Handler handler)
{
    RunGuarded(logic_.Services().messages, handler);
    Refresh();
}

void GenerateFirmwareWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QScreen* shown = screen()) {
        const QRect area = shown->geometry();
        const QSize size = frameGeometry().size();
        const Placement place = FormPlacement(area.width(), area.height(), size.width(), size.height());
        move(area.x() + place.left, area.y() + place.top);
    }
    Run([this] { logic_.Show(*progress_); });
}

void GenerateFirmwareWindow::Refresh()
{
    {
        QSignalBlocker block(cbport);
        cbport->setCurrentIndex(logic_.port);
    }
    LbButton2->setEnabled(logic_.executeEnabled);
    if (NewFileSx->text() != ToQString(logic_.newFirmwareName)) {
        QSignalBlocker block(NewFileSx);
        NewFileSx->setText(ToQString(logic_.newFirmwareName));
    }
    StatusLine->setText(Wrappable(logic_.status));
    // The bank panel, when the hidden Options button shows it, takes the area.
    StatusLine->setVisible(!logic_.banksVisible);
    // After a run the review buttons take the status line's last line.
    const bool review = logic_.reviewVisible && !logic_.banksVisible;
    StatusLine->setFixedHeight(review ? 84 : 110);
    CompareFirmware->setVisible(review);
    ReportButton->setVisible(review);
    Options->setText(ToQString(logic_.optionsCaption));
    GbBank->setVisible(logic_.banksVisible);
    DirFileBin->setVisible(logic_.binFolderButtonVisible);
    for (std::size_t i = 0; i < Cbbank.size(); ++i) {
        QCheckBox* box = Cbbank[i];
        const BankCheckBox& state = logic_.banks[i];
        QSignalBlocker block(box);
        box->setVisible(state.visible);
        box->setChecked(state.checked);
        Paint(box, state.color);
    }
    ExeModFileSx->setEnabled(logic_.composeEnabled);
}

} // namespace c2c
