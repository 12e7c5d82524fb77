#include "dialogs/qt/CommSettingsWindow.h"

#include "dialogs/CommSettingsLogic.h"
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

CommSettingsWindow::CommSettingsWindow(CommSettingsLogic& logic, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), logic_(logic)
{
    setObjectName(QStringLiteral("Fpargen"));
    setWindowTitle(QString::fromLatin1(kCommSettingsCaption));
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

    auto port = [this](int number, QCheckBox* dip, QComboBox* rate, QRadioButton* typeA, QRadioButton* typeB) {
        connect(dip, &QCheckBox::clicked, this, [this, number](bool checked) {
            logic_.SetDipSwitch(number, checked);
            Refresh();
        });
        connect(rate, &QComboBox::currentIndexChanged, this,
                [this, number](int index) { logic_.ChooseBitRate(number, index); });
        connect(typeA, &QRadioButton::clicked, this, [this, number] {
            logic_.ChooseFormat(number, false);
            Refresh();
        });
        connect(typeB, &QRadioButton::clicked, this, [this, number] {
            logic_.ChooseFormat(number, true);
            Refresh();
        });
    };
    port(0, ECB_Baud_Dip_C0, ComboBox1, RB_C0_TA, RB_C0_TB);
    port(1, ECB_Baud_Dip_C1, ComboBox2, RB_C1_TA, RB_C1_TB);
    connect(EwCheckBox2, &QCheckBox::clicked, this, [this](bool checked) { logic_.SetPositive(checked); });
    connect(bitbtn1, &QPushButton::clicked, this,
            [this] { RunGuarded(logic_.Services().messages, [this] { Ok(); }); });
    connect(bitbtn2, &QPushButton::clicked, this, &QDialog::reject);

    Refresh();
}

void CommSettingsWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    RunGuarded(logic_.Services().messages, [this] { logic_.Show(); });
    Refresh();
    bitbtn1->setFocus();
}

void CommSettingsWindow::Ok()
{
    // A failed save is reported by the guard and keeps the window open with
    // the user's choices; the session is updated either way.
    logic_.Ok();
    accept();
}

void CommSettingsWindow::Refresh()
{
    auto setChecked = [](auto* widget, bool checked) {
        QSignalBlocker block(widget);
        widget->setChecked(checked);
    };
    auto setIndex = [](QComboBox* box, int index) {
        QSignalBlocker block(box);
        box->setCurrentIndex(index);
    };
    setChecked(ECB_Baud_Dip_C0, logic_.can0.dipSwitch);
    setChecked(ECB_Baud_Dip_C1, logic_.can1.dipSwitch);
    setIndex(ComboBox1, logic_.can0.bitRate);
    setIndex(ComboBox2, logic_.can1.bitRate);
    ComboBox1->setEnabled(logic_.can0.bitRateEnabled);
    ComboBox2->setEnabled(logic_.can1.bitRateEnabled);
    setChecked(RB_C0_TA, logic_.can0.formatA);
    setChecked(RB_C0_TB, logic_.can0.formatB);
    setChecked(RB_C1_TA, logic_.can1.formatA);
    setChecked(RB_C1_TB, logic_.can1.formatB);
    setChecked(EwCheckBox2, logic_.positive);
    EwCheckBox2->setEnabled(logic_.positiveEnabled);
    GroupBox2->setVisible(logic_.can1Visible);
}

} // namespace c2c
