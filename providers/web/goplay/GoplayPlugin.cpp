// The export of playgate.so.
#include "Goplay.h"

#include <exception>

extern "C" KORVALIN_PLUGIN_EXPORT CMailProvider *GetProviderInstance()
{
    try {
        return new CGoplay();
    } catch (const std::exception &) {
        return nullptr; // the contract's answer when no object can be made
    }
}
