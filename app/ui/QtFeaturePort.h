// What the filters, address books, network tests and update need from the Qt
// program beyond the engine's port: work run later on the UI thread, and the
// "Update Korvalin?" box.
#pragma once

#include "FeaturePort.h"

#include <QObject>

namespace korvalin::ui {

class QtUiPort;

class QtFeaturePort : public QObject, public FeaturePort {
    Q_OBJECT
public:
    explicit QtFeaturePort(QtUiPort& port, QObject* parent = nullptr) : QObject(parent), port_(port) {}

    void PostToUiThread(std::function<void()> work) override;
    void RunUpdateOffer(UpdateOfferBox& box) override;

private:
    QtUiPort& port_;
};

}  // namespace korvalin::ui
