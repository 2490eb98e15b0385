#include "SmtpClient.h"

#include "ProviderLog.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/evp.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace korvalin::smtp {

std::string DataBlock(std::string_view data)
{
    std::string block;
    block.reserve(data.size() + data.size() / 32 + 5);
    bool lineStart = true;
    for (size_t i = 0; i < data.size(); ++i) {
        char c = data[i];
        if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n')
            continue;  // the LF that follows writes the CR LF
        if (lineStart && c == '.')
            block += '.';
        if (c == '\n')
            block += '\r';
        block += c;
        lineStart = c == '\n';
    }
    if (!lineStart)
        block += "\r\n";
    block += ".\r\n";
    return block;
}

std::string Base64(std::string_view bytes)
{
    std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                                 reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

}  // namespace korvalin::smtp

namespace {

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

int ReplyCode(std::string_view line)
{
    int code = 0;
    for (size_t i = 0; i < 3; ++i) {
        if (i >= line.size() || line[i] < '0' || line[i] > '9')
            return 0;
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

// The host's fully qualified name, or the address literal of the local end
// of fd when the host name has no domain.
std::string HeloNameFor(int fd)
{
    std::string name = korvalin::TcpStream::LocalHostName(255);
    if (name.find('.') != std::string::npos && name.back() != '.')
        return name;
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    char text[INET6_ADDRSTRLEN] = {};
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
        if (local.ss_family == AF_INET &&
            ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&local)->sin_addr, text, sizeof text) != nullptr)
            return std::string("[").append(text).append("]");
        if (local.ss_family == AF_INET6 &&
            ::inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&local)->sin6_addr, text, sizeof text) != nullptr)
            return std::string("[IPv6:").append(text).append("]");
    }
    return name;
}

}  // namespace

int CSmtpClient::ExpectedCode(int step)
{
    switch (step) {
    case StepOk:
        return 250;
    case StepGreeting:
    case StepReady:
        return 220;
    case StepData:
        return 354;
    case StepQuit:
        return 221;
    case StepAuthed:
        return 235;
    case StepContinue:
        return 334;
    default:
        return 0;
    }
}

const char* CSmtpClient::StepError(int step)
{
    switch (step) {
    case StepGreeting:
        return "SMTP server not available";
    case StepData:
        return "SMTP server not ready for data";
    case StepQuit:
        return "SMTP server didn't terminate session";
    case StepReady:
        return "SMTP server refused STARTTLS";
    case StepAuthed:
    case StepContinue:
        return "authentication refused";
    default:
        return "SMTP server error";
    }
}

CSmtpClient::CSmtpClient() : CMailSession(korvalin::MailProtocol::Smtp, "SMTP", 25) {}

CSmtpClient::~CSmtpClient()
{
    if (Connected) {
        UseCount = 1;
        Quit();
    }
}

void CSmtpClient::Configure(const std::string& server)
{
    if (!server.empty())
        ApplyServerField(server);
}

void CSmtpClient::SetLogin(const std::string& user, const std::string& pass)
{
    User = user;
    Pass = pass;
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
    int code = ReplyCode(line);
    if (code == ExpectedCode(step))
        return true;
    char text[128];
    std::snprintf(text, sizeof text, "%d:%s", code, StepError(step));
    LastError = text;
    return false;
}

bool CSmtpClient::SayQuit()
{
    SendCommand("QUIT");
    return ReadReply(StepQuit);
}

bool CSmtpClient::Offers(std::string_view keyword) const
{
    std::string wanted = Upper(keyword);
    for (const std::string& extension : Extensions)
        if (extension.substr(0, extension.find_first_of(" =")) == wanted)
            return true;
    return false;
}

bool CSmtpClient::Hello()
{
    Extensions.clear();
    MaxSize = 0;
    SendCommand("EHLO " + HeloName);
    if (ReadReply(StepOk)) {
        // The lines after the first name the extensions: "250-SIZE 1000".
        size_t start = LastReply.find("\r\n");
        while (start != std::string::npos) {
            start += 2;
            size_t end = LastReply.find("\r\n", start);
            std::string_view line = std::string_view(LastReply).substr(start, end == std::string::npos ? end : end - start);
            if (line.size() > 4) {
                std::string extension(line.substr(4));
                size_t space = extension.find(' ');
                for (size_t i = 0; i < extension.size() && i < space; ++i)
                    extension[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(extension[i])));
                if (extension.compare(0, 5, "SIZE ") == 0) {
                    unsigned long long limit = std::strtoull(extension.c_str() + 5, nullptr, 10);
                    MaxSize = static_cast<size_t>(limit);
                }
                Extensions.push_back(std::move(extension));
            }
            start = end;
        }
        return true;
    }
    if (Broken || LastReply.empty() || LastReply[0] != '5')
        return false;
    // An old server that knows HELO only.
    SendCommand("HELO " + HeloName);
    return ReadReply(StepOk);
}

bool CSmtpClient::UpgradeToTls()
{
    SendCommand("STARTTLS");
    if (!ReadReply(StepReady))
        return OpenFailed(Broken ? LastSocketError : "server refused STARTTLS: " + LastReply);
    if (!Socket.StartTls(Server))
        return OpenFailed(Socket.ErrorText());
    if (!Hello())
        return OpenFailed(Broken ? LastSocketError : "EHLO refused after STARTTLS: " + LastReply);
    return true;
}

bool CSmtpClient::Authenticate()
{
    std::string mechanisms;
    for (const std::string& extension : Extensions)
        if (extension.compare(0, 5, "AUTH ") == 0 || extension.compare(0, 5, "AUTH=") == 0)
            mechanisms.append(" ").append(Upper(extension.substr(5))).append(" ");
    if (mechanisms.empty() || User.empty() || Pass.empty())
        return true;  // a relay that takes mail without it
    if (mechanisms.find(" PLAIN ") != std::string::npos) {
        std::string credentials;
        credentials += '\0';
        credentials += User;
        credentials += '\0';
        credentials += Pass;
        SendCommand("AUTH PLAIN " + korvalin::smtp::Base64(credentials));
        if (!ReadReply(StepAuthed))
            return OpenFailed(Broken ? LastSocketError : "authentication refused: " + LastReply);
        return true;
    }
    if (mechanisms.find(" LOGIN ") != std::string::npos) {
        SendCommand("AUTH LOGIN");
        bool ok = ReadReply(StepContinue);
        if (ok) {
            SendCommand(korvalin::smtp::Base64(User));
            ok = ReadReply(StepContinue);
        }
        if (ok) {
            SendCommand(korvalin::smtp::Base64(Pass));
            ok = ReadReply(StepAuthed);
        }
        if (!ok)
            return OpenFailed(Broken ? LastSocketError : "authentication refused: " + LastReply);
        return true;
    }
    return OpenFailed("server offers no authentication this program knows (AUTH" + mechanisms + ")");
}

bool CSmtpClient::Open()
{
    if (Join())
        return true;
    Broken = false;
    Extensions.clear();
    if (!FieldError.empty())
        return OpenFailed("SMTP server field: " + FieldError);
    if (!Connect())
        return false;
    HeloName = HeloNameFor(Socket.NativeHandle());
    if (!ReadReply(StepGreeting)) {
        LastError = "Server didn't respond.";
        Disconnect();
        return false;
    }
    if (!Hello()) {
        std::string error = LastError;
        Disconnect();
        LastError = error;
        return false;
    }
    if (!Socket.IsTls()) {
        if (Offers("STARTTLS")) {
            if (!UpgradeToTls())
                return false;
        } else if (Mode == korvalin::Security::StartTlsRequired) {
            return OpenFailed("server does not offer STARTTLS");
        } else {
            korvalin::ProviderLog(korvalin::ProviderLogLevel::Warning,
                                  Where() + ": the server does not offer STARTTLS; sending in clear text");
        }
    }
    if (!Authenticate())
        return false;
    Connected = true;
    ++UseCount;
    return true;
}

bool CSmtpClient::SendData(const std::string& from, const std::vector<std::string>& recipients, std::string_view data)
{
    if (!Connected) {
        LastError = "Must be connected";
        return false;
    }
    std::string block = korvalin::smtp::DataBlock(data);
    std::string mailFrom = "MAIL FROM:<" + from + ">";
    if (Offers("SIZE")) {
        if (MaxSize > 0 && block.size() > MaxSize) {
            LastError = "the mail (" + std::to_string(block.size()) + " bytes) is larger than the server takes (" +
                        std::to_string(MaxSize) + " bytes)";
            korvalin::ProviderLog(korvalin::ProviderLogLevel::Error, "SMTP " + Server + ": " + LastError);
            return false;
        }
        mailFrom += " SIZE=" + std::to_string(block.size());
    }
    SendCommand(mailFrom);
    if (!ReadReply(StepOk))
        return false;
    for (const std::string& recipient : recipients) {
        SendCommand("RCPT TO:<" + recipient + ">");
        // A refused recipient does not stop the mail; a broken connection does.
        if (!ReadReply(StepOk) && Broken)
            return false;
    }
    SendCommand("DATA");
    if (!ReadReply(StepData))
        return false;
    Socket.Queue(block);
    return ReadReply(StepOk);
}
