// A mail shown from its cached file in the MDI area: the header texts above
// the mail. It loads nothing from the network and runs no scripts.
#pragma once

#include "UiPort.h"

#include <QWidget>

class QTextBrowser;

namespace korvalin::ui {

class MailReader : public QWidget {
    Q_OBJECT
public:
    explicit MailReader(const MailWindowRequest& request, QWidget* parent = nullptr);

    QTextBrowser& Body() const { return *body_; }

private:
    QTextBrowser* body_ = nullptr;
};

}  // namespace korvalin::ui
