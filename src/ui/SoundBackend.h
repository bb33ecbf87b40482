#pragma once

#include "app/SoundPlayer.h"

#include <QObject>

class QSoundEffect;

// Plays cues through Qt Multimedia. Loading and playing run in the audio service; a file it
// cannot decode, or a machine without an audio device, simply stays silent.
class SoundBackend : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    explicit SoundBackend(QObject* parent = nullptr);
    ~SoundBackend() override;

    void play(const QString& path) override;

private:
    QSoundEffect* m_effect = nullptr;
};
