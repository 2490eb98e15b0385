#include "MailProvider.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <memory>
#include <string>

#ifndef KORVALIN_TEST_PLUGIN_DIR
#error "KORVALIN_TEST_PLUGIN_DIR must name the folder of the test plug-ins"
#endif

namespace {

struct Library {
    explicit Library(const std::string& name)
        : Handle(dlopen((std::string(KORVALIN_TEST_PLUGIN_DIR) + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL))
    {
    }
    ~Library()
    {
        if (Handle != nullptr)
            dlclose(Handle);
    }
    ProviderFactory Factory() const
    {
        return reinterpret_cast<ProviderFactory>(dlsym(Handle, kProviderFactorySymbol));
    }
    void* Handle;
};

class CountingLink : public CHostLink {
public:
    explicit CountingLink(int& destroyed) : Destroyed(destroyed) {}
    ~CountingLink() override { ++Destroyed; }
    int& Destroyed;
};

}  // namespace

TEST(PluginBoundary, EveryOperationIsReachedThroughTheBaseClass)
{
    Library library("testgate.so");
    ASSERT_NE(library.Handle, nullptr) << dlerror();
    ProviderFactory factory = library.Factory();
    ASSERT_NE(factory, nullptr);

    int linksDestroyed = 0;
    {
        std::unique_ptr<CMailProvider> provider(factory());
        ASSERT_NE(provider, nullptr);
        EXPECT_EQ(provider->Name, "TestProvider");
        EXPECT_EQ(provider->SignUpUrl, "http://signup.test/");
        EXPECT_EQ(provider->GetVersion(), 42);
        provider->HostLink = new CountingLink(linksDestroyed);

        provider->SetUserProfile("user", "wrong");
        EXPECT_FALSE(provider->DoLogin());
        provider->SetUserProfile("user", "secret");
        EXPECT_TRUE(provider->DoLogin());

        CStringArray folders{"stale"};
        EXPECT_TRUE(provider->GetFolders(folders));
        EXPECT_EQ(folders, (CStringArray{"Sent", "Trash"}));

        CSummaryArray summary;
        EXPECT_TRUE(provider->GetMailSummary(summary, -1));
        EXPECT_TRUE(provider->GetMailSummary(summary, 1));
        ASSERT_EQ(summary.size(), 2u);
        EXPECT_EQ(summary[0].Subject, "folder -1");
        EXPECT_EQ(summary[1].Subject, "folder 1");

        std::string body = "kept:";
        CMailMessage message;
        EXPECT_TRUE(provider->GetMail("id1##1", body, message));
        EXPECT_EQ(body, "kept:<pre>body of id1##1</pre>");
        EXPECT_EQ(message.From, "sender@test");

        CMailMessage outgoing;
        outgoing.To = "ok@test";
        EXPECT_TRUE(provider->SendMail(outgoing));
        outgoing.To = "nobody@test";
        EXPECT_FALSE(provider->SendMail(outgoing));
        EXPECT_TRUE(provider->DeleteMail("1##1"));
        EXPECT_FALSE(provider->DeleteMail("2##2"));

        provider->AddAddress("ann", "ann@test");
        CAddressArray book;
        provider->GetAddressBook(book);
        ASSERT_EQ(book.size(), 1u);
        EXPECT_FALSE(book[0].Marked);
        EXPECT_EQ(book[0].Address, "ann@test");

        provider->MessageNoOp(outgoing);
        provider->MessageNoOp2(outgoing);
        EXPECT_EQ(linksDestroyed, 0);
    }
    EXPECT_EQ(linksDestroyed, 1) << "the virtual destructor deletes the HostLink";
}

TEST(PluginBoundary, EachFactoryCallYieldsASeparateObject)
{
    Library library("testgate.so");
    ASSERT_NE(library.Handle, nullptr) << dlerror();
    std::unique_ptr<CMailProvider> first(library.Factory()());
    std::unique_ptr<CMailProvider> second(library.Factory()());
    EXPECT_NE(first.get(), second.get());
}

TEST(PluginBoundary, LibraryWithoutTheExportIsNotAPlugin)
{
    Library library("notaplugin.so");
    ASSERT_NE(library.Handle, nullptr) << dlerror();
    EXPECT_EQ(library.Factory(), nullptr);
    EXPECT_NE(dlsym(library.Handle, "SomethingElse"), nullptr);
}

TEST(PluginBoundary, BaseClassDefaultsDoNothing)
{
    struct Minimal : CMailProvider {
        void SetUserProfile(std::string, std::string) override {}
        bool DoLogin() override { return true; }
        bool GetMail(std::string, std::string&, CMailMessage&) override { return false; }
        bool SendMail(CMailMessage) override { return false; }
        bool DeleteMail(std::string) override { return false; }
        bool GetFolders(CStringArray&) override { return true; }
        bool GetMailSummary(CSummaryArray&, int) override { return true; }
        int GetVersion() override { return 1; }
    } provider;
    CAddressArray book{{true, "keep", "keep@test"}};
    provider.GetAddressBook(book);
    provider.AddAddress("x", "y");
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book[0].Name, "keep");
}
