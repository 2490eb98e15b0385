#include "MailCityModel.h"

namespace korvalin::websim {
namespace {

constexpr const char *kHome = "www.mailcity.sim";
constexpr const char *kMail = "mail.mailcity.sim";

std::shared_ptr<ServiceModel> MakeDemoMailCity(std::time_t now)
{
    auto model = std::make_shared<MailCityModel>();
    mailsite::FillDemoAccount(*model, now);
    return model;
}

} // namespace

MailCityModel::MailCityModel()
    : FemailModel(FemailFlavour::MailCity, {kHome, kMail, kMail}, {{"mailcity.home", kHome}, {"mailcity.terms", kMail}})
{
}

KORVALIN_WEBSIM_SERVICE("mailcity", MakeDemoMailCity);

} // namespace korvalin::websim
