#include "TrayMenu.h"

#include "MenuProxies.h"

#include <algorithm>

namespace korvalin::ui {

void FillTrayMenu(QMenu& menu, const TrayMenuCommands& commands, const std::vector<QString>& newMailSubjects,
                  const std::function<void(int)>& openMail)
{
    menu.clear();
    if (!newMailSubjects.empty()) {
        QMenu* newMails = menu.addMenu("New Mails");
        const int shown = std::min(static_cast<int>(newMailSubjects.size()), kTrayMenuMaxNewMails);
        for (int k = 0; k < shown; ++k) {
            QString subject = newMailSubjects[static_cast<size_t>(k)];
            // A subject is text, not a menu label: "&" stays an ampersand.
            subject.replace(QLatin1Char('&'), QLatin1String("&&"));
            if (subject.isEmpty())
                subject = "(no subject)";
            QAction* item = newMails->addAction(subject);
            item->setObjectName(QStringLiteral("Mail%1").arg(k + 1));
            QObject::connect(item, &QAction::triggered, &menu, [openMail, k] {
                if (openMail)
                    openMail(k);
            });
        }
    }
    AddProxy(menu, "Open Korvalin", commands.show);
    AddProxy(menu, "Korvalin Options", commands.options);
    AddProxy(menu, "Search in Mails", commands.search);
    AddProxy(menu, "Exit", commands.exit);
    menu.addSeparator();
    AddProxy(menu, "Compose New Mail", commands.compose);
    MakeFirstItemDefault(menu);
}

}  // namespace korvalin::ui
