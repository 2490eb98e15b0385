// The "Filters" dialog over the engine's filter logic: the account's filter
// list with its conditions and actions, the description line, "Help on
// Filters", and the button that reads "Save" while a filter is selected.
#pragma once

#include "FilterDialog.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace korvalin::ui {

class FiltersWindow : public QDialog {
    Q_OBJECT
public:
    FiltersWindow(Engine& engine, FilterRules& rules, CAccount& account, QWidget* parent = nullptr);

    FilterDialog& Logic() { return logic_; }
    // Who picks the reply file (tests answer instead); nothing: cancelled.
    void SetFileChooser(std::function<std::optional<QString>()> chooser) { chooser_ = std::move(chooser); }

    // Shows the logic's state in the widgets.
    void Refresh();
    // The main button ("Save" or "Close").
    void PressMainButton();
    void ShowHelp();
    void Browse();
    // Closing the window drops the edits of a selected filter and saves the list.
    void reject() override;

    QComboBox* accounts = nullptr;
    QLineEdit* name = nullptr;
    QPushButton* newButton = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* helpButton = nullptr;
    QCheckBox* newOnly = nullptr;
    QCheckBox* fromOn = nullptr;
    QLineEdit* from = nullptr;
    QCheckBox* subjectOn = nullptr;
    QLineEdit* subject = nullptr;
    QCheckBox* forwardOn = nullptr;
    QLineEdit* forward = nullptr;
    QCheckBox* replyOn = nullptr;
    QLineEdit* reply = nullptr;
    QPushButton* browseButton = nullptr;
    QCheckBox* deleteIt = nullptr;
    QListWidget* filters = nullptr;
    QPushButton* upButton = nullptr;
    QPushButton* downButton = nullptr;
    QLabel* description = nullptr;
    QPushButton* mainButton = nullptr;

private:
    void Build();
    void Connect();
    // Runs change on the logic, then shows the result.
    template <typename Change>
    void Act(Change change);

    Engine& engine_;
    FilterDialog logic_;
    std::function<std::optional<QString>()> chooser_;
    bool refreshing_ = false;
};

}  // namespace korvalin::ui
