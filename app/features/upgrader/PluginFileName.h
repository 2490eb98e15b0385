// Which file names the self-update may write and install: plain plug-in
// file names, never a path.
#pragma once

#include <string_view>

namespace korvalin {

// True for "name.so" made of letters, digits, "_", "-" and "."; no leading
// ".", no "..", no "/" or "\", at most 255 bytes.
bool IsUpdatableFileName(std::string_view name);

}  // namespace korvalin
