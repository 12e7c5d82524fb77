#pragma once
// The Check routing window of Set CobID Access: shows a RoutingLogic made of
// the tables as they are in the grid. The Filter map page has a choice of
// direction, a box to ask one identifier, the filter map with its legend
// and, in the extended layout, the listed 29-bit identifiers; the Traffic
// page (TrafficPage) what each line will carry. It changes nothing in the
// tables; a conflict of the Traffic page chosen closes it with the rows the
// grid should show.

#include "dialogs/TrafficLogic.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QStackedWidget;
class QTabWidget;

namespace c2c {

struct CobIdTables;
struct CommSession;
class FilePicker;
class FilterMapWidget;
class RoutingLogic;
class TrafficPage;

// What the Traffic page works with: the inputs kept between showings and
// the picker of its traces (none: own inputs, paths typed).
struct RoutingTraffic {
    TrafficInputs* inputs = nullptr;
    FilePicker* files = nullptr;
};

class RoutingWindow : public QDialog {
    Q_OBJECT
public:
    RoutingWindow(const CobIdTables& tables, const CommSession& formats, int direction, QWidget* parent = nullptr,
                  RoutingTraffic traffic = {});
    ~RoutingWindow() override;

    const RoutingLogic& routing() const { return *routing_; }
    TrafficPage& traffic() { return *trafficPage_; }
    // The rows of the conflict chosen on the Traffic page, if one was.
    const std::optional<std::vector<GridRow>>& chosenRows() const { return chosenRows_; }

private:
    void ShowDirection(int direction);
    void CheckIdentifier();
    void ShowCell(int id);
    void GoToConflict(int index);

    std::unique_ptr<RoutingLogic> routing_;
    TrafficInputs ownInputs_;
    std::optional<std::vector<GridRow>> chosenRows_;
    QTabWidget* tabs_;
    TrafficPage* trafficPage_;
    QComboBox* direction_;
    QLabel* summary_;
    QLineEdit* identifier_;
    QCheckBox* extended_;
    QLabel* outcome_;
    QStackedWidget* pages_;
    FilterMapWidget* map_;
    QLabel* legend_[3];
    QLabel* cell_;
    QLabel* listedCaption_;
    QListWidget* listed_;
};

} // namespace c2c
