// Sources of provider objects: a plug-in library loaded from disk, or (for
// tests and built-in providers) a factory function. A provider object keeps
// its library loaded for as long as it lives.
#pragma once

#include "MailProvider.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvalin {

class ProviderLibrary : public std::enable_shared_from_this<ProviderLibrary> {
public:
    virtual ~ProviderLibrary() = default;
    // A new provider object from the library's factory, or null.
    virtual CMailProvider* NewProviderObject() = 0;
    virtual std::string FileName() const = 0;
    // An optional export of the library, or null.
    virtual void* Symbol(const char*) { return nullptr; }
};

// Deletes a provider object and then lets go of its library.
struct ProviderObjectDeleter {
    std::shared_ptr<ProviderLibrary> library;
    void operator()(CMailProvider* object) const { delete object; }
};
using ProviderObject = std::unique_ptr<CMailProvider, ProviderObjectDeleter>;

// A new provider object of library (null when its factory returned none).
ProviderObject CreateProviderObject(const std::shared_ptr<ProviderLibrary>& library);

// Loads the shared library file and binds GetProviderInstance. Returns null
// (and the reason in *why) when it does not load or has no such export; the
// library is then unloaded again.
std::shared_ptr<ProviderLibrary> OpenPluginLibrary(const std::filesystem::path& file, std::string* why);

std::shared_ptr<ProviderLibrary> MakeFactoryLibrary(std::string fileName, std::function<CMailProvider*()> factory);

// The "*.so" files of folder, sorted by name.
std::vector<std::filesystem::path> FindPluginFiles(const std::filesystem::path& folder);

}  // namespace korvalin
