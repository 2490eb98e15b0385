// The Options sheet: the "General", "Sending" and "Email Providers" pages
// over the settings record. Saving copies the values back, restarts or
// stops the check timer as needed, keeps the autostart entry in step and
// saves the user information.
#pragma once

#include "OptionsValues.h"

#include <QDialog>

#include <functional>

class QTabWidget;

namespace korvalin {
class Engine;
}

namespace korvalin::ui {

class GeneralPage;
class ProvidersPage;
class SendingPage;

class OptionsSheet : public QDialog {
    Q_OBJECT
public:
    OptionsSheet(Engine& engine, QWidget* parent = nullptr);

    GeneralPage& General() const { return *general_; }
    SendingPage& Sending() const { return *sending_; }
    ProvidersPage& Providers() const { return *providers_; }
    QTabWidget& Pages() const { return *pages_; }

    // The values the pages hold now.
    OptionsValues Values() const;
    // "Save": copies the values into the settings and saves them; the
    // check timer is started, stopped or restarted through timer.
    void Save(const std::function<void(CheckTimerChange, int minutes)>& timer);

private:
    Engine& engine_;
    OptionsValues before_;
    QTabWidget* pages_ = nullptr;
    GeneralPage* general_ = nullptr;
    SendingPage* sending_ = nullptr;
    ProvidersPage* providers_ = nullptr;
};

}  // namespace korvalin::ui
