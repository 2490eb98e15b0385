// The mailbox model the simulated services share: accounts with folders of
// mails (sender, recipients, subject, date, read flag, body, attachments)
// and an address book. Services render it in their own page layouts and
// give mails their own ids derived from Number.
#pragma once

#include <cstdint>
#include <ctime>
#include <list>
#include <string>
#include <string_view>
#include <vector>

namespace korvalin::websim {

struct SimAttachment {
    std::string FileName;
    std::string ContentType;
    std::string Content;
};

struct SimMail {
    uint64_t Number = 0; // unique within the mailbox; set when the mail is added
    std::string FromName;
    std::string FromAddress;
    std::string To;
    std::string Cc;
    std::string Subject;
    std::time_t Date = 0;
    std::string Body; // plain text, or HTML when Html is set; lines end in "\n"
    bool Html = false;
    bool Read = false;
    std::vector<SimAttachment> Attachments;

    // Bytes of the mail as the service would count them: a header
    // allowance, the body and the attachments.
    size_t Size() const;
    // "Ann Smith" or, without a name, the address.
    std::string SenderShown() const;
};

enum class FolderRole { Inbox, Sent, Drafts, Trash, Custom };

struct SimFolder {
    std::string Id;
    std::string Name;
    FolderRole Role = FolderRole::Custom;
    std::vector<SimMail> Mails; // in arrival order

    size_t UnreadCount() const;
    size_t TotalSize() const;
    // The mails as listings show them: newest first.
    std::vector<const SimMail*> NewestFirst() const;
};

struct SimContact {
    std::string Alias;
    std::string Address;
    std::string FullName;
};

class SimMailbox {
public:
    SimFolder& AddFolder(std::string id, std::string name, FolderRole role);
    // The first folder of a role, or null.
    SimFolder* FolderWithRole(FolderRole role);
    SimFolder* FolderWithId(std::string_view id);
    SimFolder* FolderWithName(std::string_view name);
    std::list<SimFolder>& Folders() { return FolderList; }
    const std::list<SimFolder>& Folders() const { return FolderList; }

    // Adds mail to folder (a folder of this mailbox) and gives it a number.
    SimMail& Add(SimFolder& folder, SimMail mail);

    struct Location {
        SimFolder* Folder = nullptr;
        SimMail* Mail = nullptr;
    };
    // Where the mail with that number is; both null when nowhere.
    Location Find(uint64_t number);
    // Moves a mail to another folder; false when there is no such mail.
    bool Move(uint64_t number, SimFolder& to);
    bool Remove(uint64_t number);

    std::vector<SimContact> Contacts;

private:
    std::list<SimFolder> FolderList; // a list, so that folder references stay valid
    uint64_t NextNumber = 1;
};

struct SimAccount {
    std::string User;
    std::string Password;
    std::string Address; // the account's own mail address
    SimMailbox Mailbox;
};

} // namespace korvalin::websim
