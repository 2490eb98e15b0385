#include "ImapProvider.h"

#include <new>

extern "C" KORVALIN_PLUGIN_EXPORT CMailProvider* GetProviderInstance()
{
    return new (std::nothrow) CImapProvider();
}
