// The engine's message boxes show their texts as they are, addresses in
// angle brackets included.
#include "MessageBoxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

namespace korvalin::ui::test {
namespace {

TEST(MessageBoxes, TextsAreNeverTakenForMarkup)
{
    MessageBoxRequest request;
    request.text = "The mail to Ann <ann@example.org> was not sent: <b>demo</b>";
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        shown = box->text();
        box->accept();
    });
    EXPECT_EQ(RunMessageBox(nullptr, request).answer, MessageAnswer::Ok);
    EXPECT_EQ(shown.toStdString(), request.text);
}

}  // namespace
}  // namespace korvalin::ui::test
