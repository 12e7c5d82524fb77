#pragma once
// The About box: product, software code, version, document code and the
// link to the maker's page.

#include "platform/UiServices.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace c2c {

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(UiServices services, QWidget* parent = nullptr);

    // The product logo, drawn rather than loaded so the program needs no
    // image files beside it.
    static QPixmap Logo(int size);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The picture and the link both open the maker's page; failures are ignored.
    void OpenMakerPage();

    UiServices services_;
    QLabel* Image1;
    QLabel* Label4;
    QPushButton* OKButton;
};

} // namespace c2c
