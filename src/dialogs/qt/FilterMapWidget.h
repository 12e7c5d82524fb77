#pragma once
// The filter map of Check routing: the 2048 standard identifiers as 64 x 32
// cells, each drawn as passed unchanged, translated or blocked (a colour and
// a pattern of its own, so the kinds stay apart without colour), with the
// identifier, its outcome and row N° as the tooltip. The arrow keys, Home,
// End, Page Up and Page Down move the current cell.

#include "dialogs/RoutingLogic.h"

#include <QPixmap>
#include <QWidget>

namespace c2c {

class FilterMapWidget final : public QWidget {
    Q_OBJECT
public:
    explicit FilterMapWidget(QWidget* parent = nullptr);

    // The view to draw (not owned); nothing drawn without one.
    void setRouting(const RoutingLogic* routing);
    int currentId() const { return current_; }
    void setCurrentId(int id);
    // The identifier under a point of the widget, or -1.
    int idAt(const QPoint& point) const;
    QRect cellRect(int id) const;

    QSize sizeHint() const override;
    // The swatch of a kind, drawn as the map draws it (for the legend).
    static QPixmap Swatch(MapKind kind, int size);

signals:
    void currentChanged(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    const RoutingLogic* routing_ = nullptr;
    int current_ = 0;
};

} // namespace c2c
