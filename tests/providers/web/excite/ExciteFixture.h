// Runs CMailExcite against the simulated service. Each test gets its own
// simulator on a free port; the plug-in reaches it by host name through the
// simulator as HTTP proxy, with hosts.conf in a scratch directory that the
// test binary makes its current directory.
#pragma once

#include "ExciteModel.h"
#include "MailExcite.h"
#include "WebSimulator.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace korvalin::test {

using websim::ExciteModel;
using websim::FolderRole;
using websim::SimAccount;
using websim::SimMail;
using websim::SimRequest;
using websim::SimResponse;

inline constexpr const char *kRegistration = "reg.excite.sim";
inline constexpr const char *kMail = "mail.excite.sim";
inline constexpr const char *kFolderAction = "folders.excite.sim";

// 1999-03-15 10:22 UTC, which the listing shows as "03/15/99".
inline constexpr std::time_t kMarch15 = 921493320;

void WriteHostsConf(const std::string &text);
// A mail from "Ann Smith <ann@example.org>" dated `date`.
SimMail SampleMail(const std::string &subject, std::time_t date = kMarch15, bool read = false);

class ExciteTest : public ::testing::Test {
protected:
    void SetUp() override;

    void AddMails(FolderRole role, std::vector<SimMail> mails);
    void AddMailsToFolder(const std::string &folderName, std::vector<SimMail> mails);
    SimAccount Ann() const { return Model->Snapshot("ann"); }
    void LogIn();
    // The inbox summary; fails the test when the listing fails.
    CSummaryArray Inbox();
    std::string MailboxKey() const { return Provider->Session().MailboxKey; }

    std::unique_ptr<websim::WebSimulator> Simulator;
    std::shared_ptr<ExciteModel> Model;
    std::unique_ptr<CMailExcite> Provider;
};

} // namespace korvalin::test
