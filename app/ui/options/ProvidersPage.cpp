#include "ProvidersPage.h"

#include "ProviderHost.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace korvalin::ui {

ProvidersPage::ProvidersPage(ProviderHost& providers, QWidget* parent) : QWidget(parent), providers_(providers)
{
    setObjectName("providersPage");
    auto* note = new QLabel("A hidden provider has no place in the account tree. It can hide only while it has no "
                            "accounts.",
                            this);
    note->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setObjectName("providers");
    hidden_ = new QCheckBox("Hidden", this);
    hidden_->setObjectName("hidden");
    const auto& entries = providers_.Providers();
    for (size_t i = 1; i < entries.size(); ++i)
        list_->addItem(QString::fromStdString(entries[i]->name));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(list_, 1);
    layout->addWidget(hidden_);

    connect(list_, &QListWidget::currentRowChanged, this, &ProvidersPage::ShowSelected);
    connect(hidden_, &QCheckBox::toggled, this, &ProvidersPage::HiddenToggled);
    if (list_->count() > 0)
        list_->setCurrentRow(0);
    ShowSelected();
}

ProviderEntry* ProvidersPage::Selected() const
{
    const int row = list_->currentRow();
    const auto& entries = providers_.Providers();
    if (row < 0 || static_cast<size_t>(row) + 1 >= entries.size())
        return nullptr;
    return entries[static_cast<size_t>(row) + 1].get();
}

void ProvidersPage::ShowSelected()
{
    ProviderEntry* entry = Selected();
    QSignalBlocker block(hidden_);
    hidden_->setChecked(entry != nullptr && entry->hidden);
    // A provider with accounts can be neither hidden nor, being shown, changed.
    hidden_->setEnabled(entry != nullptr && entry->accounts.empty());
}

void ProvidersPage::HiddenToggled(bool hidden)
{
    ProviderEntry* entry = Selected();
    if (entry == nullptr)
        return;
    if (hidden)
        providers_.HideProvider(*entry, false);
    else
        providers_.ShowProvider(*entry);
    ShowSelected();
}

}  // namespace korvalin::ui
