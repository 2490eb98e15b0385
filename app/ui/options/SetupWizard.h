// The first-run setup wizard "Korvalin Setup": a welcome page, a page that
// adds accounts, and a page of the program's behaviour, whose values the
// first run takes over whichever button ended the wizard.
#pragma once

#include "UiPort.h"
#include "WizardAccount.h"

#include <QWizard>
#include <QWizardPage>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace korvalin {
class Engine;
class FilterRules;
}  // namespace korvalin

namespace korvalin::ui {

class SoundPicker;

inline constexpr const char* kAccountNotAddedQuestion =
    "This account has not been added yet. You need to press the Add button to add the account. Do you want to add "
    "this account?";

class WizardAccountsPage : public QWizardPage {
    Q_OBJECT
public:
    WizardAccountsPage(Engine& engine, FilterRules* rules, QWidget* parent = nullptr);

    // "A&dd".
    void Add();
    // Next: a login typed but not added is asked about.
    bool validatePage() override;

    // Who confirms a POP account's settings (tests answer instead).
    void SetPopSettingsAsker(std::function<std::optional<PopSettings>()> asker) { askPop_ = std::move(asker); }

    QComboBox* provider = nullptr;
    QLineEdit* login = nullptr;
    QLineEdit* password = nullptr;
    QCheckBox* savePassword = nullptr;
    SoundPicker* sound = nullptr;
    QCheckBox* icqPaging = nullptr;
    QLineEdit* icqNumber = nullptr;
    QPushButton* addButton = nullptr;

private:
    void UpdateEnabling();

    Engine& engine_;
    FilterRules* rules_;
    std::function<std::optional<PopSettings>()> askPop_;
};

class WizardBehaviourPage : public QWizardPage {
    Q_OBJECT
public:
    WizardBehaviourPage(Engine& engine, QWidget* parent = nullptr);
    // The interval takes 1 to 30 minutes here.
    bool validatePage() override;
    SetupWizardChoices Choices() const;

    QCheckBox* autoCheck = nullptr;
    QSpinBox* interval = nullptr;
    QCheckBox* hideOnStartup = nullptr;
    QCheckBox* startWithSession = nullptr;
    QCheckBox* playSound = nullptr;
    QCheckBox* startOffline = nullptr;

private:
    Engine& engine_;
};

class SetupWizard : public QWizard {
    Q_OBJECT
public:
    enum Page { kWelcome, kAccounts, kBehaviour };

    // rules may be null (no filters: no ICQ paging).
    SetupWizard(Engine& engine, FilterRules* rules, QWidget* parent = nullptr);

    WizardAccountsPage& Accounts() const { return *accounts_; }
    WizardBehaviourPage& Behaviour() const { return *behaviour_; }
    // What the first run takes over (the behaviour page's values).
    SetupWizardChoices Choices() const { return behaviour_->Choices(); }

private:
    WizardAccountsPage* accounts_ = nullptr;
    WizardBehaviourPage* behaviour_ = nullptr;
};

}  // namespace korvalin::ui
