// The simulated AngelFire service: login and every member page on the mail
// host "mail.angelfire.sim", the home and sign-up pages on
// "www.angelfire.sim" (the "angelfire.terms" host).
#pragma once

#include "FemailModel.h"

namespace korvalin::websim {

class AngelFireModel : public FemailModel {
public:
    AngelFireModel();
};

} // namespace korvalin::websim
