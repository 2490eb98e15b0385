// A provider plug-in built only for the tests: every operation answers in a
// way the boundary test can recognise.
#include "MailProvider.h"

namespace {

class CTestProvider : public CMailProvider {
public:
    CTestProvider() { Name = "TestProvider"; SignUpUrl = "http://signup.test/"; }

    void SetUserProfile(std::string user, std::string password) override
    {
        User = std::move(user);
        Password = std::move(password);
    }
    void GetAddressBook(CAddressArray& book) override { book = Book; }
    void AddAddress(std::string name, std::string address) override { Book.push_back({false, name, address}); }
    bool DoLogin() override { return User == "user" && Password == "secret"; }
    bool GetMail(std::string locator, std::string& body, CMailMessage& msg) override
    {
        body += "<pre>body of " + locator + "</pre>";
        msg.From = "sender@test";
        msg.Subject = "subject of " + locator;
        return true;
    }
    bool SendMail(CMailMessage msg) override { return msg.To == "ok@test"; }
    bool DeleteMail(std::string locator) override { return locator == "1##1"; }
    bool GetFolders(CStringArray& names) override
    {
        names = {"Sent", "Trash"};
        return true;
    }
    bool GetMailSummary(CSummaryArray& list, int folder) override
    {
        SummaryEntry entry;
        entry.From = "a@test";
        entry.Subject = "folder " + std::to_string(folder);
        entry.MessageId = "id1";
        entry.Locator = "id1##1";
        entry.New = true;
        list.push_back(entry);
        return true;
    }
    int GetVersion() override { return 42; }

private:
    std::string User, Password;
    CAddressArray Book;
};

}  // namespace

extern "C" CMailProvider* GetProviderInstance()
{
    return new CTestProvider;
}
