// The cursor settings group and what every status line and dialog uses of it:
// the sight size in pixels and millimetres, the full-window cross, the number
// of decimals of coordinates, degrees or grads, the sound signal, the
// active-layer priority of snapping and the last snap mode; coordinate and
// angle formatting; the sound signal and its speaker-beep threads.
//
// One global group (KrzyzConf()) is registered with the global configuration,
// which reads it from "tolvika.ini" and writes it back at exit; every map view
// keeps a local copy in its local configuration. GUI thread only, except
// PlaySignal and StartBeep, which start detached beep threads that touch no
// group.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/settings/settings.h"

// The cursor page of the program's settings dialog (the pixel and millimetre
// sight sizes, the angle unit and the snapping priority); the dialog
// implements it, the group finds it with dynamic_cast.
class TCursorPageI {
public:
  virtual ~TCursorPageI() = default;

  virtual void ShowCelownik(std::int32_t W, std::int32_t H) = 0;
  virtual void GetCelownik(std::int32_t& W, std::int32_t& H) const = 0;
  virtual void ShowCelownikMm(double W, double H) = 0;
  virtual void GetCelownikMm(double& W, double& H) const = 0;
  // The degrees switch: true degrees, false grads.
  virtual bool DegreesChecked() const = 0;
  virtual void SetDegreesChecked(bool Degrees) = 0;
  // The check box ActPrio.
  virtual bool ActivePriorityChecked() const = 0;
  virtual void SetActivePriorityChecked(bool Checked) = 0;
};

// Signal kinds of PlaySignal.
inline constexpr std::uint8_t kSignalError = 0;
inline constexpr std::uint8_t kSignalOk = 1;

class TKrzyzConf : public TParametryConf {
public:
  TKrzyzConf() = default;
  // Copies CelownikW, CelownikH, RysujKrzyz, FullAngle, ActivePriority and
  // SnapType; everything else of the copy stays zero or false.
  TKrzyzConf(const TKrzyzConf& Source);

  std::unique_ptr<TParametryConf> Clone() const override;
  bool AssignFrom(TParametryConf* Source) override;
  // The keys of sections "Krzyz", "Digitizer", "Dzialki" and "Działki"
  // (never the section the configuration names); sets Read_. A sight size
  // is held to 0..10000 pixels, a snap type outside 0..8 reads as 0, and a
  // millimetre size that is no number as 1.
  void Read(const platform::TIniFile& Ini) override;
  // "Krzyz" and "Digitizer" only: the decimals and "Stopnie" are never
  // written.
  void Write(platform::TIniFile& Ini) const override;
  // On a cursor page: the sizes, the angle unit and the priority. On any
  // other settings form with a check box "ActPrio": the priority.
  void ToDialog(TConfigDialogBase& Dialog) const override;
  // Only from a cursor page. Notifies the change when the pixel pair, the
  // angle unit or the priority changed.
  void FromDialog(TConfigDialogBase& Dialog) override;

  // Value written with exactly Decimals digits after the point (0 to 20),
  // no blanks; a value that rounds to zero has no minus sign.
  void FormatCoord(long double Value, std::string& Text) const;
  std::string FormatCoord(long double Value) const;
  // Angle in radians in the configured unit, rounded to hundredths.
  void FormatAngle(long double Angle, std::string& Text) const;
  std::string FormatAngle(long double Angle) const;

  std::int32_t CelownikW = 5;
  std::int32_t CelownikH = 5;
  double CelownikWmm = 1.0;
  double CelownikHmm = 1.0;
  // Set and cleared by the main form when the digitizer is switched on.
  std::uint8_t DigitizerOn = 0;
  // Set when the group was read: the sight box is drawn.
  std::uint8_t Read_ = 0;
  bool RysujKrzyz = true;
  std::int32_t Decimals = 2;
  // 360 (degrees) or 400 (grads).
  double FullAngle = 360.0;
  bool Signal = true;
  bool Speaker = true;
  bool ActivePriority = true;
  std::uint8_t SnapType = 0;
};

// The global group, registered with GlobalnaKonfiguracja() on first use.
TKrzyzConf& KrzyzConf();

// Plays the signal of Kind (kSignalError, kSignalOk) by Conf: nothing when
// the signal is off; a speaker tone when the speaker is chosen; otherwise
// the wave file ("Blad.wav", "OK.wav" in the program folder), played
// asynchronously, and the tone when it cannot be played. Never waits and
// never raises.
void PlaySignal(const TKrzyzConf& Conf, std::uint8_t Kind);
// A tone of the given frequency (Hz) and length (ms) on a detached beep
// thread of its own; each beep carries its own values.
void StartBeep(std::uint32_t Frequency, std::uint32_t Duration);
