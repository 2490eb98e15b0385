// Plays a wave file without waiting, through the sound module in modules/
// beside the program (loaded on the first sound); nothing is heard without a device.
#pragma once

#include <QObject>
#include <QString>

namespace korvalin::ui {

// False, with the reason, when the file is missing or the sound module
// cannot be loaded; the module's failure is remembered, not retried.
bool PlaySoundFile(QObject* owner, const QString& file, QString* error = nullptr);

}  // namespace korvalin::ui
