#include "QtFeaturePort.h"

#include "QtUiPort.h"
#include "UiThread.h"
#include "UpdateOfferBox.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvalin::ui {
namespace {

// The "Update Korvalin?" box: its buttons act on the engine's box, which
// says when it is closed.
void RunUpdateOfferDialog(QWidget* parent, UpdateOfferBox& box)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(kUpdateOfferCaption);
    auto* text = new QLabel("A new version of Korvalin Mail is available. Would you like to update it now?", &dialog);
    text->setWordWrap(true);
    auto* updateNow = new QPushButton(kUpdateNowButton, &dialog);
    auto* dontUpdate = new QPushButton(kDontUpdateButton, &dialog);
    auto* tellMore = new QPushButton(kTellMeMoreButton, &dialog);
    updateNow->setDefault(true);
    auto closeWhenDone = [&] {
        if (box.Closed())
            dialog.accept();
    };
    QObject::connect(updateNow, &QPushButton::clicked, &dialog, [&] {
        box.OnUpdateNow();
        closeWhenDone();
    });
    QObject::connect(dontUpdate, &QPushButton::clicked, &dialog, [&] {
        box.OnDontUpdate();
        closeWhenDone();
    });
    QObject::connect(tellMore, &QPushButton::clicked, &dialog, [&] {
        box.OnTellMeMore();
        closeWhenDone();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(updateNow);
    buttons->addWidget(dontUpdate);
    buttons->addWidget(tellMore);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addLayout(buttons);
    while (!box.Closed()) {
        if (dialog.exec() != QDialog::Accepted)
            box.OnClose();
    }
}

}  // namespace

void QtFeaturePort::PostToUiThread(std::function<void()> work)
{
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

void QtFeaturePort::RunUpdateOffer(UpdateOfferBox& box)
{
    if (port_.Closing()) {
        box.OnClose();
        return;
    }
    const bool shown = port_.Calls().Run(this, [&] {
        RunUpdateOfferDialog(port_.DialogParent(), box);
        return true;
    });
    if (!shown)
        box.OnClose();
}

}  // namespace korvalin::ui
