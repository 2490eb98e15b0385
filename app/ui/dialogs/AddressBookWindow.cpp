#include "AddressBookWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace korvalin::ui {
namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

AddressBookWindow::AddressBookWindow(std::unique_ptr<AddressBookDialog> logic, QWidget* parent)
    : QDialog(parent), logic_(std::move(logic))
{
    setWindowTitle("Address Book");
    setObjectName("addressBook");
    askNewAddress_ = [this] { return NewAddressDialog::Ask(this); };

    accounts_ = new QComboBox(this);
    accounts_->setObjectName("accounts");
    accounts_->setMinimumWidth(240);
    names_ = new QListWidget(this);
    names_->setObjectName("names");
    names_->setMinimumSize(220, 180);
    address_ = new QLineEdit(this);
    address_->setObjectName("address");
    toButton_ = new QPushButton("&To >", this);
    ccButton_ = new QPushButton("&Cc >", this);
    bccButton_ = new QPushButton("&BCc >", this);
    to_ = new QLineEdit(this);
    cc_ = new QLineEdit(this);
    bcc_ = new QLineEdit(this);
    for (QLineEdit* field : {to_, cc_, bcc_})
        field->setMinimumWidth(220);
    new_ = new QPushButton("Ne&w", this);
    delete_ = new QPushButton("De&lete", this);
    ok_ = new QPushButton("&OK", this);
    ok_->setDefault(true);
    cancel_ = new QPushButton("Ca&ncel", this);
    auto* note = new QLabel(Q(kAddressBookNote), this);
    note->setWordWrap(true);

    auto* bookLabel = new QLabel("A&ddress Book:", this);
    bookLabel->setBuddy(accounts_);
    auto* namesLabel = new QLabel("Choose &Address:", this);
    namesLabel->setBuddy(names_);
    auto* addressLabel = new QLabel("Add&ress:", this);
    addressLabel->setBuddy(address_);

    auto* left = new QGridLayout;
    left->addWidget(bookLabel, 0, 0);
    left->addWidget(accounts_, 0, 1);
    left->addWidget(namesLabel, 1, 0, 1, 2);
    left->addWidget(names_, 2, 0, 1, 2);
    left->addWidget(addressLabel, 3, 0);
    left->addWidget(address_, 3, 1);
    auto* bookButtons = new QHBoxLayout;
    bookButtons->addWidget(new_);
    bookButtons->addWidget(delete_);
    bookButtons->addStretch(1);
    left->addLayout(bookButtons, 4, 0, 1, 2);

    auto* right = new QGridLayout;
    right->addWidget(toButton_, 0, 0);
    right->addWidget(to_, 0, 1);
    right->addWidget(ccButton_, 1, 0);
    right->addWidget(cc_, 1, 1);
    right->addWidget(bccButton_, 2, 0);
    right->addWidget(bcc_, 2, 1);
    right->setRowStretch(3, 1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right);
    auto* closing = new QHBoxLayout;
    closing->addWidget(note, 1);
    closing->addWidget(ok_);
    closing->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(closing);

    setTabOrder(accounts_, names_);
    setTabOrder(names_, address_);
    setTabOrder(address_, new_);
    setTabOrder(new_, delete_);
    setTabOrder(delete_, toButton_);
    setTabOrder(toButton_, to_);
    setTabOrder(to_, ccButton_);
    setTabOrder(ccButton_, cc_);
    setTabOrder(cc_, bccButton_);
    setTabOrder(bccButton_, bcc_);
    setTabOrder(bcc_, ok_);
    setTabOrder(ok_, cancel_);

    connect(accounts_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (refreshing_)
            return;
        logic_->ChooseAccount(index);
        Refresh();
    });
    connect(names_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (refreshing_)
            return;
        logic_->Select(row);
        Refresh();
    });
    connect(names_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (!logic_->State().recipientControls)
            return;
        TakeRecipientFields();
        logic_->DoubleClick(names_->row(item));
        Refresh();
    });
    // What the person types into the recipient fields is kept as it is typed.
    for (QLineEdit* field : {to_, cc_, bcc_})
        connect(field, &QLineEdit::textEdited, this, &AddressBookWindow::TakeRecipientFields);
    connect(address_, &QLineEdit::textEdited, this, [this](const QString& text) {
        logic_->TypeAddress(text.toStdString());
    });
    auto pick = [this](void (AddressBookDialog::*press)()) {
        return [this, press] {
            TakeRecipientFields();
            ((*logic_).*press)();
            Refresh();
        };
    };
    connect(toButton_, &QPushButton::clicked, this, pick(&AddressBookDialog::PressTo));
    connect(ccButton_, &QPushButton::clicked, this, pick(&AddressBookDialog::PressCc));
    connect(bccButton_, &QPushButton::clicked, this, pick(&AddressBookDialog::PressBcc));
    connect(new_, &QPushButton::clicked, this, &AddressBookWindow::PressNew);
    connect(delete_, &QPushButton::clicked, this, [this] {
        logic_->PressDelete();
        Refresh();
    });
    connect(ok_, &QPushButton::clicked, this, [this] {
        TakeRecipientFields();
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    Refresh();
}

AddressBookWindow::~AddressBookWindow() = default;

void AddressBookWindow::TakeRecipientFields()
{
    if (!logic_->State().recipientControls)
        return;
    logic_->SetRecipients({to_->text().toStdString(), cc_->text().toStdString(), bcc_->text().toStdString()});
}

void AddressBookWindow::PressNew()
{
    if (std::optional<NewAddress> entered = askNewAddress_()) {
        logic_->AddNew(entered->name, entered->address);
        Refresh();
    }
}

void AddressBookWindow::Refresh()
{
    refreshing_ = true;
    const AddressBookDialogState state = logic_->State();
    {
        QSignalBlocker block(accounts_);
        accounts_->clear();
        for (const std::string& account : state.accounts)
            accounts_->addItem(Q(account));
        accounts_->setCurrentIndex(state.account);
    }
    names_->clear();
    for (const std::string& name : state.names)
        names_->addItem(Q(name));
    names_->setCurrentRow(state.selected);
    if (state.selected < 0)
        names_->clearSelection();
    address_->setText(Q(state.address));
    address_->setEnabled(state.addressEnabled);
    delete_->setEnabled(state.deleteEnabled);
    new_->setEnabled(state.account >= 0);
    for (QWidget* control : std::initializer_list<QWidget*>{toButton_, ccButton_, bccButton_, to_, cc_, bcc_, cancel_})
        control->setVisible(state.recipientControls);
    to_->setText(Q(state.recipients.to));
    cc_->setText(Q(state.recipients.cc));
    bcc_->setText(Q(state.recipients.bcc));
    refreshing_ = false;
}

void AddressBookWindow::ShowStandAlone(Engine& engine, AddressBooks& books, QWidget* parent)
{
    std::unique_ptr<AddressBookDialog> logic = AddressBookDialog::OpenStandAlone(engine, books);
    if (!logic)
        return;
    AddressBookWindow window(std::move(logic), parent);
    window.exec();
}

std::optional<RecipientFields> AddressBookWindow::PickRecipients(Engine& engine, AddressBooks& books,
                                                                CAccount& sender, RecipientFields fields,
                                                                QWidget* parent)
{
    AddressBookWindow window(AddressBookDialog::OpenRecipientPicker(engine, books, sender, std::move(fields)),
                             parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.Logic().Recipients();
}

}  // namespace korvalin::ui
