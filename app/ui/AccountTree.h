// The account tree: providers at the root (provider 0 "Dravnek" first),
// their accounts, and each account's folders ("Inbox" first), each with a
// check box. It mirrors the engine's objects as the engine reports changes,
// writes the person's check marks back to them, and applies the check rules.
#pragma once

#include "AccountManager.h"
#include "CommandRules.h"
#include "UiPort.h"

#include <QHash>
#include <QTreeWidget>

#include <vector>

namespace korvalin::ui {

class AccountTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit AccountTree(QWidget* parent = nullptr);

    void Apply(const TreeChange& change);

    QTreeWidgetItem* ItemFor(const ProviderEntry* provider) const { return items_.value(provider); }
    QTreeWidgetItem* ItemFor(const CAccount* account) const { return items_.value(account); }
    QTreeWidgetItem* ItemFor(const MailFolder* folder) const { return items_.value(folder); }

    static TreeItemKind KindOf(const QTreeWidgetItem* item);
    static ProviderEntry* ProviderOf(const QTreeWidgetItem* item);
    static CAccount* AccountOf(const QTreeWidgetItem* item);  // also a folder's account
    static MailFolder* FolderOf(const QTreeWidgetItem* item);

    // The current item as the engine sees a selection.
    TreeSelection Selection() const;
    TreeItemKind SelectedKind() const { return KindOf(currentItem()); }

    bool IsChecked(const QTreeWidgetItem* item) const;
    // Sets a check mark as the person would (the engine's state follows).
    void SetChecked(QTreeWidgetItem* item, bool checked);
    bool ProviderChecked(const ProviderEntry& provider) const;

    // A folder's or account's label with its new-mail count: "name (n)", or
    // the bare name when n is 0.
    void SetNewMailCount(const MailFolder& folder, int count);
    void SetNewMailCount(const CAccount& account, int count);
    QString Label(const QTreeWidgetItem* item) const { return item != nullptr ? item->text(0) : QString(); }

    struct CheckRuleOutcome {
        bool providerRechecked = false;  // a provider without accounts was unchecked
        std::vector<CAccount*> accountsToOpen;
    };
    // The check rules, for every provider in the tree in order.
    CheckRuleOutcome ApplyCheckRules();

signals:
    // A check mark was changed by the person.
    void ChecksChangedByUser();
    // The person made item the current item (not the tree's own changes).
    void ItemChosen(QTreeWidgetItem* item);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QTreeWidgetItem* NewItem(TreeItemKind kind, void* object, const QString& label, bool checked);
    void Forget(QTreeWidgetItem* item);
    void WriteCheckToEngine(QTreeWidgetItem* item);
    void SetCheckedQuietly(QTreeWidgetItem* item, bool checked);
    void OnItemChanged(QTreeWidgetItem* item);

    QHash<const void*, QTreeWidgetItem*> items_;
    int quiet_ = 0;  // > 0 while the tree itself changes check marks
};

// The bare name of a label: cut before its first "(" with trailing blanks removed.
QString BareLabel(const QString& label);
QString CountedLabel(const QString& label, int count);

}  // namespace korvalin::ui
