// The MailCity provider: logs in through the form on the service's home
// page and learns the Read Mail link, which names the mail host and the
// mailbox path; everything after that is the ".femail" page family.
//
// Two hosts come from hosts.conf: "mailcity.home" (the home page with the
// login form) and "mailcity.terms" (the sign-up page).
#pragma once

#include "FemailProvider.h"

class CMailCity : public CFemailProvider {
public:
    CMailCity();

    [[nodiscard]] bool DoLogin() override;
};
