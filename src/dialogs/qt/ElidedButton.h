#pragma once
// A flat button whose text never widens its window: a text longer than the
// room it has ends in "...", and the tooltip holds the whole text. The line
// under the grids of Set CobID Access is one.

#include <QToolButton>

namespace c2c {

class ElidedButton final : public QToolButton {
public:
    explicit ElidedButton(QWidget* parent = nullptr);

    // The whole text; the button shows as much of it as fits.
    void setFullText(const QString& text);
    QString fullText() const { return fullText_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString fullText_;
};

} // namespace c2c
