// The shared services that the parts of the engine are built on.
#pragma once

#include "CoreHooks.h"
#include "DiagnosticLog.h"
#include "OnlineState.h"
#include "PlatformPaths.h"
#include "UiPort.h"
#include "UserSettings.h"

namespace korvalin {

struct CoreServices {
    const PlatformPaths& paths;
    UiPort& ui;
    DiagnosticLog& log;
    UserSettings& settings;
    OnlineState& online;
    CoreHooks& hooks;
};

}  // namespace korvalin
