// The mail view against hostile mail: nothing but the mail's own images is
// loaded, links go nowhere unasked, the page's charset is honoured, and the
// attachments list and saves its parts.
#include "ComposeText.h"
#include "MailDocument.h"
#include "MailPage.h"
#include "MailReader.h"
#include "PlainText.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QLabel>
#include <QTextBrowser>
#include <QTreeWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace korvalin::ui::test {
namespace {

namespace fs = std::filesystem;

QByteArray PngBytes(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class MailReaderTest : public ::testing::Test {
protected:
    MailReaderTest()
    {
        char pattern[] = "/tmp/korvalin-reader.XXXXXX";
        dir = ::mkdtemp(pattern);
    }
    ~MailReaderTest() override { fs::remove_all(dir); }

    std::unique_ptr<MailReader> Show(const std::string& page, qint64 shownLimit = 8 * 1024 * 1024)
    {
        const std::string file = dir + "/KVX1.htm";
        std::ofstream(file, std::ios::binary) << page;
        MailWindowRequest request;
        request.from = "a@x";
        request.subject = "s";
        request.cachedFile = file;
        MailReaderHooks hooks;
        hooks.ask = [this](const QString& question) {
            questions << question;
            return answer;
        };
        hooks.openInBrowser = [this](const QUrl& url) { opened << url; };
        hooks.compose = [this](const QUrl& url) { composed << url; };
        hooks.askAttachmentFile = [this](const QString& suggested) {
            suggestions << suggested;
            return saveTo;
        };
        hooks.tell = [this](const QString& text) { told << text; };
        hooks.shownLimit = shownLimit;
        auto reader = std::make_unique<MailReader>(request, nullptr, hooks);
        reader->resize(600, 400);
        reader->grab();  // lays the page out and paints it: every image is asked for
        return reader;
    }

    std::string dir;
    bool answer = true;
    QString saveTo;
    QStringList questions, suggestions, told;
    QList<QUrl> opened, composed;
};

}  // namespace

TEST_F(MailReaderTest, NothingOutsideTheMailIsRead)
{
    const std::string fifo = dir + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string png = dir + "/real.png";
    QByteArray real = PngBytes(7, 5);
    std::ofstream(png, std::ios::binary).write(real.constData(), real.size());
    std::ofstream(dir + "/secret.png", std::ios::binary).write(real.constData(), real.size());
    // Each of these would hang (device, FIFO) or show the file if it were read.
    const std::vector<std::string> images = {"/dev/zero", fifo, "file://" + png, "http://127.0.0.1:9/remote.png",
                                             "secret.png"};
    std::string html = "<html><head><link rel=\"stylesheet\" href=\"/dev/zero\"></head>"
                       "<body background=\"/dev/zero\"><div style=\"background-image: url(/dev/zero)\">x</div>";
    for (const std::string& image : images)
        html += "<img src=\"" + image + "\">";
    html += "</body></html>";
    auto reader = Show(html);

    int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    EXPECT_EQ(writer, -1) << "someone opened the FIFO for reading";
    EXPECT_EQ(errno, ENXIO);
    if (writer >= 0)
        ::close(writer);
    for (const std::string& image : images) {
        const QVariant shown = reader->Document().resource(QTextDocument::ImageResource, QUrl(QString::fromStdString(image)));
        EXPECT_EQ(qvariant_cast<QImage>(shown).size(), QSize(1, 1)) << image;
        EXPECT_TRUE(reader->Document().Refused().contains(QString::fromStdString(image))) << image;
    }
    EXPECT_TRUE(reader->Notice().isVisibleTo(reader.get()));
    EXPECT_TRUE(reader->Notice().text().contains("5 picture(s) from outside this mail were not loaded"))
        << reader->Notice().text().toStdString();
}

TEST_F(MailReaderTest, TheMailsOwnImagesShow)
{
    QByteArray png = PngBytes(2, 3);
    std::string html = "<img src=\"data:image/png;base64," + png.toBase64().toStdString() + "\">"
                       "<img src=\"cid:logo@shop\"><img src=\"cid:missing@shop\">";
    auto reader = Show(mime::WritePage(html, {{"", "image/png", "logo@shop", png.toStdString(), false},
                                             {"x.exe", "application/x-dosexec", "", "MZ", true}}));
    auto size = [&](const std::string& url) {
        return qvariant_cast<QImage>(reader->Document().resource(QTextDocument::ImageResource, QUrl(QString::fromStdString(url))))
            .size();
    };
    EXPECT_EQ(size("data:image/png;base64," + png.toBase64().toStdString()), QSize(2, 3));
    EXPECT_EQ(size("cid:logo@shop"), QSize(2, 3));
    EXPECT_EQ(size("cid:missing@shop"), QSize(1, 1));
    EXPECT_FALSE(reader->Notice().isVisibleTo(reader.get()));
}

TEST_F(MailReaderTest, LinksAreFollowedOnlyWhenSafeAndAsked)
{
    struct Case {
        QString url;
        bool answer;
        bool asked, opened, composed;
    };
    const std::vector<Case> cases = {
        {"http://example.org/a?b=c#d", true, true, true, false},
        {"https://example.org/", false, true, false, false},
        {"mailto:ann@example.org?subject=Hi", true, true, false, true},
        {"mailto:ann@example.org", false, true, false, false},
        {"file:///etc/passwd", true, false, false, false},
        {"javascript:alert(1)", true, false, false, false},
        {"../../registry", true, false, false, false},
        {"KVX2.htm", true, false, false, false},
        {"data:text/html,<b>x</b>", true, false, false, false},
        {"ftp://example.org/f", true, false, false, false},
    };
    auto reader = Show("<p>links</p>");
    for (const Case& c : cases) {
        questions.clear();
        opened.clear();
        composed.clear();
        answer = c.answer;
        reader->FollowLink(QUrl(c.url));
        EXPECT_EQ(!questions.isEmpty(), c.asked) << c.url.toStdString();
        if (!questions.isEmpty()) {
            EXPECT_TRUE(questions[0].contains(QUrl(c.url).toString(QUrl::FullyEncoded))) << questions[0].toStdString();
        }
        EXPECT_EQ(!opened.isEmpty(), c.opened) << c.url.toStdString();
        EXPECT_EQ(!composed.isEmpty(), c.composed) << c.url.toStdString();
    }
}

TEST_F(MailReaderTest, PagesAreDecodedByTheirDeclaredCharset)
{
    const std::vector<std::pair<QByteArray, QString>> cases = {
        {"<meta charset=\"iso-8859-1\">caf\xE9", "caf\u00e9"},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">caf\xC3\xA9", "caf\u00e9"},
        {"<META CHARSET=windows-1252>\x80 5", "\u20ac 5"},
        {"caf\xE9", "caf\u00e9"},                     // nothing declared: Latin-1
        {"caf\xC3\xA9", "caf\u00c3\u00a9"},           // never guessed to be UTF-8
        {"<meta charset=\"no-such\">caf\xE9", "caf\u00e9"},
        {"a\r\nb\rc", "a\nb\nc"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_TRUE(DecodePage(bytes).endsWith(text)) << bytes.toStdString() << " -> " << DecodePage(bytes).toStdString();
}

TEST_F(MailReaderTest, APagesFirstCharsetWinsOverTheMailsOwn)
{
    // The plug-in converted the mail to UTF-8; its HTML still names Latin-1.
    auto reader = Show(mime::WritePage("<html><head><meta charset=\"iso-8859-1\"></head><p>caf\xC3\xA9</p>", {}));
    EXPECT_EQ(reader->Body().toPlainText(), "caf\u00e9");
}

TEST_F(MailReaderTest, PlainTextPagesShowSingleSpacedAndACutSaysSo)
{
    auto small = Show(mime::WritePage("<pre>one\r\ntwo\r\nthree</pre>", {}));
    EXPECT_EQ(small->Body().toPlainText(), "one\ntwo\nthree");
    EXPECT_FALSE(small->Notice().isVisibleTo(small.get()));

    auto large = Show("<pre>" + std::string(5000, 'x') + "</pre>", 1000);
    EXPECT_TRUE(large->Notice().text().contains("only its beginning is shown"));
    EXPECT_EQ(large->Body().toPlainText().size(), 1000 - 5);
}

TEST_F(MailReaderTest, AttachmentsAreListedAndSavedUnderSafeNames)
{
    auto reader = Show(mime::WritePage("<p>see attached</p>", {{"../../.bashrc", "text/plain", "", "echo hi", true},
                                                              {"", "image/png", "inline@x", "PNG", false},
                                                              {"report.pdf", "application/pdf", "", "%PDF", true}}));
    ASSERT_EQ(reader->Attachments().topLevelItemCount(), 2);
    EXPECT_EQ(reader->Attachments().topLevelItem(0)->text(0), "bashrc");
    EXPECT_EQ(reader->Attachments().topLevelItem(1)->text(0), "report.pdf");
    EXPECT_EQ(reader->Attachments().topLevelItem(1)->text(1), "application/pdf");

    saveTo = QString::fromStdString(dir + "/saved.txt");
    ASSERT_TRUE(reader->SaveAttachment(0));
    EXPECT_EQ(suggestions.value(0), "bashrc");
    std::ifstream saved(dir + "/saved.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), "echo hi");

    saveTo = QString::fromStdString(dir + "/no/such/folder/x");
    EXPECT_FALSE(reader->SaveAttachment(1));
    EXPECT_EQ(told.size(), 1);
    saveTo.clear();
    EXPECT_FALSE(reader->SaveAttachment(1));  // cancelled
    EXPECT_EQ(told.size(), 1);
}

TEST(MailViewText, SafeNamesToolTipsAndQuotes)
{
    const std::vector<std::pair<QString, QString>> names = {
        {"a.pdf", "a.pdf"}, {"/etc/passwd", "passwd"}, {"..\\..\\x.exe", "x.exe"}, {"...", "attachment"},
        {"\x01name\n.txt", "name.txt"}, {"", "attachment"}};
    for (const auto& [name, safe] : names)
        EXPECT_EQ(SafeAttachmentName(name), safe) << name.toStdString();

    QTextDocument tip;
    tip.setHtml(PlainToolTip("<b>Offer</b> & <script>"));
    EXPECT_EQ(tip.toPlainText(), "<b>Offer</b> & <script>");
    EXPECT_EQ(PlainToolTip(""), "");

    // Quoting a mail quotes its text, never its parts.
    const std::string page = mime::WritePage("<pre>Hello</pre>", {{"a.bin", "application/octet-stream", "", "SECRET", true}});
    const std::string quoted = QuotedOriginal(page, "> ", nullptr);
    EXPECT_NE(quoted.find("> Hello"), std::string::npos) << quoted;
    EXPECT_EQ(quoted.find("U0VDUkVU"), std::string::npos) << quoted;
    EXPECT_EQ(quoted.find("meta"), std::string::npos) << quoted;

    // A POP reply names the mail it answers; web services get nothing new.
    ComposedMail reply;
    reply.to = "a@x";
    reply.repliedMessageId = "<orig@x>";
    EXPECT_EQ(BuildOutgoingMail(reply, "web", true, nullptr).Extra, "<orig@x>");
    EXPECT_EQ(BuildOutgoingMail(reply, "web", false, nullptr).Extra, "");
}

}  // namespace korvalin::ui::test
