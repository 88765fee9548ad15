// Pointing tools: one point, or two picked things, without snapping.
// TWskPunktKrzyz reports the clicked point under a cross; TWskKoloKrzyz shows
// the sight box instead (the tool of every command that points an object);
// TWskKoloPunktKrzyz shows both. TTwoShot picks two things one after the
// other through its owner's search callback, and TChainShot goes on picking
// pairs along a chain, each pair starting with the last pick of the one
// before.
//
// GUI thread only. The tools own their results; the search callback is the
// owner's and is called on the GUI thread from Click.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "view/hinttools.h"

class TWskPunktKrzyz : public THintKrzyz {
public:
  using THintKrzyz::THintKrzyz;

  // The first move passes the tool from stage 0 to 1.
  std::int32_t Move(const TRealPoint& Point) override;
  // Takes the point: true.
  bool Click(const TRealPoint& Point) override;
  // No cursor with the full-window cross, else the cross cursor.
  void SetViewCursor() override;
  // The cursor cross at the point once the pointer moved.
  void DrawMarker() override;
  void GetPoint(TRealPoint& Point) override;
  std::unique_ptr<TKrzyz> Clone() const override;

  // 0 before the first move, 1 afterwards.
  std::int32_t Stage = 0;
  double X = 0.0;
  double Y = 0.0;
};

class TWskKoloKrzyz : public TWskPunktKrzyz {
public:
  using TWskPunktKrzyz::TWskPunktKrzyz;

  // The sight box at the point.
  void DrawMarker() override;
  // No cursor: the sight box is the cursor.
  void SetViewCursor() override;
  std::unique_ptr<TKrzyz> Clone() const override;
};

class TWskKoloPunktKrzyz : public TWskKoloKrzyz {
public:
  using TWskKoloKrzyz::TWskKoloKrzyz;

  // The cross and the sight box at the point.
  void DrawMarker() override;
  std::unique_ptr<TKrzyz> Clone() const override;
};

// The result of one shot: the point found, a code (negative: nothing found)
// and a text the hint shows after the first shot.
struct TGetPunktRes {
  double X = 0.0;
  double Y = 0.0;
  std::int32_t Code = 0;
  std::string Text;
};

// The owner's search: Point clicked, SightSize the sight's half-size in world
// units, Shot 1 or 2. Result holds the point, code and text of the last
// search on entry (the text emptied); what the search leaves there is taken.
using TShotSearchEvent = std::function<void(const TRealPoint& Point, const TRealPoint& SightSize,
                                            std::int32_t Shot, TGetPunktRes& Result)>;

class TTwoShot : public THintKrzyz {
public:
  // States.
  static constexpr std::int32_t kBeforeMove = 0;
  static constexpr std::int32_t kFirstShot = 1;
  static constexpr std::int32_t kShootingFirst = 2;  // inside Click only
  static constexpr std::int32_t kPairTaken = 3;      // TChainShot: the next move goes on
  static constexpr std::int32_t kSecondShot = 4;
  static constexpr std::int32_t kShootingSecond = 5;  // inside Click only

  TTwoShot(std::uint32_t Status, TKrzyzPointEvent OnPoint, TShotSearchEvent Search);

  // No cursor: the sight box is the cursor.
  void SetViewCursor() override;
  // 1 while waiting for the second shot, else 0.
  std::int32_t GetResult() override;
  std::int32_t Move(const TRealPoint& Point) override;
  // Shoots; true when the second shot found its thing (the pair is taken).
  bool Click(const TRealPoint& Point) override;
  // The line from the first point to the cursor after the first shot.
  void DrawCursor() override;
  // The sight box at the first point, after the first shot at the cursor.
  void DrawMarker() override;
  // After the first shot: hint part 1 and the first result's text; else
  // part 0.
  std::string GetHint() override;
  // After the first shot the distance and two blanks come first.
  std::string GetStatusText(const TRealPoint& Point) override;
  // While waiting for the second shot: the second result becomes the first,
  // back to the first shot, 1; else 0.
  std::int32_t Backspace() override;
  // The hint and the search callback.
  std::unique_ptr<TKrzyz> Clone() const override;

  TGetPunktRes First;
  std::int32_t State = kBeforeMove;
  TShotSearchEvent Search;
  // Its X, Y follow the pointer between the shots.
  TGetPunktRes Second;

protected:
  // Runs the search of Shot at Point into Result (nothing found without a
  // search).
  void Shoot(const TRealPoint& Point, std::int32_t Shot, TGetPunktRes& Result);
};

class TChainShot : public TTwoShot {
public:
  using TTwoShot::TTwoShot;

  // A pair reported, the second pick starts the next link: the codes still
  // name the reported pair until the next move.
  bool Click(const TRealPoint& Point) override;
  std::int32_t Move(const TRealPoint& Point) override;
  std::unique_ptr<TKrzyz> Clone() const override;
};
