// Sound: a wave file played asynchronously and a tone of a given frequency
// and length. Without an audio device (or without the sound libraries'
// back end) nothing plays and nothing fails.
//
// Any thread. The player keeps what it plays until it has finished.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Starts playing the wave file and returns at once; false when the file is
// missing or is not a wave file the player can read (nothing plays then).
// Without an audio device a readable file answers true and plays nothing.
bool PlayWaveFileAsync(const std::string& path);
// Plays a sine tone of frequency Hz for duration ms and returns when it has
// played (or at once without an audio device). Frequencies of 18 Hz or less
// are silence of that length.
void PlayTone(std::uint32_t frequency, std::uint32_t duration);
// How many tones and wave files were asked for since the start (tests).
int ToneRequests();
int WaveRequests();

}  // namespace platform
