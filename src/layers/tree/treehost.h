// What the layer tree uses of the program around it that is not built yet or
// lives in higher folders: the layer panel's information fields, the main
// window that hears of object lists made and dropped, the logged-on user's
// rights, the print masking of lines by texts, and the creation tools that a
// sublayer configures. Each neighbour is a small interface or a plain record;
// the program (or a test) installs its implementation, and the tree works
// without one: no panel, no message, every right granted to user 0, no print
// masking.
//
// GUI thread only. The host does not own what is installed in it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/messages.h"

class TLine;
class TClipBounds;
class TPodwarstwaTextowa;
class TWarstwa;
class TWarstwaOgolna;
class TViewBackgroundI;

// Message to the main window: wParam kMainFormSublayerList (lParam 0) when a
// sublayer's object list is made or dropped.
inline constexpr std::uint32_t kMsgMainFormNotify = 1032;
inline constexpr std::uintptr_t kMainFormSublayerList = 3;
inline constexpr std::uintptr_t kMainFormUndoChanged = 4;

// The main window's handle for kMsgMainFormNotify; 0 (none) until the shell
// registers its window. Posting to no window does nothing.
void SetMainFormWindow(platform::HWND Wnd);
platform::HWND MainFormWindow();
// Posts kMsgMainFormNotify with WParam and lParam 0 to the main window.
void PostMainFormNotify(std::uintptr_t WParam);

// The layer panel's information fields, as a node's ShowInfo fills them.
// The panel shows the record; the nodes only write it.
struct TLayerInfo {
  std::string FullName;
  bool EditEnabled = false;       // the "Edycja" button
  bool TransformEnabled = false;  // the transform button
  std::string I1c, I1v;           // first caption and value
  std::string I2c, I2v;           // second caption and value
  enum class TPage { None, Lines, Texts };
  TPage Page = TPage::None;
  // Line page: the sample line and the width radio buttons.
  const TLine* SampleStyle = nullptr;  // none: the default style
  std::uint32_t SampleColour = 0;
  int SampleWidth = 1;                 // pixels
  std::string StyleName;               // selected in the style list
  int WidthMode = 0;                   // WWidthD, WWidthC, WWidthG: 0, 1, 2
  // Text page: the sample's font colour and the italic check box.
  std::uint32_t FontColour = 0;
  bool Italic = false;
};

// The layer panel as the tree calls it.
class TLayerPanelI {
 public:
  virtual ~TLayerPanelI() = default;
  // A node's content changed: the panel queues its redraw (ThisNodeOnly) or
  // marks a full redraw as pending.
  virtual void NodeChanged(TWarstwaOgolna* Node, bool ThisNodeOnly) = 0;
};

// The print masking of lines by the texts of one sublayer. The printing
// folder implements the factory; without one nothing is masked.
class TClipFactoryI {
 public:
  virtual ~TClipFactoryI() = default;
  // TClipAll: the given text outlines (the sublayer's CollectTexts under the
  // print's parameters) mask the lines of every layer.
  virtual std::unique_ptr<TClipBounds> MakeClipAll(TPodwarstwaTextowa& Texts,
                                                   std::vector<std::unique_ptr<TClipBounds>> Outlines) = 0;
  // TWarstwaCheckClip: the texts mask every sublayer of Layer.
  virtual std::unique_ptr<TClipBounds> MakeLayerClip(TPodwarstwaTextowa& Texts, TWarstwa& Layer) = 0;
  // TPodwarstwaCheckClip: the texts mask the listed sublayers of Layer
  // (Count numbers of Numbers).
  virtual std::unique_ptr<TClipBounds> MakeSublayerClip(TPodwarstwaTextowa& Texts, std::uint8_t Count,
                                                        const std::uint8_t (&Numbers)[10],
                                                        TWarstwa& Layer) = 0;
};

// The options a sublayer sets on a creation tool of the view.
class TNewObjectToolI {
 public:
  virtual ~TNewObjectToolI() = default;
  // Line tools: the Z option.
  virtual void SetZOption(bool On) = 0;
  // The text tool (the others ignore these).
  virtual void SetCounting(bool On) = 0;
  virtual void SetPlaced(std::uint8_t State) = 0;
  virtual void SetMayChangeHeight(bool On) = 0;
  virtual void SetMayChangeJustification(bool On) = 0;
};

// The neighbours installed for the whole program. Every member may be none.
struct TLayerTreeHost {
  TLayerPanelI* Panel = nullptr;
  TClipFactoryI* Clips = nullptr;
  // The view settings the header dialogs' samples follow.
  TViewBackgroundI* Background = nullptr;
  // The logged-on program user (0: nobody).
  std::uint16_t LoggedUser = 0;
};

// The host record of the program (GUI thread).
TLayerTreeHost& LayerTreeHost();
