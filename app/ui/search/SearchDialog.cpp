#include "SearchDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvalin::ui {

SearchDialog::SearchDialog(Engine& engine, QWidget* parent) : QDialog(parent), engine_(engine)
{
    setWindowTitle("Search among mails..");
    setObjectName("searchDialog");
    setModal(true);
    newOnly = new QCheckBox("Is a &new mail", this);
    fromOn = new QCheckBox("&From contains", this);
    from = new QLineEdit(this);
    from->setObjectName("from");
    dateOn = new QCheckBox("Da&te contains", this);
    date = new QLineEdit(this);
    date->setObjectName("date");
    subjectOn = new QCheckBox("Su&bject contains", this);
    subject = new QLineEdit(this);
    subject->setObjectName("subject");
    allWords = new QRadioButton("a&ll", this);
    anyWord = new QRadioButton("an&y", this);
    allWords->setChecked(true);
    results = new QListWidget(this);
    results->setObjectName("results");
    results->setMinimumSize(540, 220);
    count = new QLabel("Search results here", this);
    count->setObjectName("count");
    searchButton = new QPushButton("&Search", this);
    searchButton->setDefault(true);
    doneButton = new QPushButton("&Done", this);

    auto* conditions = new QGridLayout;
    conditions->addWidget(newOnly, 0, 0, 1, 2);
    conditions->addWidget(fromOn, 1, 0);
    conditions->addWidget(from, 1, 1);
    conditions->addWidget(dateOn, 2, 0);
    conditions->addWidget(date, 2, 1);
    conditions->addWidget(subjectOn, 3, 0);
    conditions->addWidget(subject, 3, 1);
    auto* words = new QHBoxLayout;
    words->addWidget(allWords);
    words->addWidget(anyWord);
    words->addWidget(new QLabel("of these words:", this));
    words->addStretch(1);
    conditions->addLayout(words, 4, 1);
    conditions->setColumnStretch(1, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(searchButton);
    buttons->addWidget(doneButton);
    buttons->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(conditions, 1);
    top->addLayout(buttons);
    auto* resultsLabel = new QLabel("Search &Results:", this);
    resultsLabel->setBuddy(results);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(resultsLabel);
    layout->addWidget(results, 1);
    layout->addWidget(count);

    setTabOrder(newOnly, fromOn);
    setTabOrder(fromOn, from);
    setTabOrder(from, dateOn);
    setTabOrder(dateOn, date);
    setTabOrder(date, subjectOn);
    setTabOrder(subjectOn, subject);
    setTabOrder(subject, allWords);
    setTabOrder(allWords, anyWord);
    setTabOrder(anyWord, searchButton);
    setTabOrder(searchButton, doneButton);
    setTabOrder(doneButton, results);

    for (QCheckBox* box : {fromOn, dateOn, subjectOn})
        connect(box, &QCheckBox::toggled, this, &SearchDialog::UpdateEnabling);
    connect(searchButton, &QPushButton::clicked, this, &SearchDialog::Search);
    connect(doneButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(results, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { OpenResult(results->row(item)); });
    UpdateEnabling();
}

void SearchDialog::UpdateEnabling()
{
    from->setEnabled(fromOn->isChecked());
    date->setEnabled(dateOn->isChecked());
    subject->setEnabled(subjectOn->isChecked());
    allWords->setEnabled(subjectOn->isChecked());
    anyWord->setEnabled(subjectOn->isChecked());
}

SearchConditions SearchDialog::Conditions() const
{
    SearchConditions conditions;
    conditions.newOnly = newOnly->isChecked();
    conditions.fromOn = fromOn->isChecked();
    conditions.from = from->text().toStdString();
    conditions.dateOn = dateOn->isChecked();
    conditions.date = date->text().toStdString();
    conditions.subjectOn = subjectOn->isChecked();
    conditions.subject = subject->text().toStdString();
    conditions.anyWord = anyWord->isChecked();
    return conditions;
}

void SearchDialog::Search()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const SearchConditions conditions = Conditions();
    results->clear();
    results_ = SearchMails(engine_, conditions);
    // The From and Date texts are searched in capitals, and shown so.
    if (conditions.fromOn)
        from->setText(QString::fromStdString(UpperCase(conditions.from)));
    if (conditions.dateOn)
        date->setText(QString::fromStdString(UpperCase(conditions.date)));
    for (const SearchResult& result : results_)
        results->addItem(QString::fromStdString(result.from + " : " + result.subject));
    count->setText(QString(" %1 mails found").arg(results_.size()));
    QGuiApplication::restoreOverrideCursor();
}

void SearchDialog::OpenResult(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= results_.size())
        return;
    OpenFoundMail(results_[static_cast<size_t>(index)]);
}

}  // namespace korvalin::ui
