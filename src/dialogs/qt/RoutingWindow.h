#pragma once
// The Check routing window of Set CobID Access: shows a RoutingLogic made of
// the tables as they are in the grid, with a choice of direction, a box to
// ask one identifier, the filter map with its legend and, in the extended
// layout, the listed 29-bit identifiers. It changes nothing in the tables.

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QStackedWidget;

namespace c2c {

struct CobIdTables;
struct CommSession;
class FilterMapWidget;
class RoutingLogic;

class RoutingWindow : public QDialog {
    Q_OBJECT
public:
    RoutingWindow(const CobIdTables& tables, const CommSession& formats, int direction, QWidget* parent = nullptr);
    ~RoutingWindow() override;

    const RoutingLogic& routing() const { return *routing_; }

private:
    void ShowDirection(int direction);
    void CheckIdentifier();
    void ShowCell(int id);

    std::unique_ptr<RoutingLogic> routing_;
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
