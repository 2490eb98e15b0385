#include "LoginProgressBox.h"

#include <cstdio>

namespace korvalin {

LoginProgressBox::LoginProgressBox(std::string text, int abortMinutes)
    : text_(std::move(text)), remainingSeconds_(abortMinutes * 60)
{
}

std::string LoginProgressBox::Text() const
{
    std::lock_guard lock(mutex_);
    return text_;
}

std::string LoginProgressBox::CancelText() const
{
    int remaining = RemainingSeconds();
    char text[40];
    std::snprintf(text, sizeof text, "Cancel  [%.2d:%.2d]", remaining / 60, remaining % 60);
    return text;
}

int LoginProgressBox::RemainingSeconds() const
{
    std::lock_guard lock(mutex_);
    return remainingSeconds_;
}

void LoginProgressBox::OnPoll()
{
    std::lock_guard lock(mutex_);
    if (workerEnded_)
        CloseLocked(LoginBoxResult::Ok);
}

void LoginProgressBox::OnSecond()
{
    std::lock_guard lock(mutex_);
    if (result_ != LoginBoxResult::Open)
        return;
    if (remainingSeconds_ > 0)
        --remainingSeconds_;
    if (remainingSeconds_ == 0) {
        storedResult_ = false;
        CloseLocked(LoginBoxResult::Cancel);
    }
}

void LoginProgressBox::OnCancel()
{
    std::lock_guard lock(mutex_);
    CloseLocked(LoginBoxResult::Cancel);
}

bool LoginProgressBox::Closed() const
{
    return Result() != LoginBoxResult::Open;
}

LoginBoxResult LoginProgressBox::Result() const
{
    std::lock_guard lock(mutex_);
    return result_;
}

void LoginProgressBox::SetText(std::string text)
{
    std::lock_guard lock(mutex_);
    text_ = std::move(text);
}

void LoginProgressBox::Finish(bool loggedIn)
{
    std::lock_guard lock(mutex_);
    workerEnded_ = true;
    if (result_ == LoginBoxResult::Open)
        storedResult_ = loggedIn;
}

bool LoginProgressBox::Abandoned() const
{
    return Result() == LoginBoxResult::Cancel;
}

bool LoginProgressBox::WorkerEnded() const
{
    std::lock_guard lock(mutex_);
    return workerEnded_;
}

bool LoginProgressBox::StoredResult() const
{
    std::lock_guard lock(mutex_);
    return storedResult_;
}

void LoginProgressBox::CloseLocked(LoginBoxResult result)
{
    if (result_ == LoginBoxResult::Open)
        result_ = result;
}

}  // namespace korvalin
