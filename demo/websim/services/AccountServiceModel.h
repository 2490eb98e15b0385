// What the simulated NetAddress, MailExcite and GoPlay services have in
// common: accounts with mailboxes kept under one lock, the demo's arriving
// mail, delivery of sent mail to the service's own accounts, and the page
// line end a test may change.
#pragma once

#include "Mailbox.h"
#include "ServiceModel.h"

#include <functional>
#include <map>
#include <mutex>

namespace korvalin::websim {

class AccountServiceModel : public ServiceModel {
public:
    void DeliverArrivingMail(std::time_t now) override;
    std::vector<std::string> Describe() const override;
    std::vector<std::pair<std::string, std::string>> Logins() const override;

    // A new account with the service's own folders; its address is
    // user@<mail domain>.
    void AddAccount(const std::string &user, const std::string &password);
    // A folder of the user's own, with the service's next free folder id.
    void AddFolder(const std::string &user, const std::string &name);
    // Runs change on the account under the model's lock; throws
    // std::out_of_range for an unknown user.
    void Edit(const std::string &user, const std::function<void(SimAccount &)> &change);
    SimAccount Snapshot(const std::string &user) const;
    void SetLineEnd(std::string lineEnd);

protected:
    virtual std::string MailDomain() const = 0;
    virtual void AddServiceFolders(SimMailbox &mailbox) const = 0;
    virtual std::string NewFolderId(const SimMailbox &mailbox) const = 0;

    // The account of a user name (any case); null when unknown. Callers hold State.
    SimAccount *FindAccount(const std::string &user);
    // Gives every account of this service named in recipients ("Ann <a@x>,
    // b@y; c@z") an unread copy of mail. Callers hold State.
    void DeliverLocally(const SimMail &mail, const std::string &recipients);
    // A mail sent by account: dated now, read, from the account's address.
    static SimMail SentMail(const SimAccount &account);

    mutable std::mutex State;
    std::map<std::string, SimAccount> Accounts; // by lower-case user name
    std::string LineEnd = "\n";

private:
    uint64_t Arrivals = 0;
};

// Text of a time in UTC through a strftime format.
std::string FormatUtc(std::time_t when, const char *format);
// Splits text at "\n" (a "\r" before it is dropped); no empty last line.
std::vector<std::string> SplitLines(const std::string &text);
std::string TrimBlanks(const std::string &text);
// A whole decimal number of at most 18 digits, or false.
bool ParseNumber(const std::string &text, uint64_t &number);
// The demo factory's common part: the demo account with the given folders
// of its own, filled with the demo mail.
void FillDemoAccount(AccountServiceModel &model, bool withOwnFolders, std::time_t now);

} // namespace korvalin::websim
