// Sound: placeholder until the audio back end is wired; nothing plays.
#include "platform/sound.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

namespace platform {
namespace {
std::atomic<int> tones{0};
std::atomic<int> waves{0};
}  // namespace

bool PlayWaveFileAsync(const std::string& path) {
  ++waves;
  std::ifstream f(path, std::ios::binary);
  return static_cast<bool>(f);
}

void PlayTone(std::uint32_t frequency, std::uint32_t duration) { ++tones; }

int ToneRequests() { return tones.load(); }
int WaveRequests() { return waves.load(); }

}  // namespace platform
