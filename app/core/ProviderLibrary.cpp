#include "ProviderLibrary.h"

#include <algorithm>
#include <dlfcn.h>
#include <system_error>

namespace korvalin {
namespace {

class PluginLibrary final : public ProviderLibrary {
public:
    PluginLibrary(void* handle, ProviderFactory factory, std::string fileName)
        : handle_(handle), factory_(factory), fileName_(std::move(fileName))
    {
    }
    ~PluginLibrary() override { dlclose(handle_); }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    CMailProvider* NewProviderObject() override { return factory_(); }
    std::string FileName() const override { return fileName_; }
    void* Symbol(const char* name) override { return dlsym(handle_, name); }

private:
    void* handle_;
    ProviderFactory factory_;
    std::string fileName_;
};

class FactoryLibrary final : public ProviderLibrary {
public:
    FactoryLibrary(std::string fileName, std::function<CMailProvider*()> factory)
        : fileName_(std::move(fileName)), factory_(std::move(factory))
    {
    }
    CMailProvider* NewProviderObject() override { return factory_ ? factory_() : nullptr; }
    std::string FileName() const override { return fileName_; }

private:
    std::string fileName_;
    std::function<CMailProvider*()> factory_;
};

}  // namespace

ProviderObject CreateProviderObject(const std::shared_ptr<ProviderLibrary>& library)
{
    if (!library)
        return ProviderObject(nullptr, ProviderObjectDeleter{});
    return ProviderObject(library->NewProviderObject(), ProviderObjectDeleter{library});
}

std::shared_ptr<ProviderLibrary> OpenPluginLibrary(const std::filesystem::path& file, std::string* why)
{
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (why != nullptr) {
            const char* error = dlerror();
            *why = error != nullptr ? error : "cannot be loaded";
        }
        return nullptr;
    }
    void* symbol = dlsym(handle, kProviderFactorySymbol);
    if (symbol == nullptr) {
        if (why != nullptr)
            *why = file.filename().string() + " has no " + kProviderFactorySymbol;
        dlclose(handle);
        return nullptr;
    }
    return std::make_shared<PluginLibrary>(handle, reinterpret_cast<ProviderFactory>(symbol), file.filename().string());
}

std::shared_ptr<ProviderLibrary> MakeFactoryLibrary(std::string fileName, std::function<CMailProvider*()> factory)
{
    return std::make_shared<FactoryLibrary>(std::move(fileName), std::move(factory));
}

std::vector<std::filesystem::path> FindPluginFiles(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->path().extension() == ".so" && !it->is_directory(typeError))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace korvalin
