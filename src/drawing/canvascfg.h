// The display settings group: how texts are drawn (raster, vector or precise
// stroke font), the map scale texts, lines and symbols are sized for, the
// highlight colours, the zoom conditions of objects and thick lines, the
// screen resolution, the marks at text origins and segment ends and the fast
// display of large areas.
//
// Ini section "Wyswietlanie" of the profile's settings file (keys written in
// this order; absent keys take the default):
//   Kroj=<int>                                  low byte; default 1
//   Skala=<int>                                 default 1000
//   Skala Flagi=<int>                           low byte; default 7
//   Wyrozniajacy kolor 1..3=<hex BBGGRR>        six upper-case digits;
//                                               defaults 0000FF, 00FFFF, 800080
//   Dynamiczne wyswietlanie=<int>               low byte; default 0
//   Dynamiczne wyswietlanie grubych linii=<int> low byte; default 1
//   Warunek wyswietlania grubych linii=<real>   default 1; not a number: 10
//   Grube linie Windows=<int>                   low byte; default 0
//   DPM X=<real>, DPM Y=<real>                  default and fallback 2.9527559055
//   Szybkie wyswietlanie=1|0                    default 1
//   Szybkie wyswietlanie - rozmiar=<int>        default 8
//   Szybkie wyswietlanie - licznik=<int>        default 8
// MarkTextOrigin and MarkLineEnds are not stored.
//
// GUI thread only, like every settings group; a redraw thread only reads a
// view's copy while the GUI thread leaves it alone.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/settings/settings.h"

// The settings with fixed defaults and no storage: drawing parameters that
// are given no group make one of their own. GetScale is 1 and every
// highlight colour red, whatever the fields hold.
class TNullCanvasCfg : public TParametryConf {
public:
  TNullCanvasCfg() = default;
  TNullCanvasCfg(const TNullCanvasCfg& Source);
  std::unique_ptr<TParametryConf> Clone() const override;

  // Base: 1.0.
  virtual double GetScale() const;
  // Base: red (0x0000FF) for every N.
  virtual std::uint32_t GetHighlightColor(int N) const;

  // Text display: 0 raster, 1 vector, 2 precise (the second stroke font).
  std::uint8_t Kroj = 1;
  // Map scale denominator the sizes are computed for (1000 is 1:1000).
  std::int32_t Skala = 0;
  // Which objects follow Skala: bit 0 texts, bit 1 lines, bit 2 symbols.
  std::uint8_t SkalaFlagi = 0;
  // Objects with a display threshold appear only above it.
  bool DynamicDisplay = false;
  // Crosses at text and symbol origins, and at segment ends and circle
  // centres; never stored, so they start off with every program start.
  bool MarkTextOrigin = false;
  bool MarkLineEnds = false;
  // Pens wider than one pixel only above ThickLineCondition (mean pixels per
  // world unit).
  bool DynamicThickLines = false;
  float ThickLineCondition = 0.0f;
  // Solid thick lines by the platform's wide pen instead of parallel lines.
  bool WindowsThickLines = true;
  // Screen dots per millimetre.
  double DpmX = 0.0;
  double DpmY = 0.0;
  // Fast display of large areas; read by the layers' object lists.
  std::int32_t FastDisplaySize = 8;
  std::int32_t FastDisplayCount = 1;
  bool FastDisplay = true;

protected:
  // Every field above from Source; the subscriptions stay.
  void CopyFields(const TNullCanvasCfg& Source);
};

enum TScaleFlag : std::uint8_t {
  sfTexts = 0x01,
  sfLines = 0x02,
  sfSymbols = 0x04,
};

// The stored display settings. The main form registers one in the global
// configuration; every map view follows it through its local copy.
class TCanvasCfg : public TNullCanvasCfg {
public:
  static constexpr const char* kSection = "Wyswietlanie";

  TCanvasCfg() = default;
  // Every field of Source, the highlight colours included.
  TCanvasCfg(const TCanvasCfg& Source);
  std::unique_ptr<TParametryConf> Clone() const override;

  // Copies Source's values (a TNullCanvasCfg lends its fixed highlight
  // colours) and tells whether a shown setting changed. A Source of another
  // class changes nothing: false.
  bool AssignFrom(TParametryConf* Source) override;
  // Reads the section, then selects the second stroke font when Kroj is 2.
  // A value outside its setting's range or choices reads as the key's
  // default (docs/settings.md lists them).
  void Read(const platform::TIniFile& Ini) override;
  void Write(platform::TIniFile& Ini) const override;
  // Fill and take back the display page (TDisplayPageI); a dialog without
  // that page is left alone.
  void ToDialog(TConfigDialogBase& Dialog) const override;
  // Sends NotifyChanging, takes the page back, and sends NotifyChanged when
  // a setting differs from before.
  void FromDialog(TConfigDialogBase& Dialog) override;
  void AfterDialog() override;

  // Skala * 0.001.
  double GetScale() const override;
  // HighlightColors[N - 1]; red for an N outside 1..3.
  std::uint32_t GetHighlightColor(int N) const override;

  // The colours of the selected object, sub-object and element (0x00BBGGRR);
  // index 0 holds colour 1. Zero until read.
  std::array<std::uint32_t, 3> HighlightColors{};

private:
  // Puts every value outside its range or choices back to its default.
  void KeepInRange();
};

// The display page of the settings dialog as the display settings see it.
// Check boxes and radio buttons are named by TDisplayCheck.
class TDisplayPageI {
public:
  enum TDisplayCheck : int {
    dcWTR,                // "&Rastrowe"
    dcWTW,                // "&Wektorowe"
    dcWTP,                // "&Precyzyjne"
    dcWsText,             // "&Teksty"
    dcWsLine,             // "&Linie"
    dcWsSymbol,           // "S&ymbole"
    dcDymWysw,            // "Dy&namiczne wyświetlanie"
    dcMarkTextOrigin,     // "P&unkt wstawienia"
    dcMarkLineEnds,       // "&Końce odcinków"
    dcDynWyswGL,          // "Dyn. wyświ&etlanie grubych linii"
    dcWindowsThickLines,  // "&Grube linie windows"
    dcDrCFlagCB,          // "Szybkie wyświetlanie"
  };

  virtual ~TDisplayPageI() = default;

  virtual bool Checked(TDisplayCheck Box) const = 0;
  virtual void SetChecked(TDisplayCheck Box, bool Value) = 0;
  // The scale combo box WsSkala.
  virtual std::string SkalaText() const = 0;
  virtual void SetSkalaText(const std::string& Text) = 0;
  // The coloured panels WyrC1..WyrC3, N 1..3.
  virtual std::uint32_t PanelColor(int N) const = 0;
  virtual void SetPanelColor(int N, std::uint32_t Color) = 0;
  // The validated single-value field WarWysw.
  virtual float ThickLineCondition() const = 0;
  virtual void SetThickLineCondition(float Value) = 0;
  // The validated real pair ScreenDPMX, ScreenDPMY.
  virtual void GetScreenDpm(double& X, double& Y) const = 0;
  virtual void SetScreenDpm(double X, double Y) = 0;
};
