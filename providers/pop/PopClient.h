// The POP3 side of the plug-in: one session at a time (connect, USER, PASS,
// the work, QUIT), shared by the operations that run while it is open.
//
// Every reply is read as whole lines; a multi-line reply is read up to its
// lone "." line, with the leading dot of dot-stuffed lines removed. Every
// wait is bounded by the network time-outs, and a session whose connection
// broke or timed out is closed without waiting for the server again.
#pragma once

#include "PopMessage.h"
#include "TcpStream.h"

#include <atomic>
#include <semaphore>
#include <string>
#include <vector>

class CPopClient {
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
        StepCount
    };
    static const char* StepError(int step);

    // Caps on what a server may send.
    static constexpr size_t kMaxStatusLine = 8 * 1024;
    static constexpr size_t kMaxTextLine = 8 * 1024 * 1024;
    static constexpr size_t kMaxMessageBytes = 256 * 1024 * 1024;

    CPopClient() = default;
    virtual ~CPopClient();
    CPopClient(const CPopClient&) = delete;
    CPopClient& operator=(const CPopClient&) = delete;

    // Server as "host" or "host:port" (default port 110); sets LastError to "OK".
    void Configure(const std::string& server);
    void SetLogin(const std::string& user, const std::string& pass);

    // Joins the open session or opens one (greeting, USER, PASS).
    bool Open();
    // Leaves the session; the last one out sends QUIT and closes.
    bool Close();

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
    // Whether the server lists PIPELINING; CAPA is asked once per session.
    bool Pipelining();

    // Pipelining: QueueTop sends "TOP n 0" without waiting; ReadTop reads
    // the next answer. Answers come in the order of the commands.
    void QueueTop(int number);
    bool ReadTop(CPopMessage& message);
    void QueueDelete(int number);
    // The connection failed or the dialogue was lost: the session ends without QUIT.
    bool IsBroken() const { return Broken; }
    // Reads and drops the answers to commands still outstanding after a
    // failure (multiLine: TOP or RETR), so that the session can end with
    // QUIT. LastError and LastReply keep the failure's.
    void DropAnswers(int count, bool multiLine);

    std::atomic<int> UseCount{0};
    std::binary_semaphore Lock{1};  // held by one provider operation from Open to Close
    std::string LastError;
    std::string LastReply;           // the last status line
    std::string LastSocketError;     // the transport's own words for the last "Socket Error"
    int Port = 110;
    std::string Server;
    std::string User;
    std::string Pass;
    korvalin::TcpStream Socket;
    bool Connected = false;

protected:
    void SendCommand(const std::string& line);
    // The lines of a multi-line reply after its status line, unstuffed, into
    // header (up to the first empty line) and, with body, the rest.
    bool ReadText(std::string& header, std::string* body);
    bool SocketFailed(korvalin::StreamStatus status);
    void Disconnect();

    bool Broken = false;  // the connection failed: close without QUIT
    int CapaAsked = 0;    // 0 not yet in this session, 1 no pipelining, 2 pipelining
};

namespace korvalin::pop {
// The decimal number that starts at the first digit of text, or -1.
int FirstNumber(std::string_view text);
}  // namespace korvalin::pop
