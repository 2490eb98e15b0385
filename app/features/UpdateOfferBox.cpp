#include "UpdateOfferBox.h"

#include "UiPort.h"

namespace korvalin {

void UpdateOfferBox::OnUpdateNow()
{
    accepted_ = true;
    closed_ = true;
}

void UpdateOfferBox::OnDontUpdate()
{
    if (AskYesNo(ui_, kDontUpdateQuestion, MessageAnswer::No) == MessageAnswer::Yes)
        closed_ = true;
}

void UpdateOfferBox::OnTellMeMore()
{
    Tell(ui_, featuresText_, MessageIcon::Information);
}

}  // namespace korvalin
