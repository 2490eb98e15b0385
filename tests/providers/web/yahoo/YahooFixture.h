// Runs CYahooMail against the simulated service. Each test gets its own
// simulator on a free port; the plug-in reaches it by host name through the
// simulator as HTTP proxy, with hosts.conf in a scratch directory that the
// test binary makes its current directory.
#pragma once

#include "WebSimulator.h"
#include "YahooMail.h"
#include "YahooModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace korvalin::test {

using websim::FolderRole;
using websim::SimAccount;
using websim::SimMail;
using websim::SimRequest;
using websim::SimResponse;
using websim::YahooModel;

inline constexpr const char *kLoginHost = "login.yahoo.sim";
inline constexpr const char *kMailHost = "mail.yahoo.sim";
inline constexpr const char *kBase = "http://mail.yahoo.sim";

// 2001-03-05 10:00 UTC.
inline constexpr std::time_t kMarch5 = 983786400;

void WriteHostsConf(const std::string &text);
// A mail from "Ann Smith <ann@example.org>" dated `date`.
SimMail SampleMail(const std::string &subject, std::time_t date = kMarch5, bool read = false);

class YahooTest : public ::testing::Test {
protected:
    void SetUp() override;

    void AddMails(FolderRole role, std::vector<SimMail> mails);
    void AddMailsToFolder(const std::string &folderName, std::vector<SimMail> mails);
    SimAccount Ann() const { return Model->Snapshot("ann"); }
    void LogIn();
    // The session key the simulator handed out at the last login.
    std::string SessionKey() const;
    // A folder's listing; fails the test when the listing fails.
    CSummaryArray Listing(int folder = -1);
    // Replaces the answer to the login form with `page`.
    void AnswerLoginWith(const std::string &page);

    std::unique_ptr<websim::WebSimulator> Simulator;
    std::shared_ptr<YahooModel> Model;
    std::unique_ptr<CYahooMail> Provider;
};

} // namespace korvalin::test
