// Internal to the platform layer: keyboard codes between the windowing
// system and the Windows virtual-key codes the system uses, and the sending
// of key events. Only platform .cpp files include this header.
#pragma once

#include <cstdint>

#include <QKeyEvent>
#include <QWidget>

#include "platform/gui/controls.h"

namespace platform {

TShiftState ShiftFromQt(Qt::KeyboardModifiers modifiers);
// The shift state of a key event: ShiftFromQt plus ssAltGr while the right
// Alt key is down (its modifier bit, or its own key seen going down and not
// yet up: some keyboards report it only as a key).
TShiftState KeyShiftFromQt(const QKeyEvent* event);
// Follows the right Alt key's own presses and releases (every key event a
// control sees passes here).
void TrackRightAlt(const QKeyEvent* event);
// The program lost the keyboard: the right Alt key's release may go to
// another application, so it is no longer taken as held.
void ForgetRightAlt();
Qt::KeyboardModifiers QtModifiers(TShiftState shift);
// The virtual-key code of a Qt key (0 for none) and back (Key_unknown).
std::uint16_t VkFromQtKey(int qtKey);
// As VkFromQtKey, but the digits of the numeric keypad give VK_NUMPAD0..9.
std::uint16_t VkFromQtKeyEvent(int qtKey, Qt::KeyboardModifiers modifiers);
int QtKeyFromVk(std::uint16_t vk);

// A key event sent again with a character changed by a key-press handler
// passes the filters untouched.
bool IsReplayedKey(const QKeyEvent* event);
void ReplayKey(QWidget* target, char32_t ch);

// Sends (at once) the key presses that type ch, and one key of a
// virtual-key code.
void SendCharTo(QWidget* target, char32_t ch);
void SendVkTo(QWidget* target, std::uint16_t vk, TShiftState shift, bool down);

// The widget that last took the focus through SetFocus, for synthetic keys
// when the windowing system reports no focus widget (no active window).
void SetLastFocused(QWidget* widget);

}  // namespace platform
