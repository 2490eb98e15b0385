#include "RealImapServers.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifndef KORVALIN_IMAP_FIXTURE
#error "KORVALIN_IMAP_FIXTURE must name imap_fixture.sh"
#endif

namespace fs = std::filesystem;

namespace korvalin::test {
namespace {

std::string Run(const std::string& command, int& status)
{
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return output;
    }
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        output.append(chunk, n);
    int raw = ::pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string RealImapServers::MissingReason()
{
    int status = 0;
    Run("test -x /usr/lib/dovecot/imap || test -x /usr/libexec/dovecot/imap", status);
    if (status != 0)
        return "Dovecot's IMAP server is not installed (scripts/deps installs dovecot-imapd)";
    Run("/usr/bin/python3 -c 'import aiosmtpd' >/dev/null 2>&1", status);
    if (status != 0)
        return "aiosmtpd is not installed for /usr/bin/python3 (scripts/deps installs python3-aiosmtpd)";
    return {};
}

RealImapServers::~RealImapServers()
{
    Stop();
}

bool RealImapServers::Start(std::string& error, const std::string& certDirectory)
{
    char pattern[] = "/tmp/korvalin-imap.XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        error = "mkdtemp failed";
        return false;
    }
    Directory = pattern;
    int status = 0;
    std::string output = Run(std::string(KORVALIN_IMAP_FIXTURE) + " start '" + Directory + "'" +
                             (certDirectory.empty() ? std::string() : " '" + certDirectory + "'") + " 2>&1",
                         status);
    std::istringstream ports(output.substr(output.find_last_of('\n', output.size() - 2) + 1));
    if (status != 0 || !(ports >> Imap >> Smtp >> Imaps)) {
        error = "imap_fixture.sh start failed (" + std::to_string(status) + "): " + output;
        Stop();
        return false;
    }
    return true;
}

bool RealImapServers::RestartImap(std::string& error)
{
    int status = 0;
    std::string output = Run(std::string(KORVALIN_IMAP_FIXTURE) + " restart '" + Directory + "' 2>&1", status);
    if (status != 0)
        error = output;
    return status == 0;
}

void RealImapServers::Stop()
{
    if (Directory.empty())
        return;
    int status = 0;
    Run(std::string(KORVALIN_IMAP_FIXTURE) + " stop '" + Directory + "' 2>&1", status);
    std::error_code ignored;
    fs::remove_all(Directory, ignored);
    Directory.clear();
    Imap = Smtp = Imaps = 0;
}

std::string RealImapServers::AccountLine(const std::string& address) const
{
    return std::string(kUser) + "=Test User=" + address + "=127.0.0.1:" + std::to_string(Imap) +
           "=127.0.0.1:" + std::to_string(Smtp);
}

std::string RealImapServers::FolderPath(const std::string& mailbox) const
{
    std::string maildir = Directory + "/mail/testuser/Maildir";
    return mailbox.empty() ? maildir : maildir + "/." + mailbox;
}

void RealImapServers::ClearMailboxes() const
{
    std::error_code ignored;
    for (const std::string& mailbox : {std::string(), std::string("Sent"), std::string("Trash")})
        for (const char* sub : {"/new", "/cur"})
            for (const auto& entry : fs::directory_iterator(FolderPath(mailbox) + sub, ignored))
                fs::remove(entry.path(), ignored);
}

void RealImapServers::Deliver(const std::string& text, const std::string& name) const
{
    std::string lf;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            lf += text[i];
    const std::string maildir = FolderPath();
    std::string tmp = maildir + "/tmp/" + name;
    {
        std::ofstream file(tmp, std::ios::binary);
        file << lf;
    }
    struct stat owner {};
    if (::stat(maildir.c_str(), &owner) == 0) {
        [[maybe_unused]] int changed = ::chown(tmp.c_str(), owner.st_uid, owner.st_gid);
    }
    fs::rename(tmp, maildir + "/new/" + name);
}

int RealImapServers::MailCount(const std::string& mailbox) const
{
    int count = 0;
    std::error_code ignored;
    for (const char* sub : {"/new", "/cur"})
        for (const auto& entry : fs::directory_iterator(FolderPath(mailbox) + sub, ignored))
            count += entry.is_regular_file() ? 1 : 0;
    return count;
}

std::string RealImapServers::FindMail(const std::string& mailbox, const std::string& needle) const
{
    std::error_code ignored;
    for (const char* sub : {"/new", "/cur"})
        for (const auto& entry : fs::directory_iterator(FolderPath(mailbox) + sub, ignored)) {
            std::string text = ReadAll(entry.path());
            if (text.find(needle) != std::string::npos)
                return text;
        }
    return {};
}

}  // namespace korvalin::test
