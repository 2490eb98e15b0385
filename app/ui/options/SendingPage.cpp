#include "SendingPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QVBoxLayout>

namespace korvalin::ui {
namespace {

QLineEdit* PrefixBox(QWidget* parent, const std::string& value, const char* name)
{
    auto* box = new QLineEdit(QString::fromStdString(value), parent);
    box->setObjectName(name);
    box->setMaxLength(kPrefixBoxLength);
    box->setMaximumWidth(80);
    return box;
}

}  // namespace

QString SignatureForBox(const std::string& stored)
{
    QString shown = QString::fromStdString(stored);
    shown.replace("\r\n", "\n");
    return shown;
}

std::string SignatureForStore(const QString& shown)
{
    QString stored = shown;
    stored.replace("\r\n", "\n");
    stored.replace("\n", "\r\n");
    return stored.toStdString();
}

int SignatureBoxLength(const QString& shown)
{
    return static_cast<int>(shown.length() + shown.count('\n'));
}

SendingPage::SendingPage(const OptionsValues& values, const std::string& defaultSignature, QWidget* parent)
    : QWidget(parent), defaultSignature_(SignatureForBox(defaultSignature))
{
    setObjectName("sendingPage");
    prefixReply = new QCheckBox("When replying, prefix original mail with: ", this);
    prefixReply->setChecked(values.prefixReply);
    replyPrefix = PrefixBox(this, values.replyPrefix, "replyPrefix");
    prefixForward = new QCheckBox("When forwarding, prefix original mail with: ", this);
    prefixForward->setChecked(values.prefixForward);
    forwardPrefix = PrefixBox(this, values.forwardPrefix, "forwardPrefix");
    addSignature = new QCheckBox("Add this signature to all the mails I send", this);
    addSignature->setChecked(values.addSignature);
    useDefault = new QCheckBox("Use default", this);
    useDefault->setObjectName("useDefault");
    signature = new QPlainTextEdit(SignatureForBox(values.signature), this);
    signature->setObjectName("signature");
    signature->setLineWrapMode(QPlainTextEdit::NoWrap);
    signature->setMinimumSize(460, 110);
    acceptedSignature_ = signature->toPlainText();
    saveCopy = new QCheckBox("By default, save a copy of every mail I send", this);
    saveCopy->setChecked(values.saveCopy);
    useDefault->setChecked(SignatureForBox(values.signature) == defaultSignature_);

    auto* prefixes = new QGridLayout;
    prefixes->addWidget(prefixReply, 0, 0);
    prefixes->addWidget(replyPrefix, 0, 1);
    prefixes->addWidget(prefixForward, 1, 0);
    prefixes->addWidget(forwardPrefix, 1, 1);
    prefixes->setColumnStretch(2, 1);
    auto* signatureRow = new QHBoxLayout;
    signatureRow->addWidget(addSignature);
    signatureRow->addStretch(1);
    signatureRow->addWidget(useDefault);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(prefixes);
    layout->addSpacing(8);
    layout->addLayout(signatureRow);
    layout->addWidget(signature, 1);
    layout->addWidget(saveCopy);

    connect(prefixReply, &QCheckBox::toggled, this, &SendingPage::UpdateEnabling);
    connect(prefixForward, &QCheckBox::toggled, this, &SendingPage::UpdateEnabling);
    connect(addSignature, &QCheckBox::toggled, this, &SendingPage::UpdateEnabling);
    connect(useDefault, &QCheckBox::toggled, this, &SendingPage::UseDefaultToggled);
    connect(signature, &QPlainTextEdit::textChanged, this, &SendingPage::KeepSignatureShort);
    UpdateEnabling();
}

void SendingPage::UpdateEnabling()
{
    replyPrefix->setEnabled(prefixReply->isChecked());
    forwardPrefix->setEnabled(prefixForward->isChecked());
    signature->setEnabled(addSignature->isChecked() && !useDefault->isChecked());
}

void SendingPage::UseDefaultToggled(bool on)
{
    if (on)
        signature->setPlainText(defaultSignature_);
    UpdateEnabling();
}

void SendingPage::KeepSignatureShort()
{
    const QString text = signature->toPlainText();
    if (SignatureBoxLength(text) <= kSignatureBoxLength) {
        acceptedSignature_ = text;
        return;
    }
    // The box takes no more: the typing (or pasting) that overfilled it is undone.
    QSignalBlocker block(signature);
    signature->setPlainText(acceptedSignature_);
    signature->moveCursor(QTextCursor::End);
}

void SendingPage::CopyTo(OptionsValues& values) const
{
    values.prefixReply = prefixReply->isChecked();
    values.replyPrefix = replyPrefix->text().toStdString();
    values.prefixForward = prefixForward->isChecked();
    values.forwardPrefix = forwardPrefix->text().toStdString();
    values.addSignature = addSignature->isChecked();
    values.signature = SignatureForStore(signature->toPlainText());
    values.saveCopy = saveCopy->isChecked();
}

}  // namespace korvalin::ui
