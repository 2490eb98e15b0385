#include "HostsConfig.h"

#include <fstream>
#include <sstream>

namespace korvalin {
namespace {

std::string_view Trim(std::string_view text)
{
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

const std::map<std::string, std::string>& Defaults()
{
    static const std::map<std::string, std::string> defaults = {
        {"hotmail.web", "www.hotmail.com"},
        {"hotmail.form", "www.hotmail.com"},
        {"hotmail.login", "login.hotmail.com"},
        {"yahoo.login", "login.yahoo.com"},
        {"yahoo.account", "mail.yahoo.com"},
        {"mailcity.home", "www.mailcity.com"},
        {"mailcity.terms", "www.mailcity.com"},
        {"angelfire.mail", "email.angelfire.com"},
        {"angelfire.terms", "www.angelfire.com"},
        {"netaddress.host", "www.netaddress.com"},
        {"netaddress.classic", "classic.netaddress.com"},
        {"netaddress.domain", "netaddress.com"},
        {"excite.registration", "reg.excite.com"},
        {"excite.mail", "mail.excite.com"},
        {"excite.folderaction", "mail.excite.com"},
        {"goplay.host", "www.goplay.com"},
        {"vendor.web", "https://www.korvalin.org"},
        {"vendor.address", "www.korvalin.org"},
        {"vendor.conntest", "www.example.com"},
        {"icq.pager", "wwp.icq.com"},
    };
    return defaults;
}

}  // namespace

std::map<std::string, std::string> ParseHostsText(std::string_view text)
{
    std::map<std::string, std::string> values;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        std::string_view trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == '#')
            continue;
        size_t equals = trimmed.find('=');
        if (equals == std::string_view::npos)
            continue;
        std::string_view key = Trim(trimmed.substr(0, equals));
        std::string_view value = Trim(trimmed.substr(equals + 1));
        if (key.empty())
            continue;
        values[std::string(key)] = std::string(value);
    }
    return values;
}

std::string DefaultHost(const std::string& key)
{
    auto found = Defaults().find(key);
    return found == Defaults().end() ? std::string() : found->second;
}

std::string HostSetting(const std::string& key)
{
    std::ifstream file(kHostsFileName, std::ios::binary);
    if (file) {
        std::ostringstream text;
        text << file.rdbuf();
        auto values = ParseHostsText(text.str());
        auto found = values.find(key);
        if (found != values.end() && !found->second.empty())
            return found->second;
    }
    return DefaultHost(key);
}

std::string HttpBase(const std::string& host)
{
    if (host.find("://") != std::string::npos)
        return host;
    return "http://" + host;
}

}  // namespace korvalin
