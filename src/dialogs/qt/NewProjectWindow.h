#pragma once
// The New project window: shows a NewProjectLogic and feeds the user's
// typing and clicks into it. Accepted means the project was created (the
// main window then shows its name), Rejected means Cancel.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace c2c {

class NewProjectLogic;

class NewProjectWindow : public QDialog {
    Q_OBJECT
public:
    // Set the logic's destinationDir before exec().
    explicit NewProjectWindow(NewProjectLogic& logic, QWidget* parent = nullptr);

    // The window's own close (Escape) counts as Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Ok();

    NewProjectLogic& logic_;

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;
};

} // namespace c2c
