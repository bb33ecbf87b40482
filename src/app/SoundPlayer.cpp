#include "app/SoundPlayer.h"

#include "app/FileServices.h"

namespace {

SoundPlayer*& current()
{
    static SoundPlayer* player = nullptr;
    return player;
}

} // namespace

SoundPlayer* setSoundPlayer(SoundPlayer* player)
{
    SoundPlayer* previous = current();
    current() = player;
    return previous;
}

SoundPlayer* soundPlayer()
{
    return current();
}

void PlaySoundFile(const QString& path)
{
    if (!FileExists(path))
        return;
    if (SoundPlayer* player = current())
        player->play(path);
}
