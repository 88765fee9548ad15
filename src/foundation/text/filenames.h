// File names: temporary file names and the layer names of old-format layer
// files. Texts are UTF-8. Any thread may call these; MakeTempFileName and
// MakeTempFileNameIn look at (and create in) the file system.
#pragma once

#include <string>
#include <string_view>

// A name for a new temporary file: Prefix, a decimal number and Ext. A Prefix
// without a folder part goes into the temporary folder, created when missing.
// The number keeps the name part within 8 characters; the candidates are
// tried each at most once, and when every one is taken (always so for a name
// part of 8 characters or more once its single name exists) EInOutError is
// raised. The file is not created.
std::string MakeTempFileName(std::string_view Prefix, std::string_view Ext);

// Creates a new empty file with a unique name beginning with Prefix in the
// temporary folder (the current directory when there is none) and returns its
// name; "" when the file could not be made (the platform's last error tells
// why).
std::string MakeTempFileNameIn(std::string_view Prefix);

// Turns the file name of an old-format layer file into its layer name in
// place: the first '.' goes, then the last character together with every '-'
// standing right before it, then the letters a to z become upper case (other
// letters stay). "DROGI---.X" -> "DROGI".
void StripOldLayerFileName(std::string& S);
std::string OldLayerFileToName(std::string_view S);
