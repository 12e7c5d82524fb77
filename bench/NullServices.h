#pragma once
// Services for benchmarks of windows' logic: they show nothing, pick
// nothing and start nothing.

#include "platform/UiServices.h"

namespace c2c::bench {

class NoMessages final : public MessageService {
public:
    void showMessage(const std::string&) override {}
    void showError(const std::string&) override {}
    bool confirm(const std::string&) override { return false; }
    bool askAlert(const std::string&) override { return false; }
};

class NoPicker final : public FolderPicker, public FilePicker {
public:
    std::optional<std::string> pickFolder(const std::string&, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<std::string> pickFile(const std::string&, const std::string&, const std::string&,
                                        const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<std::string> pickSaveFile(const std::string&, const std::string&, const std::string&,
                                            const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
};

class NoShell final : public ShellService {
public:
    bool startDetached(const std::string&, const std::vector<std::string>&, const std::string&) override
    {
        return false;
    }
    bool openUrl(const std::string&) override { return false; }
};

struct NullServices {
    NoMessages messages;
    NoPicker picker;
    NoShell shell;
    UiServices all() { return {messages, picker, picker, shell}; }
};

} // namespace c2c::bench
