#include "MailReader.h"

#include "AtomicFile.h"
#include "MailDocument.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvalin::ui {
namespace {

QLabel* HeaderValue(const std::string& text, QWidget* parent)
{
    auto* label = new QLabel(QString::fromStdString(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

QString Q(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

MailReaderHooks WithDefaults(MailReaderHooks hooks, QWidget* owner)
{
    if (!hooks.ask)
        hooks.ask = [owner](const QString& question) {
            QMessageBox box(QMessageBox::Question, "Korvalin Mail", question, QMessageBox::Yes | QMessageBox::No,
                            owner);
            box.setTextFormat(Qt::PlainText);
            box.setDefaultButton(QMessageBox::No);
            return box.exec() == QMessageBox::Yes;
        };
    if (!hooks.openInBrowser)
        hooks.openInBrowser = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    if (!hooks.askAttachmentFile)
        hooks.askAttachmentFile = [owner](const QString& suggested) {
            // Never the data folder (the program's current directory).
            QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
            if (folder.isEmpty() || !QDir(folder).exists())
                folder = QDir::homePath();
            return QFileDialog::getSaveFileName(owner, "Save Attachment", QDir(folder).filePath(suggested));
        };
    if (!hooks.tell)
        hooks.tell = [owner](const QString& text) {
            QMessageBox box(QMessageBox::Warning, "Korvalin Mail", text, QMessageBox::Ok, owner);
            box.setTextFormat(Qt::PlainText);
            box.exec();
        };
    return hooks;
}

}  // namespace

QString SafeAttachmentName(const QString& name)
{
    QString base = name.section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1);
    QString clean;
    for (QChar c : base)
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F && c != QLatin1Char(':'))
            clean += c;
    while (!clean.isEmpty() && (clean.front() == QLatin1Char('.') || clean.front().isSpace()))
        clean.remove(0, 1);
    while (!clean.isEmpty() && clean.back().isSpace())
        clean.chop(1);
    return clean.isEmpty() ? QStringLiteral("attachment") : clean;
}

MailReader::MailReader(const MailWindowRequest& request, QWidget* parent, MailReaderHooks hooks)
    : QWidget(parent), hooks_(WithDefaults(std::move(hooks), this))
{
    setObjectName("mailReader");
    setWindowTitle(Q(request.title));
    auto* header = new QFormLayout;
    header->addRow("From:", HeaderValue(request.from, this));
    header->addRow("To:", HeaderValue(request.to, this));
    if (!request.cc.empty())
        header->addRow("Cc:", HeaderValue(request.cc, this));
    header->addRow("Subject:", HeaderValue(request.subject, this));

    notice_ = new QLabel(this);
    notice_->setObjectName("mailNotice");
    notice_->setTextFormat(Qt::PlainText);
    notice_->setWordWrap(true);
    notice_->setStyleSheet("QLabel { background: #fff6d5; padding: 3px; }");
    notice_->hide();

    body_ = new QTextBrowser(this);
    body_->setObjectName("mailBody");
    document_ = new MailDocument(body_);
    body_->setDocument(document_);
    body_->setOpenLinks(false);
    body_->setOpenExternalLinks(false);
    connect(body_, &QTextBrowser::anchorClicked, this, &MailReader::FollowLink);

    attachments_ = new QTreeWidget(this);
    attachments_->setObjectName("attachments");
    attachments_->setHeaderLabels({"Attachment", "Type", "Size"});
    attachments_->setRootIsDecorated(false);
    attachments_->setMaximumHeight(110);
    attachments_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    saveAttachment_ = new QPushButton("Save Attachment...", this);
    saveAttachment_->setObjectName("saveAttachment");
    connect(saveAttachment_, &QPushButton::clicked, this, [this] {
        SaveAttachment(attachments_->indexOfTopLevelItem(attachments_->currentItem()));
    });
    connect(attachments_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { SaveAttachment(attachments_->indexOfTopLevelItem(item)); });

    auto* attachmentRow = new QHBoxLayout;
    attachmentRow->addWidget(attachments_, 1);
    attachmentRow->addWidget(saveAttachment_, 0, Qt::AlignTop);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(notice_);
    layout->addWidget(body_, 1);
    layout->addLayout(attachmentRow);

    ShowPage(Q(request.cachedFile));
}

void MailReader::ShowPage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        body_->setPlainText(QStringLiteral("The local copy of this mail (%1) cannot be read: %2")
                                .arg(file.fileName(), file.errorString()));
        ShowAttachments();
        return;
    }
    const QByteArray bytes = file.read(kMaxPageBytes);
    const bool pageCut = file.size() > bytes.size();
    const std::string page = bytes.toStdString();
    mime::ReadPageResult read = mime::ReadPage(page);
    for (mime::PagePart& part : read.Parts)
        if (part.Listed)
            listed_.push_back(part);
    // The size limit applies to what is shown; the parts come after it.
    const auto limit = static_cast<size_t>(hooks_.shownLimit);
    QByteArray shown(read.Body.data(), static_cast<qsizetype>(std::min(read.Body.size(), limit)));
    const bool cut = pageCut || read.Body.size() > limit;
    // The page's first declaration counts (a plug-in's UTF-8 page may hold a
    // mail whose HTML still names the charset it was sent in).
    document_->SetParts(std::move(read.Parts));
    body_->setHtml(DecodePage(shown, DeclaredCharset(bytes)));
    ShowAttachments();
    UpdateNotice(cut);
}

void MailReader::ShowAttachments()
{
    attachments_->clear();
    QLocale locale;
    for (const mime::PagePart& part : listed_) {
        auto* item = new QTreeWidgetItem(attachments_);
        item->setText(0, SafeAttachmentName(Q(part.FileName)));
        item->setText(1, Q(part.ContentType));
        item->setText(2, locale.formattedDataSize(static_cast<qint64>(part.Data.size())));
    }
    if (!listed_.empty())
        attachments_->setCurrentItem(attachments_->topLevelItem(0));
    attachments_->setVisible(!listed_.empty());
    saveAttachment_->setVisible(!listed_.empty());
}

void MailReader::UpdateNotice(bool cut)
{
    QStringList lines;
    if (cut)
        lines << QStringLiteral("This mail is longer than %1: only its beginning is shown.")
                     .arg(QLocale().formattedDataSize(hooks_.shownLimit));
    const int foreign = static_cast<int>(document_->ForeignImages().size());
    if (foreign > 0)
        lines << QStringLiteral("%1 picture(s) from outside this mail were not loaded.").arg(foreign);
    notice_->setText(lines.join('\n'));
    notice_->setVisible(!lines.isEmpty());
}

void MailReader::FollowLink(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (url.isRelative() || scheme.isEmpty()) {
        if (!url.fragment().isEmpty() && url.path().isEmpty())
            body_->scrollToAnchor(url.fragment());
        return;
    }
    const QString target = url.toString(QUrl::FullyEncoded);
    if (scheme == "http" || scheme == "https") {
        if (hooks_.ask("This link leads to:\n\n" + target + "\n\nOpen it in your web browser?"))
            hooks_.openInBrowser(url);
    } else if (scheme == "mailto") {
        if (hooks_.ask("This link writes a new mail:\n\n" + target + "\n\nStart that mail?") && hooks_.compose)
            hooks_.compose(url);
    }
    // Any other kind of link (file, javascript, data, ...) goes nowhere.
}

bool MailReader::SaveAttachment(int index)
{
    if (index < 0 || index >= static_cast<int>(listed_.size()))
        return false;
    const mime::PagePart& part = listed_[static_cast<size_t>(index)];
    const QString path = hooks_.askAttachmentFile(SafeAttachmentName(Q(part.FileName)));
    if (path.isEmpty())
        return false;
    const Status written = WriteFileAtomically(path.toStdString(), part.Data, 0644);
    if (!written) {
        hooks_.tell(QStringLiteral("The attachment could not be saved to %1: %2").arg(path, Q(written.error)));
        return false;
    }
    return true;
}

}  // namespace korvalin::ui
