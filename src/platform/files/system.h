// The system facts the program asks of Windows: who is logged on, where the
// program and its configuration folders are, a tick count, a sleep and the
// local time. Any thread may call these.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The login name of the user running the program (LOGNAME when set, else the
// password database); empty when neither knows it.
std::string LoginName();

// The folder holding the program's executable, without a trailing separator.
std::string ProgramFolder();

// The machine-wide configuration folder that stands where the Windows code
// names the Windows directory: TOLVIKA_SYSDIR when set and not empty, else
// /etc/tolvika.
std::string SystemConfigFolder();

// The user's configuration folder: XDG_CONFIG_HOME (or ~/.config) + /tolvika.
// Not created here.
std::string UserConfigFolder();

// Milliseconds since an arbitrary start, monotonic, wrapping at 2^32 as the
// Windows tick count does; compare ticks by unsigned difference.
std::uint32_t TickCount();

// Suspends the calling thread for ms milliseconds; 0 yields the rest of its
// time slice.
void Sleep(std::uint32_t ms);

struct LocalTime {
  int year = 0;    // e.g. 2024
  int month = 0;   // 1 to 12
  int day = 0;     // 1 to 31
  int hour = 0;    // 0 to 23
  int minute = 0;  // 0 to 59
  int second = 0;  // 0 to 59 (60 on a leap second)
  int millisecond = 0;
};

// The current local date and time.
LocalTime Now();

}  // namespace platform
