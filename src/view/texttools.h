// Text placement tools: pointing tools that place a map text with a live
// preview. The text, built in the stroke font with the parameters it will be
// drawn with, follows the pointer in XOR on the tools' canvas, optionally
// with a leader line to the point it describes. TWskNapisKrzyz places a new
// text (the click reports the insertion point); TMoveNapisKrzyz picks an
// existing text through its owner's search callback and then moves the text
// or the end of its leader line. TWskNapisKrzyzImpl is their common part.
//
// GUI thread only. A tool owns its preview strokes; the canvas, its display
// settings group and the view are not owned (the settings group belongs to
// its configuration, which outlives every tool).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/text/numtext.h"
#include "view/pointtools.h"

class TVectorChar;
class TNullCanvasCfg;
class TParametryConf;

// The style parameters of a text: the size factors of the map scales,
// handed unchanged to the canvas.
using TTextStyleParams = TScaleAnchors;

class TWskNapisKrzyzImpl : public TWskPunktKrzyz {
public:
  // Leader values.
  static constexpr std::uint8_t kNoLeader = 0;
  static constexpr std::uint8_t kLeader = 1;

  TWskNapisKrzyzImpl(std::uint32_t Status, TKrzyzPointEvent OnPoint, const std::string& Text,
                     const TTextStyleParams& StyleParams);
  // Detaches first: the display settings group forgets the tool.
  ~TWskNapisKrzyzImpl() override;

  // Stores Text when it differs. An attached tool with a text rebuilds its
  // preview (the figures hidden and shown around it); an empty text frees
  // the preview, so only the cross is drawn.
  void SetText(const std::string& Text);
  const std::string& Text() const { return text_; }
  // 1..9 in the keypad layout; 0 takes the canvas's at Attach. An attached
  // tool redraws with the canvas's justification changed.
  void SetJustification(std::uint8_t J);
  std::uint8_t Justification() const { return justification_; }
  void SetLeader(bool On);
  bool GetLeader() const { return leader_ != kNoLeader; }
  // The text's rule flag (drawing-parameter flag 1), redrawn when attached.
  void ChangeWithRedraw(std::uint8_t Flag);
  std::uint8_t TextFlag() const { return textFlag_; }
  // New style parameters, given to the canvas and redrawn when attached.
  void ApplyWithRedraw(const TTextStyleParams& Params);
  const TTextStyleParams& StyleParams() const { return styleParams_; }
  bool HasPreview() const { return preview_ != nullptr; }

  // The cross cursor.
  void SetViewCursor() override;
  // 1 once a text is held (stage 2 and above), else 0.
  std::int32_t GetResult() override;
  // Prepares the canvas (options reset, upright texts, justification, style
  // parameters, rule flag), subscribes to its display settings so that a
  // change redraws the preview, and builds the preview.
  void Attach() override;
  void Detach() override;
  // Raises ENotImplemented: a placement is bound to its command's state.
  std::unique_ptr<TKrzyz> Clone() const override;

  // The end of the leader line.
  double TargetX = 0.0;
  double TargetY = 0.0;

protected:
  // Hides the figures that are shown, runs Fn and shows them again (only
  // when attached; otherwise just runs Fn).
  void Redrawn(const std::function<void()>& Fn);
  // The preview of the current text (none for an empty text).
  void RebuildPreview();
  void FreePreview();
  // A copy of the preview at the insertion point, with the leader line.
  void DrawText();
  bool Attached() const { return attached_; }

  // Stores the value without drawing (the caller redraws).
  void StoreText(const std::string& Text) { text_ = Text; }

private:
  void CfgChanging(TParametryConf* Sender);
  void CfgChanged(TParametryConf* Sender);

  std::unique_ptr<TVectorChar> preview_;
  std::uint8_t justification_ = 0;
  std::uint8_t leader_ = kNoLeader;
  std::uint8_t textFlag_ = 0;
  // The display settings subscribed to at Attach (null while detached).
  TNullCanvasCfg* cfg_ = nullptr;
  std::string text_;
  TTextStyleParams styleParams_{};
  bool attached_ = false;
  // The figures shown when the display settings began to change.
  std::uint8_t shownBeforeCfg_ = 0;
};

// Places a new text: the preview follows the pointer, a click reports the
// insertion point (X, Y).
class TWskNapisKrzyz : public TWskNapisKrzyzImpl {
public:
  TWskNapisKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint, const std::string& Text,
                 std::uint8_t TextFlag, std::uint8_t Flag4, float Size, std::uint16_t FontNumber,
                 const TTextStyleParams& StyleParams, double TargetX, double TargetY);
  ~TWskNapisKrzyz() override;

  // The inherited one, then the font number, italic flag and size.
  void Attach() override;
  // The text at the point once the pointer moved.
  void DrawCursor() override;

  // Drawing-parameter flag 4 (italic).
  std::uint8_t Flag4 = 0;
  float Size = 0.0f;
  std::uint16_t FontNumber = 0;
};

class TMoveNapisKrzyz;

// What the owner's search found under the pointer; an empty Text means
// nothing. Mode 0 moves the text, 1 the end of its leader.
struct TGetNapisRes {
  std::string Text;
  double X = 0.0;
  double Y = 0.0;
  double TargetX = 0.0;
  double TargetY = 0.0;
  std::uint8_t Flag4 = 0;
  std::uint8_t Flag1 = 0;
  std::uint8_t Mode = 0;
  bool Leader = false;
  std::uint8_t Justification = 0;
};

// The owner's text search: Point clicked, SightSize the sight's half-size
// in world units; Result comes empty and is filled when a text is found.
using TNapisSearchEvent = std::function<void(TMoveNapisKrzyz* Sender, const TRealPoint& Point,
                                             const TRealPoint& SightSize, TGetNapisRes& Result)>;

// Moves an existing text: the sight picks it (stage 1), then the text or
// its leader's end follows the pointer (stage 2) until a click reports the
// new position and picking starts again.
class TMoveNapisKrzyz : public TWskNapisKrzyzImpl {
public:
  // Stages.
  static constexpr std::int32_t kBeforeMove = 0;
  static constexpr std::int32_t kPicking = 1;
  static constexpr std::int32_t kPlacing = 2;
  // Modes.
  static constexpr std::uint8_t kMoveText = 0;
  static constexpr std::uint8_t kMoveTarget = 1;

  TMoveNapisKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint, TNapisSearchEvent Search,
                  float Size, std::uint16_t FontNumber, const TTextStyleParams& StyleParams);
  ~TMoveNapisKrzyz() override;

  // The inherited one, then the font number and size.
  void Attach() override;
  // While placing in mode 1 the leader's end follows, else the point.
  std::int32_t Move(const TRealPoint& Point) override;
  // Picking: the sight box. Placing: a small cross on the point that stays
  // and the text.
  void DrawCursor() override;
  // Nothing: every figure is the cursor's.
  void DrawMarker() override {}
  // Picking: the search; a text found is held (in mode 0 the pointer goes
  // to it), false either way. Placing: the new position is taken, picking
  // starts again, true.
  bool Click(const TRealPoint& Point) override;
  // Placing: the text is let go and picking starts again, 1; else 0.
  std::int32_t Backspace() override;
  // No cursor while picking, the cross while placing.
  void SetViewCursor() override;
  // Hint part 1 while placing, else part 0.
  std::string GetHint() override;

  std::uint8_t Mode = kMoveText;
  TNapisSearchEvent Search;
  float Size = 0.0f;
  std::uint16_t FontNumber = 0;
};
