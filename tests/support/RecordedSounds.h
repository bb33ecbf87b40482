#pragma once

#include "app/SoundPlayer.h"

#include <QStringList>

// A player for tests: records the files it was asked to play. It installs itself for its
// lifetime and puts the previous player back.
class RecordedSounds : public SoundPlayer {
public:
    RecordedSounds();
    ~RecordedSounds() override;
    RecordedSounds(const RecordedSounds&) = delete;
    RecordedSounds& operator=(const RecordedSounds&) = delete;

    void play(const QString& path) override;

    const QStringList& played() const { return m_played; }
    void clear() { m_played.clear(); }

private:
    SoundPlayer* m_previous = nullptr;
    QStringList m_played;
};
