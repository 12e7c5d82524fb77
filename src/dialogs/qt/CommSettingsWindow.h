#pragma once
// The SET COMMUNICATION window: shows a CommSettingsLogic and feeds the
// user's clicks into it.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace c2c {

class CommSettingsLogic;

class CommSettingsWindow : public QDialog {
    Q_OBJECT
public:
    explicit CommSettingsWindow(CommSettingsLogic& logic, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Ok();
    void Refresh();

    CommSettingsLogic& logic_;

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
