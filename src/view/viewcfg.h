// The settings group of the map views: the size of the off-screen image (and
// so of the view control), the background colour, the repaint interval of a
// redraw, the last attached layer base, the auto-save interval and the area
// measurement's active-layer switch. One process-wide group is registered
// with the global configuration; every view subscribes to its changes.
//
// GUI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/settings/settings.h"

// The system window colour as a colour value: the system-colour constant,
// written to the settings file in full eight-digit form ("80000005").
inline constexpr std::uint32_t clWindow = 0x80000005u;
// A colour value as 0x00BBGGRR: system-colour constants resolved through the
// platform's palette, other values as they are.
std::uint32_t ColorToRGB(std::uint32_t Color);

// The window and general pages of the program's settings dialog, as the
// group fills them; the dialog implements it.
class TViewPageI {
public:
  virtual ~TViewPageI() = default;

  // WndSizeX, WndSizeY (edit masks "!99999;1; ").
  virtual std::string SizeXText() const = 0;
  virtual std::string SizeYText() const = 0;
  virtual void SetSizeTexts(const std::string& X, const std::string& Y) = 0;
  // WndSDefault, WndKDefault ("Domyślny").
  virtual bool SizeDefaultChecked() const = 0;
  virtual void SetSizeDefaultChecked(bool Checked) = 0;
  virtual bool ColorDefaultChecked() const = 0;
  virtual void SetColorDefaultChecked(bool Checked) = 0;
  // The colour panel WndKolor (0x00BBGGRR).
  virtual std::uint32_t BackgroundColor() const = 0;
  virtual void SetBackgroundColor(std::uint32_t Color) = 0;
  // "Automatyczny zapis warstw [minuty]:".
  virtual std::int32_t AutoSaveMinutes() const = 0;
  virtual void SetAutoSaveMinutes(std::int32_t Minutes) = 0;
  // AreaActPrio ("Powierzchnia-aktywna war").
  virtual bool AreaActiveChecked() const = 0;
  virtual void SetAreaActiveChecked(bool Checked) = 0;
};

class TTvViewCfg : public TParametryConf {
public:
  TTvViewCfg() = default;
  TTvViewCfg(const TTvViewCfg& Source);

  std::unique_ptr<TParametryConf> Clone() const override;
  bool AssignFrom(TParametryConf* Source) override;
  // Sections "Okno" and "Inne" always. A colour text that is not
  // hexadecimal reads as clWindow, a repaint interval below 1 ms as 250, the
  // minutes are held to what milliseconds in 32 bits can say, and a size
  // of 0 (or one outside 1 to 99999, or a single 0) fills the work area.
  void Read(const platform::TIniFile& Ini) override;
  void Write(platform::TIniFile& Ini) const override;
  void ToDialog(TConfigDialogBase& Dialog) const override;
  // Both sizes are checked before anything changes: a size that is not a
  // number raises EConvertError and leaves the group as it was.
  void FromDialog(TConfigDialogBase& Dialog) override;

  // RozmiarX and RozmiarY := the screen's work area less one pixel each way;
  // AutoSize := true.
  void FillWorkArea();

  std::int32_t RozmiarX = 0;
  std::int32_t RozmiarY = 0;
  // 0x00BBGGRR or clWindow (when "KolorTla" is empty).
  std::uint32_t KolorTla = clWindow;
  bool AutoSize = false;
  std::int32_t RefreshInterval = 250;
  std::string LastBase;
  // Milliseconds; stored in whole minutes.
  std::int32_t AutoSaveInterval = 5 * 60000;
  bool AreaOnActive = false;
};

// Creates the process-wide group and registers it with GlobalnaKonfiguracja();
// returns the registered group. A second call returns the same group; the
// group lives in the global configuration, so a configuration put in its
// place (SetGlobalnaKonfiguracja) gets a group of its own on first use.
TTvViewCfg& TvViewCfgCreate();
// The process-wide group (made by TvViewCfgCreate on first use).
TTvViewCfg& TvViewCfg();
// Its background colour as 0x00BBGGRR (clWindow resolved through the
// palette).
std::uint32_t TvViewCfgKolorTla();
