#include "MailDocument.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextFragment>
#include <QTextImageFormat>

namespace korvalin::ui {
namespace {

// data:[type][;base64],payload — only images are taken.
QImage DataImage(const QUrl& url)
{
    const QByteArray text = url.toEncoded(QUrl::RemoveScheme);
    const qsizetype comma = text.indexOf(',');
    if (comma < 0 || text.size() > MailDocument::kMaxImageBytes * 2)
        return {};
    const QByteArray meta = text.left(comma).toLower();
    if (!meta.startsWith("image/"))
        return {};
    const QByteArray payload = text.mid(comma + 1);
    const QByteArray bytes = meta.endsWith(";base64") ? QByteArray::fromBase64(QByteArray::fromPercentEncoding(payload))
                                                      : QByteArray::fromPercentEncoding(payload);
    if (bytes.size() > MailDocument::kMaxImageBytes)
        return {};
    return QImage::fromData(bytes);
}

}  // namespace

bool IsOwnResource(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == "data" || scheme == "cid";
}

MailDocument::MailDocument(QObject* parent) : QTextDocument(parent), placeholder_(1, 1, QImage::Format_ARGB32)
{
    placeholder_.fill(Qt::transparent);
}

void MailDocument::SetParts(std::vector<mime::PagePart> parts)
{
    parts_ = std::move(parts);
}

QImage MailDocument::PartImage(const QUrl& name) const
{
    const std::string id = QUrl::fromPercentEncoding(name.path(QUrl::FullyEncoded).toUtf8()).toStdString();
    for (const mime::PagePart& part : parts_) {
        if (part.ContentId != id || part.ContentType.rfind("image/", 0) != 0)
            continue;
        if (part.Data.size() > static_cast<size_t>(kMaxImageBytes))
            return {};
        return QImage::fromData(QByteArray::fromRawData(part.Data.data(), static_cast<qsizetype>(part.Data.size())));
    }
    return {};
}

QVariant MailDocument::loadResource(int type, const QUrl& name)
{
    // Never the base class: it reads local files for whatever it is asked.
    if (type != ImageResource || !IsOwnResource(name))
        return Refuse(type, name);
    QImage image = name.scheme().toLower() == "data" ? DataImage(name) : PartImage(name);
    if (image.isNull())
        return Refuse(type, name);
    return image;
}

QVariant MailDocument::Refuse(int type, const QUrl& name)
{
    const QString address = name.toString();
    if (!refused_.contains(address))
        refused_.append(address);
    // An empty answer would send the image handler to the file itself: the
    // refused image is a transparent dot, the refused style sheet empty.
    if (type == ImageResource)
        return placeholder_;
    return QString();
}

QStringList MailDocument::ForeignImages() const
{
    QStringList images;
    for (QTextBlock block = begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QString name = format.toImageFormat().name();
            if (!IsOwnResource(QUrl(name)) && !images.contains(name))
                images.append(name);
        }
    }
    return images;
}

QString DeclaredCharset(const QByteArray& bytes)
{
    static const QRegularExpression meta(QStringLiteral("<meta[^>]*charset\\s*=\\s*[\"']?([A-Za-z0-9_.:-]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = meta.match(QString::fromLatin1(bytes.left(4096)));
    return match.hasMatch() ? match.captured(1) : QString();
}

QString DecodePage(const QByteArray& bytes, const QString& given)
{
    QString text;
    const QString charset = given.isEmpty() ? DeclaredCharset(bytes) : given;
    QStringDecoder decoder(charset.isEmpty() ? "ISO-8859-1" : charset.toLatin1().constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Latin1);
    text = decoder.decode(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace korvalin::ui
