#include "NewMailsBox.h"

#include "Engine.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvalin::ui {

namespace {

// Where the entry's mail is now; -1 when it is no longer listed (a row
// number of before could name another mail by now).
int RowOf(const NewMailEntry& entry)
{
    const int row = entry.summary->FindRow(entry.messageId);
    return row > 0 ? row : -1;
}

}  // namespace

NewMailsBox::NewMailsBox(Engine& engine, std::function<void()> showMainWindow, QWidget* parent)
    : QDialog(parent), engine_(engine), showMainWindow_(std::move(showMainWindow))
{
    setWindowTitle("New Mails");
    setObjectName("newMailsBox");
    senders_ = new QListWidget(this);
    subjects_ = new QListWidget(this);
    senders_->setObjectName("senders");
    subjects_->setObjectName("subjects");
    for (QListWidget* list : {senders_, subjects_}) {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        connect(list, &QListWidget::currentRowChanged, this, &NewMailsBox::SelectLine);
        connect(list, &QListWidget::itemDoubleClicked, this, &NewMailsBox::ReadSelected);
    }
    read_ = new QPushButton("&Read", this);
    show_ = new QPushButton("&Korvalin", this);
    delete_ = new QPushButton("&Delete", this);
    auto* close = new QPushButton("&Close", this);
    connect(read_, &QPushButton::clicked, this, &NewMailsBox::ReadSelected);
    connect(delete_, &QPushButton::clicked, this, &NewMailsBox::DeleteSelected);
    connect(show_, &QPushButton::clicked, this, [this] {
        if (showMainWindow_)
            showMainWindow_();
        done(QDialog::Accepted);
    });
    connect(close, &QPushButton::clicked, this, &NewMailsBox::reject);

    auto* lists = new QHBoxLayout;
    auto* fromColumn = new QVBoxLayout;
    fromColumn->addWidget(new QLabel("From:", this));
    fromColumn->addWidget(senders_);
    auto* subjectColumn = new QVBoxLayout;
    subjectColumn->addWidget(new QLabel("Subject:", this));
    subjectColumn->addWidget(subjects_);
    lists->addLayout(fromColumn, 2);
    lists->addLayout(subjectColumn, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(read_);
    buttons->addWidget(show_);
    buttons->addWidget(delete_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);
    resize(560, 260);

    engine_.NewMail().SetNewMailsBoxOpen(true);
    Refresh();
}

NewMailsBox::~NewMailsBox()
{
    engine_.NewMail().SetNewMailsBoxOpen(false);
}

void NewMailsBox::Refresh()
{
    const int line = senders_->currentRow();
    syncing_ = true;
    senders_->clear();
    subjects_->clear();
    for (const NewMailEntry& entry : engine_.NewMail().Entries()) {
        senders_->addItem(QString::fromStdString(entry.from));
        subjects_->addItem(QString::fromStdString(entry.subject));
    }
    syncing_ = false;
    if (senders_->count() > 0)
        SelectLine(std::clamp(line, 0, senders_->count() - 1));
    read_->setEnabled(senders_->count() > 0);
    delete_->setEnabled(senders_->count() > 0);
}

void NewMailsBox::SelectLine(int line)
{
    if (syncing_ || line < 0)
        return;
    syncing_ = true;
    senders_->setCurrentRow(line);
    subjects_->setCurrentRow(line);
    syncing_ = false;
}

void NewMailsBox::ReadSelected()
{
    const int line = senders_->currentRow();
    const std::vector<NewMailEntry> entries = engine_.NewMail().Entries();
    if (line < 0 || static_cast<size_t>(line) >= entries.size())
        return;
    const NewMailEntry entry = entries[static_cast<size_t>(line)];
    if (const int row = RowOf(entry); row > 0)
        entry.summary->OpenMail(row);
    // The line goes even when the mail could not be shown.
    engine_.NewMail().ForgetNewMail(entry.summary.get(), entry.messageId);
    Refresh();
}

void NewMailsBox::DeleteSelected()
{
    const int line = senders_->currentRow();
    const std::vector<NewMailEntry> entries = engine_.NewMail().Entries();
    if (line < 0 || static_cast<size_t>(line) >= entries.size())
        return;
    const NewMailEntry entry = entries[static_cast<size_t>(line)];
    // Deleting removes the row; the list follows the rows that move up.
    const int row = RowOf(entry);
    if (row < 0 || (!entry.summary->DeleteMailAt(row, true) && !engine_.Online().Online()))
        engine_.NewMail().ForgetNewMail(entry.summary.get(), entry.messageId);
    Refresh();
}

void NewMailsBox::reject()
{
    engine_.NewMail().Clear();
    QDialog::reject();
}

}  // namespace korvalin::ui
