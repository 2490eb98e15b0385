// The export of angelgate.so.
#include "AngelFire.h"

#include <exception>

extern "C" KORVALIN_PLUGIN_EXPORT CMailProvider *GetProviderInstance()
{
    try {
        return new CAngelFire();
    } catch (const std::exception &) {
        return nullptr; // the contract's answer when no object can be made
    }
}
