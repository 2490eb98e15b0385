#include "UiPort.h"

#include <chrono>
#include <thread>

namespace korvalin {

void UiPort::ReturnUnsentMail(const UnsentMail& mail)
{
    Tell(*this, mail.text);
}

void UiPort::KeepAliveUntil(const std::function<bool()>& done)
{
    while (!done())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

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
