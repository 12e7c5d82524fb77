#pragma once
// Recording fakes of the core's outside-world interfaces.

#include "platform/UiServices.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace c2c::testing {

struct RecordedMessage {
    enum Kind { Plain, Error, Confirm, Alert } kind;
    std::string text;
    bool operator==(const RecordedMessage&) const = default;
};

// Records every box; questions are answered from a queue (No when empty).
class RecordingMessages final : public MessageService {
public:
    void showMessage(const std::string& text) override { messages.push_back({RecordedMessage::Plain, text}); }
    void showError(const std::string& text) override { messages.push_back({RecordedMessage::Error, text}); }
    bool confirm(const std::string& text) override
    {
        messages.push_back({RecordedMessage::Confirm, text});
        return NextAnswer();
    }
    bool askAlert(const std::string& text) override
    {
        messages.push_back({RecordedMessage::Alert, text});
        return NextAnswer();
    }

    // The texts alone, in order.
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& message : messages)
            texts.push_back(message.text);
        return texts;
    }

    std::vector<RecordedMessage> messages;
    std::deque<bool> answers;

private:
    bool NextAnswer()
    {
        if (answers.empty())
            return false;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Records the maximum, every position set, and the highest position reached.
class RecordingProgress final : public ProgressSink {
public:
    void setMaximum(int value) override { maximum = value; maximums.push_back(value); }
    void setPosition(int value) override
    {
        current = value;
        ++updates;
    }
    int position() const override { return current; }

    int maximum = 0;
    int current = 0;
    long updates = 0;
    std::vector<int> maximums;
};

// Answers the folder picker with a scripted result and records the call.
class ScriptedFolderPicker final : public FolderPicker {
public:
    std::optional<std::string> pickFolder(const std::string& title, const std::string& root,
                                          const std::string& initialSelection) override
    {
        calls.push_back({title, root, initialSelection});
        return result;
    }

    struct Call {
        std::string title, root, initialSelection;
    };
    std::optional<std::string> result;
    std::vector<Call> calls;
};

// Answers the file pickers with scripted results and records the calls,
// with the filter as the real chooser would show it.
class ScriptedFilePicker final : public FilePicker {
public:
    std::optional<std::string> pickFile(const std::string& title, const std::string& folder,
                                        const std::string& filterDescription, const std::string& pattern) override
    {
        calls.push_back({title, folder, filterDescription, pattern, "", FileFilterShown(filterDescription, pattern)});
        return result;
    }
    std::optional<std::string> pickSaveFile(const std::string& title, const std::string& folder,
                                            const std::string& suggestedName, const std::string& filterDescription,
                                            const std::string& pattern) override
    {
        saveCalls.push_back(
            {title, folder, filterDescription, pattern, suggestedName, FileFilterShown(filterDescription, pattern)});
        return saveResult;
    }

    struct Call {
        std::string title, folder, filterDescription, pattern;
        std::string suggestedName; // save chooser only
        std::string shownFilter;   // the filter as the real chooser shows it
    };
    std::optional<std::string> result;
    std::vector<Call> calls;
    std::optional<std::string> saveResult;
    std::vector<Call> saveCalls;
};

// Records the processes and web pages it is asked to start.
class RecordingShell final : public ShellService {
public:
    bool startDetached(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& workingDirectory) override
    {
        started.push_back({program, arguments, workingDirectory});
        return startSucceeds;
    }
    bool openUrl(const std::string& url) override
    {
        urls.push_back(url);
        return openSucceeds;
    }

    struct Start {
        std::string program;
        std::vector<std::string> arguments;
        std::string workingDirectory;
    };
    std::vector<Start> started;
    std::vector<std::string> urls;
    bool startSucceeds = true;
    bool openSucceeds = true;
};

// One recording fake of each service, handed to a window's logic at once.
struct FakeServices {
    RecordingMessages messages;
    ScriptedFolderPicker folders;
    ScriptedFilePicker files;
    RecordingShell shell;
    UiServices all() { return {messages, folders, files, shell}; }
};

} // namespace c2c::testing
