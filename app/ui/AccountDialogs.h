// The account boxes the engine asks for: "Enter your login information",
// "Add New Account" and "POP Mail Account settings". Each returns false when
// the person cancelled, else true with the form holding what was entered;
// the engine checks the values and asks again where they are refused.
#pragma once

#include "UiPort.h"

class QWidget;

namespace korvalin::ui {

bool RunLoginBox(QWidget* parent, LoginForm& form);
bool RunNewAccountBox(QWidget* parent, NewAccountForm& form);
bool RunPopSettingsBox(QWidget* parent, PopSettings& settings);

}  // namespace korvalin::ui
