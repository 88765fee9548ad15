// The example database set: a small cadastral map of one precinct (parcels
// with their boundary points and numbers, buildings, two roads with kerbs,
// fences and ditches, a water main, spot heights, trees and other symbols)
// in a local grid, stored as the program stores it, with the definition
// files the drawing engine reads. scripts/run builds it into the folder the
// program starts in; the tools' test builds it into a scratch folder.
//
// What BuildExampleSet writes into Folder (texts in code page 1250):
//   baza.ini             section "baza" naming the database set "Przyklad",
//                        and its section: catalogues 1 and 2, their names,
//                        identifiers and file masks (relative paths, so the
//                        set is read from Folder as the current folder)
//   mapa/ewid/           catalogue 1 "Ewidencja": line layers DZIALKI,
//                        BUDYNKI, PUNKTY, text layer NUMERY; "baza.cnf",
//                        "Katalog", the catalogue's symbol library nk1.sym
//   mapa/sytuacja/       catalogue 2 "Sytuacja": line layers DROGI,
//                        SYTUACJA, UZBROJ, text layer OPISY; "baza.cnf",
//                        "Katalog", nk1.sym
//   nk1.sym, nk1l.lin    the symbol and line-style libraries
//   litt.ch1, font.ch1   the two stroke fonts (read beside the program)
//   tolvika.ini          section "Files": "SymbolDefs" and "LineDefs" set to
//                        the two libraries of Folder (other keys and
//                        sections of an existing file are kept)
//
// The output depends on nothing but the code: fixed pseudo-random sequence,
// fixed record dates and user numbers.
//
// The caller's thread; the process must not use the layer files meanwhile.
#pragma once

#include <cstddef>
#include <string>

// The counts of what was written, for the caller's summary and the test.
struct TExampleSetSummary {
  std::size_t Layers = 0;
  std::size_t LiveRecords = 0;
  std::size_t ArchivedRecords = 0;
};

// Builds the set in Folder (created when missing). A folder that already
// holds "baza.ini" or one of the layer files is refused with an exception
// and nothing is changed; any failed write raises (the store's exceptions,
// std::runtime_error for the text and definition files).
TExampleSetSummary BuildExampleSet(const std::string& Folder);
