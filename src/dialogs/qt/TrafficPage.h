#pragma once
// The Traffic page of Check routing: shows a TrafficLogic. Two traces, each
// with the line its frames are on, the bit rates, the window, the device's
// latency and queue; Compute runs in a thread of its own with a progress bar
// and Stop, and shows both lines' load over time (with the 70 % and 100 %
// marks, each line's peak and the device's backlog), the figures in words,
// and the conflicts, each of which leads to its rows in the grid.

#include "dialogs/TrafficLogic.h"

#include <QWidget>

#include <atomic>
#include <memory>

class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QThread;
class QTimer;

namespace c2c {

class FilePicker;

class TrafficPage final : public QWidget {
    Q_OBJECT
public:
    // `files` picks the traces (none: paths are typed).
    TrafficPage(const RoutingLogic& routing, TrafficInputs& inputs, FilePicker* files, QWidget* parent = nullptr);
    ~TrafficPage() override;

    const TrafficLogic& logic() const { return logic_; }
    // Starts the analysis of the inputs as they are on the page.
    void Compute();
    bool Running() const { return worker_ != nullptr; }
    // The rows of the conflict at `index` of the list.
    const std::vector<GridRow>& RowsOf(int index) const { return conflicts_.at(static_cast<std::size_t>(index)).rows; }

signals:
    void conflictActivated(int index);
    void computed(); // the outcome is shown (or the analysis stopped)

private:
    void Browse(int slot);
    void TakeInputs();
    void ShowInputs();
    void Stop();
    void ShowProgress();
    void ShowOutcome();
    void ShowChart(const TrafficReport& report);

    TrafficLogic logic_;
    FilePicker* files_;
    QLineEdit* paths_[2];
    QComboBox* lines_[2];
    QComboBox* rates_[2];
    QSpinBox* window_;
    QSpinBox* latency_;
    QSpinBox* queue_;
    QPushButton* compute_;
    QPushButton* stop_;
    QProgressBar* progress_;
    QLabel* problem_;
    QChartView* chart_;
    QPlainTextEdit* summary_;
    QListWidget* conflictList_;

    QThread* worker_ = nullptr;
    QTimer* timer_;
    std::atomic<bool> cancel_{false};
    std::atomic<int> permille_{0};
    std::unique_ptr<TrafficOutcome> outcome_; // written by the worker, read once it has finished
    std::vector<ConflictItem> conflicts_;
};

} // namespace c2c
