// Hand-made stroke font files in the ".ch1" layout for the tests that draw
// or measure text: the font writer of tools/common/defwrite.h.
#pragma once

#include "common/defwrite.h"

using TStroke = defwrite::TStroke;
using Glyph = defwrite::Glyph;
using FontSpec = defwrite::FontSpec;
using defwrite::FontBytes;
