// The engine's message boxes shown as QMessageBox: its text, icon, buttons,
// default button and optional check box, exactly as the engine gives them.
#pragma once

#include "UiPort.h"

#include <functional>

class QWidget;

namespace korvalin::ui {

inline constexpr const char* kProgramName = "Korvalin Mail";

// Shows request modally over parent (may be null) and returns the answer.
// Closing the box with Escape or the window button answers Cancel or No
// where the box has such a button, else OK.
MessageBoxReply RunMessageBox(QWidget* parent, const MessageBoxRequest& request);

// Who answers the engine's message boxes: normally RunMessageBox; tests put
// a scripted answerer here.
using MessagePresenter = std::function<MessageBoxReply(QWidget* parent, const MessageBoxRequest& request)>;

}  // namespace korvalin::ui
