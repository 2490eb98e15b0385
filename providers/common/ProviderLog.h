// What a plug-in tells the program's log (the Debug window): the exact reason
// of a failure, a session left in clear text. The host hands the plug-in a
// sink through the optional export SetProviderLogSink; without one, lines go
// to standard error.
#pragma once

#include "MailProvider.h"

#include <string>

namespace korvalin {

enum class ProviderLogLevel { Info = 0, Warning = 1, Error = 2 };

// level is a ProviderLogLevel; text is valid for the call only.
using ProviderLogSink = void (*)(int level, const char* text);

void SetLogSink(ProviderLogSink sink);
void ProviderLog(ProviderLogLevel level, const std::string& text);

// Keeps the last lines logged, for the tests.
void KeepLoggedLines(bool keep);
std::string LoggedLines();

}  // namespace korvalin

// The optional export by which the host receives the plug-in's log lines.
extern "C" KORVALIN_PLUGIN_EXPORT void SetProviderLogSink(korvalin::ProviderLogSink sink);
inline constexpr const char* kProviderLogSinkSymbol = "SetProviderLogSink";
