#include "dialogs/qt/NewProjectWindow.h"

#include "dialogs/NewProjectLogic.h"
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

NewProjectWindow::NewProjectWindow(NewProjectLogic& logic, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), logic_(logic)
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

    connect(Edit1, &QLineEdit::textChanged, this,
            [this](const QString& text) { logic_.nameText = FromQString(text); });
    connect(bitbtn1, &QPushButton::clicked, this, [this] { RunGuarded(logic_.Services().messages, [this] { Ok(); }); });
    connect(bitbtn2, &QPushButton::clicked, this, &NewProjectWindow::reject);
}

void NewProjectWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    logic_.Show();
    {
        QSignalBlocker block(Edit1);
        Edit1->setText(ToQString(logic_.nameText));
    }
    Label1->show();
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Edit1->setFocus();
}

void NewProjectWindow::Ok()
{
    logic_.Ok();
    if (logic_.CanClose())
        accept();
}

void NewProjectWindow::reject()
{
    logic_.Cancel();
    if (logic_.CanClose())
        QDialog::reject();
}

} // namespace c2c
