#include "RealMailServers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifndef KORVALIN_MAIL_FIXTURE
#error "KORVALIN_MAIL_FIXTURE must name mail_fixture.sh"
#endif

namespace fs = std::filesystem;

namespace korvalin::test {
namespace {

// Runs a shell command; its standard output, and its exit status in status.
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

}  // namespace

std::string RealMailServers::MissingReason()
{
    int status = 0;
    Run("command -v dovecot >/dev/null || test -x /usr/sbin/dovecot", status);
    if (status != 0)
        return "dovecot is not installed (scripts/deps installs dovecot-pop3d)";
    Run("/usr/bin/python3 -c 'import aiosmtpd' >/dev/null 2>&1", status);
    if (status != 0)
        return "aiosmtpd is not installed for /usr/bin/python3 (scripts/deps installs python3-aiosmtpd)";
    return {};
}

RealMailServers::~RealMailServers()
{
    Stop();
}

bool RealMailServers::Start(std::string& error, bool tls)
{
    char pattern[] = "/tmp/korvalin-mail.XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        error = "mkdtemp failed";
        return false;
    }
    Directory = pattern;
    int status = 0;
    std::string output = Run(std::string(KORVALIN_MAIL_FIXTURE) + " start '" + Directory + "'" + (tls ? " tls" : "") +
                                 " 2>&1",
                             status);
    std::istringstream ports(output.substr(output.find_last_of('\n', output.size() - 2) + 1));
    if (status != 0 || !(ports >> Pop >> Smtp) || (tls && !(ports >> Pop3s >> SmtpStartTls >> Smtps))) {
        error = "mail_fixture.sh start failed (" + std::to_string(status) + "): " + output;
        Stop();
        return false;
    }
    return true;
}

void RealMailServers::Stop()
{
    if (Directory.empty())
        return;
    int status = 0;
    Run(std::string(KORVALIN_MAIL_FIXTURE) + " stop '" + Directory + "' 2>&1", status);
    std::error_code ignored;
    fs::remove_all(Directory, ignored);
    Directory.clear();
    Pop = Smtp = Pop3s = SmtpStartTls = Smtps = 0;
}

namespace {
std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
}  // namespace

std::string RealMailServers::DovecotLog() const
{
    return FileText(Directory + "/dovecot.log");
}

std::string RealMailServers::AuthLog() const
{
    return FileText(Directory + "/auth.log");
}

std::string RealMailServers::Maildir() const
{
    return Directory + "/mail/testuser/Maildir";
}

std::string RealMailServers::AccountLine(const std::string& address) const
{
    return std::string(kUser) + "=Test User=" + address + "=127.0.0.1:" + std::to_string(Pop) +
           "=127.0.0.1:" + std::to_string(Smtp);
}

void RealMailServers::ClearMailbox() const
{
    std::error_code ignored;
    for (const char* sub : {"/new", "/cur", "/tmp"})
        for (const auto& entry : fs::directory_iterator(Maildir() + sub, ignored))
            fs::remove(entry.path(), ignored);
    for (const auto& entry : fs::directory_iterator(Directory + "/envelopes", ignored))
        fs::remove(entry.path(), ignored);
}

void RealMailServers::Deliver(const std::string& text, const std::string& name) const
{
    std::string lf;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            lf += text[i];
    std::string tmp = Maildir() + "/tmp/" + name;
    {
        std::ofstream file(tmp, std::ios::binary);
        file << lf;
    }
    // The mail belongs to the maildir's owner (Dovecot refuses mail of uid 0).
    struct stat owner {};
    if (::stat(Maildir().c_str(), &owner) == 0) {
        [[maybe_unused]] int changed = ::chown(tmp.c_str(), owner.st_uid, owner.st_gid);
    }
    fs::rename(tmp, Maildir() + "/new/" + name);
}

int RealMailServers::MailCount() const
{
    int count = 0;
    std::error_code ignored;
    for (const char* sub : {"/new", "/cur"})
        for (const auto& entry : fs::directory_iterator(Maildir() + sub, ignored))
            count += entry.is_regular_file() ? 1 : 0;
    return count;
}

std::vector<std::string> RealMailServers::Envelopes() const
{
    std::vector<fs::path> files;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(Directory + "/envelopes", ignored))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<std::string> envelopes;
    for (const fs::path& file : files) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        envelopes.push_back(text.str());
    }
    return envelopes;
}

}  // namespace korvalin::test
