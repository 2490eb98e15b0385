#include "DemoData.h"

#include <vector>

namespace korvalin::websim {
namespace {

constexpr std::time_t kHour = 3600;

struct Sample {
    const char* Name;
    const char* Address;
    const char* Subject;
    const char* Body;
    std::time_t Age; // seconds before now
    bool Read;
};

const Sample kInbox[] = {
    {"Petra Lindgren", "petra.lindgren@example.org", "Welcome to your web mailbox",
     "Hello,\n\nthis mailbox lives in a simulator on your own computer.\nA new mail arrives every minute, so keep an "
     "eye on the tray.\n\nPetra\n",
     1 * kHour, false},
    {"Tomas Berg", "tomas.berg@example.net", "Bike ride on Sunday",
     "Hi,\n\nthe weather looks good for Sunday. Shall we ride to the lake?\nWe could leave at nine and be back for "
     "lunch.\n\nTomas\n",
     3 * kHour, false},
    {"Accounts Office", "accounts@example.com", "Your statement for March",
     "Dear customer,\n\nyour statement for March is ready.\nOpening balance     1,204.50\nPayments              "
     "-310.00\nClosing balance       894.50\n\nKind regards,\nAccounts Office\n",
     9 * kHour, false},
    {"Nadia Haddad", "nadia.h@example.org", "Slides for the workshop",
     "Hi,\n\nhere are the slides from Thursday. The notes are in the attached text file.\n\nNadia\n", 20 * kHour,
     false},
    {"Weather Service", "alerts@weather.example", "Frost warning for tonight",
     "Temperatures may fall to -4 degrees tonight.\nCover sensitive plants and allow extra time on the roads.\n",
     26 * kHour, true},
    {"Oskar Nilsson", "oskar@example.se", "Re: book club",
     "> Which book next?\n\nI vote for the one about the lighthouse keeper.\nIt is short enough for a "
     "month.\n\nOskar\n",
     30 * kHour, true},
    {"Travel Desk", "bookings@travel.example", "Booking confirmed: Oslo, 14 to 16 May",
     "Your booking is confirmed.\n\nHotel Fjordview, 2 nights, breakfast included.\nCheck-in from 15:00.\n", 50 * kHour,
     true},
    {"Grace Okafor", "grace.okafor@example.com", "Photos from the wedding",
     "The photos are finally online!\nThe one of your uncle dancing is my favourite.\n\nGrace\n", 75 * kHour, true},
    {"Music Shop", "news@music-shop.example", "Spring sale on guitar strings",
     "<html><body>\n<h2>Spring sale</h2>\n<p>All guitar strings <b>20% off</b> until Sunday.</p>\n<p><a "
     "href=\"http://music-shop.example/sale\">See the offers</a></p>\n</body></html>\n",
     100 * kHour, true},
    {"Lena Vogel", "lena.vogel@example.de", "Flat viewing on Thursday",
     "Hello,\n\nthe flat in the old town can be viewed on Thursday at 18:00.\nPlease bring your ID.\n\nLena Vogel\n",
     130 * kHour, true},
    {"", "noreply@forum.example", "Someone replied to your post",
     "A new reply was posted to \"Best tea for a cold morning\".\nLog in to read it.\n", 170 * kHour, true},
    {"Marco Bianchi", "marco.bianchi@example.it", "Recipe: lemon cake",
     "As promised:\n\n200 g flour, 150 g sugar, 3 eggs, 1 lemon, 100 g butter.\nBake 35 minutes at 180 "
     "degrees.\n\nMarco\n",
     220 * kHour, true},
};

const Sample kSent[] = {
    {"", "tomas.berg@example.net", "Re: Bike ride on Sunday", "Sounds great, see you at nine.\n", 2 * kHour, true},
    {"", "lena.vogel@example.de", "Re: Flat viewing on Thursday", "Thank you, I will be there.\n", 120 * kHour, true},
};

const Sample kWork[] = {
    {"Nadia Haddad", "nadia.h@example.org", "Agenda for Monday", "1. Budget\n2. Hiring plan\n3. Anything else\n",
     60 * kHour, true},
    {"Project Robot", "robot@ci.example", "Build 2381 passed", "All 412 checks passed in 9 minutes.\n", 80 * kHour,
     false},
    {"Henrik Dahl", "henrik.dahl@example.no", "Holiday cover", "I can cover for you in the first week of June.\n",
     200 * kHour, true},
};

const Sample kFamily[] = {
    {"Mum", "mum@example.net", "Sunday dinner", "Dinner at six, bring the children.\n", 40 * kHour, false},
    {"Jakob", "jakob@example.net", "Birthday present idea", "What about a telescope for Emma?\n", 150 * kHour, true},
};

const Sample kArrivals[] = {
    {"Ruth Ameko", "ruth.ameko@example.org", "Quick question", "Do you still have the ladder I could borrow?\n", 0,
     false},
    {"Newsletter", "digest@news.example", "Your weekly digest", "Five stories you might have missed this week.\n", 0,
     false},
    {"Sven Holm", "sven.holm@example.se", "Train times", "The 8:12 is cancelled tomorrow, take the 8:40.\n", 0, false},
    {"Library", "loans@library.example", "A book is ready for pick-up",
     "\"Northern Lights\" is waiting for you at the front desk.\n", 0, false},
};

SimMail MailFrom(const Sample& sample, const std::string& to, std::time_t now)
{
    SimMail mail;
    mail.FromName = sample.Name;
    mail.FromAddress = sample.Address;
    mail.To = to;
    mail.Subject = sample.Subject;
    mail.Body = sample.Body;
    mail.Html = mail.Body.rfind("<html>", 0) == 0;
    mail.Date = now - sample.Age;
    mail.Read = sample.Read;
    return mail;
}

void FillFolder(SimMailbox& mailbox, SimFolder* folder, const Sample* first, const Sample* last, const std::string& to,
                std::time_t now)
{
    if (folder == nullptr)
        return;
    for (const Sample* sample = last; sample != first;) {
        --sample; // oldest first, as they arrived
        mailbox.Add(*folder, MailFrom(*sample, to, now));
    }
}

} // namespace

void FillDemoMailbox(SimMailbox& mailbox, const std::string& ownAddress, std::time_t now)
{
    SimFolder* inbox = mailbox.FolderWithRole(FolderRole::Inbox);
    FillFolder(mailbox, inbox, std::begin(kInbox), std::end(kInbox), ownAddress, now);
    if (inbox != nullptr) {
        for (SimMail& mail : inbox->Mails) {
            if (mail.Subject == std::string("Slides for the workshop"))
                mail.Attachments.push_back({"workshop-notes.txt", "text/plain",
                                            "Workshop notes\n\n- keep slides short\n- one idea per slide\n"});
            if (mail.Subject == std::string("Photos from the wedding")) {
                mail.Attachments.push_back({"dance.txt", "text/plain", "(a photo would be here)\n"});
                mail.Attachments.push_back({"cake.txt", "text/plain", "(and another one here)\n"});
            }
        }
    }

    SimFolder* sent = mailbox.FolderWithRole(FolderRole::Sent);
    if (sent != nullptr) {
        for (const Sample& sample : kSent) {
            SimMail mail = MailFrom(sample, sample.Address, now);
            mail.FromName.clear();
            mail.FromAddress = ownAddress;
            mailbox.Add(*sent, std::move(mail));
        }
    }
    FillFolder(mailbox, mailbox.FolderWithName(kDemoFolders[0]), std::begin(kWork), std::end(kWork), ownAddress, now);
    FillFolder(mailbox, mailbox.FolderWithName(kDemoFolders[1]), std::begin(kFamily), std::end(kFamily), ownAddress,
               now);

    mailbox.Contacts = {
        {"petra", "petra.lindgren@example.org", "Petra Lindgren"},
        {"tomas", "tomas.berg@example.net", "Tomas Berg"},
        {"nadia", "nadia.h@example.org", "Nadia Haddad"},
        {"grace", "grace.okafor@example.com", "Grace Okafor"},
        {"marco", "marco.bianchi@example.it", "Marco Bianchi"},
        {"mum", "mum@example.net", "Mum"},
    };
}

SimMail DemoArrivingMail(uint64_t sequence, const std::string& ownAddress, std::time_t now)
{
    const Sample& sample = kArrivals[sequence % std::size(kArrivals)];
    SimMail mail = MailFrom(sample, ownAddress, now);
    if (sequence >= std::size(kArrivals))
        mail.Subject += " (" + std::to_string(sequence / std::size(kArrivals) + 1) + ")";
    return mail;
}

} // namespace korvalin::websim
