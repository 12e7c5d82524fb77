#pragma once
// The New project dialog: shows a NewProjectDialog and feeds the user's
// typing and clicks into it. Accepted means the project was created (the
// caller then titles the main window), Rejected means Cancel.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace c2c {

struct NewProjectDialog;
struct Workspace;
struct CommSettingsDialog;
struct CommSession;
struct CompanionTables;
class MessageService;

class TFsaveproj : public QDialog {
    Q_OBJECT
public:
    // `commSettings` is the SET COMMUNICATION dialog's state, whose present
    // values a new project's pargen.xml receives.
    TFsaveproj(NewProjectDialog& logic, Workspace& workspace, const CommSettingsDialog& commSettings,
               CommSession& session, CompanionTables& companions, MessageService& messages,
               QWidget* parent = nullptr);

    // The state behind the window; set its DestinationDir before exec().
    NewProjectDialog& logic() { return logic_; }

    // The window's own close (Escape) counts as Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BitBtn1Click();

    NewProjectDialog& logic_;
    Workspace& workspace_;
    const CommSettingsDialog& commSettings_;
    CommSession& session_;
    CompanionTables& companions_;
    MessageService& messages_;

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;
};

} // namespace c2c
