#include "UiPort.h"

namespace korvalin {

MessageBoxReply Tell(UiPort& ui, const std::string& text, MessageIcon icon)
{
    MessageBoxRequest request;
    request.text = text;
    request.icon = icon;
    return ui.ShowMessage(request);
}

MessageAnswer AskYesNo(UiPort& ui, const std::string& text, MessageAnswer defaultButton)
{
    MessageBoxRequest request;
    request.text = text;
    request.icon = MessageIcon::Question;
    request.buttons = MessageButtons::YesNo;
    request.defaultButton = defaultButton;
    return ui.ShowMessage(request).answer;
}

}  // namespace korvalin
