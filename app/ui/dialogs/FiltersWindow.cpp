#include "FiltersWindow.h"

#include "Engine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
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

void SetText(QLineEdit* field, const std::string& text)
{
    // Only a real change moves the cursor.
    if (field->text() != Q(text))
        field->setText(Q(text));
}

}  // namespace

FiltersWindow::FiltersWindow(Engine& engine, FilterRules& rules, CAccount& account, QWidget* parent)
    : QDialog(parent), engine_(engine), logic_(engine, rules, account)
{
    setWindowTitle("Filters");
    setObjectName("filtersWindow");
    chooser_ = [this]() -> std::optional<QString> {
        const QString file =
            QFileDialog::getOpenFileName(this, "Reply with file", QString(), "Text Files (*.txt);;All Files (*)");
        if (file.isEmpty())
            return std::nullopt;
        return file;
    };
    Build();
    Connect();
    Refresh();
}

void FiltersWindow::Build()
{
    accounts = new QComboBox(this);
    name = new QLineEdit(this);
    newButton = new QPushButton("Ne&w", this);
    deleteButton = new QPushButton("Dele&te", this);
    helpButton = new QPushButton("&Help", this);
    newOnly = new QCheckBox("New &Mail only", this);
    fromOn = new QCheckBox("&From contains", this);
    from = new QLineEdit(this);
    subjectOn = new QCheckBox("&Subject contains", this);
    subject = new QLineEdit(this);
    forwardOn = new QCheckBox("F&orward to", this);
    forward = new QLineEdit(this);
    replyOn = new QCheckBox("&Reply with file:", this);
    reply = new QLineEdit(this);
    browseButton = new QPushButton("&Browse", this);
    deleteIt = new QCheckBox("D&elete it", this);
    filters = new QListWidget(this);
    filters->setMinimumWidth(170);
    upButton = new QPushButton("&Up", this);
    downButton = new QPushButton("&Down", this);
    description = new QLabel(this);
    description->setTextFormat(Qt::PlainText);
    description->setWordWrap(true);
    description->setMinimumHeight(48);
    description->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    description->setFrameShape(QFrame::StyledPanel);
    mainButton = new QPushButton("Close", this);
    mainButton->setDefault(true);
    for (QLineEdit* field : {from, subject, forward, reply})
        field->setMinimumWidth(220);

    auto* accountRow = new QHBoxLayout;
    accountRow->addWidget(new QLabel("Account", this));
    accountRow->addWidget(accounts, 1);

    auto* move = new QGroupBox("Move", this);
    auto* moveLayout = new QHBoxLayout(move);
    moveLayout->addWidget(upButton);
    moveLayout->addWidget(downButton);
    auto* left = new QVBoxLayout;
    left->addWidget(filters, 1);
    left->addWidget(move);

    auto* nameLabel = new QLabel("&Name:", this);
    nameLabel->setBuddy(name);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(name, 1);
    nameRow->addWidget(newButton);
    nameRow->addWidget(deleteButton);
    nameRow->addWidget(helpButton);

    auto* conditions = new QGroupBox("Conditions", this);
    auto* conditionGrid = new QGridLayout(conditions);
    conditionGrid->addWidget(newOnly, 0, 0, 1, 2);
    conditionGrid->addWidget(fromOn, 1, 0);
    conditionGrid->addWidget(from, 1, 1);
    conditionGrid->addWidget(subjectOn, 2, 0);
    conditionGrid->addWidget(subject, 2, 1);
    conditionGrid->setColumnStretch(1, 1);

    auto* actions = new QGroupBox("Actions", this);
    auto* actionGrid = new QGridLayout(actions);
    actionGrid->addWidget(forwardOn, 0, 0);
    actionGrid->addWidget(forward, 0, 1, 1, 2);
    actionGrid->addWidget(replyOn, 1, 0);
    actionGrid->addWidget(reply, 1, 1);
    actionGrid->addWidget(browseButton, 1, 2);
    actionGrid->addWidget(deleteIt, 2, 0, 1, 3);
    actionGrid->setColumnStretch(1, 1);

    auto* right = new QVBoxLayout;
    right->addLayout(nameRow);
    right->addWidget(conditions);
    right->addWidget(actions);
    right->addStretch(1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right, 1);
    auto* closing = new QHBoxLayout;
    closing->addStretch(1);
    closing->addWidget(mainButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(accountRow);
    layout->addLayout(columns, 1);
    layout->addWidget(description);
    layout->addLayout(closing);

    setTabOrder(accounts, filters);
    setTabOrder(filters, upButton);
    setTabOrder(upButton, downButton);
    setTabOrder(downButton, name);
    setTabOrder(name, newButton);
    setTabOrder(newButton, deleteButton);
    setTabOrder(deleteButton, helpButton);
    setTabOrder(helpButton, newOnly);
    setTabOrder(newOnly, fromOn);
    setTabOrder(fromOn, from);
    setTabOrder(from, subjectOn);
    setTabOrder(subjectOn, subject);
    setTabOrder(subject, forwardOn);
    setTabOrder(forwardOn, forward);
    setTabOrder(forward, replyOn);
    setTabOrder(replyOn, reply);
    setTabOrder(reply, browseButton);
    setTabOrder(browseButton, deleteIt);
    setTabOrder(deleteIt, mainButton);
}

template <typename Change>
void FiltersWindow::Act(Change change)
{
    if (refreshing_)
        return;
    change();
    Refresh();
}

void FiltersWindow::Connect()
{
    auto text = [](QLineEdit* field) { return field->text().toStdString(); };
    connect(accounts, &QComboBox::currentIndexChanged, this, [this](int index) {
        Act([&] { logic_.ChooseAccount(index); });
    });
    connect(filters, &QListWidget::currentRowChanged, this, [this](int row) { Act([&] { logic_.Select(row); }); });
    connect(name, &QLineEdit::textEdited, this, [=, this] { Act([&] { logic_.TypeName(text(name)); }); });
    connect(newButton, &QPushButton::clicked, this, [this] { Act([&] { logic_.PressNew(); }); });
    connect(deleteButton, &QPushButton::clicked, this, [this] { Act([&] { logic_.PressDelete(); }); });
    connect(helpButton, &QPushButton::clicked, this, &FiltersWindow::ShowHelp);
    connect(newOnly, &QCheckBox::toggled, this, [this](bool on) { Act([&] { logic_.SetNewOnly(on); }); });
    connect(fromOn, &QCheckBox::toggled, this, [this](bool on) { Act([&] { logic_.SetFromChecked(on); }); });
    connect(from, &QLineEdit::textEdited, this, [=, this] { Act([&] { logic_.TypeFrom(text(from)); }); });
    connect(subjectOn, &QCheckBox::toggled, this, [this](bool on) { Act([&] { logic_.SetSubjectChecked(on); }); });
    connect(subject, &QLineEdit::textEdited, this, [=, this] { Act([&] { logic_.TypeSubject(text(subject)); }); });
    connect(forwardOn, &QCheckBox::toggled, this, [this](bool on) { Act([&] { logic_.SetForwardChecked(on); }); });
    connect(forward, &QLineEdit::textEdited, this, [=, this] { Act([&] { logic_.TypeForward(text(forward)); }); });
    connect(replyOn, &QCheckBox::toggled, this, [this](bool on) { Act([&] { logic_.SetReplyChecked(on); }); });
    connect(reply, &QLineEdit::textEdited, this, [=, this] { Act([&] { logic_.TypeReply(text(reply)); }); });
    connect(browseButton, &QPushButton::clicked, this, &FiltersWindow::Browse);
    connect(deleteIt, &QCheckBox::toggled, this, [this](bool on) { Act([&] { logic_.SetDeleteChecked(on); }); });
    connect(upButton, &QPushButton::clicked, this, [this] { Act([&] { logic_.PressUp(); }); });
    connect(downButton, &QPushButton::clicked, this, [this] { Act([&] { logic_.PressDown(); }); });
    connect(mainButton, &QPushButton::clicked, this, &FiltersWindow::PressMainButton);
}

void FiltersWindow::Refresh()
{
    refreshing_ = true;
    const FilterDialogState state = logic_.State();
    {
        QSignalBlocker block(accounts);
        accounts->clear();
        for (const std::string& account : state.accounts)
            accounts->addItem(Q(account));
        accounts->setCurrentIndex(state.account);
    }
    {
        QSignalBlocker block(filters);
        filters->clear();
        for (const std::string& filter : state.filterNames)
            filters->addItem(Q(filter));
        filters->setCurrentRow(state.selected);
    }
    const FilterDialogValues& values = state.values;
    SetText(name, values.name);
    newOnly->setChecked(values.newOnly);
    fromOn->setChecked(values.fromChecked);
    SetText(from, values.fromText);
    subjectOn->setChecked(values.subjectChecked);
    SetText(subject, values.subjectText);
    forwardOn->setChecked(values.forwardChecked);
    SetText(forward, values.forwardText);
    replyOn->setChecked(values.replyChecked);
    SetText(reply, values.replyText);
    deleteIt->setChecked(values.deleteChecked);

    newButton->setEnabled(state.newEnabled);
    deleteButton->setEnabled(state.deleteEnabled);
    newOnly->setEnabled(state.newOnlyEnabled);
    for (QCheckBox* box : {fromOn, subjectOn, forwardOn, replyOn, deleteIt})
        box->setEnabled(state.checkBoxesEnabled);
    from->setEnabled(state.fromFieldEnabled);
    subject->setEnabled(state.subjectFieldEnabled);
    forward->setEnabled(state.forwardFieldEnabled);
    reply->setEnabled(state.replyFieldEnabled);
    browseButton->setEnabled(state.browseEnabled);
    upButton->setEnabled(state.upEnabled);
    downButton->setEnabled(state.downEnabled);
    mainButton->setText(Q(state.mainButton));
    description->setText(Q(state.description));
    refreshing_ = false;
}

void FiltersWindow::PressMainButton()
{
    const bool close = logic_.PressMainButton();
    Refresh();
    if (close)
        accept();
}

void FiltersWindow::ShowHelp()
{
    MessageBoxRequest help;
    help.caption = kFilterHelpCaption;
    help.text = FilterHelpText();
    help.icon = MessageIcon::Information;
    engine_.Ui().ShowMessage(help);
}

void FiltersWindow::Browse()
{
    if (std::optional<QString> file = chooser_())
        Act([&] { logic_.BrowsedReplyFile(file->toStdString()); });
}

void FiltersWindow::reject()
{
    logic_.Select(-1);
    logic_.PressMainButton();
    QDialog::reject();
}

}  // namespace korvalin::ui
