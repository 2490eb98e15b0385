// The about box: the program's name and version, what it is, its maker and
// its web site.
#pragma once

#include <QDialog>

namespace korvalin::ui {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    // vendorWeb: the program's web site, as a full address.
    AboutBox(const QString& title, const QString& vendorWeb, QWidget* parent = nullptr);
};

}  // namespace korvalin::ui
