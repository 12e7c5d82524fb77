#include "documents/qt/TFpargen.h"

#include "app/Workspace.h"
#include "documents/CommSettings.h"
#include "platform/qt/QtServices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace c2c {

namespace {

QGroupBox* PortFrame(const char* caption, const char* name, QCheckBox*& dip, const char* dipName, QComboBox*& rate,
                     const char* rateName, QRadioButton*& typeA, const char* typeAName, QRadioButton*& typeB,
                     const char* typeBName)
{
    auto* frame = Named(new QGroupBox(QString::fromLatin1(caption)), name);
    dip = Named(new QCheckBox(QStringLiteral("Baud rate set in Dip Switch")), dipName);
    rate = Named(new QComboBox, rateName);
    for (const char* entry : kBitRates)
        rate->addItem(QString::fromLatin1(entry));
    rate->setEditable(false);
    typeA = Named(new QRadioButton(QStringLiteral("CAN 2.0A")), typeAName);
    typeB = Named(new QRadioButton(QStringLiteral("CAN 2.0B")), typeBName);
    // The logic keeps the two buttons exclusive; "neither chosen" must be showable.
    typeA->setAutoExclusive(false);
    typeB->setAutoExclusive(false);

    auto* label = new QLabel(QStringLiteral("Baud rate"));
    label->setBuddy(rate);
    auto* layout = new QGridLayout(frame);
    layout->addWidget(dip, 0, 0, 1, 2);
    layout->addWidget(label, 1, 0);
    layout->addWidget(rate, 1, 1);
    layout->addWidget(typeA, 2, 0);
    layout->addWidget(typeB, 2, 1);
    return frame;
}

} // namespace

TFpargen::TFpargen(CommSettingsDialog& logic, const Workspace& workspace, CommSession& session,
                   MessageService& messages, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      logic_(logic),
      workspace_(workspace),
      session_(session),
      messages_(messages)
{
    setObjectName(QStringLiteral("Fpargen"));
    setWindowTitle(QStringLiteral("SET COMMUNICATION"));
    setModal(true);

    GroupBox1 = PortFrame(" CAN 0 ", "GroupBox1", ECB_Baud_Dip_C0, "ECB_Baud_Dip_C0", ComboBox1, "ComboBox1",
                          RB_C0_TA, "RB_C0_TA", RB_C0_TB, "RB_C0_TB");
    GroupBox2 = PortFrame(" CAN 1 ", "GroupBox2", ECB_Baud_Dip_C1, "ECB_Baud_Dip_C1", ComboBox2, "ComboBox2",
                          RB_C1_TA, "RB_C1_TA", RB_C1_TB, "RB_C1_TB");
    EwCheckBox2 = Named(new QCheckBox(QStringLiteral("Positive Implementation")), "EwCheckBox2");
    bitbtn1 = Named(new QPushButton(QStringLiteral("OK")), "bitbtn1");
    bitbtn2 = Named(new QPushButton(QStringLiteral("Cancel")), "bitbtn2");
    bitbtn1->setDefault(true);

    auto* ports = new QHBoxLayout;
    ports->addWidget(GroupBox1);
    ports->addWidget(GroupBox2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bitbtn1);
    buttons->addWidget(bitbtn2);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(ports);
    layout->addWidget(EwCheckBox2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ECB_Baud_Dip_C0, &QCheckBox::clicked, this, [this](bool checked) {
        logic_.ECB_Baud_Dip_C0 = checked;
        logic_.ECB_Baud_Dip_C0Click();
        Refresh();
    });
    connect(ECB_Baud_Dip_C1, &QCheckBox::clicked, this, [this](bool checked) {
        logic_.ECB_Baud_Dip_C1 = checked;
        logic_.ECB_Baud_Dip_C1Click();
        Refresh();
    });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this](int index) { logic_.ComboBox1 = index; });
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this](int index) { logic_.ComboBox2 = index; });
    connect(RB_C0_TA, &QRadioButton::clicked, this, [this] { logic_.ChooseCan0(false); Refresh(); });
    connect(RB_C0_TB, &QRadioButton::clicked, this, [this] { logic_.ChooseCan0(true); Refresh(); });
    connect(RB_C1_TA, &QRadioButton::clicked, this, [this] { logic_.ChooseCan1(false); Refresh(); });
    connect(RB_C1_TB, &QRadioButton::clicked, this, [this] { logic_.ChooseCan1(true); Refresh(); });
    connect(EwCheckBox2, &QCheckBox::clicked, this, [this](bool checked) { logic_.EwCheckBox2 = checked; });
    connect(bitbtn1, &QPushButton::clicked, this, [this] { RunGuarded(messages_, [this] { BitBtn1Click(); }); });
    connect(bitbtn2, &QPushButton::clicked, this, &QDialog::reject);

    Refresh();
}

void TFpargen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    RunGuarded(messages_, [this] { logic_.FormShow(workspace_.PargenFile, messages_); });
    Refresh();
    bitbtn1->setFocus();
}

void TFpargen::BitBtn1Click()
{
    // A failed save is reported by the guard and keeps the dialog open with
    // the user's choices; CommSession is updated either way.
    logic_.BitBtn1Click(workspace_.PargenFile, session_);
    accept();
}

void TFpargen::Refresh()
{
    auto setChecked = [](auto* widget, bool checked) {
        QSignalBlocker block(widget);
        widget->setChecked(checked);
    };
    auto setIndex = [](QComboBox* box, int index) {
        QSignalBlocker block(box);
        box->setCurrentIndex(index);
    };
    setChecked(ECB_Baud_Dip_C0, logic_.ECB_Baud_Dip_C0);
    setChecked(ECB_Baud_Dip_C1, logic_.ECB_Baud_Dip_C1);
    setIndex(ComboBox1, logic_.ComboBox1);
    setIndex(ComboBox2, logic_.ComboBox2);
    ComboBox1->setEnabled(logic_.ComboBox1Enabled);
    ComboBox2->setEnabled(logic_.ComboBox2Enabled);
    setChecked(RB_C0_TA, logic_.RB_C0_TA);
    setChecked(RB_C0_TB, logic_.RB_C0_TB);
    setChecked(RB_C1_TA, logic_.RB_C1_TA);
    setChecked(RB_C1_TB, logic_.RB_C1_TB);
    setChecked(EwCheckBox2, logic_.EwCheckBox2);
    EwCheckBox2->setEnabled(logic_.EwCheckBox2Enabled);
    GroupBox2->setVisible(logic_.GroupBox2Visible);
}

} // namespace c2c
