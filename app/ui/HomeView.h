// The home window's view: the news and tips page fetched from the program's
// web site, or a local welcome page while offline or when the site cannot be
// reached. Links open in the person's web browser; nothing else is loaded
// from the network.
#pragma once

#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace korvalin::ui {

class HomeView : public QTextBrowser {
    Q_OBJECT
public:
    static constexpr int kFetchTimeoutMs = 15000;

    explicit HomeView(QWidget* parent = nullptr);

    // Fetches url and shows it; shows the welcome page with the reason when
    // that fails.
    void LoadPage(const QUrl& url);
    void ShowWelcome(const QString& note = {});
    bool ShowingWelcome() const { return showingWelcome_; }

signals:
    void PageLoaded(bool fetched);

private:
    void OnReply(QNetworkReply* reply);

    QNetworkAccessManager* network_ = nullptr;
    QNetworkReply* pending_ = nullptr;
    bool showingWelcome_ = true;
};

}  // namespace korvalin::ui
