// The export of excitegate.so.
#include "MailExcite.h"

#include <exception>

extern "C" KORVALIN_PLUGIN_EXPORT CMailProvider *GetProviderInstance()
{
    try {
        return new CMailExcite();
    } catch (const std::exception &) {
        return nullptr; // the contract's answer when no object can be made
    }
}
