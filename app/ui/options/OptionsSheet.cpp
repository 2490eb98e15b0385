#include "OptionsSheet.h"

#include "Engine.h"
#include "GeneralPage.h"
#include "ProvidersPage.h"
#include "SendingPage.h"
#include "UserInformation.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace korvalin::ui {

OptionsSheet::OptionsSheet(Engine& engine, QWidget* parent)
    : QDialog(parent), engine_(engine), before_(OptionsValues::FromSettings(engine.Settings()))
{
    setObjectName("optionsSheet");
    // The sheet has no caption of its own.
    setWindowTitle(QString());
    pages_ = new QTabWidget(this);
    general_ = new GeneralPage(before_, pages_);
    sending_ = new SendingPage(before_, UserSettings::DefaultSignature(VendorWeb(engine.Paths())), pages_);
    providers_ = new ProvidersPage(engine.Providers(), pages_);
    pages_->addTab(general_, "General");
    pages_->addTab(sending_, "Sending");
    pages_->addTab(providers_, "Email Providers");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Save)->setText("&Save");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addWidget(buttons);
}

OptionsValues OptionsSheet::Values() const
{
    OptionsValues values = before_;
    general_->CopyTo(values);
    sending_->CopyTo(values);
    return values;
}

void OptionsSheet::Save(const std::function<void(CheckTimerChange, int minutes)>& timer)
{
    const OptionsValues after = Values();
    const CheckTimerChange change = SaveOptions(before_, after, engine_.Settings());
    if (change != CheckTimerChange::None)
        timer(change, engine_.Settings().CheckIntervalMinutes());
    // Saving also keeps the autostart entry in step with the setting.
    engine_.UserInfo().Save();
    before_ = after;
}

}  // namespace korvalin::ui
