#include "PopClient.h"

#include "ProviderLog.h"
#include "SmtpClient.h"

#include <cctype>
#include <climits>

namespace korvalin::pop {

int FirstNumber(std::string_view text)
{
    size_t digit = text.find_first_of("0123456789");
    if (digit == std::string_view::npos)
        return -1;
    long long value = 0;
    for (size_t i = digit; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX)
            return -1;
    }
    return static_cast<int>(value);
}

}  // namespace korvalin::pop

const char* CPopClient::StepError(int step)
{
    switch (step) {
    case StepGreeting:
        return "Server didn't connect";
    case StepUser:
        return "Bad user name";
    case StepPass:
        return "Invalid username/password combination";
    case StepStat:
        return "STATus couldn't be retrieved";
    case StepRetrieve:
        return "RETRieve failed";
    case StepDelete:
        return "Could not DELEte message";
    case StepQuit:
        return "Error while QUITting";
    case StepUidl:
        return "UIDL not available";
    case StepCapa:
        return "CAPA not available";
    case StepStls:
        return "STLS refused";
    default:
        return "Unexpected reply";
    }
}

CPopClient::CPopClient() : CMailSession(korvalin::MailProtocol::Pop3, "POP3", 110) {}

CPopClient::~CPopClient()
{
    if (Connected) {
        UseCount = 1;
        Close();
    }
}

void CPopClient::Configure(const std::string& server)
{
    std::string oldServer = Server;
    int oldPort = Port;
    ApplyServerField(server);
    if (Server != oldServer || Port != oldPort)
        SeenStls = false;
}

void CPopClient::SetLogin(const std::string& user, const std::string& pass)
{
    if (user.empty() || pass.empty())
        return;
    User = user;
    Pass = pass;
}

bool CPopClient::SayQuit()
{
    SendCommand("QUIT");
    return ReadReply(StepQuit);
}

bool CPopClient::HasCapability(std::string_view keyword) const
{
    for (const std::string& capability : Capabilities)
        if (std::string_view(capability).substr(0, capability.find(' ')) == keyword)
            return true;
    return false;
}

bool CPopClient::ReadCapabilities()
{
    Capabilities.clear();
    SendCommand("CAPA");
    if (!ReadReply(StepCapa))
        return false;
    while (true) {
        std::string_view line;
        korvalin::StreamStatus status = Socket.ReadLine(line, kMaxStatusLine);
        if (status != korvalin::StreamStatus::Ok)
            return SocketFailed(status);
        if (line == ".")
            return true;
        if (Capabilities.size() >= 200)
            continue;
        std::string capability(line);
        for (size_t i = 0; i < capability.size() && capability[i] != ' '; ++i)
            capability[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(capability[i])));
        Capabilities.push_back(std::move(capability));
    }
}

// TLS as the field asks, and CAPA once it is settled.
bool CPopClient::Secure()
{
    if (Socket.IsTls()) {
        ReadCapabilities();
        return !Broken;
    }
    ReadCapabilities();
    if (Broken)
        return false;
    if (HasCapability("STLS")) {
        SendCommand("STLS");
        if (!ReadReply(StepStls))
            return OpenFailed(Broken ? LastSocketError : "server refused STLS: " + LastReply);
        if (!Socket.StartTls(Server))
            return OpenFailed(Socket.ErrorText());
        SeenStls = true;
        // What the server said before TLS is not trusted (RFC 2595): ask again.
        ReadCapabilities();
        return !Broken;
    }
    if (Mode == korvalin::Security::StartTlsRequired)
        return OpenFailed("server does not offer STLS");
    if (SeenStls)
        return OpenFailed("server no longer offers STLS, as it did before: the connection may be tampered with");
    korvalin::ProviderLog(korvalin::ProviderLogLevel::Warning,
                          Where() + ": the server does not offer STLS; logging in with clear text");
    return true;
}

bool CPopClient::Login()
{
    bool plain = false;
    for (const std::string& capability : Capabilities)
        if (capability.compare(0, 5, "SASL ") == 0) {
            std::string mechanisms = std::string(" ").append(capability, 5).append(" ");
            for (char& c : mechanisms)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            plain = mechanisms.find(" PLAIN ") != std::string::npos;
        }
    if (Socket.IsTls() && plain) {
        std::string credentials;
        credentials += '\0';
        credentials += User;
        credentials += '\0';
        credentials += Pass;
        SendCommand("AUTH PLAIN " + korvalin::smtp::Base64(credentials));
        if (ReadReply(StepPass))
            return true;
    } else {
        SendCommand("USER " + User);
        if (ReadReply(StepUser)) {
            SendCommand("PASS " + Pass);
            if (ReadReply(StepPass))
                return true;
        }
    }
    if (!Broken)
        korvalin::ProviderLog(korvalin::ProviderLogLevel::Error, Where() + ": authentication refused: " + LastReply);
    return false;
}

bool CPopClient::Open()
{
    if (Join())
        return true;
    Broken = false;
    CapaAsked = 0;
    Capabilities.clear();
    if (!FieldError.empty())
        return OpenFailed("POP3 server field: " + FieldError);
    if (!Connect())
        return false;
    if (!ReadReply(StepGreeting) || !Secure() || !Login()) {
        std::string error = LastError;
        Disconnect();
        LastError = error;
        return false;
    }
    // The capabilities may grow after login; only a listed PIPELINING spares asking again.
    if (HasCapability("PIPELINING"))
        CapaAsked = 2;
    Connected = true;
    ++UseCount;
    return true;
}

bool CPopClient::ReadReply(int step)
{
    if (Broken)
        return SocketFailed(korvalin::StreamStatus::Closed);
    std::string_view line;
    korvalin::StreamStatus status = Socket.ReadLine(line, kMaxStatusLine);
    if (status != korvalin::StreamStatus::Ok)
        return SocketFailed(status);
    LastReply.assign(line);
    if (line.substr(0, 3) == "+OK")
        return true;
    if (line.substr(0, 4) == "-ERR") {
        LastError = StepError(step);
        return false;
    }
    // Not a POP3 answer at all: the dialogue is lost, the session ends without QUIT.
    LastError = "Unexpected reply";
    Broken = true;
    return false;
}

int CPopClient::Stat()
{
    SendCommand("STAT");
    if (!ReadReply(StepStat))
        return -1;
    int count = korvalin::pop::FirstNumber(LastReply);
    if (count > kMaxMessages) {
        LastError = "the server reports " + std::to_string(count) + " messages, more than " +
                    std::to_string(kMaxMessages) + " are not believed";
        korvalin::ProviderLog(korvalin::ProviderLogLevel::Error, "POP3 " + Server + ": " + LastError);
        return -1;
    }
    return count;
}

bool CPopClient::ReadText(std::string& header, std::string* body)
{
    header.clear();
    if (body != nullptr)
        body->clear();
    bool inHeader = true;
    size_t total = 0;
    while (true) {
        std::string_view line;
        korvalin::StreamStatus status = Socket.ReadLine(line, kMaxTextLine);
        if (status != korvalin::StreamStatus::Ok)
            return SocketFailed(status);
        if (line == ".")
            return true;
        if (!line.empty() && line.front() == '.')
            line.remove_prefix(1);
        total += line.size() + 2;
        if (total > kMaxMessageBytes)
            return SocketFailed(korvalin::StreamStatus::TooLong);
        if (inHeader) {
            if (line.empty()) {
                inHeader = false;
                continue;
            }
            if (!header.empty())
                header += "\r\n";
            header.append(line);
        } else if (body != nullptr) {
            body->append(line);
            body->append("\r\n");
        }
    }
}

bool CPopClient::Top(int number, CPopMessage& message)
{
    QueueTop(number);
    return ReadTop(message);
}

void CPopClient::QueueTop(int number)
{
    SendCommand("TOP " + std::to_string(number) + " 0");
}

bool CPopClient::ReadTop(CPopMessage& message)
{
    if (!ReadReply(StepRetrieve))
        return false;
    return ReadText(message.Header, nullptr);
}

bool CPopClient::Retrieve(int number, CPopMessage& message)
{
    SendCommand("RETR " + std::to_string(number));
    if (!ReadReply(StepRetrieve))
        return false;
    return ReadText(message.Header, &message.Body);
}

bool CPopClient::Delete(int number)
{
    QueueDelete(number);
    return ReadReply(StepDelete);
}

void CPopClient::QueueDelete(int number)
{
    SendCommand("DELE " + std::to_string(number));
}

void CPopClient::DropAnswers(int count, bool multiLine)
{
    std::string error = LastError;
    std::string reply = LastReply;
    std::string header;
    for (int i = 0; i < count && !Broken; ++i)
        if (ReadReply(StepRetrieve) && multiLine)
            ReadText(header, nullptr);
    if (!Broken)
        LastError = error;
    LastReply = reply;
}

void CPopClient::QueueUidl()
{
    SendCommand("UIDL");
}

bool CPopClient::ReadUidls(std::vector<std::string>& uidls)
{
    uidls.clear();
    ListTooLong = false;
    if (!ReadReply(StepUidl))
        return false;
    bool numbered = true;
    while (true) {
        std::string_view line;
        korvalin::StreamStatus status = Socket.ReadLine(line, kMaxStatusLine);
        if (status != korvalin::StreamStatus::Ok)
            return SocketFailed(status);
        if (line == ".")
            break;
        if (uidls.size() >= static_cast<size_t>(kMaxMessages)) {
            ListTooLong = true;
            numbered = false;
            continue;
        }
        // "n uid"; a line out of order makes the whole list unusable.
        size_t space = line.find(' ');
        size_t idStart = space == std::string_view::npos ? space : line.find_first_not_of(' ', space);
        if (idStart == std::string_view::npos ||
            korvalin::pop::FirstNumber(line.substr(0, space)) != static_cast<int>(uidls.size()) + 1 ||
            line.substr(0, space).find_first_not_of("0123456789") != std::string_view::npos) {
            numbered = false;
            continue;
        }
        size_t idEnd = line.find_first_of(" \t", idStart);
        uidls.emplace_back(line.substr(idStart, idEnd == std::string_view::npos ? line.npos : idEnd - idStart));
    }
    if (!numbered) {
        LastError = StepError(StepUidl);
        uidls.clear();
    }
    if (ListTooLong) {
        LastError = "the server lists more than " + std::to_string(kMaxMessages) + " messages";
        korvalin::ProviderLog(korvalin::ProviderLogLevel::Error, "POP3 " + Server + ": " + LastError);
    }
    return numbered;
}

bool CPopClient::Pipelining()
{
    if (CapaAsked == 0) {
        CapaAsked = 1;
        if (ReadCapabilities() && HasCapability("PIPELINING"))
            CapaAsked = 2;
    }
    return CapaAsked == 2 && !Broken;
}
