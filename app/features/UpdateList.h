// The vendor's update list ("info.txt": lines "file+version+description")
// matched against the program's files: which files to download, and the
// features text that tells the person what is new.
#pragma once

#include "PluginFileName.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvalin {

inline constexpr const char* kUpdateListFile = "info.txt";
inline constexpr const char* kUpdateFolder = "UpDir";

// A file of the program, as the update sees it.
struct UpdateFile {
    std::string fileName;
    int version = 0;
    bool excluded = false;  // never updated: the program itself, hidden providers
};

struct UpdatePlan {
    std::vector<std::string> downloads;  // in the order of the file list, new files last
    std::string featuresText;
    std::vector<std::string> refusedNames;  // names that are not plain plug-in file names
};

// A listed known file with a higher version is downloaded; excluded files
// and equal or lower versions are ignored; an unknown file is downloaded if
// its name is updatable. Lines without three non-empty fields are ignored.
UpdatePlan PlanUpdate(std::vector<UpdateFile> files, std::string_view listText);

}  // namespace korvalin
