#pragma once
// Qt implementations of the core's outside-world interfaces.

#include "platform/UiServices.h"

#include <QPointer>
#include <QProgressBar>
#include <QString>

#include <functional>
#include <string>

class QFont;
class QWidget;

namespace c2c {

QString ToQString(const std::string& text);
std::string FromQString(const QString& text);

// Gives a control its name (tests and the style find controls by it).
template <typename Widget>
Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The width a window needs for its title bar to show `title` whole, in a
// window whose font is `font`.
int TitleBarWidth(const QString& title, const QFont& font);

// Message boxes parented to the active window. Every box is titled with the
// application's title, except the "Alert" question, and is at least as wide
// as its title needs.
class QtMessageService final : public MessageService {
public:
    void showMessage(const std::string& text) override;
    void showError(const std::string& text) override;
    bool confirm(const std::string& text) override;
    bool askAlert(const std::string& text) override;
};

// A folder tree rooted at the given folder; nothing outside it can be chosen.
class QtFolderPicker final : public FolderPicker {
public:
    std::optional<std::string> pickFolder(const std::string& title, const std::string& root,
                                          const std::string& initialSelection) override;
};

// The file-open chooser; the pattern matches without regard to letter case.
class QtFilePicker final : public FilePicker {
public:
    std::optional<std::string> pickFile(const std::string& title, const std::string& folder,
                                        const std::string& filterDescription, const std::string& pattern) override;
    std::optional<std::string> pickSaveFile(const std::string& title, const std::string& folder,
                                            const std::string& suggestedName, const std::string& filterDescription,
                                            const std::string& pattern) override;
};

// Detached processes and web pages through the desktop.
class QtShellService final : public ShellService {
public:
    bool startDetached(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& workingDirectory) override;
    bool openUrl(const std::string& url) override;
};

// A progress sink that drives a QProgressBar and lets it repaint.
class QtProgressBarSink final : public ProgressSink {
public:
    explicit QtProgressBarSink(QProgressBar* bar) : bar_(bar) {}
    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    int position() const override { return position_; }

private:
    void repaintNow();

    QPointer<QProgressBar> bar_;
    int position_ = 0;
    int maximum_ = 0;
    int shown_ = -1;
};

// Runs a user action; an exception that escapes it is shown as the general
// error report (title "Firmware Drevanta", error icon, the text with its full
// stop) and goes no further. Every slot that runs a user action uses it.
void RunGuarded(MessageService& messages, const std::function<void()>& action);

} // namespace c2c
