#include "ui/SoundBackend.h"

#include <QSoundEffect>
#include <QUrl>

SoundBackend::SoundBackend(QObject* parent) : QObject(parent) {}

SoundBackend::~SoundBackend() = default;

void SoundBackend::play(const QString& path)
{
    // A fresh effect per cue: the one still playing stops, and a file changed on disk since the
    // last cue is read anew rather than taken from the loaded sample.
    if (m_effect) {
        m_effect->stop();
        m_effect->deleteLater();
    }
    m_effect = new QSoundEffect(this);
    m_effect->setSource(QUrl::fromLocalFile(path));
    // Starts as soon as the sample is loaded; play() itself never waits for it.
    m_effect->play();
}
