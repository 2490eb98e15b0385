// Runs CHotmail against the simulated service. Each test gets its own
// simulator on a free port; the plug-in reaches it by host name through the
// simulator as HTTP proxy, with hosts.conf in a scratch directory that the
// test binary makes its current directory.
#pragma once

#include "Hotmail.h"
#include "HotmailModel.h"
#include "WebSimulator.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace korvalin::test {

using websim::FolderRole;
using websim::HotmailModel;
using websim::SimAccount;
using websim::SimMail;
using websim::SimRequest;
using websim::SimResponse;

inline constexpr const char* kWeb = "web.hotmail.sim";
inline constexpr const char* kForm = "form.hotmail.sim";
inline constexpr const char* kLogin = "login.hotmail.sim";

// 2001-03-05 10:00 UTC, a date the listing shows as "Mar 5".
inline constexpr std::time_t kMarch5 = 983786400;

void WriteHostsConf(const std::string& text);
// A mail from "Ann Smith <ann@example.org>" dated `date`.
SimMail SampleMail(const std::string& subject, std::time_t date = kMarch5, bool read = false);

class HotmailTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Adds mails to a folder of ann's mailbox.
    void AddMails(FolderRole role, std::vector<SimMail> mails);
    void AddMailsToFolder(const std::string& folderName, std::vector<SimMail> mails);
    SimAccount Ann() const { return Model->Snapshot("ann"); }
    void LogIn();
    // The inbox summary; fails the test when the listing fails.
    CSummaryArray Inbox();

    std::unique_ptr<websim::WebSimulator> Simulator;
    std::shared_ptr<HotmailModel> Model;
    std::unique_ptr<CHotmail> Provider;
};

} // namespace korvalin::test
