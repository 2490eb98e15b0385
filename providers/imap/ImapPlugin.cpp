// The plug-in's exports.
#include "ImapProvider.h"
#include "ProviderLog.h"

#include <new>

extern "C" KORVALIN_PLUGIN_EXPORT CMailProvider* GetProviderInstance()
{
    return new (std::nothrow) CImapProvider();
}

extern "C" KORVALIN_PLUGIN_EXPORT void SetProviderLogSink(korvalin::ProviderLogSink sink)
{
    korvalin::SetLogSink(sink);
}
