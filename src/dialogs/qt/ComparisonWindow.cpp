#include "dialogs/qt/ComparisonWindow.h"

#include "dialogs/GenerateFirmwareLogic.h"
#include "platform/qt/QtServices.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace c2c {

ComparisonWindow::ComparisonWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ComparisonWindow"));
    setWindowTitle(QString::fromLatin1(kCompareTitle));
    files_ = new QLabel(this);
    files_->setObjectName(QStringLiteral("ComparedFiles"));
    files_->setTextFormat(Qt::PlainText);
    files_->setWordWrap(true);
    files_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    list_ = new QPlainTextEdit(this);
    list_->setObjectName(QStringLiteral("ComparisonList"));
    list_->setReadOnly(true);
    list_->setLineWrapMode(QPlainTextEdit::NoWrap);
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("CloseComparison"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(files_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    resize(720, 420);
}

void ComparisonWindow::ShowComparison(const FirmwareComparison& comparison)
{
    files_->setText(QStringLiteral("A: %1\nB: %2").arg(ToQString(comparison.a), ToQString(comparison.b)));
    QString text;
    for (const std::string& line : comparison.lines)
        text += ToQString(line) + QLatin1Char('\n');
    list_->setPlainText(text);
    open();
}

} // namespace c2c
