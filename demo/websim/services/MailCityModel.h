// The simulated MailCity service: the home page with the login form on
// "www.mailcity.sim", and the member pages on "mail.mailcity.sim", which
// also serves the sign-up page (the "mailcity.terms" host). The plug-in
// learns the mail host from the Read Mail link.
#pragma once

#include "FemailModel.h"

namespace korvalin::websim {

class MailCityModel : public FemailModel {
public:
    MailCityModel();
};

} // namespace korvalin::websim
