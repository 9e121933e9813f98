// Text on a page: pango (HarfBuzz shaping, fontconfig fonts) drawn with cairo. User units are
// millimetres. One engine serves a whole run: the font map lives as long as the process, and
// each font gets one PangoLayout that is reused for every text drawn in it.
#pragma once

#include <cairo.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "layout.h"
#include "print_error.h"

typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoFontDescription PangoFontDescription;

namespace printing {

// A box on the page, in mm.
struct Box {
  double x = 0, y = 0, width = 0, height = 0;
};

class TextEngine {
 public:
  explicit TextEngine(WarningSink warn);
  ~TextEngine();
  TextEngine(const TextEngine&) = delete;
  TextEngine& operator=(const TextEngine&) = delete;

  // The height `text` needs when wrapped to `width` mm.
  double WrappedHeight(const FontSpec& font, std::string_view text, double width);
  // The height of one line of the font.
  double LineHeight(const FontSpec& font);

  // Draws `text` in `box` (inset by `padding` mm left and right), vertically centred or at the
  // top: shrunk to fit one line, wrapped (cut at the box's foot) or cut at the box's right edge.
  void Draw(cairo_t* cr, const FontSpec& font, std::string_view text, const Box& box, Align align,
            Overflow overflow, double padding = 0, bool top = false);

 private:
  struct FontLayout {
    PangoFontDescription* description = nullptr;
    PangoLayout* layout = nullptr;
    double line_height = 0;
  };
  FontLayout& LayoutFor(const FontSpec& font);
  // The families pango is given for `family`: the family itself, and when fontconfig has no
  // such font, the one it takes instead, which a warning names once per family.
  const std::string& Families(const std::string& family);

  WarningSink warn_;
  PangoContext* context_ = nullptr;
  std::map<std::tuple<std::string, double, bool>, FontLayout> layouts_;
  std::map<std::string, std::string> families_;
};

}  // namespace printing
