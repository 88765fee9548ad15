#include "foundation/threads/keysend.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>

#include "platform/files/codepage.h"
#include "platform/gui/application.h"
#include "platform/gui/keys.h"
#include "platform/gui/messages.h"

namespace {

constexpr std::uint8_t kVkShift = 0x10;
constexpr std::uint8_t kVkControl = 0x11;
constexpr std::uint8_t kVkMenu = 0x12;
constexpr std::uint8_t kVkReturn = 0x0D;
constexpr std::uint8_t kVkNumLock = 0x90;

// Layout modifier bits in the high byte of a VkKeyScan result.
constexpr unsigned kNeedShift = 1;
constexpr unsigned kNeedCtrl = 2;
constexpr unsigned kNeedAlt = 4;

// Only this many characters of a brace group are looked at (count included).
constexpr std::size_t kBraceGroupChars = 20;
// A larger repeat count is taken as a typing error: it would flood the
// program with key events for minutes.
constexpr int kMaxRepeat = 1000;

struct TKeyName {
  const char* Name;
  std::uint8_t Vk;
};

constexpr std::array<TKeyName, 41> kKeyNames{{
    {"BKSP", 0x08},      {"BS", 0x08},       {"BACKSPACE", 0x08}, {"BREAK", 0x03},
    {"CAPSLOCK", 0x14},  {"CLEAR", 0x0C},    {"DEL", 0x2E},       {"DELETE", 0x2E},
    {"DOWN", 0x28},      {"END", 0x23},      {"ENTER", 0x0D},     {"ESC", 0x1B},
    {"ESCAPE", 0x1B},    {"F1", 0x70},       {"F2", 0x71},        {"F3", 0x72},
    {"F4", 0x73},        {"F5", 0x74},       {"F6", 0x75},        {"F7", 0x76},
    {"F8", 0x77},        {"F9", 0x78},       {"F10", 0x79},       {"F11", 0x7A},
    {"F12", 0x7B},       {"F13", 0x7C},      {"F14", 0x7D},       {"F15", 0x7E},
    {"F16", 0x7F},       {"HELP", 0x2F},     {"HOME", 0x24},      {"INS", 0x2D},
    {"LEFT", 0x25},      {"NUMLOCK", kVkNumLock}, {"PGDN", 0x22}, {"PGUP", 0x21},
    {"PRTSC", 0x2A},     {"RIGHT", 0x27},    {"SCROLLLOCK", 0x91}, {"TAB", 0x09},
    {"UP", 0x26},
}};

// Keys of the navigation block, sent as extended keys.
bool IsExtendedKey(std::uint8_t vk) {
  return (vk >= 0x21 && vk <= 0x28) || vk == 0x2D || vk == 0x2E;
}

// The text split into characters (code points).
std::u32string Characters(std::string_view utf8) {
  std::u32string out;
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t n = platform::Utf8CharLength(utf8, i);
    if (n == 0) break;
    std::string_view one = utf8.substr(i, n);
    char32_t cp = 0xFFFD;
    auto b = [&](std::size_t k) { return static_cast<unsigned char>(one[k]); };
    if (n == 1) cp = b(0) < 0x80 ? b(0) : 0xFFFD;
    else if (n == 2) cp = ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    else if (n == 3) cp = ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    else if (n == 4)
      cp = ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    out.push_back(cp);
    i += n;
  }
  return out;
}

std::string Utf8Of(std::u32string_view chars) {
  std::string out;
  for (char32_t c : chars) out += platform::CodePointToUtf8(c);
  return out;
}

// Builds the steps of one SendKeys call.
class TKeyParser {
public:
  explicit TKeyParser(std::vector<TKeyStroke>& out) : out_(out) {}

  bool Parse(std::u32string_view text) {
    if (text.empty()) return false;
    std::size_t i = 0;
    while (i < text.size()) {
      char32_t c = text[i];
      switch (c) {
        case U'+': Hold(kVkShift, shift_); ++i; break;
        case U'^': Hold(kVkControl, ctrl_); ++i; break;
        case U'%': Hold(kVkMenu, alt_); ++i; break;
        case U'(': group_ = true; ++i; break;
        case U')':
          group_ = false;
          ReleaseHeld();
          ++i;
          break;
        case U'~':
          SendKey(kVkReturn, 1);
          AfterKey();
          ++i;
          break;
        case U'{':
          if (!BraceGroup(text, i)) return false;
          AfterKey();
          break;
        default:
          SendChar(c, 1);
          AfterKey();
          ++i;
          break;
      }
    }
    // An unclosed "(" must not leave the modifiers down either.
    group_ = false;
    ReleaseHeld();
    return true;
  }

private:
  // Handles the brace group at text[i] and moves i past it. False when it
  // has no closing brace.
  bool BraceGroup(std::u32string_view text, std::size_t& i) {
    char32_t next = i + 1 < text.size() ? text[i + 1] : 0;
    char32_t after = i + 2 < text.size() ? text[i + 2] : 0;
    if (next == U'{') {
      SendChar(U'{', 1);
      i = std::min(i + 3, text.size());
      return true;
    }
    if (next == U'}' && after == U'}') {
      SendChar(U'}', 1);
      i += 3;
      return true;
    }
    std::size_t close = text.find(U'}', i + 1);
    if (close == std::u32string_view::npos) {
      Fail(kNoClose);
      // The held Shift, Ctrl and Alt must not stay down after the stop.
      group_ = false;
      ReleaseHeld();
      return false;
    }
    std::u32string_view inner = text.substr(i + 1, close - i - 1);
    i = close + 1;
    if (inner.size() > kBraceGroupChars) inner = inner.substr(0, kBraceGroupChars);
    std::u32string upper = Characters(platform::UpperCase(Utf8Of(inner)));

    std::u32string name = upper;
    long count = 1;
    std::size_t blank = upper.find(U' ');
    if (blank != std::u32string::npos) {
      name = upper.substr(0, blank);
      std::string digits = Utf8Of(std::u32string_view(upper).substr(blank + 1));
      int parsed = 0;
      auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
      if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
          parsed < 0 || parsed > kMaxRepeat) {
        Fail(kInvalidKeyName);
        return true;
      }
      count = parsed;
    }
    if (name.size() == 1) {
      SendChar(name[0], count);
      return true;
    }
    std::string key = Utf8Of(name);
    for (const TKeyName& k : kKeyNames) {
      if (key != k.Name) continue;
      if (k.Vk == kVkNumLock) {
        TKeyStroke s;
        s.Kind = TKeyStroke::TKind::NumLock;
        s.Vk = kVkNumLock;
        out_.push_back(s);
      } else {
        SendKey(k.Vk, count);
      }
      return true;
    }
    Fail(kInvalidKeyName);
    return true;
  }

  void Event(std::uint8_t vk, bool up, bool extended) {
    TKeyStroke s;
    s.Vk = vk;
    s.Scan = static_cast<std::uint8_t>(platform::MapVirtualKey(vk));
    if (up) s.Flags |= platform::KEYEVENTF_KEYUP;
    if (extended) s.Flags |= platform::KEYEVENTF_EXTENDEDKEY;
    out_.push_back(s);
  }

  void Fail(const char* message) {
    TKeyStroke s;
    s.Kind = TKeyStroke::TKind::Failure;
    s.Message = message;
    out_.push_back(std::move(s));
  }

  void Hold(std::uint8_t vk, bool& held) {
    if (held) return;
    Event(vk, false, false);
    held = true;
  }

  void SendKey(std::uint8_t vk, long count) {
    bool extended = IsExtendedKey(vk);
    for (long n = 0; n < count; ++n) {
      Event(vk, false, extended);
      Event(vk, true, extended);
    }
  }

  // The character's key with the modifiers the layout needs around it.
  void SendChar(char32_t c, long count) {
    std::int16_t scan = platform::VkKeyScan(c);
    if (scan == -1) {
      Fail(kInvalidCharKey);
      return;
    }
    auto vk = static_cast<std::uint8_t>(scan & 0xFF);
    unsigned need = (static_cast<std::uint16_t>(scan) >> 8) & 0xFF;
    if (need & kNeedShift) Event(kVkShift, false, false);
    if (need & kNeedCtrl) Event(kVkControl, false, false);
    if (need & kNeedAlt) Event(kVkMenu, false, false);
    SendKey(vk, count);
    if (need & kNeedShift) Event(kVkShift, true, false);
    if (need & kNeedCtrl) Event(kVkControl, true, false);
    if (need & kNeedAlt) Event(kVkMenu, true, false);
  }

  void AfterKey() {
    if (!group_) ReleaseHeld();
  }

  void ReleaseHeld() {
    if (shift_) Event(kVkShift, true, false);
    if (ctrl_) Event(kVkControl, true, false);
    if (alt_) Event(kVkMenu, true, false);
    shift_ = ctrl_ = alt_ = false;
  }

  std::vector<TKeyStroke>& out_;
  bool group_ = false;
  bool shift_ = false;
  bool ctrl_ = false;
  bool alt_ = false;
};

void ShowFailure(const std::string& message) {
  platform::Application().MessageBox(message, kSendKeysCaption, 0 /* OK button */);
}

// GUI thread: delivers the steps; false when no window takes them.
bool Deliver(const std::vector<TKeyStroke>& strokes) {
  if (!platform::ProgramHasKeyboardTarget()) {
    ShowFailure(kNoTargetWindow);
    return false;
  }
  for (const TKeyStroke& s : strokes) {
    switch (s.Kind) {
      case TKeyStroke::TKind::Key: platform::KeybdEvent(s.Vk, s.Scan, s.Flags); break;
      case TKeyStroke::TKind::NumLock: platform::SetNumLock(!platform::NumLockOn()); break;
      case TKeyStroke::TKind::Failure: ShowFailure(s.Message); break;
    }
  }
  return true;
}

}  // namespace

bool ParseKeys(std::string_view text, std::vector<TKeyStroke>& strokes) {
  // The text is zero-terminated: nothing after a NUL is part of it.
  text = text.substr(0, text.find('\0'));
  TKeyParser parser(strokes);
  return parser.Parse(Characters(text));
}

bool SendKeys(std::string_view text) {
  std::vector<TKeyStroke> strokes;
  bool ok = ParseKeys(text, strokes);
  if (strokes.empty()) return ok;
  if (platform::IsGuiThread()) return Deliver(strokes) && ok;
  platform::QueueCall([strokes = std::move(strokes)] { Deliver(strokes); });
  return ok;
}
