// The MailCity provider against the simulated MailCity service.
#pragma once

#include "FemailFixture.h"
#include "MailCity.h"
#include "MailCityModel.h"

namespace korvalin::test {

inline constexpr const char *kHomeHost = "www.mailcity.sim";
inline constexpr const char *kMailHost = "mail.mailcity.sim";
inline constexpr const char *kMailRoot = "http://mail.mailcity.sim:80/";

class MailCityTest : public FemailTest {
protected:
    std::shared_ptr<FemailModel> MakeModel() const override { return std::make_shared<websim::MailCityModel>(); }
    std::unique_ptr<CFemailProvider> MakeProvider() const override { return std::make_unique<CMailCity>(); }
    std::string MailHost() const override { return kMailHost; }
};

} // namespace korvalin::test
