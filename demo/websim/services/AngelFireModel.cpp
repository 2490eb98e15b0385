#include "AngelFireModel.h"

namespace korvalin::websim {
namespace {

constexpr const char *kMail = "mail.angelfire.sim";
constexpr const char *kTerms = "www.angelfire.sim";

std::shared_ptr<ServiceModel> MakeDemoAngelFire(std::time_t now)
{
    auto model = std::make_shared<AngelFireModel>();
    mailsite::FillDemoAccount(*model, now);
    return model;
}

} // namespace

AngelFireModel::AngelFireModel()
    : FemailModel(FemailFlavour::AngelFire, {kTerms, kMail, kTerms},
                  {{"angelfire.mail", kMail}, {"angelfire.terms", kTerms}})
{
}

KORVALIN_WEBSIM_SERVICE("angelfire", MakeDemoAngelFire);

} // namespace korvalin::websim
