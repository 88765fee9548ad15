// Sound: a wave file played asynchronously and a tone of a given frequency
// and length. Without an audio device (or without the sound libraries'
// back end) nothing plays and nothing fails.
//
// Any thread. The audio output is looked for on the GUI thread the first
// time a sound is asked for: a call from another thread queues the look-up
// there and waits for it at most a second (nothing plays when the GUI thread
// does not get to it by then). The player keeps what it plays until it has
// finished.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Starts playing the wave file and returns at once; false when the file is
// missing, cannot be read or does not start as a wave file ("RIFF", its
// length, "WAVE"); nothing plays then. With a wave file the answer is true
// whether or not it plays: without an audio device nothing plays, and a
// file the player cannot decode is dropped quietly. The file is played on
// the GUI thread (queued there from another thread).
bool PlayWaveFileAsync(const std::string& path);
// Plays a sine tone of frequency Hz for duration ms on the calling thread and
// returns when it has played (or at once without an audio device).
// Frequencies of 18 Hz or less, and those from half the output's sample
// rate up, are silence of that length. Meant for a thread of its own: on the
// GUI thread it holds the thread for the length of the tone.
void PlayTone(std::uint32_t frequency, std::uint32_t duration);
// Whether an audio output is there (sounds play only then).
bool HaveAudioOutput();
// How many tones and wave files were asked for since the start (tests).
int ToneRequests();
int WaveRequests();
// The samples of the tone PlayTone plays at sampleRate (16-bit, mono): half
// the full scale, faded in and out over 5 ms; all zero for the silent
// frequencies above.
std::vector<std::int16_t> ToneSamples(std::uint32_t frequency, std::uint32_t duration,
                                      std::uint32_t sampleRate);

}  // namespace platform
