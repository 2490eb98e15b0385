// The main frame's dialogs: the Options sheet, search, filters and the
// address book.
#include "Engine.h"
#include "MainFrame.h"
#include "OptionsSheet.h"
#include "QtUiPort.h"
#include "SearchDialog.h"

namespace korvalin::ui {

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

}  // namespace korvalin::ui
