// The AngelFire provider against the simulated AngelFire service.
#pragma once

#include "AngelFire.h"
#include "AngelFireModel.h"
#include "FemailFixture.h"

namespace korvalin::test {

inline constexpr const char *kMailHost = "mail.angelfire.sim";
inline constexpr const char *kMailRoot = "http://mail.angelfire.sim:80/";

class AngelFireTest : public FemailTest {
protected:
    std::shared_ptr<FemailModel> MakeModel() const override { return std::make_shared<websim::AngelFireModel>(); }
    std::unique_ptr<CFemailProvider> MakeProvider() const override { return std::make_unique<CAngelFire>(); }
    std::string MailHost() const override { return kMailHost; }
};

} // namespace korvalin::test
