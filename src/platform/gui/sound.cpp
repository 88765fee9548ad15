// Sound through the toolkit's multimedia module: wave files with a sound
// effect object on the GUI thread, tones written as 16-bit mono samples to
// an audio sink on the calling thread.
#include "platform/gui/sound.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <numbers>
#include <thread>

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QEventLoop>
#include <QIODevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include "platform/gui/application.h"
#include "platform/gui/messages.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int> gTones{0};
std::atomic<int> gWaves{0};

// The default audio output, looked for on the GUI thread (the toolkit's
// device list and its sound server connection belong there) and followed
// there as devices come and go.
struct Output {
  std::mutex mutex;
  std::condition_variable found;
  bool known = false;
  bool queued = false;
  QAudioDevice device;  // null: no output
};

Output& TheOutput() {
  static auto* output = new Output;  // lives to process end
  return *output;
}

void SetOutput(const QAudioDevice& device) {
  Output& o = TheOutput();
  {
    std::lock_guard lock(o.mutex);
    o.device = device;
    o.known = true;
  }
  o.found.notify_all();
}

// GUI thread.
void LookForOutput() {
  static QMediaDevices* devices = nullptr;  // lives with the application
  if (devices != nullptr) return;
  devices = new QMediaDevices(QCoreApplication::instance());
  QObject::connect(devices, &QMediaDevices::audioOutputsChanged,
                   [] { SetOutput(QMediaDevices::defaultAudioOutput()); });
  SetOutput(QMediaDevices::defaultAudioOutput());
}

// Any thread; null without an output (or without an answer from the GUI
// thread within a second).
QAudioDevice DefaultOutput() {
  if (QCoreApplication::instance() == nullptr) return {};
  if (IsGuiThread()) LookForOutput();
  Output& o = TheOutput();
  std::unique_lock lock(o.mutex);
  if (!o.known) {
    if (!o.queued) {
      o.queued = true;
      lock.unlock();
      QueueCall(LookForOutput);
      lock.lock();
    }
    o.found.wait_for(lock, std::chrono::seconds(1), [&] { return o.known; });
  }
  return o.device;
}

// "RIFF", the length, "WAVE".
bool StartsAsWave(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  std::ifstream file(path, std::ios::binary);
  char head[12];
  if (!file.read(head, sizeof head)) return false;
  return std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
}

// GUI thread. The effect frees itself once it has played or failed.
void StartWave(const QString& path) {
  const QAudioDevice device = DefaultOutput();
  if (device.isNull()) return;
  auto* effect = new QSoundEffect(device, QCoreApplication::instance());
  auto finish = [effect] {
    const bool failed = effect->status() == QSoundEffect::Error;
    const bool played = effect->status() == QSoundEffect::Ready && !effect->isPlaying();
    if (failed || played) effect->deleteLater();
  };
  QObject::connect(effect, &QSoundEffect::statusChanged, effect, finish);
  QObject::connect(effect, &QSoundEffect::playingChanged, effect, finish);
  effect->setSource(QUrl::fromLocalFile(path));
  effect->play();
}

constexpr std::uint32_t kSilentUpTo = 18;

bool Silent(std::uint32_t frequency, std::uint32_t sampleRate) {
  return frequency <= kSilentUpTo || frequency >= sampleRate / 2;
}

// Sample i of a tone of total samples.
std::int16_t ToneSample(std::uint64_t i, std::uint64_t total, std::uint32_t frequency,
                        std::uint32_t sampleRate) {
  // The phase in whole turns, reduced before multiplying so that no tone
  // is long enough to overflow it.
  const std::uint64_t turn = (frequency % sampleRate) * (i % sampleRate) % sampleRate;
  const double phase = 2.0 * std::numbers::pi * static_cast<double>(turn) / sampleRate;
  const std::uint64_t fade = std::max<std::uint64_t>(1, std::min<std::uint64_t>(sampleRate / 200, total / 2));
  const std::uint64_t edge = std::min(i, total - 1 - i);
  const double gain = edge >= fade ? 1.0 : static_cast<double>(edge) / fade;
  return static_cast<std::int16_t>(std::lround(16383.0 * gain * std::sin(phase)));
}

// The format of the tone: 16-bit mono at the device's own rate where it
// takes that, else at 44.1 kHz; an invalid format when it takes neither.
QAudioFormat ToneFormat(const QAudioDevice& device) {
  QAudioFormat format;
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  for (int rate : {device.preferredFormat().sampleRate(), 44100}) {
    if (rate <= 0) continue;
    format.setSampleRate(rate);
    if (device.isFormatSupported(format)) return format;
  }
  return {};
}

}  // namespace

bool PlayWaveFileAsync(const std::string& path) {
  ++gWaves;
  if (!StartsAsWave(path)) return false;
  if (QCoreApplication::instance() == nullptr) return true;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  const QString file = QString::fromStdString(error ? path : absolute.string());
  if (IsGuiThread()) StartWave(file);
  else QueueCall([file] { StartWave(file); });
  return true;
}

void PlayTone(std::uint32_t frequency, std::uint32_t duration) {
  ++gTones;
  if (duration == 0) return;
  const QAudioDevice device = DefaultOutput();
  if (device.isNull()) return;
  const Clock::time_point start = Clock::now();
  const Clock::time_point end = start + std::chrono::milliseconds(duration);
  const QAudioFormat format = ToneFormat(device);
  const auto rate = static_cast<std::uint32_t>(format.sampleRate());
  if (!format.isValid() || Silent(frequency, rate)) {
    std::this_thread::sleep_until(end);
    return;
  }
  // The sink's timers need an event dispatcher on this thread; the loop is
  // never run, so nothing else is delivered here.
  QEventLoop dispatcher;
  QAudioSink sink(device, format);
  QIODevice* out = sink.start();
  if (out == nullptr || sink.error() != QAudio::NoError) return;
  const std::uint64_t total = std::uint64_t{rate} * duration / 1000;
  // A sink that stops taking samples is given up a second after the tone
  // should have ended.
  const Clock::time_point giveUp = end + std::chrono::seconds(1);
  std::vector<std::int16_t> chunk(std::max<std::uint32_t>(1, rate / 50));
  std::uint64_t written = 0;
  while (written < total && Clock::now() < giveUp) {
    const auto room = static_cast<std::uint64_t>(std::max<qint64>(0, sink.bytesFree())) / 2;
    const std::uint64_t count = std::min<std::uint64_t>({room, chunk.size(), total - written});
    if (count == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      continue;
    }
    for (std::uint64_t k = 0; k < count; ++k) chunk[k] = ToneSample(written + k, total, frequency, rate);
    const qint64 taken = out->write(reinterpret_cast<const char*>(chunk.data()),
                                    static_cast<qint64>(count * sizeof(std::int16_t)));
    if (taken < 0 || sink.error() == QAudio::FatalError) break;
    written += static_cast<std::uint64_t>(taken) / 2;
  }
  std::this_thread::sleep_until(end);
  sink.stop();
}

bool HaveAudioOutput() { return !DefaultOutput().isNull(); }

int ToneRequests() { return gTones.load(); }
int WaveRequests() { return gWaves.load(); }

std::vector<std::int16_t> ToneSamples(std::uint32_t frequency, std::uint32_t duration,
                                      std::uint32_t sampleRate) {
  if (sampleRate == 0) return {};
  const std::uint64_t total = std::uint64_t{sampleRate} * duration / 1000;
  std::vector<std::int16_t> samples(total, 0);
  if (Silent(frequency, sampleRate)) return samples;
  for (std::uint64_t i = 0; i < total; ++i) samples[i] = ToneSample(i, total, frequency, sampleRate);
  return samples;
}

}  // namespace platform
