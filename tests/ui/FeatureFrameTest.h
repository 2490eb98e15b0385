// The main frame over an engine with the filters and address books of the
// program attached, for the windows that use them.
#pragma once

#include "FeatureHooks.h"
#include "QtFeaturePort.h"
#include "UiTestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace korvalin::ui {
class ComposeWindow;
class SummaryWindow;
}  // namespace korvalin::ui

namespace korvalin::ui::test {

class FeatureFrameTest : public FrameTest {
protected:
    FeatureFrameTest();
    ~FeatureFrameTest() override;

    // An account that counts as logged in (no service is asked).
    std::shared_ptr<CAccount> LoggedInAccount(ProviderEntry& provider, const std::string& login, bool pop = false);
    void AddToBook(CAccount& account, const std::string& name, const std::string& address);
    // Logs account in through the service and waits until its inbox lists
    // the script's mails.
    SummaryWindow& OpenInbox(CAccount& account);
    // The compose windows in the MDI area, oldest first.
    std::vector<ComposeWindow*> ComposeWindows() const;

    QtFeaturePort featurePort;
    FeatureHooks features;
};

}  // namespace korvalin::ui::test
