#include "PopProvider.h"

#include <exception>

namespace korvalin::pop {

AccountLine SplitAccountLine(std::string_view line)
{
    std::string* fields[] = {nullptr, nullptr, nullptr, nullptr, nullptr};
    AccountLine account;
    fields[0] = &account.UserName;
    fields[1] = &account.DisplayName;
    fields[2] = &account.FromAddress;
    fields[3] = &account.PopServer;
    fields[4] = &account.SmtpServer;
    size_t next = 0;
    size_t pos = 0;
    while (pos < line.size() && next < 5) {
        size_t end = line.find('=', pos);
        if (end == std::string_view::npos)
            end = line.size();
        if (end > pos)
            fields[next++]->assign(line.substr(pos, end - pos));
        pos = end + 1;
    }
    return account;
}

bool SplitLocator(std::string_view locator, std::string& id, int& number)
{
    size_t mark = locator.rfind("##");
    if (mark == std::string_view::npos)
        return false;
    std::string_view digits = locator.substr(mark + 2);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    id.assign(locator.substr(0, mark));
    number = std::stoi(std::string(digits));
    return number > 0;
}

std::string MakeLocator(const std::string& id, int number)
{
    return id + "##" + std::to_string(number);
}

}  // namespace korvalin::pop

namespace {

// Holds a client's lock for one provider operation.
class LockHold {
public:
    explicit LockHold(std::binary_semaphore& lock) : Lock(lock) { Lock.acquire(); }
    ~LockHold() { Lock.release(); }
    LockHold(const LockHold&) = delete;
    LockHold& operator=(const LockHold&) = delete;

private:
    std::binary_semaphore& Lock;
};

// The addresses of a fetched mail for the host: each followed by ";".
std::string RecipientAddresses(const CPopMessage& message)
{
    std::string to;
    for (const CPopMessage::Recipient& recipient : message.Recipients)
        to += recipient.Address + ";";
    while (!to.empty() && (to.back() == ' ' || to.back() == '\t' || to.back() == '\r' || to.back() == '\n'))
        to.pop_back();
    return to;
}

}  // namespace

CPopProvider::CPopProvider()
{
    Name = "POPMail";
}

CPopProvider::~CPopProvider() = default;

int CPopProvider::GetVersion()
{
    return 1;
}

bool CPopProvider::GetFolders(CStringArray&)
{
    return true;
}

void CPopProvider::SetUserProfile(std::string user, std::string password)
{
    korvalin::pop::AccountLine account = korvalin::pop::SplitAccountLine(user);
    {
        std::lock_guard guard(ProfileMutex);
        UserName = account.UserName;
        DisplayName = account.DisplayName;
        FromAddress = account.FromAddress;
        PopServer = account.PopServer;
        SmtpServer = account.SmtpServer;
        Password = password;
    }
    {
        LockHold hold(Smtp.Lock);
        Smtp.Configure(account.SmtpServer);
    }
    LockHold hold(Pop.Lock);
    Pop.Configure(account.PopServer);
    Pop.SetLogin(account.UserName, password);
}

bool CPopProvider::DoLogin()
{
    try {
        LockHold hold(Pop.Lock);
        if (!Pop.Open())
            return false;
        Pop.Close();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::string CPopProvider::MessageIdOf(int number, const CPopMessage& message)
{
    std::string id = message.HeaderMessageId();
    if (!id.empty())
        return id;
    std::string uidl;
    if (Pop.Uidl(number, uidl) && !uidl.empty())
        return uidl;
    return korvalin::pop::HeaderDigestId(message.Header);
}

int CPopProvider::LocateMail(const std::string& id, int number)
{
    int count = Pop.Stat();
    if (count < 0)
        return -1;
    // The number of the locator first; when it now holds another mail (mail
    // before it was deleted by another client), every other number.
    auto holds = [&](int candidate) -> int {
        CPopMessage message;
        if (!Pop.Top(candidate, message))
            return -1;
        return MessageIdOf(candidate, message) == id ? 1 : 0;
    };
    if (number <= count) {
        int found = holds(number);
        if (found != 0)
            return found < 0 ? -1 : number;
    }
    for (int candidate = 1; candidate <= count; ++candidate) {
        if (candidate == number)
            continue;
        int found = holds(candidate);
        if (found != 0)
            return found < 0 ? -1 : candidate;
    }
    return 0;
}

bool CPopProvider::GetMail(std::string locator, std::string& body, CMailMessage& msg)
{
    try {
        return FetchMail(locator, body, msg);
    } catch (const std::exception&) {
        return false;
    }
}

bool CPopProvider::FetchMail(const std::string& locator, std::string& body, CMailMessage& msg)
{
    std::string id;
    int number = 0;
    if (!korvalin::pop::SplitLocator(locator, id, number) || id.empty())
        return false;
    LockHold hold(Pop.Lock);
    if (!Pop.Open())
        return false;
    int current = LocateMail(id, number);
    CPopMessage message;
    if (current <= 0 || !Pop.Retrieve(current, message)) {
        Pop.Close();
        return false;
    }
    message.ParseMailHeader();
    msg.Subject = message.Subject;
    msg.From = message.From;
    msg.CC.clear();
    msg.To = RecipientAddresses(message);
    body += "<pre>";
    body += korvalin::pop::EscapeHtml(message.Body);
    body += "</pre>";
    return Pop.Close();
}

bool CPopProvider::DeleteMail(std::string locator)
{
    try {
        return RemoveMail(locator);
    } catch (const std::exception&) {
        return false;
    }
}

bool CPopProvider::RemoveMail(const std::string& locator)
{
    std::string id;
    int number = 0;
    if (!korvalin::pop::SplitLocator(locator, id, number) || id.empty())
        return false;
    LockHold hold(Pop.Lock);
    if (!Pop.Open())
        return false;
    int current = LocateMail(id, number);
    bool deleted = current > 0 && Pop.Delete(current);
    bool closed = Pop.Close();
    return deleted && closed;
}

bool CPopProvider::GetMailSummary(CSummaryArray& list, int)
{
    try {
        return ListMails(list);
    } catch (const std::exception&) {
        return false;
    }
}

bool CPopProvider::ListMails(CSummaryArray& list)
{
    LockHold hold(Pop.Lock);
    if (!Pop.Open())
        return false;
    int count = Pop.Stat();
    if (count < 0) {
        Pop.Close();
        return false;
    }
    for (int number = 1; number <= count; ++number) {
        CPopMessage message;
        if (!Pop.Top(number, message)) {
            Pop.Close();
            return false;
        }
        message.ParseSummaryHeader();
        SummaryEntry entry;
        entry.From = message.From;
        entry.Subject = message.Subject;
        entry.Date = message.Date;
        entry.MessageId = MessageIdOf(number, message);
        entry.Locator = korvalin::pop::MakeLocator(entry.MessageId, number);
        entry.New = true;
        list.push_back(std::move(entry));
    }
    return Pop.Close();
}

bool CPopProvider::SendMail(CMailMessage msg)
{
    try {
        CPopMessage message;
        {
            std::lock_guard guard(ProfileMutex);
            message.From = FromAddress;
        }
        message.AddRecipients(msg.To);
        message.AddRecipients(msg.CC);
        message.AddRecipients(msg.BCC, true);
        message.Subject = msg.Subject;
        message.Body = msg.Body;
        LockHold hold(Smtp.Lock);
        if (!Smtp.Open())
            return false;
        bool sent = Smtp.Send(message);
        Smtp.Quit();
        return sent;
    } catch (const std::exception&) {
        return false;
    }
}
