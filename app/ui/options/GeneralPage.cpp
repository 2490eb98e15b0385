#include "GeneralPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace korvalin::ui {
namespace {

QCheckBox* Box(QWidget* parent, const QString& text, bool checked, const char* name)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    box->setChecked(checked);
    return box;
}

QSpinBox* Minutes(QWidget* parent, int value, const char* name)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setRange(1, 60);
    spin->setValue(value);
    return spin;
}

// A row indented under the choice it belongs to.
QHBoxLayout* Indented(QWidget* widget)
{
    auto* row = new QHBoxLayout;
    row->addSpacing(24);
    row->addWidget(widget);
    row->addStretch(1);
    return row;
}

}  // namespace

GeneralPage::GeneralPage(const OptionsValues& values, QWidget* parent) : QWidget(parent)
{
    setObjectName("generalPage");
    autoCheck = Box(this, "&Automonitor for new mails every", values.autoCheck, "autoCheck");
    interval = Minutes(this, values.checkInterval, "checkInterval");
    askBeforeDelete = Box(this, "Always ask before &deleting mails", values.askBeforeDelete, "askBeforeDelete");
    hideOnStartup = Box(this, "&Hide Korvalin on startup", values.hideOnStartup, "hideOnStartup");
    startWithSession = Box(this, "S&tart automatically on log in", values.startWithSession, "startWithSession");
    playSound = Box(this, "&Play sound when new mail arrives", values.playSound, "playSound");
    popupOnNewMail = Box(this, "and pop a message", values.popupOnNewMail, "popupOnNewMail");
    desktopNotifications = Box(this, "Show a desktop &notification when new mail arrives",
                               values.desktopNotifications, "desktopNotifications");
    checkInternet =
        Box(this, "Chec&k for Internet before attempting to connect", values.checkInternet, "checkInternet");
    clearSavedMails =
        Box(this, "C&lear locally saved mails before logoff or exit.", values.clearSavedMails, "clearSavedMails");
    loginAbort = Minutes(this, values.loginAbortMinutes, "loginAbortMinutes");
    startOnline = Box(this, "Start Korvalin in online mode", values.startOnline, "startOnline");
    checkMailtoHandler = Box(this, "On startup check for Korvalin as \"mail links\" handler.",
                             values.checkMailtoHandler, "checkMailtoHandler");

    auto* monitor = new QHBoxLayout;
    monitor->addWidget(autoCheck);
    monitor->addWidget(interval);
    monitor->addWidget(new QLabel(" minutes", this));
    monitor->addStretch(1);
    auto* abort = new QHBoxLayout;
    auto* abortLabel = new QLabel("Abort a logon attempt in progress after", this);
    abortLabel->setBuddy(loginAbort);
    abort->addWidget(abortLabel);
    abort->addWidget(loginAbort);
    abort->addWidget(new QLabel("minutes", this));
    abort->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(monitor);
    layout->addLayout(Indented(hideOnStartup));
    layout->addWidget(askBeforeDelete);
    layout->addWidget(startWithSession);
    layout->addWidget(playSound);
    layout->addLayout(Indented(popupOnNewMail));
    layout->addWidget(desktopNotifications);
    layout->addWidget(checkInternet);
    layout->addWidget(clearSavedMails);
    layout->addLayout(abort);
    layout->addWidget(startOnline);
    layout->addWidget(checkMailtoHandler);
    layout->addStretch(1);

    // The hide box and the interval only count while checking is on.
    hideOnStartup->setEnabled(values.autoCheck);
    interval->setEnabled(values.autoCheck);
    connect(autoCheck, &QCheckBox::toggled, this, &GeneralPage::AutoCheckToggled);
}

void GeneralPage::AutoCheckToggled(bool on)
{
    hideOnStartup->setChecked(on);
    hideOnStartup->setEnabled(on);
    interval->setEnabled(on);
}

void GeneralPage::CopyTo(OptionsValues& values) const
{
    values.autoCheck = autoCheck->isChecked();
    values.checkInterval = interval->value();
    values.askBeforeDelete = askBeforeDelete->isChecked();
    values.hideOnStartup = hideOnStartup->isChecked();
    values.startWithSession = startWithSession->isChecked();
    values.playSound = playSound->isChecked();
    values.checkInternet = checkInternet->isChecked();
    values.clearSavedMails = clearSavedMails->isChecked();
    values.loginAbortMinutes = loginAbort->value();
    values.startOnline = startOnline->isChecked();
    values.checkMailtoHandler = checkMailtoHandler->isChecked();
    values.popupOnNewMail = popupOnNewMail->isChecked();
    values.desktopNotifications = desktopNotifications->isChecked();
}

}  // namespace korvalin::ui
