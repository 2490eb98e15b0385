// Runs CGoplay against the simulated service. Each test gets its own
// simulator on a free port; the plug-in reaches it by host name through the
// simulator as HTTP proxy, with hosts.conf in a scratch directory that the
// test binary makes its current directory.
#pragma once

#include "Goplay.h"
#include "GoplayModel.h"
#include "WebSimulator.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace korvalin::test {

using websim::FolderRole;
using websim::GoplayModel;
using websim::SimAccount;
using websim::SimMail;
using websim::SimRequest;
using websim::SimResponse;

inline constexpr const char *kHost = GoplayModel::kHost;
inline constexpr const char *kMailboxPath = "/cgi-bin/mailbox.mail";

// 1999-03-15 10:22 UTC, which a folder view shows as "03/15/99 10:22".
inline constexpr std::time_t kMarch15 = 921493320;

void WriteHostsConf(const std::string &text);
// A mail from "Ann Smith <ann@example.org>" dated `date`.
SimMail SampleMail(const std::string &subject, std::time_t date = kMarch15, bool read = false);

class GoplayTest : public ::testing::Test {
protected:
    void SetUp() override;

    void AddMails(FolderRole role, std::vector<SimMail> mails);
    SimAccount Ann() const { return Model->Snapshot("ann"); }
    void LogIn();
    // Logs in and reads the folder list, as the program does first.
    void Open();
    // The inbox summary; fails the test when the listing fails.
    CSummaryArray Inbox();
    // "Cookie: GPSESSION=<value>" of ann's latest login.
    std::string CookieLine() const;

    std::unique_ptr<websim::WebSimulator> Simulator;
    std::shared_ptr<GoplayModel> Model;
    std::unique_ptr<CGoplay> Provider;
};

} // namespace korvalin::test
