// The plug-in's one export.
#include "PopProvider.h"

#include <new>

extern "C" KORVALIN_PLUGIN_EXPORT CMailProvider* GetProviderInstance()
{
    return new (std::nothrow) CPopProvider();
}
