#include "dialogs/qt/CobIdFindBar.h"

#include "platform/qt/QtServices.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace c2c {

CobIdFindBar::CobIdFindBar(QWidget* parent) : QWidget(parent)
{
    findText_ = Named(new QLineEdit, "FindText");
    findText_->setPlaceholderText(QStringLiteral("Identifier or text"));
    findText_->setClearButtonEnabled(true);
    findText_->setMinimumWidth(150);
    findPrevious_ = Named(new QToolButton, "FindPrevious");
    findPrevious_->setArrowType(Qt::UpArrow);
    findPrevious_->setToolTip(QStringLiteral("Find Previous (Shift+F3)"));
    findNext_ = Named(new QToolButton, "FindNext");
    findNext_->setArrowType(Qt::DownArrow);
    findNext_->setToolTip(QStringLiteral("Find Next (F3)"));
    findStatus_ = Named(new QLabel, "FindStatus");
    goToNumber_ = Named(new QLineEdit, "GoToNumber");
    goToNumber_->setMaximumWidth(72);
    auto* findLabel = new QLabel(QStringLiteral("&Find:"));
    findLabel->setBuddy(findText_);
    auto* goToLabel = new QLabel(QString::fromUtf8("&Go to N\u00B0:"));
    goToLabel->setBuddy(goToNumber_);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(findLabel);
    layout->addWidget(findText_);
    layout->addWidget(findPrevious_);
    layout->addWidget(findNext_);
    layout->addWidget(findStatus_);
    layout->addSpacing(12);
    layout->addWidget(goToLabel);
    layout->addWidget(goToNumber_);

    connect(findText_, &QLineEdit::returnPressed, this, [this] { emit findRequested(true); });
    connect(findText_, &QLineEdit::textChanged, findStatus_, &QLabel::clear);
    connect(findNext_, &QToolButton::clicked, this, [this] { emit findRequested(true); });
    connect(findPrevious_, &QToolButton::clicked, this, [this] { emit findRequested(false); });
    connect(goToNumber_, &QLineEdit::returnPressed, this, &CobIdFindBar::goToRequested);
}

QString CobIdFindBar::findText() const
{
    return findText_->text();
}

QString CobIdFindBar::numberText() const
{
    return goToNumber_->text();
}

void CobIdFindBar::setStatus(const QString& text)
{
    findStatus_->setText(text);
}

void CobIdFindBar::focusFind()
{
    findText_->setFocus();
    findText_->selectAll();
}

void CobIdFindBar::focusNumber()
{
    goToNumber_->setFocus();
    goToNumber_->selectAll();
}

bool CobIdFindBar::hasFieldFocus() const
{
    return findText_->hasFocus() || goToNumber_->hasFocus();
}

} // namespace c2c
