// The export of citygate.so.
#include "MailCity.h"

#include <exception>

extern "C" KORVALIN_PLUGIN_EXPORT CMailProvider *GetProviderInstance()
{
    try {
        return new CMailCity();
    } catch (const std::exception &) {
        return nullptr; // the contract's answer when no object can be made
    }
}
