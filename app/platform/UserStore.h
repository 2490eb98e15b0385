// The per-user key-value store: named binary values kept in one file, the
// program's stand-in for a per-user settings key. The file is private to the
// user (mode 0600, it holds passwords), replaced atomically on every change,
// and guarded by an advisory lock so that two copies of the program never
// lose each other's changes. The store "exists" exactly while its file does.
//
// File format: the line "KORVALIN-STORE 1", then one line per value:
// the name (bytes outside '!'..'~' and '%' written as %XX), a blank, and the
// value as lower-case hex digits (nothing for an empty value).
#pragma once

#include "Status.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace korvalin {

using StoreValues = std::map<std::string, std::string>;

enum class StoreRead { Found, Missing, Unreadable };

struct StoreValue {
    StoreRead state = StoreRead::Missing;
    std::string bytes;
    std::string error;  // why, when Unreadable
};

std::string EncodeStore(const StoreValues& values);
// The values of a store file, or nothing when the text is not one (why in *error).
std::optional<StoreValues> DecodeStore(const std::string& text, std::string* error);

class UserStore {
public:
    explicit UserStore(std::filesystem::path file);

    const std::filesystem::path& File() const { return file_; }
    bool Exists() const;

    StoreValue Read(const std::string& name) const;

    // Applies every change in one atomic replacement of the file: a name
    // mapped to a value sets it, a name mapped to nothing removes it. Creates
    // the file (and its folder) when it does not exist yet.
    Status Write(const std::map<std::string, std::optional<std::string>>& changes);
    Status WriteValue(const std::string& name, const std::string& bytes);
    Status RemoveValue(const std::string& name);

    // Deletes the whole store. Succeeds when it is already absent.
    Status RemoveAll();

private:
    std::optional<StoreValues> Load(std::string* error) const;

    std::filesystem::path file_;
};

}  // namespace korvalin
