// The AngelFire provider: the ".femail" page family on one fixed mail host.
// The login form is posted straight to that host, and the answer's Read
// Mail link names the mailbox path that the built page addresses use.
//
// Two hosts come from hosts.conf: "angelfire.mail" (login and every page)
// and "angelfire.terms" (the sign-up page).
#pragma once

#include "FemailProvider.h"

class CAngelFire : public CFemailProvider {
public:
    CAngelFire();

    [[nodiscard]] bool DoLogin() override;
};
