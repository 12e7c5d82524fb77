#pragma once
// The main window: shows a MainLogic (the four numbered steps, About, the
// link and "X") and feeds the user's clicks into it.

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QToolButton;

namespace c2c {

class MainLogic;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(MainLogic& logic, QWidget* parent = nullptr);

    // Shows the logic's caption and status.
    void Refresh();
    // Shows the logic's state and paints the window at once, without
    // handling any other event.
    void RepaintNow();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Runs a handler through the error guard, then shows the new state.
    void Run(const std::function<void()>& handler);

    MainLogic& logic_;

    QPushButton* New;
    QPushButton* open;
    QPushButton* btn_Prm_Gen;
    QPushButton* btn_CobID;
    QPushButton* CreateBin;
    QToolButton* about;
    QToolButton* LbButton1;
    QLabel* Label1;
    QLabel* Labelstate; // never visible
};

} // namespace c2c
