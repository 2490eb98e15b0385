// "&Save Mail": the cached mail file copied to a file the person chose. The
// copy replaces the target atomically (a temporary file beside it, renamed
// over it), so a failure never leaves a half-written file behind.
#pragma once

#include <string>

namespace korvalin::ui {

// 0 on success, else the system's error number of the step that failed.
int CopyMailFile(const std::string& from, const std::string& to);

}  // namespace korvalin::ui
