// Bar codes with libzint, painted from its vector output as cairo rectangles, hexagons and
// discs, so that they stay sharp at any scale.
#pragma once

#include <cairo.h>

#include <string>

#include "layout.h"
#include "text_engine.h"

namespace printing {

// Draws `value` as a `symbology` bar code filling `box` (2D codes keep their square shape and
// are centred). A value the symbology refuses raises with zint's reason and `what` (the bill
// and the element). The human-readable text of linear codes is drawn with `text`.
void DrawBarcode(cairo_t* cr, TextEngine& text, const std::string& font_family, Symbology symbology,
                 const std::string& value, const Box& box, const std::string& what);

}  // namespace printing
