// The clipboard's plain text: what the user copied in this or another
// program. GUI thread only.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The clipboard's text (UTF-8); empty when it holds no text.
std::string ClipboardText();
// Puts text on the clipboard, replacing what it held.
void SetClipboardText(std::string_view text);

}  // namespace platform
