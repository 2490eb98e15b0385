// Runs a ".femail" provider (MailCity or AngelFire) against its simulated
// service. Each test gets its own simulator on a free port; the plug-in
// reaches it by host name through the simulator as HTTP proxy, with
// hosts.conf in a scratch directory that the test binary makes its current
// directory. The service's test file names the model and the provider.
#pragma once

#include "FemailModel.h"
#include "FemailProvider.h"
#include "WebSimulator.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace korvalin::test {

using websim::FemailModel;
using websim::FolderRole;
using websim::SimAccount;
using websim::SimMail;
using websim::SimRequest;
using websim::SimResponse;

// 2001-03-05 10:00 UTC.
inline constexpr std::time_t kMarch5 = 983786400;

void WriteHostsConf(const std::string &text);
// A mail from "Ann Smith <ann@example.org>" dated `date`.
SimMail SampleMail(const std::string &subject, std::time_t date = kMarch5, bool read = false);

class FemailTest : public ::testing::Test {
protected:
    void SetUp() override;

    virtual std::shared_ptr<FemailModel> MakeModel() const = 0;
    virtual std::unique_ptr<CFemailProvider> MakeProvider() const = 0;
    // The simulated host of every member page.
    virtual std::string MailHost() const = 0;

    void AddMails(FolderRole role, std::vector<SimMail> mails);
    void AddMailsToFolder(const std::string &folderName, std::vector<SimMail> mails);
    SimAccount Ann() const { return Model->Snapshot("ann"); }
    void LogIn();
    std::string Mailbox() const { return Provider->Session().MailboxPath; }
    // A folder's listing; fails the test when the listing fails.
    CSummaryArray Listing(int folder = -1);
    // Replaces the answer to the login form with `page`.
    void AnswerLoginWith(const std::string &loginPath, const std::string &page);

    std::unique_ptr<websim::WebSimulator> Simulator;
    std::shared_ptr<FemailModel> Model;
    std::unique_ptr<CFemailProvider> Provider;
};

} // namespace korvalin::test
