// The "Search among mails.." dialog: its conditions, the found mails, and a
// double click that opens one while the dialog stays open.
#pragma once

#include "MailSearch.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace korvalin::ui {

class SearchDialog : public QDialog {
    Q_OBJECT
public:
    explicit SearchDialog(Engine& engine, QWidget* parent = nullptr);

    // "&Search".
    void Search();
    // A double click on result line index.
    void OpenResult(int index);

    const std::vector<SearchResult>& Results() const { return results_; }
    QCheckBox* newOnly = nullptr;
    QCheckBox* fromOn = nullptr;
    QLineEdit* from = nullptr;
    QCheckBox* dateOn = nullptr;
    QLineEdit* date = nullptr;
    QCheckBox* subjectOn = nullptr;
    QLineEdit* subject = nullptr;
    QRadioButton* allWords = nullptr;
    QRadioButton* anyWord = nullptr;
    QListWidget* results = nullptr;
    QLabel* count = nullptr;
    QPushButton* searchButton = nullptr;
    QPushButton* doneButton = nullptr;

private:
    void UpdateEnabling();
    SearchConditions Conditions() const;

    Engine& engine_;
    std::vector<SearchResult> results_;
};

}  // namespace korvalin::ui
