#include "FilterDialog.h"

#include "Engine.h"
#include "FilterRules.h"

#include <utility>

namespace korvalin {

std::string FilterDescription(const FilterDialogValues& values, const std::string& login,
                              const std::string& providerName)
{
    const std::string q = "\"";
    std::string line = "[" + (values.name.empty() ? std::string("Filter Name") : values.name) +
                       "]: Mails coming to " + login + "@" + providerName + " ";
    if (values.newOnly)
        line += "which are new ";
    const bool from = values.fromChecked && !values.fromText.empty();
    if (from)
        line += (values.newOnly ? "and " : "") + std::string("with ") + q + values.fromText + q +
                " in the sender's name ";
    if (values.subjectChecked && !values.subjectText.empty())
        line += (values.newOnly || from ? "and " : "") + std::string("with ") + q + values.subjectText + q +
                " in the subject ";
    const bool forward = values.forwardChecked && !values.forwardText.empty();
    if (forward)
        line += "should be forwarded to " + q + values.forwardText + q + " ";
    const bool reply = values.replyChecked && !values.replyText.empty();
    if (reply)
        line += (forward ? "and " : "") + std::string("should be autoreplied with ") + q + values.replyText + q + " ";
    if (values.deleteChecked)
        line += (forward || reply ? "and " : "") + std::string("should be deleted.");
    if (!forward && !reply && !values.deleteChecked)
        line += " <No Action>";
    return line;
}

std::string FilterHelpText()
{
    return std::string("What is a Filter?\n\nA Filter is a rule you can create which will be applied to every mail "
                       "coming on a certain account. When the conditions of this rule are satisfied, the actions "
                       "specified in the rule will be taken.\n\n") +
           "How do I create a Filter?\n\nSpecify a name for the filter. Then click the <New> button. The filter "
           "will get added to the list of currently specified filters. Then you can specify more conditions on the "
           "filter, and the actions to be taken. When done, press the <Save> button.\n" +
           "\n" +
           "What if a mail matches more than one filters?\n\nIf a mail matches more than one filters, only the "
           "first in the list will be applied. Use the Move Up,Move Down buttons to set the order of the filters.";
}

FilterDialog::FilterDialog(Engine& engine, FilterRules& rules, CAccount& account)
    : engine_(engine), rules_(rules), accounts_(engine.Accounts().AllAccounts())
{
    int index = 0;
    for (size_t i = 0; i < accounts_.size(); ++i) {
        if (accounts_[i].get() == &account)
            index = static_cast<int>(i);
    }
    if (accounts_.empty() || accounts_[static_cast<size_t>(index)].get() != &account)
        accounts_.insert(accounts_.begin() + index, account.shared_from_this());
    Show(index);
}

FilterDialogState FilterDialog::State() const
{
    FilterDialogState state;
    for (const auto& account : accounts_)
        state.accounts.push_back(account->Login() + "@" + account->ProviderName());
    state.account = account_;
    for (const Filter& filter : filters_)
        state.filterNames.push_back(filter.NAME);
    state.selected = selected_;
    state.values = values_;
    state.newEnabled = newEnabled_;
    const bool selected = Selected();
    state.deleteEnabled = selected;
    state.newOnlyEnabled = selected;
    state.checkBoxesEnabled = selected;
    state.fromFieldEnabled = selected && values_.fromChecked;
    state.subjectFieldEnabled = selected && values_.subjectChecked;
    state.forwardFieldEnabled = selected && values_.forwardChecked;
    state.replyFieldEnabled = selected && values_.replyChecked;
    state.browseEnabled = state.replyFieldEnabled;
    state.upEnabled = selected && selected_ > 0;
    state.downEnabled = selected && static_cast<size_t>(selected_) + 1 < filters_.size();
    state.mainButton = selected ? "Save" : "Close";
    state.description =
        changed_ ? FilterDescription(values_, Shown().Login(), Shown().ProviderName()) : kFilterDescriptionPlaceholder;
    return state;
}

void FilterDialog::Show(int account)
{
    account_ = account;
    rules_.EnsureLoaded(Shown());
    filters_ = rules_.Filters(Shown());
    Deselect();
}

void FilterDialog::Deselect()
{
    selected_ = -1;
    const std::string name = values_.name;
    values_ = {};
    values_.name = name;
    newEnabled_ = false;
}

void FilterDialog::LoadValues()
{
    const Filter& filter = filters_[static_cast<size_t>(selected_)];
    values_.name = filter.NAME;
    values_.newOnly = filter.NEW;
    values_.fromChecked = filter.FROMPRES;
    values_.fromText = filter.FROM;
    values_.subjectChecked = filter.SUBJPRES;
    values_.subjectText = filter.SUBJECT;
    values_.forwardChecked = !filter.FORWARD.empty();
    values_.forwardText = filter.FORWARD;
    values_.replyChecked = !filter.REPLY.empty();
    values_.replyText = filter.REPLY;
    values_.deleteChecked = filter.DELETE;
    newEnabled_ = true;
}

void FilterDialog::Commit()
{
    rules_.SetFilters(Shown(), filters_);
}

void FilterDialog::TypeName(const std::string& name)
{
    changed_ = true;
    values_.name = name;
    newEnabled_ = !name.empty();
}

void FilterDialog::PressNew()
{
    if (!newEnabled_ || values_.name.empty())
        return;
    Filter filter;
    filter.NAME = values_.name;
    filter.NEW = true;
    filters_.push_back(std::move(filter));
    Commit();
    Select(static_cast<int>(filters_.size()) - 1);
}

void FilterDialog::Select(int index)
{
    changed_ = true;
    if (index < 0 || static_cast<size_t>(index) >= filters_.size()) {
        Deselect();
        return;
    }
    selected_ = index;
    LoadValues();
}

void FilterDialog::SetNewOnly(bool on)
{
    if (Selected())
        values_.newOnly = on;
}

void FilterDialog::SetFromChecked(bool on)
{
    if (!Selected())
        return;
    values_.fromChecked = on;
    if (!on)
        values_.fromText.clear();
}

void FilterDialog::TypeFrom(const std::string& text)
{
    if (Selected() && values_.fromChecked)
        values_.fromText = text;
}

void FilterDialog::SetSubjectChecked(bool on)
{
    if (!Selected())
        return;
    values_.subjectChecked = on;
    if (!on)
        values_.subjectText.clear();
}

void FilterDialog::TypeSubject(const std::string& text)
{
    if (Selected() && values_.subjectChecked)
        values_.subjectText = text;
}

void FilterDialog::SetForwardChecked(bool on)
{
    if (!Selected())
        return;
    values_.forwardChecked = on;
    if (!on)
        values_.forwardText.clear();
}

void FilterDialog::TypeForward(const std::string& text)
{
    if (Selected() && values_.forwardChecked)
        values_.forwardText = text;
}

void FilterDialog::SetReplyChecked(bool on)
{
    if (!Selected())
        return;
    values_.replyChecked = on;
    if (!on)
        values_.replyText.clear();
}

void FilterDialog::TypeReply(const std::string& path)
{
    if (Selected() && values_.replyChecked)
        values_.replyText = path;
}

void FilterDialog::SetDeleteChecked(bool on)
{
    if (Selected())
        values_.deleteChecked = on;
}

void FilterDialog::BrowsedReplyFile(const std::string& path)
{
    if (!Selected() || !values_.replyChecked)
        return;
    values_.replyText = path;
    filters_[static_cast<size_t>(selected_)].REPLY = path;
    filters_[static_cast<size_t>(selected_)].replyTextReady = false;
    Commit();
}

bool FilterDialog::PressMainButton()
{
    if (!Selected()) {
        rules_.SaveFilters(Shown());
        return true;
    }
    const bool forward = values_.forwardChecked && !values_.forwardText.empty();
    const bool reply = values_.replyChecked && !values_.replyText.empty();
    if (!forward && !reply && !values_.deleteChecked) {
        Tell(engine_.Ui(), kFilterWithoutActions);
        return false;
    }
    Filter& filter = filters_[static_cast<size_t>(selected_)];
    const std::string previousReply = filter.REPLY;
    filter.NEW = values_.newOnly;
    filter.NAME = values_.name;
    filter.FROMPRES = values_.fromChecked;
    filter.FROM = values_.fromText;
    filter.SUBJPRES = values_.subjectChecked;
    filter.SUBJECT = values_.subjectText;
    filter.DELETE = values_.deleteChecked;
    filter.FORWARD = values_.forwardChecked ? values_.forwardText : std::string();
    filter.REPLY = values_.replyChecked ? values_.replyText : std::string();
    if (filter.REPLY != previousReply)
        filter.replyTextReady = false;  // another file: its text is read at the next use
    Commit();
    Deselect();
    return false;
}

void FilterDialog::PressDelete()
{
    if (!Selected())
        return;
    const int removed = selected_;
    filters_.erase(filters_.begin() + removed);
    Commit();
    Select(removed - 1);
}

void FilterDialog::PressUp()
{
    if (!Selected() || selected_ == 0)
        return;
    std::swap(filters_[static_cast<size_t>(selected_)], filters_[static_cast<size_t>(selected_ - 1)]);
    --selected_;
    Commit();
}

void FilterDialog::PressDown()
{
    if (!Selected() || static_cast<size_t>(selected_) + 1 >= filters_.size())
        return;
    std::swap(filters_[static_cast<size_t>(selected_)], filters_[static_cast<size_t>(selected_ + 1)]);
    ++selected_;
    Commit();
}

void FilterDialog::ChooseAccount(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= accounts_.size() || index == account_)
        return;
    rules_.SaveFilters(Shown());
    changed_ = true;
    Show(index);
}

}  // namespace korvalin
