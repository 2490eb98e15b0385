#include "FakeUiPort.h"

#include "Account.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace korvalin::test {

void FakeUiPort::Reset()
{
    std::lock_guard lock(mutex_);
    replies_.clear();
    logins_.clear();
    newAccounts_.clear();
    popSettings_.clear();
    messages_.clear();
    status_.clear();
    tree_.clear();
    loginBoxes_.clear();
    composes_.clear();
    calls_.clear();
    firstCancelTexts.clear();
    openedUrls.clear();
    labels_.clear();
    mailWindows_.clear();
    unsent_.clear();
    summaryChanges_ = 0;
}

void FakeUiPort::QueueReply(MessageAnswer answer, bool checkBox)
{
    std::lock_guard lock(mutex_);
    replies_.push_back({answer, checkBox});
}

void FakeUiPort::QueueLogin(const std::string& login, const std::string& password)
{
    std::lock_guard lock(mutex_);
    logins_.push_back([login, password](LoginForm& form) {
        form.login = login;
        form.password = password;
        return true;
    });
}

void FakeUiPort::QueueLoginCancel()
{
    std::lock_guard lock(mutex_);
    logins_.push_back([](LoginForm&) { return false; });
}

void FakeUiPort::QueueNewAccount(std::optional<NewAccountForm> form)
{
    std::lock_guard lock(mutex_);
    newAccounts_.push_back(std::move(form));
}

void FakeUiPort::QueuePopSettings(std::optional<PopSettings> settings)
{
    std::lock_guard lock(mutex_);
    popSettings_.push_back(std::move(settings));
}

void FakeUiPort::WaitForWorker(LoginProgressBox& box)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!box.Closed()) {
        box.OnPoll();
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the login did not end";
            box.OnCancel();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void FakeUiPort::PressCancel(LoginProgressBox& box)
{
    box.OnCancel();
}

std::vector<MessageBoxRequest> FakeUiPort::Messages() const
{
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<std::string> FakeUiPort::MessageTexts() const
{
    std::vector<std::string> texts;
    for (const MessageBoxRequest& message : Messages())
        texts.push_back(message.text);
    return texts;
}

std::vector<std::string> FakeUiPort::StatusTexts(int pane) const
{
    std::lock_guard lock(mutex_);
    auto found = status_.find(pane);
    return found == status_.end() ? std::vector<std::string>{} : found->second;
}

std::vector<TreeChange> FakeUiPort::TreeChanges() const
{
    std::lock_guard lock(mutex_);
    return tree_;
}

std::vector<LoginForm> FakeUiPort::LoginBoxesShown() const
{
    std::lock_guard lock(mutex_);
    return loginBoxes_;
}

std::vector<ComposeRequest> FakeUiPort::ComposeRequests() const
{
    std::lock_guard lock(mutex_);
    return composes_;
}

std::vector<std::string> FakeUiPort::Calls() const
{
    std::lock_guard lock(mutex_);
    return calls_;
}

size_t FakeUiPort::CountCalls(const std::string& call) const
{
    size_t count = 0;
    for (const std::string& made : Calls())
        count += made == call ? 1 : 0;
    return count;
}

void FakeUiPort::Record(const std::string& call)
{
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
}

MessageBoxReply FakeUiPort::ShowMessage(const MessageBoxRequest& request)
{
    std::lock_guard lock(mutex_);
    messages_.push_back(request);
    if (replies_.empty())
        return {request.defaultButton, false};
    MessageBoxReply reply = replies_.front();
    replies_.pop_front();
    return reply;
}

void FakeUiPort::FatalError(const std::string& text)
{
    {
        std::lock_guard lock(mutex_);
        MessageBoxRequest request;
        request.text = text;
        messages_.push_back(request);
    }
    throw FatalErrorRaised(text);
}

void FakeUiPort::SetStatusText(int pane, const std::string& text)
{
    std::lock_guard lock(mutex_);
    status_[pane].push_back(text);
}

bool FakeUiPort::AskLogin(LoginForm& form)
{
    LoginAnswer answer;
    {
        std::lock_guard lock(mutex_);
        loginBoxes_.push_back(form);
        if (logins_.empty())
            return false;
        answer = std::move(logins_.front());
        logins_.pop_front();
    }
    return answer(form);
}

bool FakeUiPort::AskNewAccount(NewAccountForm& form)
{
    std::lock_guard lock(mutex_);
    calls_.push_back("AskNewAccount");
    if (newAccounts_.empty() || !newAccounts_.front()) {
        if (!newAccounts_.empty())
            newAccounts_.pop_front();
        return false;
    }
    NewAccountForm answer = *newAccounts_.front();
    newAccounts_.pop_front();
    answer.providerNames = form.providerNames;
    form = answer;
    return true;
}

bool FakeUiPort::AskPopSettings(PopSettings& settings)
{
    std::lock_guard lock(mutex_);
    calls_.push_back("AskPopSettings");
    if (popSettings_.empty() || !popSettings_.front()) {
        if (!popSettings_.empty())
            popSettings_.pop_front();
        return false;
    }
    settings = *popSettings_.front();
    popSettings_.pop_front();
    return true;
}

SetupWizardChoices FakeUiPort::RunSetupWizard()
{
    Record("RunSetupWizard");
    return wizardChoices;
}

std::optional<std::string> FakeUiPort::AskSaveFileName()
{
    Record("AskSaveFileName");
    return saveFileName;
}

void FakeUiPort::RunLoginProgress(LoginProgressBox& box)
{
    {
        std::lock_guard lock(mutex_);
        firstCancelTexts.push_back(box.CancelText());
    }
    if (driveLoginProgress)
        driveLoginProgress(box);
    else
        WaitForWorker(box);
}

bool FakeUiPort::OpenUrl(const std::string& url)
{
    std::lock_guard lock(mutex_);
    openedUrls.push_back(url);
    return openUrlSucceeds;
}

void FakeUiPort::TreeChanged(const TreeChange& change)
{
    std::lock_guard lock(mutex_);
    tree_.push_back(change);
}

void FakeUiPort::OpenFolderWindow(MailFolder& folder)
{
    Record("OpenFolderWindow " + folder.account->LogName() + " " + folder.name);
}

void FakeUiPort::CloseFolderWindow(MailFolder& folder)
{
    Record("CloseFolderWindow " + folder.account->LogName() + " " + folder.name);
}

std::map<std::string, std::string> FakeUiPort::LastLabels() const
{
    std::lock_guard lock(mutex_);
    return labels_;
}

std::vector<MailWindowRequest> FakeUiPort::MailWindows() const
{
    std::lock_guard lock(mutex_);
    return mailWindows_;
}

std::vector<UnsentMail> FakeUiPort::UnsentMails() const
{
    std::lock_guard lock(mutex_);
    return unsent_;
}

size_t FakeUiPort::SummaryChanges() const
{
    std::lock_guard lock(mutex_);
    return summaryChanges_;
}

void FakeUiPort::SummaryChanged(const std::shared_ptr<FolderSummary>&)
{
    std::lock_guard lock(mutex_);
    ++summaryChanges_;
}

void FakeUiPort::TreeLabelChanged(const std::shared_ptr<CAccount>& account, const std::shared_ptr<MailFolder>& folder,
                                  const std::string& label)
{
    std::string item = account->LogName() + (folder ? "/" + folder->name : "");
    std::lock_guard lock(mutex_);
    labels_[item] = label;
}

void FakeUiPort::OpenMailWindow(const MailWindowRequest& request)
{
    std::lock_guard lock(mutex_);
    mailWindows_.push_back(request);
}

void FakeUiPort::ReturnUnsentMail(const UnsentMail& mail)
{
    std::lock_guard lock(mutex_);
    unsent_.push_back(mail);
}

void FakeUiPort::OpenComposeWindow(const ComposeRequest& request)
{
    std::lock_guard lock(mutex_);
    composes_.push_back(request);
}

}  // namespace korvalin::test
