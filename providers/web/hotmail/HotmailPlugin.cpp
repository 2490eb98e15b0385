// The export of hotgate.so.
#include "Hotmail.h"

#include <exception>

extern "C" KORVALIN_PLUGIN_EXPORT CMailProvider* GetProviderInstance()
{
    try {
        return new CHotmail();
    } catch (const std::exception&) {
        return nullptr; // the contract's answer when no object can be made
    }
}
