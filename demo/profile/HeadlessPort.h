// A port for running the engine without windows: notices and warnings go to
// standard error, every question takes its safest way out (Cancel, else
// No, else OK), every dialog is cancelled.
#pragma once

#include "UiPort.h"

namespace korvalin::demo {

class HeadlessPort : public UiPort {
public:
    MessageBoxReply ShowMessage(const MessageBoxRequest& request) override;
    [[noreturn]] void FatalError(const std::string& text) override;
    void SetStatusText(int, const std::string&) override {}
    bool AskLogin(LoginForm&) override { return false; }
    bool AskNewAccount(NewAccountForm&) override { return false; }
    bool AskPopSettings(PopSettings&) override { return false; }
    SetupWizardChoices RunSetupWizard() override { return {}; }
    void OpenOptionsSheet() override {}
    std::optional<std::string> AskSaveFileName() override { return std::nullopt; }
    void RunLoginProgress(LoginProgressBox& box) override;
    bool OpenUrl(const std::string&) override { return false; }
    void TreeChanged(const TreeChange&) override {}
    void OpenFolderWindow(MailFolder&) override {}
    void CloseFolderWindow(MailFolder&) override {}
    void OpenComposeWindow(const ComposeRequest&) override {}
    void ShowHomePage(const std::string&) override {}
    void ShowHomeWindow() override {}
    void ShowMainWindow(bool) override {}
    void ShowDebugWindow(bool) override {}
    void CreateTrayIcon() override {}
    void StartCheckTimer(int) override {}
    void SetWaitCursor(bool) override {}
    void StopBusyAnimation() override {}
};

}  // namespace korvalin::demo
