// The plug-in's one export.
#include "PopProvider.h"
#include "ProviderLog.h"

#include <new>

extern "C" KORVALIN_PLUGIN_EXPORT CMailProvider* GetProviderInstance()
{
    return new (std::nothrow) CPopProvider();
}

extern "C" KORVALIN_PLUGIN_EXPORT void SetProviderLogSink(korvalin::ProviderLogSink sink)
{
    korvalin::SetLogSink(sink);
}
