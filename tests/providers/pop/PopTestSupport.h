// Helpers shared by the POP3/SMTP plug-in's tests.
#pragma once

#include "MailPage.h"
#include "PopProvider.h"
#include "Timeouts.h"

#include <chrono>
#include <memory>
#include <string>

namespace korvalin::test {

// Network time-outs for one test, restored afterwards.
class ScopedTimeouts {
public:
    ScopedTimeouts(int connectSeconds, int idleSeconds) : Saved(GetNetworkTimeouts())
    {
        SetNetworkTimeouts({connectSeconds, idleSeconds});
    }
    ~ScopedTimeouts() { SetNetworkTimeouts(Saved); }
    ScopedTimeouts(const ScopedTimeouts&) = delete;
    ScopedTimeouts& operator=(const ScopedTimeouts&) = delete;

private:
    NetworkTimeouts Saved;
};

// "user=User Name=me@example.net=<pop>=<smtp>", the account line the program hands over.
inline std::string AccountLine(const std::string& popServer, const std::string& smtpServer = "127.0.0.1:1",
                               const std::string& user = "user")
{
    return user + "=User Name=me@example.net=" + popServer + "=" + smtpServer;
}

inline std::unique_ptr<CPopProvider> MakeProvider(const std::string& popServer,
                                                  const std::string& smtpServer = "127.0.0.1:1",
                                                  const std::string& password = "secret")
{
    auto provider = std::make_unique<CPopProvider>();
    provider->SetUserProfile(AccountLine(popServer, smtpServer), password);
    return provider;
}

// The page GetMail writes for a plain-text mail without parts; text is the
// escaped text with LF line ends.
inline std::string PlainPage(const std::string& text)
{
    return korvalin::mime::WritePage("<pre style=\"white-space: pre-wrap\">" + text + "</pre>", {});
}

class Stopwatch {
public:
    double Seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    }

private:
    std::chrono::steady_clock::time_point Start = std::chrono::steady_clock::now();
};

}  // namespace korvalin::test
