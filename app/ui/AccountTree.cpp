#include "AccountTree.h"

#include "Account.h"
#include "Artwork.h"
#include "ProviderHost.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace korvalin::ui {
namespace {

constexpr int kKindRole = Qt::UserRole + 1;
constexpr int kObjectRole = Qt::UserRole + 2;
constexpr int kLastCheckRole = Qt::UserRole + 3;

void* ObjectOf(const QTreeWidgetItem* item)
{
    return item != nullptr ? item->data(0, kObjectRole).value<void*>() : nullptr;
}

}  // namespace

QString BareLabel(const QString& label)
{
    QString bare = label.left(label.indexOf(QLatin1Char('(')) < 0 ? label.size() : label.indexOf(QLatin1Char('(')));
    while (bare.endsWith(QLatin1Char(' ')))
        bare.chop(1);
    return bare;
}

QString CountedLabel(const QString& label, int count)
{
    const QString bare = BareLabel(label);
    return count == 0 ? bare : QStringLiteral("%1 (%2)").arg(bare).arg(count);
}

AccountTree::AccountTree(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName("accountTree");
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setIconSize(QSize(16, 16));
    setContextMenuPolicy(Qt::CustomContextMenu);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(true);
    connect(this, &QTreeWidget::itemChanged, this, &AccountTree::OnItemChanged);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (quiet_ == 0 && current != nullptr)
            emit ItemChosen(current);
    });
}

TreeItemKind AccountTree::KindOf(const QTreeWidgetItem* item)
{
    if (item == nullptr)
        return TreeItemKind::None;
    return static_cast<TreeItemKind>(item->data(0, kKindRole).toInt());
}

ProviderEntry* AccountTree::ProviderOf(const QTreeWidgetItem* item)
{
    return KindOf(item) == TreeItemKind::Provider ? static_cast<ProviderEntry*>(ObjectOf(item)) : nullptr;
}

CAccount* AccountTree::AccountOf(const QTreeWidgetItem* item)
{
    switch (KindOf(item)) {
    case TreeItemKind::Account:
        return static_cast<CAccount*>(ObjectOf(item));
    case TreeItemKind::Folder:
        return static_cast<MailFolder*>(ObjectOf(item))->account;
    default:
        return nullptr;
    }
}

MailFolder* AccountTree::FolderOf(const QTreeWidgetItem* item)
{
    return KindOf(item) == TreeItemKind::Folder ? static_cast<MailFolder*>(ObjectOf(item)) : nullptr;
}

TreeSelection AccountTree::Selection() const
{
    TreeSelection selection;
    QTreeWidgetItem* item = currentItem();
    switch (KindOf(item)) {
    case TreeItemKind::Provider:
        selection.provider = ProviderOf(item);
        break;
    case TreeItemKind::Account:
        selection.account = AccountOf(item);
        break;
    case TreeItemKind::Folder:
        selection.folder = FolderOf(item);
        break;
    case TreeItemKind::None:
        break;
    }
    return selection;
}

QTreeWidgetItem* AccountTree::NewItem(TreeItemKind kind, void* object, const QString& label, bool checked)
{
    auto* item = new QTreeWidgetItem(QStringList{label});
    item->setData(0, kKindRole, static_cast<int>(kind));
    item->setData(0, kObjectRole, QVariant::fromValue(object));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    item->setData(0, kLastCheckRole, checked);
    items_.insert(object, item);
    return item;
}

void AccountTree::Forget(QTreeWidgetItem* item)
{
    for (int i = 0; i < item->childCount(); ++i)
        Forget(item->child(i));
    items_.remove(ObjectOf(item));
}

void AccountTree::Apply(const TreeChange& change)
{
    ++quiet_;
    switch (change.kind) {
    case TreeChangeKind::ProviderAdded:
        if (change.provider != nullptr && !items_.contains(change.provider)) {
            QTreeWidgetItem* item =
                NewItem(TreeItemKind::Provider, change.provider, QString::fromStdString(change.provider->name), true);
            item->setIcon(0, topLevelItemCount() == 0 ? ApplicationIcon() : TreeIcon(TreeImage::Provider));
            addTopLevelItem(item);
        }
        break;
    case TreeChangeKind::ProviderRemoved:
        if (QTreeWidgetItem* item = ItemFor(change.provider)) {
            Forget(item);
            delete item;
        }
        break;
    case TreeChangeKind::ProviderExpanded:
        if (QTreeWidgetItem* item = ItemFor(change.provider))
            item->setExpanded(true);
        break;
    case TreeChangeKind::AccountAdded:
        if (QTreeWidgetItem* parent = ItemFor(change.provider); parent != nullptr && change.account != nullptr) {
            AccountState state = change.account->State();
            QTreeWidgetItem* item =
                NewItem(TreeItemKind::Account, change.account, QString::fromStdString(state.login), state.checked);
            item->setIcon(0, TreeIcon(TreeImage::Account));
            parent->addChild(item);
        }
        break;
    case TreeChangeKind::AccountRemoved:
        if (QTreeWidgetItem* item = ItemFor(change.account)) {
            Forget(item);
            delete item;
        }
        break;
    case TreeChangeKind::AccountRenamed:
        if (QTreeWidgetItem* item = ItemFor(change.account)) {
            const QString login = QString::fromStdString(change.account->Login());
            const QString old = item->text(0);
            // Keep the new-mail count the label shows.
            const QString count = old.indexOf(QLatin1Char('(')) >= 0 ? old.mid(old.indexOf(QLatin1Char('('))) : QString();
            item->setText(0, count.isEmpty() ? login : login + QLatin1Char(' ') + count);
        }
        break;
    case TreeChangeKind::AccountUnchecked:
        if (QTreeWidgetItem* item = ItemFor(change.account))
            SetCheckedQuietly(item, false);
        break;
    case TreeChangeKind::FolderAdded:
        if (QTreeWidgetItem* parent = ItemFor(change.account); parent != nullptr && change.folder != nullptr) {
            QTreeWidgetItem* item = NewItem(TreeItemKind::Folder, change.folder,
                                            QString::fromStdString(change.folder->name), change.folder->checked);
            item->setIcon(0, TreeIcon(TreeImage::Folder));
            parent->addChild(item);
            // An account shows its folders.
            parent->setExpanded(true);
        }
        break;
    case TreeChangeKind::FolderRemoved:
        if (QTreeWidgetItem* item = ItemFor(change.folder)) {
            Forget(item);
            delete item;
        }
        break;
    }
    --quiet_;
}

bool AccountTree::IsChecked(const QTreeWidgetItem* item) const
{
    return item != nullptr && item->checkState(0) == Qt::Checked;
}

bool AccountTree::ProviderChecked(const ProviderEntry& provider) const
{
    return IsChecked(ItemFor(&provider));
}

void AccountTree::SetChecked(QTreeWidgetItem* item, bool checked)
{
    if (item != nullptr)
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void AccountTree::SetCheckedQuietly(QTreeWidgetItem* item, bool checked)
{
    ++quiet_;
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    item->setData(0, kLastCheckRole, checked);
    WriteCheckToEngine(item);
    --quiet_;
}

void AccountTree::WriteCheckToEngine(QTreeWidgetItem* item)
{
    const bool checked = IsChecked(item);
    switch (KindOf(item)) {
    case TreeItemKind::Account:
        AccountOf(item)->Update([checked](AccountState& state) { state.checked = checked; });
        break;
    case TreeItemKind::Folder:
        FolderOf(item)->checked = checked;
        break;
    default:
        break;
    }
}

void AccountTree::OnItemChanged(QTreeWidgetItem* item)
{
    const bool checked = IsChecked(item);
    // itemChanged also reports label changes: only a new check mark counts.
    if (item->data(0, kLastCheckRole).toBool() == checked)
        return;
    item->setData(0, kLastCheckRole, checked);
    WriteCheckToEngine(item);
    if (quiet_ == 0)
        emit ChecksChangedByUser();
}

void AccountTree::SetNewMailCount(const MailFolder& folder, int count)
{
    if (QTreeWidgetItem* item = ItemFor(&folder))
        item->setText(0, CountedLabel(item->text(0), count));
}

void AccountTree::SetNewMailCount(const CAccount& account, int count)
{
    if (QTreeWidgetItem* item = ItemFor(&account))
        item->setText(0, CountedLabel(item->text(0), count));
}

AccountTree::CheckRuleOutcome AccountTree::ApplyCheckRules()
{
    CheckRuleOutcome outcome;
    ++quiet_;
    for (int p = 0; p < topLevelItemCount(); ++p) {
        QTreeWidgetItem* providerItem = topLevelItem(p);
        ProviderEntry* provider = ProviderOf(providerItem);
        if (provider == nullptr)
            continue;
        const bool providerChecked = IsChecked(providerItem);
        if (provider->accounts.empty() && !providerChecked) {
            SetCheckedQuietly(providerItem, true);
            outcome.providerRechecked = true;
            break;
        }
        for (int a = 0; a < providerItem->childCount(); ++a) {
            QTreeWidgetItem* accountItem = providerItem->child(a);
            CAccount* account = AccountOf(accountItem);
            if (account == nullptr || account->State().busy)
                continue;
            if (!providerChecked) {
                SetCheckedQuietly(accountItem, false);
                for (int f = 0; f < accountItem->childCount(); ++f)
                    SetCheckedQuietly(accountItem->child(f), false);
                continue;
            }
            if (!IsChecked(accountItem) || accountItem->childCount() == 0)
                continue;
            bool anyFolderChecked = false;
            for (int f = 0; f < accountItem->childCount(); ++f)
                anyFolderChecked = anyFolderChecked || IsChecked(accountItem->child(f));
            if (!anyFolderChecked) {
                SetCheckedQuietly(accountItem->child(0), true);
                outcome.accountsToOpen.push_back(account);
            }
        }
    }
    --quiet_;
    return outcome;
}

void AccountTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        if (QTreeWidgetItem* item = currentItem())
            item->setExpanded(true);
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

}  // namespace korvalin::ui
