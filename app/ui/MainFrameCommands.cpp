// The main frame's command handlers and its command update pass.
#include "AboutBox.h"
#include "AccountTree.h"
#include "AddressBookSync.h"
#include "BusyAnimation.h"
#include "FeatureHooks.h"
#include "Engine.h"
#include "HostsConfig.h"
#include "MainFrame.h"
#include "QtUiPort.h"
#include "SummaryView.h"
#include "SummaryWindow.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace korvalin::ui {
namespace {

QString VendorBase()
{
    return QString::fromStdString(HttpBase(HostSetting("vendor.web")));
}

}  // namespace

CAccount* MainFrame::SelectedAccount() const
{
    return AccountTree::AccountOf(tree_->currentItem());
}

void MainFrame::ConnectCommands()
{
    const MainCommands& c = commands_;
    connect(c.compose, &QAction::triggered, this, [this] {
        if (SummaryWindow* window = ActiveSummaryWindow(); window != nullptr && window->Summary())
            ComposeFromFolder(window->Summary()->Folder());
        else if (engine_ != nullptr)
            engine_->Accounts().ComposeForRecipient(tree_->Selection(), engine_->PendingRecipient());
    });
    connect(c.addAccount, &QAction::triggered, this, [this] {
        if (engine_ == nullptr)
            return;
        engine_->Accounts().AddNewAccount();
        engine_->UserInfo().Save();
    });
    connect(c.deleteAccount, &QAction::triggered, this, [this] {
        if (CAccount* account = SelectedAccount(); engine_ != nullptr && account != nullptr) {
            engine_->Accounts().DeleteAccount(*account);
            engine_->UserInfo().Save();
        }
    });
    connect(c.accountProperties, &QAction::triggered, this, [this] {
        if (CAccount* account = SelectedAccount(); engine_ != nullptr && account != nullptr)
            engine_->Accounts().EditAccount(*account);
    });
    connect(c.logOff, &QAction::triggered, this, [this] {
        if (tree_->SelectedKind() == TreeItemKind::Account && engine_ != nullptr)
            engine_->Accounts().LogOff(*SelectedAccount());
    });
    connect(c.createAccount, &QAction::triggered, this, [this] {
        if (ProviderEntry* provider = AccountTree::ProviderOf(tree_->currentItem()); provider && engine_)
            engine_->Providers().OpenSignUpPage(*provider);
    });
    connect(c.hideProvider, &QAction::triggered, this, [this] {
        if (ProviderEntry* provider = AccountTree::ProviderOf(tree_->currentItem()); provider && engine_)
            engine_->Providers().HideProvider(*provider);
    });
    connect(c.clearAllSettings, &QAction::triggered, this, [this] {
        if (engine_ != nullptr)
            engine_->UserInfo().ClearAllSettings();
    });
    connect(c.debugWindow, &QAction::triggered, this, [this] {
        if (engine_ != nullptr)
            engine_->LogView().ToggleDebugWindow();
        UpdateCommands();
    });
    connect(c.stop, &QAction::triggered, this, [this] {
        if (engine_ != nullptr)
            engine_->Hooks().StopAll();
        busy_->Stop();
        UpdateCommands();
    });
    connect(c.synchronize, &QAction::triggered, this, [this] {
        if (engine_ != nullptr && features_ != nullptr)
            SynchronizeAddressBooks(*engine_, features_->Books());
    });
    connect(c.options, &QAction::triggered, this, &MainFrame::OpenOptionsSheet);
    connect(c.search, &QAction::triggered, this, &MainFrame::OpenSearch);
    connect(c.setFilters, &QAction::triggered, this, [this] {
        if (CAccount* account = SelectedAccount(); account != nullptr && tree_->SelectedKind() == TreeItemKind::Account)
            OpenFilters(*account);
    });
    connect(c.addressBook, &QAction::triggered, this, &MainFrame::OpenAddressBook);
    connect(c.show, &QAction::triggered, this, &MainFrame::ShowFromTray);
    connect(c.exit, &QAction::triggered, this, &QWidget::close);
    connect(c.news, &QAction::triggered, this, [this] { ShowVendorPage("/tips.htm"); });
    connect(c.onlineHelp, &QAction::triggered, this, [this] { ShowVendorPage("/support.htm"); });
    connect(c.reportBug, &QAction::triggered, this, [this] { ShowVendorPage("/bbs"); });
    connect(c.readMe, &QAction::triggered, this, &MainFrame::OpenReadMe);
    connect(c.aboutServices, &QAction::triggered, this, &MainFrame::ShowAboutServices);
    connect(c.about, &QAction::triggered, this, &MainFrame::ShowAbout);
}

CommandFacts MainFrame::CurrentFacts() const
{
    CommandFacts facts;
    facts.selected = tree_->SelectedKind();
    facts.treeHasFocus = tree_->hasFocus();
    if (ProviderEntry* provider = AccountTree::ProviderOf(tree_->currentItem()); provider && engine_)
        facts.selectedIsProgramProvider = engine_->Providers().IsProgramProvider(*provider);
    if (engine_ == nullptr)
        return facts;
    for (const auto& account : engine_->Accounts().AllAccounts())
        facts.anyAccountLoggedIn = facts.anyAccountLoggedIn || account->LoggedIn();
    facts.online = engine_->Online().Online();
    facts.checkRunning = engine_->Checks().CanStop();
    facts.logLevel = engine_->Log().Level();
    facts.addressBooksAvailable = features_ != nullptr;
    if (SummaryWindow* window = ActiveSummaryWindow()) {
        const SummaryCommandStates states = window->View().CommandStates();
        facts.summaryActive = true;
        facts.summaryRowSelected = states.open;
        facts.summarySelectionAllCached = states.deleteFromServer;
    }
    return facts;
}

void MainFrame::UpdateCommands()
{
    commands_.Apply(EvaluateCommands(CurrentFacts()));
}

void MainFrame::ShowVendorPage(const QString& path)
{
    ShowHomePage(QUrl(VendorBase() + path));
}

void MainFrame::OpenReadMe()
{
    const QString file = engine_ != nullptr
                             ? QString::fromStdString((engine_->Paths().executableDir / "helpfile.txt").string())
                             : QStringLiteral("helpfile.txt");
    if (!QFileInfo::exists(file)) {
        Tell(QStringLiteral("The help file %1 is missing. Please reinstall Korvalin.").arg(file), MessageIcon::Warning);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        Tell(QStringLiteral("No program could be started to show %1.").arg(file), MessageIcon::Warning);
}

void MainFrame::ShowAbout()
{
    AboutBox about(kApplicationTitle, VendorBase(), this);
    about.exec();
}

void MainFrame::ShowAboutServices()
{
    Tell(QStringLiteral("Hotmail, Yahoo Mail, MailCity, AngelFire, NetAddress, MailExcite and GoPlay are registered "
                        "trademarks of their respective owners.\n"
                        "Dravnek has no relation with these services and is not endorsed by them.\n"
                        "Visit %1 to learn more about Korvalin Mail.")
             .arg(VendorBase()));
}

}  // namespace korvalin::ui
