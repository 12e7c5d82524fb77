#include "dialogs/qt/FilterMapWidget.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace c2c {

namespace {

constexpr int kCell = kMapPitch;
constexpr int kLeftMargin = kMapLeftMargin;
constexpr int kTopMargin = kMapTopMargin;

QColor ToQColor(MapColor color)
{
    return QColor(color.red, color.green, color.blue);
}

Qt::BrushStyle BrushOf(MapPattern pattern)
{
    switch (pattern) {
    case MapPattern::RisingDiagonal:
        return Qt::BDiagPattern;
    case MapPattern::DiagonalCross:
        return Qt::DiagCrossPattern;
    case MapPattern::None:
        break;
    }
    return Qt::NoBrush;
}

void PaintCell(QPainter& painter, const QRect& rect, MapKind kind)
{
    const MapKindLook look = LookOf(kind);
    painter.fillRect(rect, ToQColor(look.fill));
    if (look.pattern != MapPattern::None) {
        painter.setBrushOrigin(rect.topLeft());
        painter.fillRect(rect, QBrush(ToQColor(look.ink), BrushOf(look.pattern)));
    }
}

} // namespace

FilterMapWidget::FilterMapWidget(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Filter map of the standard identifiers"));
    setMouseTracking(true);
}

void FilterMapWidget::setRouting(const RoutingLogic* routing)
{
    routing_ = routing;
    update();
    emit currentChanged(current_);
}

void FilterMapWidget::setCurrentId(int id)
{
    id = std::clamp(id, 0, kMapColumns * kMapRows - 1);
    if (id == current_)
        return;
    current_ = id;
    update();
    emit currentChanged(current_);
}

QRect FilterMapWidget::cellRect(int id) const
{
    return {kLeftMargin + (id % kMapColumns) * kCell, kTopMargin + (id / kMapColumns) * kCell, kCell - 1, kCell - 1};
}

int FilterMapWidget::idAt(const QPoint& point) const
{
    const int column = (point.x() - kLeftMargin) / kCell;
    const int line = (point.y() - kTopMargin) / kCell;
    if (point.x() < kLeftMargin || point.y() < kTopMargin || column >= kMapColumns || line >= kMapRows)
        return -1;
    return line * kMapColumns + column;
}

QSize FilterMapWidget::sizeHint() const
{
    return {kLeftMargin + kMapColumns * kCell + 2, kTopMargin + kMapRows * kCell + 2};
}

QPixmap FilterMapWidget::Swatch(MapKind kind, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    PaintCell(painter, QRect(0, 0, size, size), kind);
    painter.setPen(QColor(60, 60, 60));
    painter.drawRect(0, 0, size - 1, size - 1);
    return pixmap;
}

void FilterMapWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().windowText().color());
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    painter.setFont(small);
    // The labels and ticks of every filter map: each line's first
    // identifier, and what each column adds to it.
    for (int column = 0; column < kMapColumns; column += kMapLabelStep)
        painter.drawText(QRect(kLeftMargin + column * kCell, 0, kMapLabelStep * kCell, kTopMargin - 4),
                         Qt::AlignLeft | Qt::AlignBottom, QString::fromStdString(MapColumnLabel(column)));
    for (int column = 0; column < kMapColumns; ++column) {
        const int x = kLeftMargin + column * kCell + (kCell - 1) / 2;
        painter.drawLine(x, kTopMargin - (column % kMapLabelStep == 0 ? 4 : 2), x, kTopMargin - 1);
    }
    for (int line = 0; line < kMapRows; ++line)
        painter.drawText(QRect(0, kTopMargin + line * kCell - 1, kLeftMargin - 6, kCell + 1),
                         Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(MapLineLabel(line)));
    if (!routing_)
        return;
    for (int id = 0; id < kMapColumns * kMapRows; ++id)
        PaintCell(painter, cellRect(id), routing_->Kind(static_cast<std::uint32_t>(id)));
    // The current cell: a frame in the text colour, wider when focused.
    QPen pen(palette().highlight().color(), hasFocus() ? 3 : 1);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(cellRect(current_).adjusted(-1, -1, 1, 1));
}

void FilterMapWidget::keyPressEvent(QKeyEvent* event)
{
    int id = current_;
    switch (event->key()) {
    case Qt::Key_Left:
        --id;
        break;
    case Qt::Key_Right:
        ++id;
        break;
    case Qt::Key_Up:
        id -= kMapColumns;
        break;
    case Qt::Key_Down:
        id += kMapColumns;
        break;
    case Qt::Key_PageUp:
        id -= 8 * kMapColumns;
        break;
    case Qt::Key_PageDown:
        id += 8 * kMapColumns;
        break;
    case Qt::Key_Home:
        id = event->modifiers() & Qt::ControlModifier ? 0 : id - id % kMapColumns;
        break;
    case Qt::Key_End:
        id = event->modifiers() & Qt::ControlModifier ? kMapColumns * kMapRows - 1
                                                      : id - id % kMapColumns + kMapColumns - 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (id < 0 || id >= kMapColumns * kMapRows)
        id = current_;
    setCurrentId(id);
    event->accept();
}

void FilterMapWidget::mousePressEvent(QMouseEvent* event)
{
    const int id = idAt(event->position().toPoint());
    if (id >= 0)
        setCurrentId(id);
    setFocus(Qt::MouseFocusReason);
}

bool FilterMapWidget::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int id = idAt(help->pos());
        if (id >= 0 && routing_)
            QToolTip::showText(help->globalPos(), QString::fromStdString(routing_->CellText(static_cast<std::uint32_t>(id))),
                               this, cellRect(id));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

} // namespace c2c
