// The record of an activity: which sublayer becomes the active one and the
// drawing parameters preset on it. An activity-menu item holds one, and the
// view's layer-tree actions fill one the same way; the set of given
// parameters says which fields were given (bit = parameter index).
//
// Plain data: any thread may use a copy of its own.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The parameters in index order; the index is also the parameter's bit in
// the set of given parameters.
enum TActivityParam : int {
  apTyp = 0,
  apWarstwa = 1,
  apPodwarstwa = 2,
  apTypLinii = 3,
  apGrubosc = 4,
  apNazwaLinii = 5,
  apSkala = 6,
  apWysokosc = 7,
  apKat = 8,
  apPodkreslenie = 9,
  apOdnosnik = 10,
  apJustyfikacja = 11,
  apTekst = 12,
  apWstaw = 13,
  apSymbol = 14,
  apGenerator = 15,
  apOdstep = 16,
  apKatalog = 17,
};
inline constexpr int kActivityParamCount = 18;

// The identifiers of the parameters as the menu files write them, in index
// order.
inline constexpr std::array<std::string_view, kActivityParamCount> kActivityParamNames = {
    "TYP",         "WARSTWA", "PODWARSTWA", "TYP LINII",    "GRUBOSC", "NAZWA LINII",
    "SKALA",       "WYSOKOSC", "KAT",       "PODKRESLENIE", "ODNOSNIK", "JUSTYFIKACJA",
    "TEKST",       "WSTAW",   "SYMBOL",     "GENERATOR",    "ODSTEP",  "KATALOG"};

inline constexpr std::uint32_t ActivityBit(TActivityParam p) { return std::uint32_t{1} << p; }

// Fields in the order of the record; a new record is zeroed.
struct TActivityRecord {
  std::uint8_t Typ = 0;          // 1 a line layer, anything else a text layer
  std::string Warstwa;           // layer name, upper case
  std::int32_t Podwarstwa = 0;   // sublayer number
  std::string Katalog;           // layer catalogue; empty: every catalogue
  std::uint16_t TypLinii = 0;    // line-style number
  std::uint8_t Grubosc = 0;      // line thickness 0..2 (larger values mean 0)
  std::string NazwaLinii;        // line-style name, upper case
  float Skala = 0;               // scale of new lines
  float Wysokosc = 0;            // text height
  float Kat = 0;                 // text angle in degrees
  bool Podkreslenie = false;     // underlined text
  bool Odnosnik = false;         // leader of new texts
  std::uint8_t Justyfikacja = 0; // text anchor 1..9
  std::string Tekst;             // content of new texts
  bool Wstaw = false;            // start inserting at once
  std::string Symbol;            // symbol inserted instead of a text, upper case
  std::string Generator;         // generator of new lines
  float Odstep = 0;              // spacing of the generator

  friend bool operator==(const TActivityRecord&, const TActivityRecord&) = default;
};

