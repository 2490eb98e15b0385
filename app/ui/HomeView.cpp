#include "HomeView.h"

#include "MailDocument.h"

#include <QDesktopServices>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace korvalin::ui {
namespace {

constexpr qint64 kMaxPageBytes = 2 * 1024 * 1024;

QString WelcomeHtml(const QString& note)
{
    QString html =
        "<h2>Korvalin Mail</h2>"
        "<p>Your mail providers and accounts are listed on the left.</p>"
        "<ul>"
        "<li>Click an account to log into it; click a folder to list its mails.</li>"
        "<li>Tick the folders that Korvalin should check for new mail on its timer.</li>"
        "<li>Right-click a provider to add an account with it, or to hide it.</li>"
        "<li>Double-click a mail to read it.</li>"
        "</ul>";
    if (!note.isEmpty())
        html += "<p><i>" + note.toHtmlEscaped() + "</i></p>";
    return html;
}

}  // namespace

HomeView::HomeView(QWidget* parent) : QTextBrowser(parent)
{
    setObjectName("homeView");
    // The page comes from the network: it loads nothing (MailDocument), and
    // only its web links are handed to the browser.
    setDocument(new MailDocument(this));
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [](const QUrl& url) {
        const QString scheme = url.scheme().toLower();
        if (scheme == "http" || scheme == "https")
            QDesktopServices::openUrl(url);
    });
    ShowWelcome("You are working offline: the latest news and tips are shown when you are online.");
}

void HomeView::ShowWelcome(const QString& note)
{
    showingWelcome_ = true;
    setHtml(WelcomeHtml(note));
}

void HomeView::LoadPage(const QUrl& url)
{
    if (network_ == nullptr)
        network_ = new QNetworkAccessManager(this);
    if (pending_ != nullptr) {
        pending_->disconnect(this);
        pending_->abort();
        pending_->deleteLater();
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(kFetchTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    pending_ = network_->get(request);
    QNetworkReply* reply = pending_;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { OnReply(reply); });
}

void HomeView::OnReply(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply != pending_)
        return;
    pending_ = nullptr;
    const QUrl url = reply->request().url();
    if (reply->error() != QNetworkReply::NoError) {
        ShowWelcome(QStringLiteral("The news and tips page %1 could not be loaded: %2")
                        .arg(url.toString(), reply->errorString()));
        emit PageLoaded(false);
        return;
    }
    const QByteArray body = reply->read(kMaxPageBytes);
    showingWelcome_ = false;
    document()->setBaseUrl(url);
    setHtml(QString::fromUtf8(body));
    emit PageLoaded(true);
}

}  // namespace korvalin::ui
