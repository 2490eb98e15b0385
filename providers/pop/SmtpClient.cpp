#include "SmtpClient.h"

#include <cstdio>

int CSmtpClient::ExpectedCode(int step)
{
    switch (step) {
    case StepOk:
        return 250;
    case StepGreeting:
        return 220;
    case StepData:
        return 354;
    case StepQuit:
        return 221;
    default:
        return 0;
    }
}

const char* CSmtpClient::StepError(int step)
{
    switch (step) {
    case StepOk:
        return "SMTP server error";
    case StepGreeting:
        return "SMTP server not available";
    case StepData:
        return "SMTP server not ready for data";
    case StepQuit:
        return "SMTP server didn't terminate session";
    default:
        return "SMTP server error";
    }
}

CSmtpClient::~CSmtpClient()
{
    if (Connected) {
        UseCount = 1;
        Quit();
    }
}

void CSmtpClient::Configure(const std::string& server)
{
    if (server.empty())
        return;
    std::string host;
    int port = 25;
    if (korvalin::SplitHostPort(server, 25, host, port)) {
        Server = host;
        Port = port;
    } else {
        Server = server;
        Port = 25;
    }
    LastError = "OK";
}

void CSmtpClient::Disconnect()
{
    Socket.Close();
    Connected = false;
    Broken = false;
    UseCount = 0;
}

bool CSmtpClient::SocketFailed(korvalin::StreamStatus status)
{
    LastError = "Socket Error";
    LastSocketError = Socket.ErrorText().empty() ? korvalin::StreamStatusText(status) : Socket.ErrorText();
    Broken = true;
    return false;
}

void CSmtpClient::SendCommand(const std::string& line)
{
    // A failed send shows in the reply that is then missing.
    Socket.Queue(korvalin::pop::CommandLine(line));
}

bool CSmtpClient::ReadReply(int step)
{
    if (Broken)
        return SocketFailed(korvalin::StreamStatus::Closed);
    LastReply.clear();
    std::string_view line;
    for (int count = 0;; ++count) {
        if (count == kMaxReplyLines)
            return SocketFailed(korvalin::StreamStatus::TooLong);
        korvalin::StreamStatus status = Socket.ReadLine(line, kMaxReplyLine);
        if (status != korvalin::StreamStatus::Ok)
            return SocketFailed(status);
        if (!LastReply.empty())
            LastReply += "\r\n";
        LastReply.append(line);
        // "250-..." continues, "250 ..." or "250" ends the reply.
        if (line.size() < 4 || line[3] != '-')
            break;
    }
    int code = 0;
    for (size_t i = 0; i < 3; ++i) {
        if (i >= line.size() || line[i] < '0' || line[i] > '9') {
            code = 0;
            break;
        }
        code = code * 10 + (line[i] - '0');
    }
    if (code == ExpectedCode(step))
        return true;
    char text[128];
    std::snprintf(text, sizeof text, "%d:%s", code, StepError(step));
    LastError = text;
    return false;
}

bool CSmtpClient::Open()
{
    if (Connected) {
        ++UseCount;
        return true;
    }
    Broken = false;
    if (!Socket.Connect(Server, Port)) {
        LastError = "Unable to connect to server";
        LastSocketError = Socket.ErrorText();
        Socket.Close();
        return false;
    }
    if (!ReadReply(StepGreeting)) {
        LastError = "Server didn't respond.";
        Disconnect();
        return false;
    }
    SendCommand("HELO " + korvalin::TcpStream::LocalHostName(80));
    if (!ReadReply(StepOk)) {
        Disconnect();
        return false;
    }
    Connected = true;
    ++UseCount;
    return true;
}

bool CSmtpClient::Quit()
{
    if (!Connected)
        return true;
    if (--UseCount > 0)
        return true;
    bool ok = false;
    if (!Broken) {
        SendCommand("QUIT");
        ok = ReadReply(StepQuit);
    }
    Disconnect();
    return ok;
}

bool CSmtpClient::Send(CPopMessage& message)
{
    if (!Connected) {
        LastError = "Must be connected";
        return false;
    }
    return Prepare(message) && Transfer(message);
}

bool CSmtpClient::Prepare(CPopMessage& message)
{
    if (!message.ComposeHeader())
        return false;
    message.StuffDots();
    if (message.Body.size() < 2 || message.Body.compare(message.Body.size() - 2, 2, "\r\n") != 0)
        message.Body += "\r\n";
    return true;
}

bool CSmtpClient::Transfer(CPopMessage& message)
{
    SendCommand("MAIL FROM:<" + message.From + ">");
    if (!ReadReply(StepOk))
        return false;
    for (const CPopMessage::Recipient& recipient : message.Recipients) {
        SendCommand("RCPT TO:<" + recipient.Address + ">");
        // A refused recipient does not stop the mail; a broken connection does.
        if (!ReadReply(StepOk) && Broken)
            return false;
    }
    SendCommand("DATA");
    if (!ReadReply(StepData))
        return false;
    std::string text = message.Header;
    text += "X-Mailer: Korvalin Mail v1.2\r\n";
    text += "\r\n";
    text += message.Body;
    text += "\r\n.\r\n";
    Socket.Queue(text);
    return ReadReply(StepOk);
}
