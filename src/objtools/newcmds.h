// The map view's commands that draw new objects: special lines (open and
// closed), circles, texts, symbols and czołówki (a line's length written
// along it). Each command needs the active sublayer of its kind, makes a
// template object with that sublayer's defaults and the view's presets,
// installs the creation tool with it and stays installed: every completed
// object is given the active survey document's number, goes into the
// active sublayer, is drawn at once (no full redraw) and gets its undo
// operation ("Dodanie", for czołówki "Dodanie czołówki"); the tool then
// receives a fresh template, until the user ends it.
//
// Starting a command without the sublayer it needs raises ETolvikaError
// "Brak aktywnej warstwy" and installs nothing. A sublayer released while a
// tool runs ends the command at the next completion: the line, circle, text
// and symbol commands show the box "Brak aktywnej warstwy" (caption "Blad"),
// the czołówka commands raise the error (the view shows it as the tool's
// error); the unfinished object is freed.
//
// Ending a tool (Escape, another command) frees its template and drops the
// view's pending operation without posting it; the line commands post a
// pending operation to the document window after the next stored line.
//
// GUI thread only. The templates belong to the command until a completion
// hands one to the sublayer (and its undo operation); the tool is the
// view's once installed.
#pragma once

class TTvView;

// Open and closed special lines on the active line sublayer.
void CmdNewSpecialLinia(TTvView& View);
void CmdNewSpecialLiniaLoop(TTvView& View);
// Circles on the active line sublayer.
void CmdNewOkrag(TTvView& View);
// Texts (with an optional reference point) and symbols on the active text
// sublayer; each stored text leaves the tool's placement switch in the
// sublayer for the next text.
void CmdNewText(TTvView& View);
void CmdNewSymbol(TTvView& View);
// A czołówka laid along a segment the user enters, on the active text
// sublayer.
void CmdAddCzolowka(TTvView& View);
// A czołówka for an existing line the user points at ("Wskaż czołówkę"):
// the text stands at the middle of the line, along it, and shows its
// length. A point far from every line adds nothing and the tool goes on.
void CmdPickCzolowka(TTvView& View);
