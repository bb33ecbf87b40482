#include "support/RecordedSounds.h"

RecordedSounds::RecordedSounds() : m_previous(setSoundPlayer(this)) {}

RecordedSounds::~RecordedSounds()
{
    if (soundPlayer() == this)
        setSoundPlayer(m_previous);
}

void RecordedSounds::play(const QString& path)
{
    m_played.append(path);
}
