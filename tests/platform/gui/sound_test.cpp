#include "platform/gui/sound.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/application.h"
#include "platform/gui/messages.h"
#include "common/scratch_folder.h"

namespace {

using namespace platform;
using namespace std::string_literals;

// A valid wave file of a few silent 16-bit mono samples at 8 kHz.
std::string SilentWave(int samples) {
  auto u32 = [](std::uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
  };
  auto u16 = [](std::uint16_t v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8)}; };
  const std::uint32_t data = static_cast<std::uint32_t>(samples) * 2;
  return "RIFF" + u32(36 + data) + "WAVE" + "fmt " + u32(16) + u16(1) + u16(1) + u32(8000) + u32(16000) +
         u16(2) + u16(16) + "data" + u32(data) + std::string(data, '\0');
}

// The answer depends only on the file: one that is not there, cannot be read
// or does not start as a wave file is refused; a wave file is taken (and
// plays only where there is an audio device). Every call is counted.
TEST(SoundTest, WaveFileIsCheckedBeforeItIsPlayed) {
  EnsureApplication();
  ScratchFolder dir;
  struct Case {
    const char* name;
    std::string path;
    bool accepted;
  } cases[] = {
      {"missing", dir / "brak.wav", false},
      {"empty", dir.Put("pusty.wav", ""), false},
      {"shorter than its header", dir.Put("krotki.wav", "RIFF\x04\0\0\0WAV"s), false},
      {"another kind of RIFF", dir.Put("film.wav", "RIFF\x04\0\0\0AVI LIST"s), false},
      {"text", dir.Put("tekst.wav", "To nie jest plik dźwiękowy."), false},
      {"a folder", dir.Path(), false},
      {"wave", dir.Put("OK.wav", SilentWave(80)), true},
  };
  const int before = WaveRequests();
  for (const Case& c : cases) EXPECT_EQ(PlayWaveFileAsync(c.path), c.accepted) << c.name;
  EXPECT_EQ(WaveRequests() - before, static_cast<int>(std::size(cases)));
  // The same answers from a thread of its own; the playing itself is
  // queued to the GUI thread.
  std::vector<int> answers;
  std::thread other([&] {
    for (const Case& c : cases) answers.push_back(PlayWaveFileAsync(c.path) ? 1 : 0);
  });
  other.join();
  for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(answers[i], cases[i].accepted ? 1 : 0) << i;
  PumpPostedMessages();
}

// The samples of a tone: as many as its length asks for, starting and
// ending at zero (faded), reaching half the full scale, and crossing zero
// twice a period; the silent frequencies give only zeros.
TEST(SoundTest, ToneSamples) {
  struct Case {
    std::uint32_t frequency, duration, rate;
    bool silent;
  } cases[] = {
      {1000, 50, 44100, false}, {100, 100, 48000, false}, {440, 7, 8000, false},
      {4000000000u, 10, 44100, true}, {18, 100, 44100, true}, {19, 100, 8000, false},
      {3999, 10, 8000, false}, {4000, 10, 8000, true}, {1000, 0, 44100, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.frequency) + " Hz, " + std::to_string(c.duration) + " ms at " +
                 std::to_string(c.rate));
    const std::vector<std::int16_t> s = ToneSamples(c.frequency, c.duration, c.rate);
    ASSERT_EQ(s.size(), std::size_t{c.rate} * c.duration / 1000);
    int peak = 0, crossings = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
      peak = std::max(peak, std::abs(static_cast<int>(s[i])));
      if (i > 0 && (s[i - 1] < 0) != (s[i] < 0)) ++crossings;
    }
    if (c.silent) {
      EXPECT_EQ(peak, 0);
      continue;
    }
    EXPECT_EQ(s.front(), 0);
    EXPECT_EQ(s.back(), 0);
    if (c.frequency * 4 < c.rate && c.duration >= 20) {
      EXPECT_GE(peak, 16000);
      const double expected = 2.0 * c.frequency * c.duration / 1000;
      EXPECT_NEAR(crossings, expected, 3);
    }
    EXPECT_LE(peak, 16384);
  }
}

// The output is looked for on the GUI thread: a thread asking first waits
// for the GUI thread to answer (here while it pumps its queue) and gets the
// same answer as the GUI thread.
TEST(SoundTest, OutputAskedFromAnotherThreadIsLookedForOnTheGuiThread) {
  EnsureApplication();
  std::atomic<int> answer{-1};
  std::thread asker([&] { answer = HaveAudioOutput() ? 1 : 0; });
  for (int i = 0; i < 3000 && answer < 0; ++i) {
    PumpPostedMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  asker.join();
  EXPECT_EQ(answer, HaveAudioOutput() ? 1 : 0);
}

// Without an audio device (as on the test machines) a tone returns at once,
// on any thread, and is counted; with one it plays on the calling thread.
TEST(SoundTest, ToneWithoutDeviceReturnsAndIsCounted) {
  EnsureApplication();
  const bool device = HaveAudioOutput();
  const int before = ToneRequests();
  PlayTone(1000, device ? 20 : 600000);
  TEvent done(true, false);
  std::thread beep([&] {
    PlayTone(100, device ? 20 : 600000);
    PlayTone(10, device ? 20 : 600000);
    PlayTone(1000, 0);
    done.SetEvent();
  });
  // A generous bound: a tone that sleeps its ten minutes without a device
  // fails here instead of holding the run.
  const bool returned = done.WaitFor(30000) == TWaitResult::Signaled;
  EXPECT_TRUE(returned);
  if (returned) beep.join();
  else beep.detach();
  EXPECT_EQ(ToneRequests() - before, 4);
}

}  // namespace
