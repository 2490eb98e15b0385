// The SMTP side of the plug-in: greeting and HELO, then MAIL FROM, RCPT TO
// for every recipient, DATA with the composed header block and the
// dot-stuffed body, and QUIT. Replies are read as whole lines, multi-line
// replies ("250-...") up to their last line; every wait is bounded by the
// network time-outs.
#pragma once

#include "PopMessage.h"
#include "TcpStream.h"

#include <atomic>
#include <semaphore>
#include <string>

class CSmtpClient {
public:
    // Which reply is expected; each has its code and failure text.
    enum Step { StepOk = 0, StepGreeting = 1, StepData = 2, StepQuit = 3, StepCount };
    static int ExpectedCode(int step);
    static const char* StepError(int step);

    static constexpr size_t kMaxReplyLine = 8 * 1024;
    static constexpr int kMaxReplyLines = 200;

    CSmtpClient() = default;
    virtual ~CSmtpClient();
    CSmtpClient(const CSmtpClient&) = delete;
    CSmtpClient& operator=(const CSmtpClient&) = delete;

    // Server as "host" or "host:port" (default port 25); an empty text leaves
    // the configuration as it was.
    void Configure(const std::string& server);

    bool Open();
    bool Quit();
    // Prepare, then Transfer; true when the server accepted the mail.
    bool Send(CPopMessage& message);
    bool ReadReply(int step);
    // Header block, dot-stuffing, final CR LF. False without recipients.
    virtual bool Prepare(CPopMessage& message);
    bool Transfer(CPopMessage& message);

    std::binary_semaphore Lock{1};  // held by one send from Open to Quit
    std::atomic<int> UseCount{0};
    std::string LastError;
    std::string LastReply;          // the last reply, its lines joined with CR LF
    std::string LastSocketError;
    int Port = 25;
    std::string Server;
    korvalin::TcpStream Socket;
    bool Connected = false;

protected:
    void SendCommand(const std::string& line);
    bool SocketFailed(korvalin::StreamStatus status);
    void Disconnect();

    bool Broken = false;
};
