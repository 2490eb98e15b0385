#include "OutgoingMail.h"

namespace korvalin::pop {

bool ComposeOutgoing(CPopMessage& message, OutgoingMail& mail)
{
    if (!message.ComposeHeader())
        return false;
    std::string body = NormalizeLineEnds(message.Body);
    if (body.size() < 2 || body.compare(body.size() - 2, 2, "\r\n") != 0)
        body += "\r\n";
    mail.From = message.From;
    mail.Recipients.clear();
    for (const CPopMessage::Recipient& recipient : message.Recipients)
        mail.Recipients.push_back(recipient.Address);
    mail.Data = message.Header;
    mail.Data += "X-Mailer: Korvalin Mail v1.2\r\n";
    mail.Data += "\r\n";
    mail.Data += body;
    mail.Data += "\r\n";
    return true;
}

}  // namespace korvalin::pop
