#include "HeadlessPort.h"

#include "LoginProgressBox.h"

#include <cstdio>
#include <cstdlib>

namespace korvalin::demo {

MessageBoxReply HeadlessPort::ShowMessage(const MessageBoxRequest& request)
{
    // Questions take their way out silently; notices and warnings are shown.
    if (request.icon != MessageIcon::Question)
        std::fprintf(stderr, "korvalin-demo-profile: %s\n", request.text.c_str());
    MessageBoxReply reply;
    switch (request.buttons) {
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
        reply.answer = MessageAnswer::Cancel;
        break;
    case MessageButtons::YesNo:
        reply.answer = MessageAnswer::No;
        break;
    case MessageButtons::Ok:
        reply.answer = MessageAnswer::Ok;
        break;
    }
    return reply;
}

void HeadlessPort::FatalError(const std::string& text)
{
    std::fprintf(stderr, "korvalin-demo-profile: %s\n", text.c_str());
    std::_Exit(1);
}

void HeadlessPort::RunLoginProgress(LoginProgressBox& box)
{
    box.OnCancel();
}

}  // namespace korvalin::demo
