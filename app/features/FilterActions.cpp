// The actions of a matching filter: forward, automatic reply, delete. They
// run on the folder's check thread; their requests go to the UI update
// queue in the order forward, reply, delete.
#include "AccountFolder.h"
#include "AtomicFile.h"
#include "Engine.h"
#include "FilterRules.h"
#include "FolderSummary.h"
#include "MailCache.h"
#include "MailRequest.h"
#include "RequestQueue.h"
#include "TextConversion.h"

#include <algorithm>
#include <cctype>

namespace korvalin {
namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Trim(const std::string& text)
{
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The bare address of a sender text: "Ann <ann@x>", "Ann &lt;ann@x&gt;" or "ann@x".
std::string BareAddress(const std::string& from)
{
    std::string text = from;
    for (auto [open, close] : {std::pair{"&lt;", "&gt;"}, std::pair{"<", ">"}}) {
        size_t start = text.find(open);
        if (start == std::string::npos)
            continue;
        start += std::string_view(open).size();
        text = text.substr(start, text.find(close, start) - start);
        break;
    }
    return Lower(Trim(text));
}

// Whether a mail from this sender comes from the account itself: replying
// to it would answer our own automatic replies.
bool FromAccountItself(const CAccount& account, const std::string& from)
{
    const std::string sender = BareAddress(from);
    if (sender.empty())
        return false;
    const AccountState state = account.State();
    if (state.isPop)
        return !state.pop.emailAddress.empty() && sender == BareAddress(state.pop.emailAddress);
    const std::string login = Lower(state.login);
    if (login.find('@') != std::string::npos)
        return sender == login;
    return sender.substr(0, sender.find('@')) == login;
}

std::string Banner(const char* firstLine, const std::string& vendorWeb)
{
    return std::string(firstLine) + "Get Korvalin Mail from " + vendorWeb + " \n" +
           "and add power to your web based email accounts.\n" + "----------------------------------------------\n";
}

}  // namespace

bool FilterRules::ApplyFilters(FolderSummary& summary, SummaryEntry& entry)
{
    if (entry.Locator == kCachedLocator)
        return false;
    CAccount& account = summary.Account();
    const FilterList filters = Filters(account);
    const int match = FirstMatchingFilter(filters, entry);
    if (match < 0)
        return false;
    const Filter& filter = filters[static_cast<size_t>(match)];
    engine_.Log().Info(account, "Filter %s applies to the mail from %s", filter.NAME.c_str(), entry.From.c_str());

    if (!filter.FORWARD.empty() && !Forward(summary, entry, filter))
        return false;
    if (!filter.REPLY.empty() && !Reply(summary, entry, static_cast<size_t>(match), filter))
        return false;
    if (!filter.DELETE)
        return false;

    MailRequest remove;
    remove.kind = request::kDelete;
    remove.text = entry.Locator;
    remove.account = account.shared_from_this();
    if (!QueueRequest(engine_.Requests(), engine_.Ui(), std::move(remove)))
        return false;
    if (!entry.Cache.empty()) {
        if (Status deleted = DeleteCachedMail(account.Folder(), entry.Cache); !deleted)
            engine_.Log().Error(account, "%s", deleted.error.c_str());
    }
    return true;
}

// Fetches the mail as opening it does and keeps its body as the entry's
// local copy. False (with the person or the log told) when it did not come.
bool FilterRules::FetchIntoCache(FolderSummary& summary, SummaryEntry& entry, std::string* body)
{
    CAccount& account = summary.Account();
    std::string fetched;
    CMailMessage message;
    account.ProviderObject().GetMail(entry.Locator, fetched, message);
    if (message.From.empty()) {
        // An empty sender means the fetch failed: nothing is forwarded,
        // answered or deleted on the strength of it.
        engine_.Log().Error(account, "The mail %s could not be fetched for a filter", entry.Locator.c_str());
        return false;
    }
    std::string error;
    std::optional<std::string> reference = StoreCachedMail(account.Folder(), fetched, &error);
    if (!reference) {
        engine_.Log().Error(account, "%s", error.c_str());
        Tell(engine_.Ui(), kMailNotStored);
        return false;
    }
    entry.Message.From = message.From;
    entry.Message.Subject = message.Subject;
    entry.Message.To = message.To;
    entry.Message.CC = message.CC;
    entry.Cache = *reference;
    if (body != nullptr) {
        std::replace(fetched.begin(), fetched.end(), '\0', '\n');
        *body = std::move(fetched);
    }
    return true;
}

bool FilterRules::Forward(FolderSummary& summary, SummaryEntry& entry, const Filter& filter)
{
    CAccount& account = summary.Account();
    std::string text = Banner("-------Auto forwarded by Korvalin Mail--------\n", VendorWeb(engine_.Paths()));
    if (!entry.Cache.empty()) {
        std::optional<std::filesystem::path> file = CachedMailFile(account.Folder(), entry.Cache);
        std::string error = "not a cached mail of this account";
        std::optional<std::string> cached = file ? ReadWholeFile(*file, &error) : std::nullopt;
        if (!cached) {
            engine_.Log().Error(account, "The local copy %s: %s", entry.Cache.c_str(), error.c_str());
            entry.Cache.clear();
            Tell(engine_.Ui(), kCachedMailUnreadable);
            return false;
        }
        text += *cached;
    } else {
        std::string body;
        if (!FetchIntoCache(summary, entry, &body))
            return false;
        text += body;
    }
    RemoveTags(text, &engine_.Log());

    MailRequest send;
    send.kind = request::kSend;
    send.message.To = filter.FORWARD;
    send.message.Subject = entry.Message.Subject;
    send.typedText = text;
    send.message.Body = account.State().isPop ? text : FormEncode(text, &engine_.Log());
    send.account = account.shared_from_this();
    engine_.Log().Info(account, "Forwarding the mail from %s to %s", entry.From.c_str(), filter.FORWARD.c_str());
    return QueueRequest(engine_.Requests(), engine_.Ui(), std::move(send));
}

bool FilterRules::Reply(FolderSummary& summary, SummaryEntry& entry, size_t index, const Filter& filter)
{
    CAccount& account = summary.Account();
    std::optional<std::string> text = ReplyText(account, index, filter);
    if (!text)
        return false;
    // A mail never fetched has no known sender yet.
    if (entry.Message.From.empty() && !FetchIntoCache(summary, entry, nullptr))
        return false;
    const std::string& subject = entry.Message.Subject;
    // Two mailboxes answering each other automatically would never stop.
    if (subject.rfind(kAutoReplyPrefix, 0) == 0 || entry.Subject.rfind(kAutoReplyPrefix, 0) == 0 ||
        FromAccountItself(account, entry.Message.From)) {
        engine_.Log().Info(account, "No automatic reply to \"%s\" from %s: it is an automatic reply or our own mail",
                           subject.c_str(), entry.Message.From.c_str());
        return true;
    }
    MailRequest send;
    send.kind = request::kSend;
    send.message.To = entry.Message.From;
    send.message.Subject = kAutoReplyPrefix + subject;
    send.typedText = *text;
    send.message.Body = account.State().isPop ? *text : FormEncode(*text, &engine_.Log());
    send.account = account.shared_from_this();
    engine_.Log().Info(account, "Replying automatically to %s", entry.Message.From.c_str());
    return QueueRequest(engine_.Requests(), engine_.Ui(), std::move(send));
}

}  // namespace korvalin
