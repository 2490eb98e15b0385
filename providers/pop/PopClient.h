// The POP3 side of the plug-in: one session at a time (connect, TLS as the
// server field asks, CAPA, STLS, login with AUTH PLAIN or USER/PASS, the
// work, QUIT), shared by the operations that run while it is open.
//
// A field that asks for TLS (pop3s://, pop3://) never lets the password
// leave before TLS is up with a checked certificate; a bare field upgrades
// whenever the server offers STLS, and once a server offered it, a later
// session without the offer is refused as a downgrade.
//
// Every reply is read as whole lines; a multi-line reply is read up to its
// lone "." line, with the leading dot of dot-stuffed lines removed. Every
// wait is bounded by the network time-outs, and a session whose connection
// broke or timed out is closed without waiting for the server again.
#pragma once

#include "MailSession.h"
#include "PopMessage.h"

#include <string>
#include <vector>

class CPopClient : public CMailSession {
public:
    // Which command a status line answers; each has its own failure text.
    enum Step {
        StepGreeting = 0,
        StepUser = 1,
        StepPass = 2,
        StepStat = 3,
        StepRetrieve = 4,  // TOP and RETR
        StepDelete = 5,
        StepQuit = 6,
        StepUidl = 7,
        StepCapa = 8,
        StepStls = 9,
        StepCount
    };
    static const char* StepError(int step);

    // Caps on what a server may send.
    static constexpr size_t kMaxStatusLine = 8 * 1024;
    static constexpr size_t kMaxTextLine = 8 * 1024 * 1024;
    static constexpr size_t kMaxMessageBytes = 256 * 1024 * 1024;
    // More messages than this in a STAT or UIDL answer is not believed.
    static constexpr int kMaxMessages = 1000 * 1000;

    CPopClient();
    ~CPopClient() override;
    CPopClient(const CPopClient&) = delete;
    CPopClient& operator=(const CPopClient&) = delete;

    // Server field (ServerField.h; a bare host uses port 110); sets
    // LastError to "OK". An unusable field makes Open fail.
    void Configure(const std::string& server);
    void SetLogin(const std::string& user, const std::string& pass);

    // Joins the open session or opens one (greeting, TLS, login).
    bool Open();
    // Leaves the session; the last one out sends QUIT and closes.
    bool Close() { return Leave(); }
    // What the last CAPA listed (upper case keyword and arguments).
    bool HasCapability(std::string_view keyword) const;

    // Reads one status line; true for "+OK".
    bool ReadReply(int step);
    // STAT: the message count, or -1.
    int Stat();
    // TOP n 0: the header block into message.Header.
    bool Top(int number, CPopMessage& message);
    // RETR n: message.Header and message.Body (lines ended with CR LF).
    bool Retrieve(int number, CPopMessage& message);
    bool Delete(int number);
    // UIDL, sent without waiting, and its answer: the unique id of every
    // message, uidls[n - 1] for message n. False when the server refuses it
    // or the list is not numbered 1..count.
    void QueueUidl();
    bool ReadUidls(std::vector<std::string>& uidls);
    bool ListTooLong = false;  // the last UIDL answer listed more than kMaxMessages
    // Whether the server lists PIPELINING; CAPA is asked once per session.
    bool Pipelining();

    // Pipelining: QueueTop sends "TOP n 0" without waiting; ReadTop reads
    // the next answer. Answers come in the order of the commands.
    void QueueTop(int number);
    bool ReadTop(CPopMessage& message);
    void QueueDelete(int number);
    // Reads and drops the answers to commands still outstanding after a
    // failure (multiLine: TOP or RETR), so that the session can end with
    // QUIT. LastError and LastReply keep the failure's.
    void DropAnswers(int count, bool multiLine);

    // LastReply holds the last status line.

protected:
    // The lines of a multi-line reply after its status line, unstuffed, into
    // header (up to the first empty line) and, with body, the rest.
    bool ReadText(std::string& header, std::string* body);
    bool SayQuit() override;
    // CAPA into Capabilities; false when refused or the connection broke.
    bool ReadCapabilities();
    bool Secure();
    bool Login();

    bool SeenStls = false;  // this server offered STLS in an earlier session
    std::vector<std::string> Capabilities;
    int CapaAsked = 0;    // 0 not yet in this session, 1 no pipelining, 2 pipelining
};

namespace korvalin::pop {
// The decimal number that starts at the first digit of text, or -1.
int FirstNumber(std::string_view text);
}  // namespace korvalin::pop
