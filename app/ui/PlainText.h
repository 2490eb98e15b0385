// Texts that come from mail or the network (subjects, senders, log lines)
// shown as they are written: Qt takes any text that looks like markup for
// rich text, so such a text is escaped before a widget sees it.
#pragma once

#include <QString>

namespace korvalin::ui {

// A tool tip that shows text literally, angle brackets and all.
inline QString PlainToolTip(const QString& text)
{
    if (text.isEmpty())
        return text;
    return QStringLiteral("<p style=\"white-space: pre-wrap\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

}  // namespace korvalin::ui
