#include "dialogs/qt/Style.h"

#include <QFontDatabase>
#include <QGuiApplication>
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

} // namespace c2c
