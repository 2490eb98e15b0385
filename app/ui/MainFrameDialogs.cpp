// The main frame's dialogs: the Options sheet, search, filters and the
// address book.
#include "AddressBookWindow.h"
#include "Engine.h"
#include "FeatureHooks.h"
#include "FiltersWindow.h"
#include "MainFrame.h"
#include "OptionsSheet.h"
#include "QtUiPort.h"
#include "SearchDialog.h"
#include "SetupWizard.h"

namespace korvalin::ui {

SetupWizardChoices MainFrame::RunSetupWizard()
{
    if (engine_ == nullptr)
        return SetupWizardChoices{};
    SetupWizard wizard(*engine_, features_ != nullptr ? &features_->Filters() : nullptr,
                       port_ != nullptr ? port_->DialogParent() : this);
    wizard.setWindowIcon(windowIcon());
    wizard.exec();
    return wizard.Choices();
}

void MainFrame::OpenOptionsSheet()
{
    if (engine_ == nullptr)
        return;
    OptionsSheet sheet(*engine_, port_ != nullptr ? port_->DialogParent() : this);
    sheet.setWindowIcon(windowIcon());
    if (sheet.exec() != QDialog::Accepted)
        return;
    sheet.Save([this](CheckTimerChange change, int minutes) {
        if (change == CheckTimerChange::Stop)
            checkTimer_.stop();
        else
            StartCheckTimer(minutes);
    });
}

void MainFrame::OpenSearch()
{
    if (engine_ == nullptr)
        return;
    SearchDialog search(*engine_, port_ != nullptr ? port_->DialogParent() : this);
    search.setWindowIcon(windowIcon());
    search.raise();
    search.exec();
}

void MainFrame::OpenFilters(CAccount& account)
{
    if (engine_ == nullptr || features_ == nullptr)
        return;
    FiltersWindow filters(*engine_, features_->Filters(), account, port_ != nullptr ? port_->DialogParent() : this);
    filters.setWindowIcon(windowIcon());
    filters.exec();
}

void MainFrame::OpenAddressBook()
{
    if (engine_ == nullptr || features_ == nullptr)
        return;
    AddressBookWindow::ShowStandAlone(*engine_, features_->Books(), port_ != nullptr ? port_->DialogParent() : this);
}

}  // namespace korvalin::ui
