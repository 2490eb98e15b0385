#include "SoundPlayer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace korvalin::ui {
namespace {

using PlayFunction = void (*)(QObject*, const QString*);

struct SoundModule {
    PlayFunction play = nullptr;
    QString error;
};

const SoundModule& LoadedModule()
{
    static const SoundModule module = [] {
        SoundModule loaded;
        // Never unloaded: effects it made may still be playing at exit.
        QLibrary library(QCoreApplication::applicationDirPath() + "/modules/korvalin-sound.so");
        loaded.play = reinterpret_cast<PlayFunction>(library.resolve("KorvalinPlaySound"));
        if (loaded.play == nullptr)
            loaded.error = "the sound module cannot be loaded: " + library.errorString();
        return loaded;
    }();
    return module;
}

}  // namespace

bool PlaySoundFile(QObject* owner, const QString& file, QString* error)
{
    auto fail = [error](const QString& text) {
        if (error != nullptr)
            *error = text;
        return false;
    };
    if (!QFileInfo::exists(file))
        return fail("the sound file " + file + " does not exist");
    const SoundModule& module = LoadedModule();
    if (module.play == nullptr)
        return fail(module.error);
    module.play(owner, &file);
    return true;
}

}  // namespace korvalin::ui
