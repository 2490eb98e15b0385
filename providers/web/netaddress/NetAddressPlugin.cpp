// The export of addrgate.so.
#include "NetAddress.h"

#include <exception>

extern "C" KORVALIN_PLUGIN_EXPORT CMailProvider *GetProviderInstance()
{
    try {
        return new CNetAddress();
    } catch (const std::exception &) {
        return nullptr; // the contract's answer when no object can be made
    }
}
