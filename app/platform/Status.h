// The outcome of an operation that can fail: ok, or a text that says why.
#pragma once

#include <string>
#include <utility>

namespace korvalin {

struct Status {
    bool ok = true;
    std::string error;
    int errorNumber = 0;  // the system's error number, where a system call failed

    static Status Ok() { return {}; }
    static Status Failure(std::string why, int number = 0) { return {false, std::move(why), number}; }
    explicit operator bool() const { return ok; }
};

}  // namespace korvalin
