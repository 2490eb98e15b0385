#include "PopClient.h"

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
    default:
        return "Unexpected reply";
    }
}

CPopClient::~CPopClient()
{
    if (Connected) {
        UseCount = 1;
        Close();
    }
}

void CPopClient::Configure(const std::string& server)
{
    std::string host;
    int port = 110;
    if (korvalin::SplitHostPort(server, 110, host, port)) {
        Server = host;
        Port = port;
    } else {
        Server = server;
        Port = 110;
    }
    LastError = "OK";
}

void CPopClient::SetLogin(const std::string& user, const std::string& pass)
{
    if (user.empty() || pass.empty())
        return;
    User = user;
    Pass = pass;
}

void CPopClient::Disconnect()
{
    Socket.Close();
    Connected = false;
    Broken = false;
    UseCount = 0;
}

bool CPopClient::SocketFailed(korvalin::StreamStatus status)
{
    LastError = "Socket Error";
    LastSocketError = Socket.ErrorText().empty() ? korvalin::StreamStatusText(status) : Socket.ErrorText();
    Broken = true;
    return false;
}

void CPopClient::SendCommand(const std::string& line)
{
    // A failed send shows in the reply that is then missing.
    Socket.Queue(korvalin::pop::CommandLine(line));
}

bool CPopClient::Open()
{
    if (Connected) {
        ++UseCount;
        return true;
    }
    Broken = false;
    CapaAsked = 0;
    if (!Socket.Connect(Server, Port)) {
        LastError = "Unable to connect to server";
        LastSocketError = Socket.ErrorText();
        Socket.Close();
        return false;
    }
    bool ok = ReadReply(StepGreeting);
    if (ok) {
        SendCommand("USER " + User);
        ok = ReadReply(StepUser);
    }
    if (ok) {
        SendCommand("PASS " + Pass);
        ok = ReadReply(StepPass);
    }
    if (!ok) {
        Disconnect();
        return false;
    }
    Connected = true;
    ++UseCount;
    return true;
}

bool CPopClient::Close()
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
    return korvalin::pop::FirstNumber(LastReply);
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
    return numbered;
}

bool CPopClient::Pipelining()
{
    if (CapaAsked == 0) {
        CapaAsked = 1;
        SendCommand("CAPA");
        if (ReadReply(StepCapa)) {
            while (true) {
                std::string_view line;
                korvalin::StreamStatus status = Socket.ReadLine(line, kMaxStatusLine);
                if (status != korvalin::StreamStatus::Ok) {
                    SocketFailed(status);
                    break;
                }
                if (line == ".")
                    break;
                std::string word(line.substr(0, line.find(' ')));
                for (char& c : word)
                    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                if (word == "PIPELINING")
                    CapaAsked = 2;
            }
        }
    }
    return CapaAsked == 2 && !Broken;
}
