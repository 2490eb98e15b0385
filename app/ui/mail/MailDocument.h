// The document a mail is shown in. A received mail is hostile input, so
// the document loads nothing from anywhere but the mail itself: images
// written into the page as "data:" and the parts of the same mail named by
// "cid:". Every other image, background or style sheet is refused without
// being read — no file, no device, no FIFO, no network — and shows as an
// empty spot.
#pragma once

#include "MailPage.h"

#include <QImage>
#include <QStringList>
#include <QTextDocument>

#include <vector>

namespace korvalin::ui {

class MailDocument : public QTextDocument {
    Q_OBJECT
public:
    explicit MailDocument(QObject* parent = nullptr);

    // The parts "cid:" may name.
    void SetParts(std::vector<mime::PagePart> parts);
    // The addresses refused so far, each once.
    const QStringList& Refused() const { return refused_; }
    // The images of the page that come from elsewhere (refused or not yet asked for).
    QStringList ForeignImages() const;

    static constexpr qsizetype kMaxImageBytes = 16 * 1024 * 1024;

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    QVariant Refuse(int type, const QUrl& name);
    QImage PartImage(const QUrl& name) const;

    std::vector<mime::PagePart> parts_;
    QStringList refused_;
    QImage placeholder_;
};

// Whether an image address is the mail's own (data: or cid:).
bool IsOwnResource(const QUrl& url);

// The text of a page's bytes: by charset, or when that is empty by the
// charset the bytes' own <meta> declares, else Latin-1 (every byte is a
// character; nothing is forced into UTF-8). Line ends become LF, so CR LF
// does not show as two lines.
QString DecodePage(const QByteArray& bytes, const QString& charset = {});

// The charset a page declares in a <meta> near its start, or "".
QString DeclaredCharset(const QByteArray& bytes);

}  // namespace korvalin::ui
