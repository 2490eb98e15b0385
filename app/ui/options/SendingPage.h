// The Options sheet's "Sending" page: reply and forward prefixes, the
// signature and the save-a-copy default.
#pragma once

#include "OptionsValues.h"

#include <QString>
#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace korvalin::ui {

class SendingPage : public QWidget {
    Q_OBJECT
public:
    // defaultSignature: the built-in signature ("Use default").
    SendingPage(const OptionsValues& values, const std::string& defaultSignature, QWidget* parent = nullptr);
    void CopyTo(OptionsValues& values) const;

    QCheckBox* prefixReply = nullptr;
    QLineEdit* replyPrefix = nullptr;
    QCheckBox* prefixForward = nullptr;
    QLineEdit* forwardPrefix = nullptr;
    QCheckBox* addSignature = nullptr;
    QPlainTextEdit* signature = nullptr;
    QCheckBox* useDefault = nullptr;
    QCheckBox* saveCopy = nullptr;

private:
    void UseDefaultToggled(bool on);
    void KeepSignatureShort();
    void UpdateEnabling();

    QString defaultSignature_;  // as the box shows it
    QString acceptedSignature_;
};

// The signature as the box shows it (line feeds) and as it is stored (CR LF).
QString SignatureForBox(const std::string& stored);
std::string SignatureForStore(const QString& shown);
// The length the box counts: a line break counts as two characters, as it
// takes two in the stored signature.
int SignatureBoxLength(const QString& shown);

}  // namespace korvalin::ui
