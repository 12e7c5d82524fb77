#include "firmware/qt/TFModifyFileSx.h"

#include "app/Workspace.h"
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

TFModifyFileSx::TFModifyFileSx(const Workspace& workspace, MessageService& messages, FilePicker& files,
                               FolderPicker& folders, ShellService& shell, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      workspace_(workspace),
      messages_(messages),
      files_(files),
      folders_(folders),
      shell_(shell)
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

    // Controls of the form that no visible control shows; they work when used.
    Label3 = Place(new QLabel(QStringLiteral("Name new Firmware:"), this), "Label3", 8, 8, 120, 16);
    NewFileSx = Place(new QLineEdit(this), "NewFileSx", 8, 26, 250, 21);
    Label3->setBuddy(NewFileSx);
    OpenFile = Place(new QPushButton(QStringLiteral("Open Firmware"), this), "OpenFile", 270, 24, 100, 25);
    Options = Place(new QPushButton(QString::fromLatin1(kOptionsCaptionInForm), this), "Options", 8, 142, 100, 23);
    GbBank = Place(new QGroupBox(this), "GbBank", 8, 54, 300, 80);
    for (int i = 0; i < kWindowCount; ++i) {
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
    connect(cbport, &QComboBox::currentIndexChanged, this, [this](int index) { logic_.cbport = index; });
    connect(LbButton2, &QPushButton::clicked, this,
            [this] { Run([this] { logic_.LbButton2Click(workspace_, messages_, *progress_, shell_); }); });
    connect(NewFileSx, &QLineEdit::textChanged, this,
            [this](const QString& text) { logic_.NewFileSxChange(FromQString(text)); });
    connect(OpenFile, &QPushButton::clicked, this,
            [this] { Run([this] { logic_.OpenFileClick(workspace_, messages_, files_); }); });
    connect(Options, &QPushButton::clicked, this, [this] { Run([this] { logic_.OptionsClick(); }); });
    connect(DirFileBin, &QPushButton::clicked, this,
            [this] { Run([this] { logic_.DirFileBinClick(workspace_, messages_, folders_); }); });
    connect(ExeModFileSx, &QPushButton::clicked, this,
            [this] { Run([this] { logic_.ExeModFileSxClick(messages_, *progress_); }); });
    connect(ExeUpdateFir, &QPushButton::clicked, this,
            [this] { Run([this] { logic_.ExeUpdateFirClick(workspace_, messages_, shell_); }); });
    for (int i = 0; i < kWindowCount; ++i)
        connect(Cbbank[static_cast<std::size_t>(i)], &QCheckBox::toggled, this,
                [this, i](bool checked) { logic_.Cbbank(i).Checked = checked; });

    Refresh();
}

TFModifyFileSx::~TFModifyFileSx() = default;

template <typename Handler>
void TFModifyFileSx::Run(Handler handler)
{
    RunGuarded(messages_, handler);
    Refresh();
}

void TFModifyFileSx::showEvent(QShowEvent* event)
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
    Run([this] { logic_.FormShow(workspace_, messages_, *progress_); });
}

void TFModifyFileSx::Refresh()
{
    {
        QSignalBlocker block(cbport);
        cbport->setCurrentIndex(logic_.cbport);
    }
    LbButton2->setEnabled(logic_.LbButton2Enabled);
    if (NewFileSx->text() != ToQString(logic_.NewFileSx)) {
        QSignalBlocker block(NewFileSx);
        NewFileSx->setText(ToQString(logic_.NewFileSx));
    }
    Options->setText(ToQString(logic_.OptionsCaption));
    GbBank->setVisible(logic_.GbBankVisible);
    DirFileBin->setVisible(logic_.DirFileBinVisible);
    for (int i = 0; i < kWindowCount; ++i) {
        QCheckBox* box = Cbbank[static_cast<std::size_t>(i)];
        const BankCheckBox& state = logic_.Cbbank(i);
        QSignalBlocker block(box);
        box->setVisible(state.Visible);
        box->setChecked(state.Checked);
        Paint(box, state.Color);
    }
    ExeModFileSx->setEnabled(logic_.ExeModFileSxEnabled);
}

} // namespace c2c
