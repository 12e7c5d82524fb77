#include "app/qt/TFsaveproj.h"

#include "app/NewProject.h"
#include "platform/qt/QtServices.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>

namespace c2c {

namespace {

constexpr int kClientWidth = 319;
constexpr int kClientHeight = 91;

} // namespace

TFsaveproj::TFsaveproj(NewProjectDialog& logic, Workspace& workspace, const CommSettingsDialog& commSettings,
                       CommSession& session, CompanionTables& companions, MessageService& messages,
                       QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      logic_(logic),
      workspace_(workspace),
      commSettings_(commSettings),
      session_(session),
      companions_(companions),
      messages_(messages)
{
    setObjectName(QStringLiteral("Fsaveproj"));
    setWindowTitle(QString::fromLatin1(kNewProjectCaption));
    setModal(true);
    // Take the main window's colours and font.
    setAttribute(Qt::WA_WindowPropagation);
    setFixedSize(kClientWidth, kClientHeight);

    Label1 = new QLabel(QString::fromLatin1(kProjectNameLabel), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(16, 2);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(16, 16, 297, 21);
    Label1->setBuddy(Edit1);
    bitbtn1 = new QPushButton(QStringLiteral("OK"), this);
    bitbtn1->setObjectName(QStringLiteral("bitbtn1"));
    bitbtn1->setGeometry(92, 59, 69, 23);
    bitbtn1->setDefault(true);
    bitbtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    bitbtn2->setObjectName(QStringLiteral("bitbtn2"));
    bitbtn2->setGeometry(164, 59, 69, 23);
    bitbtn2->setAutoDefault(false);

    logic_.FormCreate();

    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& text) { logic_.Edit1 = FromQString(text); });
    connect(bitbtn1, &QPushButton::clicked, this, [this] { RunGuarded(messages_, [this] { BitBtn1Click(); }); });
    connect(bitbtn2, &QPushButton::clicked, this, &TFsaveproj::reject);
}

void TFsaveproj::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    logic_.FormShow();
    {
        QSignalBlocker block(Edit1);
        Edit1->setText(ToQString(logic_.Edit1));
    }
    Label1->show();
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Edit1->setFocus();
}

void TFsaveproj::BitBtn1Click()
{
    logic_.BitBtn1Click(workspace_, commSettings_, session_, companions_, messages_);
    if (logic_.FormCloseQuery())
        accept();
}

void TFsaveproj::reject()
{
    logic_.BitBtn2Click();
    if (logic_.FormCloseQuery())
        QDialog::reject();
}

} // namespace c2c
