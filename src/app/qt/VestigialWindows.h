#pragma once
// Windows the program creates at start-up but never opens: the SDO, PDO,
// EMCY, EMCY word and store-PDO editors, the help viewer, the string picker
// and the XML viewer. Their tables live in the core (the companion
// documents written when a project is created); the windows are empty.

#include <QDialog>

namespace c2c {

class VestigialWindow : public QDialog {
public:
    VestigialWindow(const char* objectName, const char* caption, QWidget* parent)
        : QDialog(parent)
    {
        setObjectName(QString::fromLatin1(objectName));
        setWindowTitle(QString::fromLatin1(caption));
    }
};

class TFHelp final : public VestigialWindow {
public:
    explicit TFHelp(QWidget* parent) : VestigialWindow("FHelp", "Help", parent) {}
};
class TFSELstringhe final : public VestigialWindow {
public:
    explicit TFSELstringhe(QWidget* parent) : VestigialWindow("FSELstringhe", "Select String", parent) {}
};
class TFsdo final : public VestigialWindow {
public:
    explicit TFsdo(QWidget* parent) : VestigialWindow("Fsdo", "Set SDO Access", parent) {}
};
class TFpdo final : public VestigialWindow {
public:
    explicit TFpdo(QWidget* parent) : VestigialWindow("Fpdo", "Define Translate PDO", parent) {}
};
class TFemcy final : public VestigialWindow {
public:
    explicit TFemcy(QWidget* parent) : VestigialWindow("Femcy", "Set Translate EMCY", parent) {}
};
class TFWemcy final : public VestigialWindow {
public:
    explicit TFWemcy(QWidget* parent) : VestigialWindow("FWemcy", "Define EMCY Word", parent) {}
};
class TFXML final : public VestigialWindow {
public:
    explicit TFXML(QWidget* parent) : VestigialWindow("FXML", "XML Reader & Writer", parent) {}
};
class TFInfopdo final : public VestigialWindow {
public:
    explicit TFInfopdo(QWidget* parent) : VestigialWindow("FInfopdo", "Define Store PDO", parent) {}
};

} // namespace c2c
