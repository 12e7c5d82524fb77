#pragma once
// The Add rows dialog of Set CobID Access: shows an AddRowsLogic, a rule's
// fields on one page per kind and the preview below them, which follows
// every keystroke. Add is possible only while the preview lists rows.

#include "dialogs/AddRowsLogic.h"

#include <QDialog>

#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace c2c {

class AddRowsWindow : public QDialog {
    Q_OBJECT
public:
    // The file chooser starts in `folder`.
    AddRowsWindow(const CobIdTables& tables, const CommSession& session, UiServices services, std::string folder,
                  QWidget* parent = nullptr);

    // What Add accepted: the tables with the rows added and where they went;
    // nothing before Add.
    const std::optional<CobIdAddition>& addition() const { return addition_; }

    // Shows the dialog modally over `parent`; what Add accepted, nothing when
    // the user cancelled. The chooser starts in `folder`, which is then the
    // folder it would start in next.
    static std::optional<CobIdAddition> Ask(const CobIdTables& tables, const CommSession& session, UiServices services,
                                            std::string& folder, QWidget* parent);

private:
    void Refresh();
    void BrowseFile();
    void ShowFile();
    void Add();

    AddRowsLogic logic_;
    std::optional<CobIdAddition> addition_;

    QComboBox* kind_;
    QStackedWidget* pages_;
    QLineEdit* nodeId_;
    QComboBox* nodePort_;
    QLineEdit* nodeAs_;
    QLineEdit* nodeFile_;
    std::vector<QCheckBox*> services_;
    QLineEdit* range_;
    QComboBox* rangeTable_;
    QLineEdit* rangeTo_;
    QLineEdit* identifier_;
    QComboBox* identifierTable_;
    QLineEdit* identifierTo_;
    QCheckBox* nmt_;
    QCheckBox* sync_;
    QCheckBox* time_;
    QComboBox* networkPort_;
    QPlainTextEdit* preview_;
    QPushButton* add_;
};

} // namespace c2c
