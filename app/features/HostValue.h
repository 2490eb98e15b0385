// Host settings read from the data root's "hosts.conf".
#pragma once

#include "PlatformPaths.h"

#include <string>

namespace korvalin {

// The value of key in "<data root>/hosts.conf", or its built-in default.
std::string HostValue(const PlatformPaths& paths, const std::string& key);

}  // namespace korvalin
