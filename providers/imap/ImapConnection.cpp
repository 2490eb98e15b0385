#include "ImapConnection.h"

#include "ImapUtf7.h"
#include "Timeouts.h"

#include <cctype>

namespace korvalin::imap {
namespace {

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

}  // namespace

CImapConnection::~CImapConnection()
{
    Close();
}

bool CImapConnection::Fail(const std::string& text)
{
    LastError = text;
    IsBroken = true;
    Socket.Close();
    return false;
}

void CImapConnection::Close()
{
    Socket.Close();
    Capabilities.clear();
    IdleTag.clear();
}

bool CImapConnection::Open(const std::string& host, int port, korvalin::Security mode)
{
    Close();
    IsBroken = false;
    LastError.clear();
    NetworkTimeouts timeouts = GetNetworkTimeouts();
    IdleLimit = timeouts.IdleSeconds > 0 ? timeouts.IdleSeconds : 60;
    // Waits are cut into one-second slices so that a stop flag is seen.
    timeouts.IdleSeconds = 1;
    if (!Socket.Connect(host, port, timeouts))
        return Fail("cannot connect to " + host + ":" + std::to_string(port) + ": " + Socket.ErrorText());
    if (mode == korvalin::Security::ImplicitTls && !Socket.StartTls(host))
        return Fail("TLS with " + host + " failed: " + Socket.ErrorText());
    ImapResponse greeting;
    if (!ReadResponse(greeting))
        return false;
    if (greeting.kind != ImapResponse::Untagged || (greeting.name != "OK" && greeting.name != "PREAUTH"))
        return Fail("the server refused the connection: " + greeting.text);
    if (greeting.code == "CAPABILITY")
        TakeCapabilities(greeting.codeArguments);
    if (Capabilities.empty() && Run("CAPABILITY") != Ok)
        return Fail("CAPABILITY failed: " + LastError);
    if (mode == korvalin::Security::ImplicitTls)
        return true;
    const bool offered = Has("STARTTLS") && greeting.name == "OK";
    if (!offered) {
        if (mode == korvalin::Security::StartTlsRequired)
            return Fail("the server " + host + " offers no STARTTLS; the password is not sent in clear text");
        return true;
    }
    if (Run("STARTTLS") != Ok)
        return Fail("STARTTLS was refused: " + LastError);
    if (!Socket.StartTls(host))
        return Fail("TLS with " + host + " failed: " + Socket.ErrorText());
    // What the server said before TLS counts for nothing now.
    Capabilities.clear();
    if (Run("CAPABILITY") != Ok)
        return Fail("CAPABILITY failed: " + LastError);
    return true;
}

bool CImapConnection::Login(const std::string& user, const std::string& password)
{
    Result result = Broken;
    if (Has("AUTH=PLAIN")) {
        std::string credentials = Base64(std::string(1, '\0') + user + std::string(1, '\0') + password);
        if (Has("SASL-IR")) {
            result = Run("AUTHENTICATE PLAIN " + credentials);
        } else {
            std::string tag = Send("AUTHENTICATE PLAIN");
            ImapResponse response;
            while (ReadResponse(response) && response.kind == ImapResponse::Untagged)
                Observe(response);
            if (IsBroken)
                return false;
            if (response.kind != ImapResponse::Continuation)
                return Fail("AUTHENTICATE PLAIN was not taken: " + response.text);
            Socket.Queue(credentials + "\r\n");
            result = Finish(tag);
        }
    } else if (!Has("LOGINDISABLED")) {
        std::string quotedUser, quotedPassword;
        if (!QuoteArgument(user, quotedUser) || !QuoteArgument(password, quotedPassword)) {
            LastError = "the login name or password holds a line break";
            return false;
        }
        result = Run("LOGIN " + quotedUser + " " + quotedPassword);
    } else {
        LastError = "the server offers no login this program can use";
        return false;
    }
    if (result != Ok)
        return false;
    if (LastResponseCode == "CAPABILITY") {
        Capabilities.clear();
        TakeCapabilities(LastCodeArguments);
    } else {
        Capabilities.clear();
        if (Run("CAPABILITY") != Ok)
            return false;
    }
    return true;
}

void CImapConnection::Logout()
{
    if (IsOpen())
        Run("LOGOUT");
    Close();
}

void CImapConnection::TakeCapabilities(std::string_view list)
{
    size_t pos = 0;
    while (pos < list.size()) {
        size_t end = list.find(' ', pos);
        if (end == std::string_view::npos)
            end = list.size();
        if (end > pos)
            Capabilities.insert(Upper(list.substr(pos, end - pos)));
        pos = end + 1;
    }
}

void CImapConnection::Observe(const ImapResponse& response)
{
    if (response.kind != ImapResponse::Untagged)
        return;
    if (response.name == "CAPABILITY") {
        Capabilities.clear();
        for (const ImapValue& value : response.values)
            if (value.kind == ImapValue::Atom)
                Capabilities.insert(Upper(value.text));
    } else if (response.IsStatus() && response.code == "CAPABILITY") {
        Capabilities.clear();
        TakeCapabilities(response.codeArguments);
    }
}

bool CImapConnection::FlushOut()
{
    int waited = 0;
    while (true) {
        StreamStatus status = Socket.Flush();
        if (status == StreamStatus::Ok)
            return true;
        if (status != StreamStatus::TimedOut || ++waited >= IdleLimit || (Stop && *Stop))
            return Fail(std::string("sending failed: ") + Socket.ErrorText());
    }
}

// Retries one read of the stream each second it times out, until it ends,
// the caller stops, the quiet time passes (quietSeconds > 0, reported
// through quiet) or the server stays silent for IdleLimit seconds.
template <typename Read>
bool CImapConnection::AwaitRead(Read read, int quietSeconds, bool* quiet)
{
    int waited = 0;
    while (true) {
        if (Stop != nullptr && *Stop)
            return Fail("stopped");
        StreamStatus status = read();
        if (status == StreamStatus::Ok)
            return true;
        if (status != StreamStatus::TimedOut)
            return Fail(std::string(StreamStatusText(status)) + ": " + Socket.ErrorText());
        ++waited;
        if (quietSeconds > 0 && waited >= quietSeconds && quiet != nullptr) {
            *quiet = true;
            return false;
        }
        if (quietSeconds <= 0 && waited >= IdleLimit)
            return Fail("no answer for " + std::to_string(IdleLimit) + " s");
    }
}

bool CImapConnection::ReadLine(std::string& line, size_t maxLength, int quietSeconds, bool* quiet)
{
    return AwaitRead([&] { return Socket.ReadLine(line, maxLength); }, quietSeconds, quiet);
}

bool CImapConnection::ReadLiteral(std::string& wire, size_t count)
{
    return AwaitRead([&] { return Socket.ReadBytes(wire, count); }, 0, nullptr);
}

// The stream gives lines without their ends; the wire form puts CR LF back
// after a literal marker, then the literal's bytes as they came, then the
// line that carries on the response.
bool CImapConnection::ReadRaw(std::string& wire, int quietSeconds, bool* quiet)
{
    std::string line;
    if (!ReadLine(line, kMaxLine, quietSeconds, quiet))
        return false;
    wire = line;
    while (true) {
        int64_t literal = TrailingLiteral(line, kMaxLiteral);
        if (literal == -1)
            return true;
        if (literal < 0)
            return Fail("the server sent a literal over the size limit");
        if (wire.size() + static_cast<size_t>(literal) > kMaxResponse)
            return Fail("the server sent a response over the size limit");
        wire += "\r\n";
        if (!ReadLiteral(wire, static_cast<size_t>(literal)) || !ReadLine(line, kMaxLine, 0, nullptr))
            return false;
        if (wire.size() + line.size() > kMaxResponse)
            return Fail("the server sent a response over the size limit");
        wire += line;
    }
}

bool CImapConnection::ReadResponse(ImapResponse& response, int quietSeconds, bool* quiet)
{
    std::string wire;
    if (!ReadRaw(wire, quietSeconds, quiet))
        return false;
    std::string error;
    if (!ParseResponse(wire, response, error))
        return Fail("the server's answer cannot be read (" + error + ")");
    if (response.kind == ImapResponse::Untagged && response.name == "BYE") {
        LastError = "the server ended the session: " + response.text;
        IsBroken = true;
    }
    return true;
}

std::string CImapConnection::Send(const std::string& command)
{
    std::string tag = "K" + std::to_string(++NextTag);
    if (!IsBroken)
        Socket.Queue(tag + " " + command + "\r\n");
    return tag;
}

CImapConnection::Result CImapConnection::Finish(const std::string& tag, const Handler& handler)
{
    if (IsBroken || !Socket.IsOpen()) {
        if (LastError.empty())
            LastError = "not connected";
        return Broken;
    }
    if (!FlushOut())
        return Broken;
    ImapResponse response;
    size_t untagged = 0;
    while (true) {
        if (!ReadResponse(response))
            return Broken;
        if (response.kind == ImapResponse::Tagged)
            break;
        if (++untagged > kMaxUntagged) {
            Fail("the server sent more answers to one command than this program takes");
            return Broken;
        }
        if (response.kind == ImapResponse::Continuation) {
            Fail("the server asked for more where none was due");
            return Broken;
        }
        Observe(response);
        if (IsBroken) {
            // After a BYE the server closes: whatever it sent is all there is.
            Socket.Close();
            return Broken;
        }
        if (handler)
            handler(response);
    }
    if (response.tag != tag) {
        Fail("the server answered a command that was not sent (" + response.tag + ")");
        return Broken;
    }
    LastError = response.text;
    LastResponseCode = response.code;
    LastCodeArguments = response.codeArguments;
    if (response.name == "OK")
        return Ok;
    return response.name == "NO" ? No : Bad;
}

CImapConnection::Result CImapConnection::Run(const std::string& command, const Handler& handler)
{
    std::string tag = Send(command);
    return Finish(tag, handler);
}

CImapConnection::Result CImapConnection::RunWithLiteral(const std::string& prefix, const std::string& data,
                                                        const std::string& suffix, const Handler& handler)
{
    const bool nonSync = Has("LITERAL+");
    std::string tag = Send(prefix + " {" + std::to_string(data.size()) + (nonSync ? "+}" : "}"));
    if (IsBroken)
        return Broken;
    if (!nonSync) {
        if (!FlushOut())
            return Broken;
        ImapResponse response;
        while (true) {
            if (!ReadResponse(response))
                return Broken;
            if (response.kind == ImapResponse::Continuation)
                break;
            if (response.kind == ImapResponse::Tagged) {
                LastError = response.text;
                return response.name == "NO" ? No : Bad;
            }
            Observe(response);
            if (IsBroken)
                return Broken;
            if (handler)
                handler(response);
        }
    }
    Socket.Queue(data);
    Socket.Queue(suffix + "\r\n");
    return Finish(tag, handler);
}

bool CImapConnection::BeginIdle()
{
    IdleTag = Send("IDLE");
    if (IsBroken || !FlushOut())
        return false;
    ImapResponse response;
    while (ReadResponse(response)) {
        if (response.kind == ImapResponse::Continuation)
            return true;
        if (response.kind == ImapResponse::Tagged) {
            LastError = "IDLE was refused: " + response.text;
            IdleTag.clear();
            return false;
        }
        Observe(response);
        if (IsBroken)
            return false;
    }
    return false;
}

CImapConnection::WaitResult CImapConnection::WaitIdle(int seconds, const Handler& handler)
{
    bool quiet = false;
    ImapResponse response;
    if (!ReadResponse(response, seconds, &quiet))
        return quiet ? Quiet : Lost;
    if (response.kind == ImapResponse::Tagged) {
        Fail("the server ended IDLE: " + response.text);
        return Lost;
    }
    Observe(response);
    if (handler)
        handler(response);
    return IsBroken ? Lost : Got;
}

bool CImapConnection::EndIdle(const Handler& handler)
{
    if (IdleTag.empty())
        return false;
    std::string tag = IdleTag;
    IdleTag.clear();
    Socket.Queue("DONE\r\n");
    return Finish(tag, handler) == Ok;
}

}  // namespace korvalin::imap
