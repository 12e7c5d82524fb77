#include "dialogs/qt/Style.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QWidget>

namespace c2c {

void ApplyDrevantaStyle(QWidget* window)
{
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, kBackgroundColour);
    palette.setColor(QPalette::WindowText, kTextColour);
    palette.setColor(QPalette::ButtonText, kTextColour);
    palette.setColor(QPalette::Text, kTextColour);
    window->setPalette(palette);
    window->setAutoFillBackground(true);

    QFont font = window->font();
    if (QFontDatabase::hasFamily(QStringLiteral("Verdana")))
        font.setFamily(QStringLiteral("Verdana"));
    font.setPointSize(8);
    window->setFont(font);
}

void FixAndCentre(QWidget* window, int width, int height)
{
    window->setFixedSize(width, height);
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect area = screen->availableGeometry();
    window->move(area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2);
}

void KeepShortcutLabelsWhole(QWidget* window)
{
    for (QLabel* label : window->findChildren<QLabel*>()) {
        const QString text = label->text();
        const qsizetype amp = text.indexOf(QLatin1Char('&'));
        if (amp < 0 || amp + 1 >= text.size() || text.at(amp + 1) == QLatin1Char('&'))
            continue;
        const QFontMetrics metrics = label->fontMetrics();
        const int drawn = metrics.horizontalAdvance(text.left(amp)) + metrics.horizontalAdvance(text.at(amp + 1)) +
                          metrics.horizontalAdvance(text.mid(amp + 2));
        const QMargins margins = label->contentsMargins();
        label->setMinimumWidth(drawn + margins.left() + margins.right() + 2 * label->margin());
    }
}

} // namespace c2c
