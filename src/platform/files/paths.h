// Path names. The system's data sets and settings name files the Windows way
// ('\' separators, any letter case), while they lie on a case-sensitive file
// system here. ResolvePath turns such a name into the path of the file that
// really exists; every file operation of the platform layer passes its names
// through it. All functions are pure or read the file system only; any thread.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// '\' turned into '/'.
std::string NormalizeSeparators(std::string_view path);

// The path as it exists on disk: separators normalised, doubled separators
// and a trailing separator dropped; a component that does not exist as
// written is looked up case-insensitively (Polish letters included) in its
// folder, exact matches first. Components from the first one that does not
// exist in any case on are kept as written, so the result also names a file
// that is about to be created. Never fails.
std::string ResolvePath(std::string_view path);

// a + '/' + b, with one separator between them; b alone when it is absolute
// or a is empty.
std::string JoinPath(std::string_view a, std::string_view b);

// The last component ("C:\\x\\a.dat" -> "a.dat"), either separator accepted.
std::string ExtractFileName(std::string_view path);
// Everything before the last separator, without it ("a/b/c.dat" -> "a/b",
// "/c.dat" -> "/", "c.dat" -> "").
std::string ExtractFileDir(std::string_view path);
// The extension of the last component with its dot ("a.b.dat" -> ".dat"),
// empty when there is none.
std::string ExtractFileExt(std::string_view path);

// The folder for temporary files: TMPDIR when set and not empty, else /tmp.
std::string TempFolder();

}  // namespace platform
