// The export of yahoogate.so.
#include "YahooMail.h"

#include <exception>

extern "C" KORVALIN_PLUGIN_EXPORT CMailProvider *GetProviderInstance()
{
    try {
        return new CYahooMail();
    } catch (const std::exception &) {
        return nullptr; // the contract's answer when no object can be made
    }
}
