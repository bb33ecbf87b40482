#pragma once

#include <QString>

// Plays the login and logout cues. The program installs the audio back end at start-up; tests
// install RecordedSounds. Playing never waits and never fails visibly.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts the file in the background, replacing a sound still playing; returns at once.
    virtual void play(const QString& path) = 0;
};

// Not owned; without a player every cue is silent. Returns the player installed before.
SoundPlayer* setSoundPlayer(SoundPlayer* player);
SoundPlayer* soundPlayer();

// Silent when the file does not exist (FileExists); otherwise handed to the player.
void PlaySoundFile(const QString& path);
