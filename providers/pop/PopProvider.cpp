#include "PopProvider.h"

#include "MimeMail.h"
#include "OutgoingMail.h"
#include "FileReplace.h"
#include "ProviderLog.h"
#include "UidlCache.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <sstream>

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
        korvalin::LockHold hold(Smtp.Lock);
        Smtp.Configure(account.SmtpServer);
        Smtp.SetLogin(account.UserName, password);
    }
    korvalin::LockHold hold(Pop.Lock);
    Pop.Configure(account.PopServer);
    Pop.SetLogin(account.UserName, password);
    std::string key = Pop.Server + ":" + std::to_string(Pop.Port) + "|" + Pop.User;
    if (key != MailboxKey)
        ForgetMailbox();
    MailboxKey = key;
}

void CPopProvider::ForgetMailbox()
{
    KnownMails.clear();
    NoUidl = false;
    CacheRead = false;
    CacheChanged = false;
}

std::filesystem::path CPopProvider::CacheFile() const
{
    return korvalin::pop::UidlCachePath(DataRoot, Pop.User);
}

void CPopProvider::ReadCache()
{
    if (CacheRead)
        return;
    CacheRead = true;
    std::filesystem::path file = CacheFile();
    std::error_code error;
    if (file.empty() || !std::filesystem::is_regular_file(file, error))
        return;
    constexpr std::uintmax_t kLargest = 64u << 20;
    std::string why;
    std::vector<korvalin::pop::CachedMail> mails;
    std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > kLargest) {
        why = error ? error.message() : "too large";
    } else {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in)
            why = "cannot be read";
        else
            korvalin::pop::ReadUidlCache(text.str(), MailboxKey, mails, why);
    }
    if (!why.empty()) {
        korvalin::ProviderLog(korvalin::ProviderLogLevel::Warning,
                              "POP3 " + Pop.Server + ": the unique id cache " + file.string() + " is dropped (" + why +
                                  "); every header is read again");
        CacheChanged = true;
        return;
    }
    for (korvalin::pop::CachedMail& mail : mails)
        KnownMails.try_emplace(std::move(mail.Uidl),
                               KnownMail{std::move(mail.From), std::move(mail.Subject), std::move(mail.Date),
                                         std::move(mail.MessageId), true});
}

void CPopProvider::WriteCache()
{
    if (!CacheChanged)
        return;
    std::filesystem::path file = CacheFile();
    std::error_code error;
    if (file.empty() || !std::filesystem::is_directory(file.parent_path(), error))
        return;
    std::vector<korvalin::pop::CachedMail> mails;
    mails.reserve(KnownMails.size());
    for (const auto& [uidl, mail] : KnownMails)
        mails.push_back({uidl, mail.From, mail.Subject, mail.Date, mail.MessageId});
    std::string why;
    // Not flushed: a file cut short by a crash is dropped at the next read,
    // which then costs one check that reads every header.
    if (korvalin::ReplaceFileAtomically(file, korvalin::pop::WriteUidlCache(MailboxKey, mails), why, false))
        CacheChanged = false;
    else
        korvalin::ProviderLog(korvalin::ProviderLogLevel::Warning, "POP3 " + Pop.Server + ": " + why);
}

bool CPopProvider::DoLogin()
{
    try {
        korvalin::SessionHold hold(Pop);
        if (!Pop.Open())
            return false;
        Pop.Close();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool CPopProvider::ListMailbox(Listing& listing)
{
    listing = Listing();
    if (!NoUidl) {
        Pop.QueueUidl();
        return TakeUidls(listing, false);
    }
    listing.Count = Pop.Stat();
    return listing.Count >= 0;
}

bool CPopProvider::TakeUidls(Listing& listing, bool counted)
{
    std::vector<std::string> uidls;
    if (Pop.ReadUidls(uidls)) {
        if (!counted)
            listing.Count = static_cast<int>(uidls.size());
        if (static_cast<int>(uidls.size()) == listing.Count) {
            listing.Uidls = std::move(uidls);
        } else {
            // Not used: the headers tell the mails apart instead.
            korvalin::ProviderLog(korvalin::ProviderLogLevel::Warning,
                                  "POP3 " + Pop.Server + ": the server lists " + std::to_string(uidls.size()) +
                                      " unique ids for " + std::to_string(listing.Count) + " messages");
        }
        return true;
    }
    if (Pop.IsBroken() || Pop.ListTooLong)
        return false;
    // Refused: this server has no UIDL. A garbled list is tried again next time.
    NoUidl = Pop.LastReply.compare(0, 4, "-ERR") == 0;
    if (!counted)
        listing.Count = Pop.Stat();
    return listing.Count >= 0;
}

bool CPopProvider::FetchHeaders(const std::vector<int>& numbers, const std::function<void(int, CPopMessage&)>& take,
                                int& failedNumber, bool queued)
{
    if (numbers.empty())
        return true;
    bool pipelined = queued || (numbers.size() > 1 && Pop.Pipelining());
    if (pipelined && !queued)
        for (int number : numbers)
            Pop.QueueTop(number);
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (!pipelined)
            Pop.QueueTop(numbers[i]);
        CPopMessage message;
        if (!Pop.ReadTop(message)) {
            failedNumber = numbers[i];
            if (pipelined)
                Pop.DropAnswers(static_cast<int>(numbers.size() - i - 1), true);
            return false;
        }
        take(numbers[i], message);
    }
    return true;
}

std::string CPopProvider::MessageIdOf(const CPopMessage& message, const Listing& listing, int number) const
{
    std::string id = message.HeaderMessageId();
    if (!id.empty())
        return id;
    if (listing.HasUidls())
        return listing.Uidls[static_cast<size_t>(number - 1)];
    return korvalin::pop::HeaderDigestId(message.Header);
}

CPopProvider::KnownMail CPopProvider::Remember(CPopMessage& message, const Listing& listing, int number)
{
    message.ParseSummaryHeader();
    KnownMail known{message.From, message.Subject, message.Date, MessageIdOf(message, listing, number)};
    if (listing.HasUidls()) {
        KnownMails[listing.Uidls[static_cast<size_t>(number - 1)]] = known;
        CacheChanged = true;
    }
    return known;
}

int CPopProvider::LocateMail(const std::string& id, int number, const Listing& listing)
{
    // Mails seen in a check are recognised by their UIDL alone.
    auto known = [&](int candidate) -> const KnownMail* {
        if (!listing.HasUidls())
            return nullptr;
        auto found = KnownMails.find(listing.Uidls[static_cast<size_t>(candidate - 1)]);
        return found == KnownMails.end() || found->second.FromFile ? nullptr : &found->second;
    };
    auto holds = [&](int candidate) {
        const KnownMail* mail = known(candidate);
        return (listing.HasUidls() && listing.Uidls[static_cast<size_t>(candidate - 1)] == id) ||
               (mail != nullptr && mail->MessageId == id);
    };
    bool numberExists = number <= listing.Count;
    if (numberExists && holds(number))
        return number;
    for (int candidate = 1; candidate <= listing.Count; ++candidate)
        if (candidate != number && holds(candidate))
            return candidate;

    // The others tell by their headers: the locator's number first, then the rest.
    int found = 0;
    auto take = [&](int candidate, CPopMessage& message) {
        if (Remember(message, listing, candidate).MessageId == id && found == 0)
            found = candidate;
    };
    int failed = 0;
    if (numberExists && known(number) == nullptr) {
        if (!FetchHeaders({number}, take, failed))
            return -1;
        if (found != 0)
            return found;
    }
    std::vector<int> rest;
    for (int candidate = 1; candidate <= listing.Count; ++candidate)
        if (candidate != number && known(candidate) == nullptr)
            rest.push_back(candidate);
    if (!FetchHeaders(rest, take, failed))
        return -1;
    return found;
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
    korvalin::SessionHold hold(Pop);
    if (!Pop.Open())
        return false;
    Listing listing;
    bool listed = ListMailbox(listing);
    if (listed && OnListed)
        OnListed();
    int current = listed ? LocateMail(id, number, listing) : -1;
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
    bool closed = Pop.Close();  // the session is not needed while the mail is read
    body += korvalin::mime::PageOf(korvalin::mime::ParseMail(message.Header + "\r\n\r\n" + message.Body));
    return closed;
}

bool CPopProvider::DeleteMail(std::string locator)
{
    return DeleteMails({locator});
}

bool CPopProvider::DeleteMails(const std::vector<std::string>& locators)
{
    try {
        std::vector<std::pair<std::string, int>> named;
        bool all = true;
        for (const std::string& locator : locators) {
            std::string id;
            int number = 0;
            if (korvalin::pop::SplitLocator(locator, id, number) && !id.empty())
                named.emplace_back(id, number);
            else
                all = false;
        }
        if (named.empty())
            return false;
        korvalin::SessionHold hold(Pop);
        if (!Pop.Open())
            return false;
        Listing listing;
        if (!ListMailbox(listing)) {
            Pop.Close();
            return false;
        }
        if (OnListed)
            OnListed();
        std::vector<int> numbers;
        for (const auto& [id, number] : named) {
            int current = LocateMail(id, number, listing);
            if (current < 0) {
                Pop.Close();
                return false;
            }
            if (current == 0)
                all = false;
            else if (std::find(numbers.begin(), numbers.end(), current) == numbers.end())
                numbers.push_back(current);
        }
        if (numbers.size() > 1 && Pop.Pipelining()) {
            for (int number : numbers)
                Pop.QueueDelete(number);
            for (size_t i = 0; i < numbers.size(); ++i)
                all = Pop.ReadReply(CPopClient::StepDelete) && all;
        } else {
            for (int number : numbers)
                all = Pop.Delete(number) && all;
        }
        bool closed = Pop.Close();
        return all && closed;
    } catch (const std::exception&) {
        return false;
    }
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
    korvalin::SessionHold hold(Pop);
    ReadCache();
    bool checked = CheckMailbox(list);
    WriteCache();
    return checked;
}

bool CPopProvider::CheckMailbox(CSummaryArray& list)
{
    if (!Pop.Open())
        return false;
    Listing listing;
    listing.Count = Pop.Stat();
    if (listing.Count < 0) {
        Pop.Close();
        return false;
    }
    // With nothing known yet every header is needed whatever the UIDL list
    // says: when the server pipelines, UIDL and every TOP go out at once.
    bool queued = false;
    if (listing.Count > 1 && KnownMails.empty() && !NoUidl && Pop.Pipelining()) {
        Pop.QueueUidl();
        for (int number = 1; number <= listing.Count; ++number)
            Pop.QueueTop(number);
        queued = true;
    }
    bool listed = true;
    if (listing.Count > 0 && !NoUidl) {
        if (!queued)
            Pop.QueueUidl();
        listed = TakeUidls(listing, true);
    }
    if (!listed || Pop.IsBroken()) {
        if (queued)
            Pop.DropAnswers(listing.Count, true);
        Pop.Close();
        return false;
    }
    if (OnListed)
        OnListed();
    // Forget the mails the server no longer lists.
    std::unordered_map<std::string, KnownMail> kept;
    kept.reserve(listing.Uidls.size());
    for (const std::string& uidl : listing.Uidls) {
        auto found = KnownMails.find(uidl);
        if (found != KnownMails.end())
            kept.insert(KnownMails.extract(found));
    }
    if (!KnownMails.empty())  // what is left is gone from the server
        CacheChanged = true;
    KnownMails.swap(kept);
    list.reserve(list.size() + std::min<size_t>(static_cast<size_t>(listing.Count), 10000));

    std::vector<int> missing;
    for (int number = 1; number <= listing.Count; ++number)
        if (!listing.HasUidls() || KnownMails.count(listing.Uidls[static_cast<size_t>(number - 1)]) == 0)
            missing.push_back(number);

    auto append = [&](const KnownMail& mail, int number) {
        SummaryEntry entry;
        entry.From = mail.From;
        entry.Subject = mail.Subject;
        entry.Date = mail.Date;
        entry.MessageId = mail.MessageId;
        entry.Locator = korvalin::pop::MakeLocator(mail.MessageId, number);
        entry.New = true;
        list.push_back(std::move(entry));
    };
    // Entries go out in message order: the known ones up to each fetched one.
    int done = 0;
    auto appendKnownUpTo = [&](int last) {
        for (; done < last; ++done)
            append(KnownMails.at(listing.Uidls[static_cast<size_t>(done)]), done + 1);
    };
    int failed = 0;
    bool fetched = FetchHeaders(
        missing,
        [&](int number, CPopMessage& message) {
            appendKnownUpTo(number - 1);
            append(Remember(message, listing, number), number);
            done = number;
        },
        failed, queued);
    if (!fetched) {
        appendKnownUpTo(failed - 1);
        Pop.Close();
        return false;
    }
    appendKnownUpTo(listing.Count);
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
        size_t copies = message.Recipients.size();
        message.AddRecipients(msg.CC);
        for (size_t i = copies; i < message.Recipients.size(); ++i)
            message.Recipients[i].Copy = true;
        message.AddRecipients(msg.BCC, true);
        message.Subject = msg.Subject;
        message.Body = msg.Body;
        korvalin::pop::TakeThread(msg.Extra, message);
        korvalin::pop::OutgoingMail mail;
        if (!korvalin::pop::ComposeOutgoing(message, mail))
            return false;
        korvalin::SessionHold hold(Smtp);
        if (!Smtp.Open())
            return false;
        bool sent = Smtp.SendData(mail.From, mail.Recipients, mail.Data);
        Smtp.Quit();
        return sent;
    } catch (const std::exception&) {
        return false;
    }
}
