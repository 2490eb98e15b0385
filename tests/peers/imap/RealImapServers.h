// Dovecot (IMAP) and aiosmtpd (SMTP, delivering into the inbox) on loopback,
// started by imap_fixture.sh in a temporary directory and stopped by their
// PIDs. One instance serves a whole test binary.
#pragma once

#include <string>

namespace korvalin::test {

class RealImapServers {
public:
    static constexpr const char* kUser = "testuser";
    static constexpr const char* kPassword = "secret";

    // Why the servers cannot run here (dovecot-imapd or aiosmtpd missing), or "".
    static std::string MissingReason();

    RealImapServers() = default;
    ~RealImapServers();
    RealImapServers(const RealImapServers&) = delete;
    RealImapServers& operator=(const RealImapServers&) = delete;

    // certDirectory, when given, holds server.pem and server.key: Dovecot
    // then offers STARTTLS and listens for IMAPS too.
    bool Start(std::string& error, const std::string& certDirectory = "");
    // Stops Dovecot and starts it again on the same port.
    bool RestartImap(std::string& error);
    void Stop();

    int ImapPort() const { return Imap; }
    int ImapsPort() const { return Imaps; }
    int SmtpPort() const { return Smtp; }
    std::string AccountLine(const std::string& address = "testuser@example.net") const;

    // The maildir folder of a mailbox: "" the inbox, else "Sent", "Trash"...
    std::string FolderPath(const std::string& mailbox = "") const;
    // Removes every mail of every folder.
    void ClearMailboxes() const;
    // Puts a mail (LF or CR LF line ends) into the inbox as a delivery would.
    void Deliver(const std::string& text, const std::string& name) const;
    int MailCount(const std::string& mailbox = "") const;
    // The text of the first mail of a folder whose text holds needle, or "".
    std::string FindMail(const std::string& mailbox, const std::string& needle) const;

private:
    std::string Directory;
    int Imap = 0;
    int Imaps = 0;
    int Smtp = 0;
};

}  // namespace korvalin::test
