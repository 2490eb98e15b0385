#include "MailReader.h"

#include <QDesktopServices>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace korvalin::ui {
namespace {

constexpr qint64 kMaxShownBytes = 8 * 1024 * 1024;

QLabel* HeaderValue(const std::string& text, QWidget* parent)
{
    auto* label = new QLabel(QString::fromStdString(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

// Only local resources (the mail's own file) may be loaded.
class LocalOnlyBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int type, const QUrl& url) override
    {
        if (!url.isLocalFile() && !url.isRelative())
            return {};
        return QTextBrowser::loadResource(type, url);
    }
};

}  // namespace

MailReader::MailReader(const MailWindowRequest& request, QWidget* parent) : QWidget(parent)
{
    setObjectName("mailReader");
    setWindowTitle(QString::fromStdString(request.title));
    auto* header = new QFormLayout;
    header->addRow("From:", HeaderValue(request.from, this));
    header->addRow("To:", HeaderValue(request.to, this));
    if (!request.cc.empty())
        header->addRow("Cc:", HeaderValue(request.cc, this));
    header->addRow("Subject:", HeaderValue(request.subject, this));

    body_ = new LocalOnlyBrowser(this);
    body_->setObjectName("mailBody");
    body_->setOpenLinks(false);
    connect(body_, &QTextBrowser::anchorClicked, this, [](const QUrl& url) { QDesktopServices::openUrl(url); });
    QFile file(QString::fromStdString(request.cachedFile));
    if (file.open(QIODevice::ReadOnly)) {
        body_->document()->setBaseUrl(QUrl::fromLocalFile(file.fileName()));
        body_->setHtml(QString::fromUtf8(file.read(kMaxShownBytes)));
    } else {
        body_->setPlainText(QStringLiteral("The local copy of this mail (%1) cannot be read: %2")
                                .arg(file.fileName(), file.errorString()));
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(body_, 1);
}

}  // namespace korvalin::ui
