#include "FeatureFrameTest.h"

#include "ComposeWindow.h"
#include "SummaryView.h"
#include "SummaryWindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <stdexcept>

namespace korvalin::ui::test {

FeatureFrameTest::FeatureFrameTest() : featurePort(port), features(featurePort)
{
    features.Attach(*engine);
    frame->SetFeatures(&features);
}

FeatureFrameTest::~FeatureFrameTest()
{
    frame->SetFeatures(nullptr);
}

std::shared_ptr<CAccount> FeatureFrameTest::LoggedInAccount(ProviderEntry& provider, const std::string& login, bool pop)
{
    std::shared_ptr<CAccount> account = AddAccount(provider, login);
    account->Update([pop](AccountState& state) {
        state.loggedIn = true;
        state.isPop = pop;
    });
    return account;
}

void FeatureFrameTest::AddToBook(CAccount& account, const std::string& name, const std::string& address)
{
    features.Books().SaveAddress(account, name, address);
}

SummaryWindow& FeatureFrameTest::OpenInbox(CAccount& account)
{
    frame->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    EXPECT_TRUE(engine->Accounts().LoginWithProgress(account));
    SummaryWindow* window = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
        window = frame->FolderWindow(*account.Inbox());
        return window != nullptr && window->View().topLevelItemCount() == static_cast<int>(script->summary.size()) + 1;
    }));
    if (window == nullptr)
        throw std::runtime_error("the inbox did not open");
    frame->Mdi().setActiveSubWindow(window);
    return *window;
}

std::vector<ComposeWindow*> FeatureFrameTest::ComposeWindows() const
{
    std::vector<ComposeWindow*> windows;
    for (QMdiSubWindow* window : frame->Mdi().subWindowList(QMdiArea::CreationOrder)) {
        if (auto* compose = qobject_cast<ComposeWindow*>(window->widget()))
            windows.push_back(compose);
    }
    return windows;
}

}  // namespace korvalin::ui::test
