// Keystroke sending: a short text in the key language becomes synthetic key
// events for the control of this program that has the keyboard focus, as if
// the user had typed it. User menu items of the keystroke kind and the
// digitizer's button mapping drive the program's windows this way.
//
// The key language, one character at a time:
//   any other character  the key that types it, with the Shift, Ctrl and Alt
//                        the keyboard layout needs
//   +  ^  %              Shift, Ctrl, Alt held for the next key (or group)
//   ( ... )              the held modifiers stay down for every key inside
//   ~                    Enter
//   {NAME n}             a key name (BS, TAB, F10, HOME, ...) or a single
//                        character, optionally a blank and a repeat count;
//                        "{{}" types "{", "{}}" types "}"
//
// Other applications cannot be reached: the keys go only to this program's
// own windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One step of a parsed key sequence: a key event, a flip of the NumLock
// state, or a failure to show in the "SendKeys" message box.
struct TKeyStroke {
  enum class TKind { Key, NumLock, Failure };

  TKind Kind = TKind::Key;
  std::uint8_t Vk = 0;
  std::uint8_t Scan = 0;
  std::uint32_t Flags = 0;  // platform::KEYEVENTF_KEYUP, KEYEVENTF_EXTENDEDKEY
  std::string Message;      // Failure only

  bool operator==(const TKeyStroke&) const = default;
};

// Caption of the failure boxes and their texts.
inline constexpr const char* kSendKeysCaption = "SendKeys";
inline constexpr const char* kNoClose = "No Close";
inline constexpr const char* kInvalidKeyName = "Invalid Key Name";
inline constexpr const char* kInvalidCharKey = "Invalid KeyName";
// Shown (and SendKeys returns false) when no window of this program can take
// the keys: they would have gone to another application.
inline constexpr const char* kNoTargetWindow =
    "Nie można wysłać klawiszy: żadne okno programu nie jest aktywne. Klawisze można "
    "wysyłać tylko do okien tego programu.";

// Turns text (up to its first NUL, if any) into the steps SendKeys
// delivers, in order, appending them to strokes. Returns false for an empty
// text or a brace group without "}" (the steps up to it, the failure and the
// release of the held modifiers are still appended); true otherwise, also
// when characters or names were skipped. A repeat count above 1000 is refused like an unknown key name.
// Any thread.
bool ParseKeys(std::string_view text, std::vector<TKeyStroke>& strokes);

// Sends the keys text describes to the focused control of this program and
// returns without waiting for them to be handled; the result is as for
// ParseKeys. Failures are shown in message boxes captioned "SendKeys". On
// the GUI thread it also returns false (after the box) when no window of the
// program can take the keys; from another thread the keys are handed to the
// GUI thread, which makes that check when it delivers them.
bool SendKeys(std::string_view text);
