#include "dialogs/qt/ElidedButton.h"

#include <QResizeEvent>

#include <algorithm>

namespace c2c {

ElidedButton::ElidedButton(QWidget* parent) : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setAutoRaise(true);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ElidedButton::setFullText(const QString& text)
{
    fullText_ = text;
    setToolTip(text);
    Elide();
}

QSize ElidedButton::sizeHint() const
{
    // As high as the button with its text; as wide as the layout makes it,
    // from the room for the icon and "..." up.
    return {iconSize().width() + fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24,
            QToolButton::sizeHint().height()};
}

QSize ElidedButton::minimumSizeHint() const
{
    // QToolButton's own minimum asks sizeHint(), which is this one.
    return sizeHint();
}

void ElidedButton::resizeEvent(QResizeEvent* event)
{
    QToolButton::resizeEvent(event);
    Elide();
}

void ElidedButton::Elide()
{
    // The room beside the icon, less the button's own margins.
    int room = width() - 16;
    if (!icon().isNull())
        room -= iconSize().width() + 4;
    setText(fontMetrics().elidedText(fullText_, Qt::ElideRight, std::max(room, 0)));
}

} // namespace c2c
