// The Options sheet's "General" page: checking, start-up and log-in choices.
#pragma once

#include "OptionsValues.h"

#include <QWidget>

class QCheckBox;
class QSpinBox;

namespace korvalin::ui {

class GeneralPage : public QWidget {
    Q_OBJECT
public:
    explicit GeneralPage(const OptionsValues& values, QWidget* parent = nullptr);
    void CopyTo(OptionsValues& values) const;

    QCheckBox* autoCheck = nullptr;
    QSpinBox* interval = nullptr;
    QCheckBox* askBeforeDelete = nullptr;
    QCheckBox* hideOnStartup = nullptr;
    QCheckBox* startWithSession = nullptr;
    QCheckBox* playSound = nullptr;
    QCheckBox* checkInternet = nullptr;
    QCheckBox* clearSavedMails = nullptr;
    QSpinBox* loginAbort = nullptr;
    QCheckBox* startOnline = nullptr;
    QCheckBox* checkMailtoHandler = nullptr;
    QCheckBox* popupOnNewMail = nullptr;
    QCheckBox* desktopNotifications = nullptr;

private:
    void AutoCheckToggled(bool on);
};

}  // namespace korvalin::ui
