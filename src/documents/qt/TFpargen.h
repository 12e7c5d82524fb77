#pragma once
// The SET COMMUNICATION dialog: shows a CommSettingsDialog and feeds the
// user's clicks into it.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace c2c {

struct CommSettingsDialog;
struct CommSession;
struct Workspace;
class MessageService;

class TFpargen : public QDialog {
    Q_OBJECT
public:
    TFpargen(CommSettingsDialog& logic, const Workspace& workspace, CommSession& session,
             MessageService& messages, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BitBtn1Click();
    void Refresh();

    CommSettingsDialog& logic_;
    const Workspace& workspace_;
    CommSession& session_;
    MessageService& messages_;

    QGroupBox* GroupBox1;
    QCheckBox* ECB_Baud_Dip_C0;
    QComboBox* ComboBox1;
    QRadioButton* RB_C0_TA;
    QRadioButton* RB_C0_TB;
    QGroupBox* GroupBox2;
    QCheckBox* ECB_Baud_Dip_C1;
    QComboBox* ComboBox2;
    QRadioButton* RB_C1_TA;
    QRadioButton* RB_C1_TB;
    QCheckBox* EwCheckBox2;
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;
};

} // namespace c2c
