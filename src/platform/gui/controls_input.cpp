#include "platform/gui/controls_input.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>

#include "platform/gui/controls_impl.h"
#include "platform/gui/messages.h"

namespace platform {
namespace {

bool gReplaying = false;
bool gNumLock = false;
TShiftState gHeldModifiers = 0;
bool gRightAltDown = false;  // the right Alt key's own press seen, its release not yet

QPointer<QWidget>& LastFocused() {
  static auto* last = new QPointer<QWidget>;  // lives to process end
  return *last;
}

struct SpecialKey {
  std::uint16_t vk;
  int qt;
};

constexpr SpecialKey kSpecialKeys[] = {
    {0x03, Qt::Key_Cancel},   {0x08, Qt::Key_Backspace}, {0x09, Qt::Key_Tab},
    {0x0C, Qt::Key_Clear},    {0x0D, Qt::Key_Return},    {0x10, Qt::Key_Shift},
    {0x11, Qt::Key_Control},  {0x12, Qt::Key_Alt},       {0x13, Qt::Key_Pause},
    {0x14, Qt::Key_CapsLock}, {0x1B, Qt::Key_Escape},    {0x20, Qt::Key_Space},
    {0x21, Qt::Key_PageUp},   {0x22, Qt::Key_PageDown},  {0x23, Qt::Key_End},
    {0x24, Qt::Key_Home},     {0x25, Qt::Key_Left},      {0x26, Qt::Key_Up},
    {0x27, Qt::Key_Right},    {0x28, Qt::Key_Down},      {0x2A, Qt::Key_Print},
    {0x2D, Qt::Key_Insert},   {0x2E, Qt::Key_Delete},    {0x2F, Qt::Key_Help},
    {0x5D, Qt::Key_Menu},     {0x90, Qt::Key_NumLock},   {0x91, Qt::Key_ScrollLock},
    {0xBA, Qt::Key_Semicolon}, {0xBB, Qt::Key_Equal},    {0xBC, Qt::Key_Comma},
    {0xBD, Qt::Key_Minus},    {0xBE, Qt::Key_Period},    {0xBF, Qt::Key_Slash},
    {0xC0, Qt::Key_QuoteLeft}, {0xDB, Qt::Key_BracketLeft}, {0xDC, Qt::Key_Backslash},
    {0xDD, Qt::Key_BracketRight}, {0xDE, Qt::Key_Apostrophe},
};

// Shifted characters of the US layout and their unshifted keys.
constexpr struct {
  char ch;
  std::uint16_t vk;
} kShifted[] = {
    {'~', 0xC0}, {'!', '1'}, {'@', '2'},  {'#', '3'},  {'$', '4'},  {'%', '5'},  {'^', '6'},
    {'&', '7'},  {'*', '8'}, {'(', '9'},  {')', '0'},  {'_', 0xBD}, {'+', 0xBB}, {'{', 0xDB},
    {'}', 0xDD}, {'|', 0xDC}, {':', 0xBA}, {'"', 0xDE}, {'<', 0xBC}, {'>', 0xBE}, {'?', 0xBF},
};
constexpr struct {
  char ch;
  std::uint16_t vk;
} kPlain[] = {
    {'`', 0xC0}, {'-', 0xBD}, {'=', 0xBB}, {'[', 0xDB}, {']', 0xDD}, {'\\', 0xDC},
    {';', 0xBA}, {'\'', 0xDE}, {',', 0xBC}, {'.', 0xBE}, {'/', 0xBF}, {' ', 0x20},
};
// Polish letters typed with the right Alt (Ctrl+Alt) and a letter key.
constexpr struct {
  char32_t lower;
  char32_t upper;
  char key;
} kPolish[] = {
    {U'ą', U'Ą', 'A'}, {U'ć', U'Ć', 'C'}, {U'ę', U'Ę', 'E'}, {U'ł', U'Ł', 'L'}, {U'ń', U'Ń', 'N'},
    {U'ó', U'Ó', 'O'}, {U'ś', U'Ś', 'S'}, {U'ź', U'Ź', 'X'}, {U'ż', U'Ż', 'Z'},
};

constexpr struct {
  std::uint16_t vk;
  std::uint8_t scan;
} kScanCodes[] = {
    {0x1B, 1},  {'1', 2},   {'2', 3},   {'3', 4},   {'4', 5},   {'5', 6},   {'6', 7},
    {'7', 8},   {'8', 9},   {'9', 10},  {'0', 11},  {0xBD, 12}, {0xBB, 13}, {0x08, 14},
    {0x09, 15}, {'Q', 16},  {'W', 17},  {'E', 18},  {'R', 19},  {'T', 20},  {'Y', 21},
    {'U', 22},  {'I', 23},  {'O', 24},  {'P', 25},  {0xDB, 26}, {0xDD, 27}, {0x0D, 28},
    {0x11, 29}, {'A', 30},  {'S', 31},  {'D', 32},  {'F', 33},  {'G', 34},  {'H', 35},
    {'J', 36},  {'K', 37},  {'L', 38},  {0xBA, 39}, {0xDE, 40}, {0xC0, 41}, {0x10, 42},
    {0xDC, 43}, {'Z', 44},  {'X', 45},  {'C', 46},  {'V', 47},  {'B', 48},  {'N', 49},
    {'M', 50},  {0xBC, 51}, {0xBE, 52}, {0xBF, 53}, {0x2A, 55}, {0x12, 56}, {0x20, 57},
    {0x14, 58}, {0x70, 59}, {0x71, 60}, {0x72, 61}, {0x73, 62}, {0x74, 63}, {0x75, 64},
    {0x76, 65}, {0x77, 66}, {0x78, 67}, {0x79, 68}, {0x90, 69}, {0x91, 70}, {0x24, 71},
    {0x26, 72}, {0x21, 73}, {0x25, 75}, {0x0C, 76}, {0x27, 77}, {0x23, 79}, {0x28, 80},
    {0x22, 81}, {0x2D, 82}, {0x2E, 83}, {0x7A, 87}, {0x7B, 88},
};

// The character a key types with the given shift state (0 for none).
char32_t TypedBy(std::uint16_t vk, TShiftState shift) {
  bool shifted = (shift & ssShift) != 0;
  if ((shift & ssAltGr) || ((shift & ssCtrl) && (shift & ssAlt))) {
    for (const auto& p : kPolish)
      if (p.key == vk) return shifted ? p.upper : p.lower;
    return 0;
  }
  if (shift & (ssCtrl | ssAlt)) return 0;
  if (vk >= 'A' && vk <= 'Z') return shifted ? vk : vk + 32;
  if (vk >= '0' && vk <= '9' && !shifted) return vk;
  switch (vk) {
    case 0x08: return 8;
    case 0x09: return 9;
    case 0x0D: return 13;
    case 0x1B: return 27;
    default: break;
  }
  if (shifted) {
    for (const auto& s : kShifted)
      if (s.vk == vk) return static_cast<unsigned char>(s.ch);
  } else {
    for (const auto& p : kPlain)
      if (p.vk == vk) return static_cast<unsigned char>(p.ch);
  }
  return 0;
}

// The Qt key of a key event that types ch with key vk: a Polish letter
// comes as the letter itself (its capital), as the windowing system reports
// it; any other key as vk's.
int QtKeyOfTyped(std::uint16_t vk, char32_t ch) {
  for (const auto& p : kPolish)
    if (p.lower == ch || p.upper == ch) return static_cast<int>(p.upper);
  return QtKeyFromVk(vk);
}

QWidget* KeyboardTarget() {
  if (QWidget* w = QApplication::focusWidget()) return w;
  if (QWidget* w = LastFocused().data(); w != nullptr && w->isVisible()) return w;
  return QApplication::activeWindow();
}

QKeyEvent* MakeKey(std::uint16_t vk, TShiftState shift, bool down) {
  // The digits of the numeric keypad: the digit keys with the keypad flag.
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9 && (shift & (ssCtrl | ssAlt)) == 0) {
    const char32_t digit = U'0' + (vk - VK_NUMPAD0);
    return new QKeyEvent(down ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_0 + (vk - VK_NUMPAD0),
                         QtModifiers(shift) | Qt::KeypadModifier, QString::fromUcs4(&digit, 1));
  }
  char32_t typed = TypedBy(vk, shift);
  QString text = typed != 0 ? QString::fromUcs4(&typed, 1) : QString();
  // The right Alt types Polish letters: the windowing system reports it as a
  // group switch, not as Ctrl+Alt.
  Qt::KeyboardModifiers mods = QtModifiers(shift);
  if (typed > 0x7F && (shift & ssCtrl) && (shift & ssAlt))
    mods = (mods & ~(Qt::ControlModifier | Qt::AltModifier)) | Qt::GroupSwitchModifier;
  return new QKeyEvent(down ? QEvent::KeyPress : QEvent::KeyRelease, QtKeyOfTyped(vk, typed), mods, text);
}

}  // namespace

TShiftState ShiftFromQt(Qt::KeyboardModifiers modifiers) {
  TShiftState s = 0;
  if (modifiers & Qt::ShiftModifier) s |= ssShift;
  if (modifiers & Qt::ControlModifier) s |= ssCtrl;
  if (modifiers & Qt::AltModifier) s |= ssAlt;
  return s;
}

TShiftState KeyShiftFromQt(const QKeyEvent* event) {
  TShiftState s = ShiftFromQt(event->modifiers());
  // X11 reports the right Alt (ISO_Level3_Shift) as the group switch
  // modifier; other servers only as the key Qt::Key_AltGr.
  if ((event->modifiers() & Qt::GroupSwitchModifier) || gRightAltDown) s |= ssAltGr;
  return s;
}

void TrackRightAlt(const QKeyEvent* event) {
  if (event->key() != Qt::Key_AltGr || event->isAutoRepeat()) return;
  gRightAltDown = event->type() == QEvent::KeyPress;
}

void ForgetRightAlt() { gRightAltDown = false; }

Qt::KeyboardModifiers QtModifiers(TShiftState shift) {
  Qt::KeyboardModifiers m = Qt::NoModifier;
  if (shift & ssShift) m |= Qt::ShiftModifier;
  if (shift & ssCtrl) m |= Qt::ControlModifier;
  if (shift & ssAlt) m |= Qt::AltModifier;
  if (shift & ssAltGr) m |= Qt::GroupSwitchModifier;
  return m;
}

std::uint16_t VkFromQtKey(int qtKey) {
  // Either Alt key is VK_MENU, as the system's key events report it.
  if (qtKey == Qt::Key_AltGr) return VK_MENU;
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
    return static_cast<std::uint16_t>(qtKey);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
    return static_cast<std::uint16_t>(0x70 + (qtKey - Qt::Key_F1));
  if (qtKey == Qt::Key_Enter) return 0x0D;
  if (qtKey == Qt::Key_Backtab) return 0x09;
  for (const auto& k : kSpecialKeys)
    if (k.qt == qtKey) return k.vk;
  if (qtKey > 0 && qtKey < 0x80) {
    for (const auto& s : kShifted)
      if (s.ch == qtKey) return s.vk;
  }
  // A Polish letter typed with the right Alt comes as the letter itself (its
  // capital): the key is the Latin letter's, as on the system's keyboard.
  for (const auto& p : kPolish)
    if (static_cast<int>(p.upper) == qtKey) return static_cast<std::uint16_t>(p.key);
  return 0;
}

std::uint16_t VkFromQtKeyEvent(int qtKey, Qt::KeyboardModifiers modifiers) {
  if ((modifiers & Qt::KeypadModifier) && qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
    return static_cast<std::uint16_t>(VK_NUMPAD0 + (qtKey - Qt::Key_0));
  return VkFromQtKey(qtKey);
}

int QtKeyFromVk(std::uint16_t vk) {
  if (vk == VK_RMENU) return Qt::Key_AltGr;
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
  if (vk >= 0x70 && vk <= 0x87) return Qt::Key_F1 + (vk - 0x70);
  for (const auto& k : kSpecialKeys)
    if (k.vk == vk) return k.qt;
  return Qt::Key_unknown;
}

bool IsReplayedKey(const QKeyEvent*) { return gReplaying; }

void ReplayKey(QWidget* target, char32_t ch) {
  QString text = QString::fromUcs4(&ch, 1);
  int key = ch < 0x80 ? static_cast<int>(QChar(static_cast<char16_t>(ch)).toUpper().unicode())
                      : Qt::Key_unknown;
  QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
  gReplaying = true;
  QApplication::sendEvent(target, &event);
  gReplaying = false;
}

void SendCharTo(QWidget* target, char32_t ch) {
  std::int16_t scan = VkKeyScan(ch);
  QString text = QString::fromUcs4(&ch, 1);
  int key = Qt::Key_unknown;
  Qt::KeyboardModifiers mods = Qt::NoModifier;
  if (scan != -1) {
    key = QtKeyFromVk(static_cast<std::uint16_t>(scan & 0xFF));
    if (scan & 0x100) mods |= Qt::ShiftModifier;
    // A Polish letter: the right Alt, which the windowing system reports as
    // a group switch.
    if ((scan & 0x600) == 0x600) {
      mods |= Qt::GroupSwitchModifier;
      key = QtKeyOfTyped(static_cast<std::uint16_t>(scan & 0xFF), ch);
    }
    if (ch >= 0x20 && ch < 0x80) key = QChar(static_cast<char16_t>(ch)).toUpper().unicode();
  }
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(target, &release);
}

void SendVkTo(QWidget* target, std::uint16_t vk, TShiftState shift, bool down) {
  std::unique_ptr<QKeyEvent> event(MakeKey(vk, shift, down));
  QApplication::sendEvent(target, event.get());
}

void SetLastFocused(QWidget* widget) { LastFocused() = widget; }

void KeybdEvent(std::uint8_t vk, std::uint8_t, std::uint32_t flags) {
  bool down = (flags & KEYEVENTF_KEYUP) == 0;
  TShiftState bit = 0;
  if (vk == VK_SHIFT || vk == 0xA0 || vk == 0xA1) bit = ssShift;
  if (vk == VK_CONTROL || vk == 0xA2 || vk == 0xA3) bit = ssCtrl;
  if (vk == VK_MENU || vk == 0xA4 || vk == 0xA5) bit = ssAlt;
  if (bit != 0) {
    if (down) gHeldModifiers |= bit;
    else gHeldModifiers &= ~bit;
  }
  QWidget* target = KeyboardTarget();
  if (target == nullptr) return;
  // Posted, not sent: the sender goes on without waiting for the target.
  QCoreApplication::postEvent(target, MakeKey(vk, gHeldModifiers, down));
}

std::int16_t VkKeyScan(char32_t ch) {
  if (ch >= 'a' && ch <= 'z') return static_cast<std::int16_t>(ch - 32);
  if (ch >= 'A' && ch <= 'Z') return static_cast<std::int16_t>(0x100 | ch);
  if (ch >= '0' && ch <= '9') return static_cast<std::int16_t>(ch);
  switch (ch) {
    case 8: return 0x08;
    case 9: return 0x09;
    case 10: return 0x20D;
    case 13: return 0x0D;
    case 27: return 0x1B;
    default: break;
  }
  for (const auto& p : kPlain)
    if (static_cast<unsigned char>(p.ch) == ch) return static_cast<std::int16_t>(p.vk);
  for (const auto& s : kShifted)
    if (static_cast<unsigned char>(s.ch) == ch) return static_cast<std::int16_t>(0x100 | s.vk);
  for (const auto& p : kPolish) {
    if (p.lower == ch) return static_cast<std::int16_t>(0x600 | p.key);
    if (p.upper == ch) return static_cast<std::int16_t>(0x700 | p.key);
  }
  return -1;
}

std::uint32_t MapVirtualKey(std::uint32_t vk) {
  for (const auto& k : kScanCodes)
    if (k.vk == vk) return k.scan;
  return 0;
}

bool NumLockOn() { return gNumLock; }
void SetNumLock(bool on) { gNumLock = on; }

}  // namespace platform
