// The only user of Qt Multimedia, kept in a module of its own that the
// program loads the first time a sound plays: the audio stack (PulseAudio
// and its codecs, a dozen libraries) then costs nothing in memory or
// start-up time for someone who never hears a sound.
#include <QObject>
#include <QSoundEffect>
#include <QString>
#include <QTimer>
#include <QUrl>

extern "C" __attribute__((visibility("default"))) void KorvalinPlaySound(QObject* owner, const QString* file)
{
    // Without an audio device the effect stays silent.
    auto* effect = new QSoundEffect(owner);
    effect->setSource(QUrl::fromLocalFile(*file));
    QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying())
            effect->deleteLater();
    });
    effect->play();
    QTimer::singleShot(30000, effect, &QObject::deleteLater);
}
