#include "SetupWizard.h"

#include "Engine.h"
#include "PlatformPaths.h"
#include "SoundPicker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace korvalin::ui {
namespace {

constexpr int kWizardMaxInterval = 30;

QCheckBox* Box(QWidget* parent, const QString& text, bool checked)
{
    auto* box = new QCheckBox(text, parent);
    box->setChecked(checked);
    return box;
}

class WelcomePage : public QWizardPage {
public:
    explicit WelcomePage(QWidget* parent) : QWizardPage(parent)
    {
        setTitle("Welcome to Korvalin Mail");
        setSubTitle("A few questions, and Korvalin Mail is ready.");
        auto* text = new QLabel(
            "Korvalin Mail checks all your mail accounts from one place: POP3 mailboxes and web-based mail services. "
            "It tells you when new mail arrives, lets you read, answer and forward it, and works offline too.\n\n"
            "The next pages add your accounts and set how Korvalin Mail behaves. You can change everything later "
            "from the Tools menu.",
            this);
        text->setWordWrap(true);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(text);
        layout->addStretch(1);
    }
};

}  // namespace

WizardAccountsPage::WizardAccountsPage(Engine& engine, FilterRules* rules, QWidget* parent)
    : QWizardPage(parent), engine_(engine), rules_(rules)
{
    setTitle("Please add and customize your accounts");
    setSubTitle("Choose the provider, type your login and press Add; repeat for every account you have.");
    provider = new QComboBox(this);
    provider->setObjectName("provider");
    const auto& providers = engine.Providers().Providers();
    for (size_t i = 1; i < providers.size(); ++i)
        provider->addItem(QString::fromStdString(providers[i]->name));
    provider->setCurrentIndex(-1);
    login = new QLineEdit(this);
    login->setObjectName("login");
    password = new QLineEdit(this);
    password->setObjectName("password");
    password->setEchoMode(QLineEdit::Password);
    savePassword = new QCheckBox("Sa&ve password.", this);
    sound = new SoundPicker(QString::fromStdString(DefaultSoundPath(engine.Paths()).string()), "Pl&ay", this);
    icqPaging = new QCheckBox("Page me on the IC&Q#", this);
    icqNumber = new QLineEdit(this);
    icqNumber->setObjectName("icqNumber");
    addButton = new QPushButton("A&dd", this);

    auto* form = new QFormLayout;
    form->addRow("&Provider:", provider);
    form->addRow("&Login:", login);
    form->addRow("Pass&word:", password);
    form->addRow(QString(), savePassword);
    form->addRow("New-mail sound:", sound);
    auto* icq = new QHBoxLayout;
    icq->addWidget(icqPaging);
    icq->addWidget(icqNumber, 1);
    form->addRow(QString(), icq);
    auto* add = new QHBoxLayout;
    add->addStretch(1);
    add->addWidget(addButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(add);
    layout->addStretch(1);

    askPop_ = [this]() -> std::optional<PopSettings> {
        PopSettings settings;
        settings.imap = NeedsImapSettings(engine_, provider->currentIndex());
        if (!engine_.Ui().AskPopSettings(settings))
            return std::nullopt;
        return settings;
    };
    connect(provider, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            login->clear();
        UpdateEnabling();
    });
    connect(login, &QLineEdit::textChanged, this, &WizardAccountsPage::UpdateEnabling);
    connect(icqPaging, &QCheckBox::toggled, this, &WizardAccountsPage::UpdateEnabling);
    connect(addButton, &QPushButton::clicked, this, &WizardAccountsPage::Add);
    UpdateEnabling();
}

void WizardAccountsPage::UpdateEnabling()
{
    login->setEnabled(provider->currentIndex() >= 0);
    addButton->setEnabled(!login->text().trimmed().isEmpty());
    icqNumber->setEnabled(icqPaging->isChecked());
}

void WizardAccountsPage::Add()
{
    WizardAccount account;
    account.provider = provider->currentIndex();
    account.login = login->text().trimmed().toStdString();
    if (account.login.empty())
        return;
    account.password = password->text().toStdString();
    account.savePassword = savePassword->isChecked();
    account.soundPath = sound->Path().toStdString();
    account.icqPaging = icqPaging->isChecked();
    account.icqNumber = icqNumber->text().trimmed().toStdString();
    if (NeedsPopSettings(engine_, account.provider)) {
        account.pop = askPop_();
        if (!account.pop)
            return;
    }
    if (!AddWizardAccount(engine_, rules_, account))
        return;
    login->clear();
    password->clear();
    savePassword->setChecked(false);
    icqPaging->setChecked(false);
    icqNumber->clear();
    provider->setCurrentIndex(-1);
}

bool WizardAccountsPage::validatePage()
{
    if (login->text().trimmed().isEmpty())
        return true;
    // Yes stays here so that the person can press Add.
    return AskYesNo(engine_.Ui(), kAccountNotAddedQuestion) != MessageAnswer::Yes;
}

WizardBehaviourPage::WizardBehaviourPage(Engine& engine, QWidget* parent) : QWizardPage(parent), engine_(engine)
{
    setTitle("Customize Korvalin behavior");
    setSubTitle("How often Korvalin Mail looks for new mail, and how it starts.");
    autoCheck = Box(this, "&Automatically check for new mails every", true);
    interval = new QSpinBox(this);
    interval->setObjectName("interval");
    interval->setRange(1, 60);
    interval->setValue(2);
    hideOnStartup = Box(this, "&Hide Korvalin on startup when there is no new mail", true);
    startWithSession = Box(this, "S&tart Korvalin automatically when I log in", true);
    playSound = Box(this, "&Play sounds when new mail arrives", true);
    startOffline = Box(this, "Start in &offline mode", false);

    auto* check = new QHBoxLayout;
    check->addWidget(autoCheck);
    check->addWidget(interval);
    check->addWidget(new QLabel("minutes", this));
    check->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(check);
    layout->addWidget(hideOnStartup);
    layout->addWidget(startWithSession);
    layout->addWidget(playSound);
    layout->addWidget(startOffline);
    layout->addStretch(1);
    connect(autoCheck, &QCheckBox::toggled, interval, &QWidget::setEnabled);
}

bool WizardBehaviourPage::validatePage()
{
    if (interval->value() <= kWizardMaxInterval)
        return true;
    Tell(engine_.Ui(), "Please enter an integer between 1 and 30.");
    interval->setFocus();
    interval->selectAll();
    return false;
}

SetupWizardChoices WizardBehaviourPage::Choices() const
{
    SetupWizardChoices choices;
    choices.autoCheck = autoCheck->isChecked();
    choices.checkIntervalMinutes = std::min(interval->value(), kWizardMaxInterval);
    choices.hideOnStartup = hideOnStartup->isChecked();
    choices.startWithSession = startWithSession->isChecked();
    choices.playSound = playSound->isChecked();
    choices.startOffline = startOffline->isChecked();
    return choices;
}

SetupWizard::SetupWizard(Engine& engine, FilterRules* rules, QWidget* parent) : QWizard(parent)
{
    setWindowTitle("Korvalin Setup");
    setObjectName("setupWizard");
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    setPage(kWelcome, new WelcomePage(this));
    accounts_ = new WizardAccountsPage(engine, rules, this);
    setPage(kAccounts, accounts_);
    behaviour_ = new WizardBehaviourPage(engine, this);
    setPage(kBehaviour, behaviour_);
    setStartId(kWelcome);
}

}  // namespace korvalin::ui
