// The outcome of an operation that can fail: ok, or a text that says why.
#pragma once

#include <string>
#include <utility>

namespace korvalin {

struct Status {
    bool ok = true;
    std::string error;

    static Status Ok() { return {}; }
    static Status Failure(std::string why) { return {false, std::move(why)}; }
    explicit operator bool() const { return ok; }
};

}  // namespace korvalin
