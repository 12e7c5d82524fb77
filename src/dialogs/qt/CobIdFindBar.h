#pragma once
// The find and "Go to N°" fields under the grids of Set CobID Access: what
// the user asks for, and a status text ("3 of 7", "Not found"). The window
// answers the requests with its logic's Find and RowOfNumber.

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

namespace c2c {

class CobIdFindBar : public QWidget {
    Q_OBJECT
public:
    explicit CobIdFindBar(QWidget* parent = nullptr);

    QString findText() const;
    QString numberText() const;
    void setStatus(const QString& text);

    // Focus into the find field or the N° field, their text selected.
    void focusFind();
    void focusNumber();
    // Whether one of the fields has the focus.
    bool hasFieldFocus() const;

signals:
    void findRequested(bool forward);
    void goToRequested();

private:
    QLineEdit* findText_;
    QToolButton* findPrevious_;
    QToolButton* findNext_;
    QLabel* findStatus_;
    QLineEdit* goToNumber_;
};

} // namespace c2c
