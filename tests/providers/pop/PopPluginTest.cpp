// popgate.so as the program loads it: one export, the provider behind it.
#include "MailProvider.h"
#include "ProviderLog.h"
#include "ScriptedPopServer.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <memory>

#ifndef KORVALIN_POPGATE
#error "KORVALIN_POPGATE must name popgate.so"
#endif

TEST(PopPlugin, LoadsAndListsAMailbox)
{
    void* library = dlopen(KORVALIN_POPGATE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto factory = reinterpret_cast<ProviderFactory>(dlsym(library, kProviderFactorySymbol));
    ASSERT_NE(factory, nullptr);
    // Nothing of the plug-in's insides is exported.
    EXPECT_EQ(dlsym(library, "_ZN11CPopClient4OpenEv"), nullptr);
    EXPECT_EQ(dlsym(library, "_ZN8korvalin9TcpStream5CloseEv"), nullptr);
    {
        std::unique_ptr<CMailProvider> provider(factory());
        ASSERT_NE(provider, nullptr);
        EXPECT_EQ(provider->Name, "POPMail");
        EXPECT_EQ(provider->GetVersion(), 1);
        EXPECT_EQ(provider->SignUpUrl, "");

        korvalin::test::ScriptedPopServer server;
        server.SetMails({korvalin::test::SimplePopMail("p1", "From the plug-in")});
        provider->SetUserProfile("user=User=me@x=" + server.Address() + "=127.0.0.1:1", "secret");
        ASSERT_TRUE(provider->DoLogin());
        CSummaryArray list;
        ASSERT_TRUE(provider->GetMailSummary(list, -1));
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].Subject, "From the plug-in");
        EXPECT_EQ(list[0].Locator, "<p1>##1");
    }
    dlclose(library);
}

namespace {
std::vector<std::pair<int, std::string>> loggedByPlugin;
void KeepPluginLine(int level, const char* text)
{
    loggedByPlugin.emplace_back(level, text);
}
}  // namespace

TEST(PopPlugin, LogLinesReachTheHostsSink)
{
    void* library = dlopen(KORVALIN_POPGATE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto setSink = reinterpret_cast<void (*)(korvalin::ProviderLogSink)>(dlsym(library, kProviderLogSinkSymbol));
    ASSERT_NE(setSink, nullptr);
    setSink(KeepPluginLine);
    auto factory = reinterpret_cast<ProviderFactory>(dlsym(library, kProviderFactorySymbol));
    {
        std::unique_ptr<CMailProvider> provider(factory());
        korvalin::test::ScriptedPopServer server;
        provider->SetUserProfile("user=User=me@x=pop3://" + server.Address() + "=127.0.0.1:1", "secret");
        EXPECT_FALSE(provider->DoLogin());
    }
    setSink(nullptr);
    dlclose(library);
    ASSERT_EQ(loggedByPlugin.size(), 1u);
    EXPECT_EQ(loggedByPlugin[0].first, static_cast<int>(korvalin::ProviderLogLevel::Error));
    EXPECT_NE(loggedByPlugin[0].second.find("server does not offer STLS"), std::string::npos);
}
