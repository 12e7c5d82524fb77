#pragma once
// The outside world as the core sees it. The program hands implementations
// of these interfaces to the windows' logic; tests hand recording fakes.

#include <optional>
#include <string>
#include <vector>

namespace c2c {

// The four kinds of message box the program uses.
class MessageService {
public:
    virtual ~MessageService() = default;
    // Plain box with one OK button.
    virtual void showMessage(const std::string& text) = 0;
    // Error icon and one OK button.
    virtual void showError(const std::string& text) = 0;
    // Yes/No confirmation; true only for Yes.
    virtual bool confirm(const std::string& text) = 0;
    // Yes/No question in a box titled "Alert"; true only for Yes.
    virtual bool askAlert(const std::string& text) = 0;
};

// A progress bar: a maximum and a position between 0 and it.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void setMaximum(int maximum) = 0;
    virtual void setPosition(int position) = 0;
    virtual int position() const = 0;
    void advance(int by = 1) { setPosition(position() + by); }
};

// A progress sink that shows nothing, for callers without a progress bar.
class NoProgress final : public ProgressSink {
public:
    void setMaximum(int maximum) override { maximum_ = maximum; }
    void setPosition(int position) override { position_ = position; }
    int position() const override { return position_; }
    int maximum() const { return maximum_; }

private:
    int maximum_ = 0;
    int position_ = 0;
};

// Modal folder chooser restricted to a root folder and the folders below it.
class FolderPicker {
public:
    virtual ~FolderPicker() = default;
    // Full path of the chosen folder, or nothing when the user cancels.
    // An empty `initialSelection` opens the picker without a selection.
    virtual std::optional<std::string> pickFolder(const std::string& title, const std::string& root,
                                                  const std::string& initialSelection) = 0;
};

// The one filter a file chooser shows: the description followed by the
// pattern in parentheses, unless the description ends with that already
// ("File Sx (*.Sx)" stays as it is, "CSV files" becomes "CSV files (*.csv)").
inline std::string FileFilterShown(const std::string& description, const std::string& pattern)
{
    const std::string suffix = "(" + pattern + ")";
    if (description.size() >= suffix.size() &&
        description.compare(description.size() - suffix.size(), suffix.size(), suffix) == 0)
        return description;
    return description.empty() ? suffix : description + " " + suffix;
}

// Modal file choosers with one filter: one to open a file, one to save one.
// The filter shows as FileFilterShown(filterDescription, pattern).
class FilePicker {
public:
    virtual ~FilePicker() = default;
    // Full path of the chosen file, or nothing when the user cancels.
    virtual std::optional<std::string> pickFile(const std::string& title, const std::string& folder,
                                                const std::string& filterDescription,
                                                const std::string& pattern) = 0;
    // Full path of the file to write, or nothing when the user cancels. The
    // chooser offers `suggestedName` and asks before an existing file is
    // replaced.
    virtual std::optional<std::string> pickSaveFile(const std::string& title, const std::string& folder,
                                                    const std::string& suggestedName,
                                                    const std::string& filterDescription,
                                                    const std::string& pattern) = 0;
};

// Starting other programs and opening web pages.
class ShellService {
public:
    virtual ~ShellService() = default;
    // Starts `program` as a separate process that is not waited for.
    // Returns false when the process could not be started.
    virtual bool startDetached(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& workingDirectory) = 0;
    // Asks the desktop to open a web address; false when it could not.
    virtual bool openUrl(const std::string& url) = 0;
};

// The services a window's logic receives, all at once, when it is made.
struct UiServices {
    MessageService& messages;
    FolderPicker& folders;
    FilePicker& files;
    ShellService& shell;
};

} // namespace c2c
