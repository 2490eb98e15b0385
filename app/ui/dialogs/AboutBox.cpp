#include "AboutBox.h"

#include "Artwork.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace korvalin::ui {

AboutBox::AboutBox(const QString& title, const QString& vendorWeb, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("About Korvalin Mail");
    setObjectName("aboutBox");
    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    auto* name = new QLabel(QString("<b>%1</b>").arg(title.toHtmlEscaped()), this);
    auto* text = new QLabel(QString("A mail checker and mail client for POP3 and web-based mail accounts.<br><br>"
                                    "Copyright &copy; Dravnek.<br>"
                                    "News and updates: <a href=\"%1\">%2</a>")
                                .arg(vendorWeb.toHtmlEscaped(), vendorWeb.toHtmlEscaped()),
                            this);
    text->setObjectName("aboutText");
    text->setWordWrap(true);
    text->setOpenExternalLinks(true);
    text->setTextInteractionFlags(Qt::TextBrowserInteraction);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* words = new QVBoxLayout;
    words->addWidget(name);
    words->addWidget(text);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(words, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

}  // namespace korvalin::ui
