#include "UpdateList.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <strings.h>

namespace korvalin {
namespace {

constexpr const char* kFeaturesIntro =
    "Korvalin will check from time to time if there is an updated version available. This helps Korvalin Mail stay "
    "updated in face of the rapidly changing web and also new features are added in the newer version. Please read "
    "below for new features in this update.\n";

// The fields of a line split at "+" (and line ends), empty fields skipped.
std::vector<std::string> Fields(std::string_view line)
{
    std::vector<std::string> fields;
    size_t pos = 0;
    const char* separators = "+\r\n";
    while (pos < line.size()) {
        size_t start = line.find_first_not_of(separators, pos);
        if (start == std::string_view::npos)
            break;
        size_t end = line.find_first_of(separators, start);
        fields.emplace_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        pos = end == std::string_view::npos ? line.size() : end;
    }
    return fields;
}

int VersionOf(const std::string& field)
{
    long value = std::strtol(field.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, 0, 1'000'000'000));
}

}  // namespace

UpdatePlan PlanUpdate(std::vector<UpdateFile> files, std::string_view listText)
{
    UpdatePlan plan;
    plan.featuresText = std::string(kFeaturesIntro) + "\nNew features:\n" + "----------------\n";
    std::vector<bool> marked(files.size(), false);
    size_t pos = 0;
    while (pos < listText.size()) {
        size_t end = listText.find('\n', pos);
        std::string_view line =
            listText.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? listText.size() : end + 1;
        std::vector<std::string> fields = Fields(line);
        if (fields.size() < 3)
            continue;
        const std::string& name = fields[0];
        const std::string& description = fields[2];
        auto known = std::find_if(files.begin(), files.end(), [&](const UpdateFile& file) {
            return strcasecmp(file.fileName.c_str(), name.c_str()) == 0;
        });
        if (known != files.end()) {
            const size_t index = static_cast<size_t>(known - files.begin());
            if (known->excluded || marked[index] || VersionOf(fields[1]) <= known->version)
                continue;
            if (!IsUpdatableFileName(known->fileName)) {
                plan.refusedNames.push_back(known->fileName);
                continue;
            }
            marked[index] = true;
            plan.featuresText += description + "\n";
            continue;
        }
        if (!IsUpdatableFileName(name)) {
            plan.refusedNames.push_back(name);
            continue;
        }
        files.push_back({name, 0, false});
        marked.push_back(true);
        plan.featuresText += description + "\n";
    }
    for (size_t i = 0; i < files.size(); ++i) {
        if (marked[i])
            plan.downloads.push_back(files[i].fileName);
    }
    return plan;
}

}  // namespace korvalin
