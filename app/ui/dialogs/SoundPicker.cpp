#include "SoundPicker.h"

#include "SoundPlayer.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace korvalin::ui {

SoundPicker::SoundPicker(const QString& path, const QString& playText, QWidget* parent) : QWidget(parent)
{
    path_ = new QLineEdit(path, this);
    path_->setObjectName("soundPath");
    path_->setMinimumWidth(220);
    browse_ = new QPushButton("&Browse", this);
    play_ = new QPushButton(playText, this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(path_, 1);
    layout->addWidget(browse_);
    layout->addWidget(play_);
    setFocusProxy(path_);
    chooser_ = [this](const QString& start) -> std::optional<QString> {
        QFileDialog dialog(this, "Choose the new-mail sound", start);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::ReadOnly);
        dialog.setNameFilters({"Sound Files (*.wav)", "All Files (*)"});
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().front();
    };
    connect(browse_, &QPushButton::clicked, this, &SoundPicker::Browse);
    connect(play_, &QPushButton::clicked, this, &SoundPicker::Play);
}

QString SoundPicker::Path() const
{
    return path_->text();
}

void SoundPicker::SetPath(const QString& path)
{
    path_->setText(path);
}

void SoundPicker::Browse()
{
    const QString current = Path();
    const QString start =
        current.isEmpty() ? QCoreApplication::applicationDirPath() : QFileInfo(current).absolutePath();
    // Cancelling keeps the sound chosen before.
    if (std::optional<QString> chosen = chooser_(start); chosen && !chosen->isEmpty())
        SetPath(*chosen);
}

void SoundPicker::Play()
{
    QString error;
    if (!PlaySoundFile(this, Path(), &error))
        play_->setToolTip("Not played: " + error);
    else
        play_->setToolTip(QString());
}

}  // namespace korvalin::ui
