#include "MessageBoxes.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

namespace korvalin::ui {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton ToQtButton(MessageAnswer answer)
{
    switch (answer) {
    case MessageAnswer::Cancel:
        return QMessageBox::Cancel;
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    case MessageAnswer::Ok:
        break;
    }
    return QMessageBox::Ok;
}

MessageAnswer FromQtButton(int button, MessageButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        break;
    }
    // Closed without a button: the box's way out.
    switch (buttons) {
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::Ok:
        break;
    }
    return MessageAnswer::Ok;
}

}  // namespace

MessageBoxReply RunMessageBox(QWidget* parent, const MessageBoxRequest& request)
{
    QMessageBox box(parent);
    box.setWindowTitle(request.caption.empty() ? QString::fromLatin1(kProgramName)
                                               : QString::fromStdString(request.caption));
    // Texts carry addresses such as "<ann@example.org>": never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(request.text));
    box.setIcon(ToQtIcon(request.icon));
    box.setStandardButtons(ToQtButtons(request.buttons));
    box.setDefaultButton(ToQtButton(request.defaultButton));
    if (request.buttons == MessageButtons::YesNo)
        box.setEscapeButton(QMessageBox::No);
    QCheckBox* checkBox = nullptr;
    if (!request.checkBoxText.empty()) {
        checkBox = new QCheckBox(QString::fromStdString(request.checkBoxText), &box);
        box.setCheckBox(checkBox);
    }
    int button = box.exec();
    MessageBoxReply reply;
    reply.answer = FromQtButton(button, request.buttons);
    reply.checkBoxChecked = checkBox != nullptr && checkBox->isChecked();
    return reply;
}

}  // namespace korvalin::ui
