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

class HelpWindow final : public VestigialWindow {
public:
    explicit HelpWindow(QWidget* parent) : VestigialWindow("FHelp", "Help", parent) {}
};
class SelectStringWindow final : public VestigialWindow {
public:
    explicit SelectStringWindow(QWidget* parent) : VestigialWindow("FSELstringhe", "Select String", parent) {}
};
class SdoWindow final : public VestigialWindow {
public:
    explicit SdoWindow(QWidget* parent) : VestigialWindow("Fsdo", "Set SDO Access", parent) {}
};
class PdoWindow final : public VestigialWindow {
public:
    explicit PdoWindow(QWidget* parent) : VestigialWindow("Fpdo", "Define Translate PDO", parent) {}
};
class EmcyWindow final : public VestigialWindow {
public:
    explicit EmcyWindow(QWidget* parent) : VestigialWindow("Femcy", "Set Translate EMCY", parent) {}
};
class EmcyWordWindow final : public VestigialWindow {
public:
    explicit EmcyWordWindow(QWidget* parent) : VestigialWindow("FWemcy", "Define EMCY Word", parent) {}
};
class XmlWindow final : public VestigialWindow {
public:
    explicit XmlWindow(QWidget* parent) : VestigialWindow("FXML", "XML Reader & Writer", parent) {}
};
class StorePdoWindow final : public VestigialWindow {
public:
    explicit StorePdoWindow(QWidget* parent) : VestigialWindow("FInfopdo", "Define Store PDO", parent) {}
};

} // namespace c2c
