// A mail shown from its cached file: the header texts, a notice line, the
// mail itself and the list of its attachments.
//
// The mail cannot harm: its page loads nothing but its own parts
// (MailDocument), runs no scripts, and a clicked link is followed only for
// http, https (in the web browser) and mailto (a new mail), each after a
// question that shows the whole address; relative links and every other
// kind go nowhere.
#pragma once

#include "MailPage.h"
#include "UiPort.h"

#include <QUrl>
#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QTextBrowser;
class QTreeWidget;

namespace korvalin::ui {

class MailDocument;

// What the reader asks of the person and the desktop, and how much it
// shows; tests replace them.
struct MailReaderHooks {
    // Yes/No question; true for Yes.
    std::function<bool(const QString& question)> ask;
    // Opens a web address in the person's browser.
    std::function<void(const QUrl& url)> openInBrowser;
    // Starts a new mail to the address of a mailto link (all of the link's text).
    std::function<void(const QUrl& mailto)> compose;
    // Where an attachment goes; empty when the person cancelled.
    std::function<QString(const QString& suggestedName)> askAttachmentFile;
    // Tells the person something went wrong.
    std::function<void(const QString& text)> tell;
    // How much of the mail's text is shown at most.
    qint64 shownLimit = 8 * 1024 * 1024;
};

class MailReader : public QWidget {
    Q_OBJECT
public:
    explicit MailReader(const MailWindowRequest& request, QWidget* parent = nullptr, MailReaderHooks hooks = {});

    QTextBrowser& Body() const { return *body_; }
    MailDocument& Document() const { return *document_; }
    QLabel& Notice() const { return *notice_; }
    QTreeWidget& Attachments() const { return *attachments_; }
    const std::vector<mime::PagePart>& ListedParts() const { return listed_; }

    void SetComposeHook(std::function<void(const QUrl& mailto)> compose) { hooks_.compose = std::move(compose); }

    // What a click on a link does (see above).
    void FollowLink(const QUrl& url);
    // Save Attachment… for the listed part at index; false when not saved.
    bool SaveAttachment(int index);

    static constexpr qint64 kMaxPageBytes = 64 * 1024 * 1024;

private:
    void ShowPage(const QString& path);
    void ShowAttachments();
    void UpdateNotice(bool cut);

    MailReaderHooks hooks_;
    QTextBrowser* body_ = nullptr;
    MailDocument* document_ = nullptr;
    QLabel* notice_ = nullptr;
    QTreeWidget* attachments_ = nullptr;
    QPushButton* saveAttachment_ = nullptr;
    std::vector<mime::PagePart> listed_;
};

// A file name for saving an attachment: the last path component, without
// control characters, leading dots or blanks; "attachment" when nothing is left.
QString SafeAttachmentName(const QString& name);

}  // namespace korvalin::ui
