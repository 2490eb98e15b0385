// What the Filters dialog does, without its widgets: which controls are
// enabled, what they hold, the description line, and what each button does
// to the account's filter list. The Qt dialog shows State() and forwards
// every change the person makes.
#pragma once

#include "Filter.h"

#include <memory>
#include <string>
#include <vector>

namespace korvalin {

class CAccount;
class Engine;
class FilterRules;

inline constexpr const char* kFilterWithoutActions =
    "There are no actions in this filter. It cannot be saved. Please add actions now. If you don't want this filter, "
    "press Delete.";
inline constexpr const char* kFilterDescriptionPlaceholder = "Filter description will be shown here.";
inline constexpr const char* kReplyFileChooserFilter = "Text Files (*.txt) |*.txt|All Files (*.*) |*.*||";
inline constexpr const char* kFilterHelpCaption = "Help on Filters";

// The values of the dialog's fields.
struct FilterDialogValues {
    std::string name;
    bool newOnly = false;
    bool fromChecked = false;
    std::string fromText;
    bool subjectChecked = false;
    std::string subjectText;
    bool forwardChecked = false;
    std::string forwardText;
    bool replyChecked = false;
    std::string replyText;
    bool deleteChecked = false;
};

// Everything the dialog shows.
struct FilterDialogState {
    std::vector<std::string> accounts;  // "login@provider"
    int account = -1;
    std::vector<std::string> filterNames;
    int selected = -1;  // -1: none
    FilterDialogValues values;
    bool newEnabled = false;
    bool deleteEnabled = false;
    bool newOnlyEnabled = false;
    bool checkBoxesEnabled = false;  // From, Subject, Forward, Reply, Delete
    bool fromFieldEnabled = false;
    bool subjectFieldEnabled = false;
    bool forwardFieldEnabled = false;
    bool replyFieldEnabled = false;
    bool browseEnabled = false;
    bool upEnabled = false;
    bool downEnabled = false;
    std::string mainButton;  // "Close", or "Save" while a filter is selected
    std::string description;
};

// The line that tells in words what a filter does.
std::string FilterDescription(const FilterDialogValues& values, const std::string& login,
                              const std::string& providerName);

// The three texts of "Help on Filters", joined.
std::string FilterHelpText();

class FilterDialog {
public:
    // Opens on account (one of every provider's accounts).
    FilterDialog(Engine& engine, FilterRules& rules, CAccount& account);

    FilterDialogState State() const;

    void TypeName(const std::string& name);
    void PressNew();
    void Select(int index);  // -1 clears the selection
    void SetNewOnly(bool on);
    void SetFromChecked(bool on);
    void TypeFrom(const std::string& text);
    void SetSubjectChecked(bool on);
    void TypeSubject(const std::string& text);
    void SetForwardChecked(bool on);
    void TypeForward(const std::string& text);
    void SetReplyChecked(bool on);
    void TypeReply(const std::string& path);
    void SetDeleteChecked(bool on);
    // The file the person chose with "&Browse".
    void BrowsedReplyFile(const std::string& path);
    // "Save" or "Close": true when the dialog closes.
    bool PressMainButton();
    void PressDelete();
    void PressUp();
    void PressDown();
    void ChooseAccount(int index);

private:
    CAccount& Shown() const { return *accounts_[static_cast<size_t>(account_)]; }
    void Show(int account);
    void LoadValues();
    void Deselect();
    void Commit();
    bool Selected() const { return selected_ >= 0; }

    Engine& engine_;
    FilterRules& rules_;
    std::vector<std::shared_ptr<CAccount>> accounts_;
    int account_ = -1;
    FilterList filters_;
    int selected_ = -1;
    FilterDialogValues values_;
    bool newEnabled_ = false;
    bool changed_ = false;  // until the first change the line shows its placeholder
};

}  // namespace korvalin
