// The Options sheet's "Email Providers" page: every provider with its
// "Hidden" box. Hiding and showing act at once, whatever the sheet's
// closing button.
#pragma once

#include <QWidget>

class QCheckBox;
class QListWidget;

namespace korvalin {
class ProviderHost;
struct ProviderEntry;
}  // namespace korvalin

namespace korvalin::ui {

class ProvidersPage : public QWidget {
    Q_OBJECT
public:
    explicit ProvidersPage(ProviderHost& providers, QWidget* parent = nullptr);

    QListWidget& List() const { return *list_; }
    QCheckBox& HiddenBox() const { return *hidden_; }

private:
    ProviderEntry* Selected() const;
    void ShowSelected();
    void HiddenToggled(bool hidden);

    ProviderHost& providers_;
    QListWidget* list_ = nullptr;
    QCheckBox* hidden_ = nullptr;
};

}  // namespace korvalin::ui
