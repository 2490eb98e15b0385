// Dovecot (POP3) and aiosmtpd (SMTP, delivering into Dovecot's maildir) on
// loopback, started by mail_fixture.sh in a temporary directory and stopped
// by their PIDs. One instance serves a whole test binary.
#pragma once

#include <string>
#include <vector>

namespace korvalin::test {

class RealMailServers {
public:
    static constexpr const char* kUser = "testuser";
    static constexpr const char* kPassword = "secret";

    // Why the servers cannot run here (dovecot or aiosmtpd not installed), or "".
    static std::string MissingReason();

    RealMailServers() = default;
    ~RealMailServers();
    RealMailServers(const RealMailServers&) = delete;
    RealMailServers& operator=(const RealMailServers&) = delete;

    // Starts both servers; false with the script's words in error. With
    // tls, Dovecot offers STLS and listens for TLS on Pop3sPort, and
    // aiosmtpd also listens on SmtpStartTlsPort (STARTTLS and AUTH required)
    // and SmtpsPort (TLS and AUTH), with a certificate for localhost from
    // CaFile().
    bool Start(std::string& error, bool tls = false);
    void Stop();

    int PopPort() const { return Pop; }
    int SmtpPort() const { return Smtp; }
    int Pop3sPort() const { return Pop3s; }
    int SmtpStartTlsPort() const { return SmtpStartTls; }
    int SmtpsPort() const { return Smtps; }
    std::string CaFile() const { return Directory + "/certs/ca.pem"; }
    std::string OtherCaFile() const { return Directory + "/certs/other-ca.pem"; }
    // Dovecot's log and the SMTP server's record of AUTH attempts.
    std::string DovecotLog() const;
    std::string AuthLog() const;
    std::string Maildir() const;
    // The account line of the test user for these servers.
    std::string AccountLine(const std::string& address = "testuser@example.net") const;

    // Removes every mail of the mailbox and every recorded envelope.
    void ClearMailbox() const;
    // Puts a mail (LF or CR LF line ends) into the mailbox as a delivery would.
    void Deliver(const std::string& text, const std::string& name) const;
    int MailCount() const;
    // The envelopes aiosmtpd recorded, one JSON text each, oldest first.
    std::vector<std::string> Envelopes() const;

private:
    std::string Directory;
    int Pop = 0;
    int Smtp = 0;
    int Pop3s = 0;
    int SmtpStartTls = 0;
    int Smtps = 0;
};

}  // namespace korvalin::test
