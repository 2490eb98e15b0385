// The boundary between Korvalin Mail and its provider plug-ins.
//
// A plug-in is a shared library that exports GetProviderInstance(); the host
// calls the operations of CMailProvider by their place in the vtable, so the
// order of the virtual functions below is fixed and must never change.
// Providers never throw across this boundary and never talk to the person:
// failures come back as false results or empty arrays.
#pragma once

#include <string>
#include <vector>

#if defined(__GNUC__)
#define KORVALIN_PLUGIN_EXPORT __attribute__((visibility("default")))
#else
#define KORVALIN_PLUGIN_EXPORT
#endif

// One mail as it crosses the boundary and as the program keeps it.
class CMailMessage {
public:
    virtual ~CMailMessage() = default;
    std::string From, To, CC, BCC, Subject, Body, Extra;
    bool SaveCopy = false;
};

// One mail of a folder listing. Providers fill From..MessageId and New; the
// host keeps its own cache reference in Cache and the fetched mail in Message.
struct SummaryEntry {
    std::string From, Subject, Date, Size, Locator, MessageId, Cache;
    CMailMessage Message;
    bool New = false;
};

struct AddressEntry {
    bool Marked = false;
    std::string Name, Address;
};

using CSummaryArray = std::vector<SummaryEntry>;
using CAddressArray = std::vector<AddressEntry>;
using CStringArray = std::vector<std::string>;

// An object of the host's that a provider owns. A provider that learns of
// changes by itself (push) calls FolderChanged, from any thread, with the
// folder index of GetMailSummary (-1 the inbox); the host then checks that
// folder at once. Providers without push never call it.
class CHostLink {
public:
    virtual ~CHostLink() = default;
    virtual void FolderChanged(int folder) { (void)folder; }
};

class CMailProvider {
public:
    std::string SignUpUrl;
    std::string Name;
    CHostLink* HostLink = nullptr;

    CMailProvider() = default;
    CMailProvider(const CMailProvider&) = delete;
    CMailProvider& operator=(const CMailProvider&) = delete;

    virtual ~CMailProvider();                                                         // 1 deletes HostLink
    virtual void SetUserProfile(std::string user, std::string password) = 0;          // 2
    virtual void GetAddressBook(CAddressArray& book);                                 // 3 default: nothing
    virtual void AddAddress(std::string name, std::string address);                   // 4 default: nothing
    [[nodiscard]] virtual bool DoLogin() = 0;                                         // 5
    virtual bool GetMail(std::string locator, std::string& body, CMailMessage& msg) = 0;  // 6 appends to body
    virtual void MessageNoOp(CMailMessage);                                           // 7
    virtual void MessageNoOp2(CMailMessage);                                          // 8 same implementation as 7
    virtual bool SendMail(CMailMessage msg) = 0;                                      // 9 true when the service accepted it
    virtual bool DeleteMail(std::string locator) = 0;                                 // 10
    virtual bool GetFolders(CStringArray& names) = 0;                                 // 11
    virtual bool GetMailSummary(CSummaryArray& list, int folder) = 0;                 // 12
    virtual int GetVersion() = 0;                                                     // 13
};

// The one export of every plug-in. Returns a new object owned by the caller,
// or null when it cannot be created.
extern "C" KORVALIN_PLUGIN_EXPORT CMailProvider* GetProviderInstance();

// Name of the export, for dlsym().
inline constexpr const char* kProviderFactorySymbol = "GetProviderInstance";
using ProviderFactory = CMailProvider* (*)();
