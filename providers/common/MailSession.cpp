#include "MailSession.h"

#include "ProviderLog.h"

namespace korvalin {

std::string CommandLine(std::string_view line)
{
    std::string command;
    command.reserve(line.size() + 2);
    for (char c : line)
        if (c != '\r' && c != '\n')
            command += c;
    command += "\r\n";
    return command;
}

}  // namespace korvalin

CMailSession::CMailSession(korvalin::MailProtocol protocol, const char* name, int defaultPort)
    : Port(defaultPort), Protocol(protocol), Name(name), DefaultPort(defaultPort)
{
}

void CMailSession::ApplyServerField(const std::string& server)
{
    korvalin::ServerField field;
    FieldError.clear();
    if (korvalin::ParseServerField(server, Protocol, field, &FieldError)) {
        Server = field.Host;
        Port = field.Port;
        Mode = field.Mode;
    } else {
        Server = server;
        Port = DefaultPort;
        Mode = korvalin::Security::Opportunistic;
    }
    LastError = "OK";
}

std::string CMailSession::Where() const
{
    return std::string(Name) + " " + Server + ":" + std::to_string(Port);
}

void CMailSession::SendCommand(const std::string& line)
{
    Socket.Queue(korvalin::CommandLine(line));
}

void CMailSession::Disconnect()
{
    Socket.Close();
    Connected = false;
    Broken = false;
    UseCount = 0;
}

bool CMailSession::SocketFailed(korvalin::StreamStatus status)
{
    LastError = "Socket Error";
    LastSocketError = Socket.ErrorText().empty() ? korvalin::StreamStatusText(status) : Socket.ErrorText();
    Broken = true;
    return false;
}

bool CMailSession::Connect()
{
    if (!Socket.Connect(Server, Port)) {
        LastError = "Unable to connect to server";
        LastSocketError = Socket.ErrorText();
        korvalin::ProviderLog(korvalin::ProviderLogLevel::Error, Where() + ": " + LastSocketError);
        Socket.Close();
        return false;
    }
    if (Mode == korvalin::Security::ImplicitTls && !Socket.StartTls(Server))
        return OpenFailed(Socket.ErrorText());
    return true;
}

bool CMailSession::OpenFailed(const std::string& text)
{
    if (!Broken && Socket.IsOpen())
        SayQuit();
    LastError = text;
    korvalin::ProviderLog(korvalin::ProviderLogLevel::Error, Where() + ": " + text);
    Disconnect();
    return false;
}

bool CMailSession::Join()
{
    if (!Connected)
        return false;
    ++UseCount;
    return true;
}

bool CMailSession::Leave()
{
    if (!Connected)
        return true;
    if (--UseCount > 0)
        return true;
    bool ok = !Broken && SayQuit();
    Disconnect();
    return ok;
}
