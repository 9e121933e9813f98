#include "barcode.h"

#include <zint.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "print_error.h"

namespace printing {

namespace {

struct SymbolDeleter {
  void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

int ZintSymbology(Symbology symbology) {
  switch (symbology) {
    case Symbology::kCode128:
      return BARCODE_CODE128;
    case Symbology::kEan13:
      return BARCODE_EANX;
    case Symbology::kQr:
      return BARCODE_QRCODE;
    case Symbology::kDataMatrix:
      return BARCODE_DATAMATRIX;
  }
  return BARCODE_CODE128;
}

const char* SymbologyName(Symbology symbology) {
  switch (symbology) {
    case Symbology::kCode128:
      return "Code 128";
    case Symbology::kEan13:
      return "EAN-13";
    case Symbology::kQr:
      return "QR";
    case Symbology::kDataMatrix:
      return "Data Matrix";
  }
  return "";
}

bool IsTwoDimensional(Symbology symbology) {
  return symbology == Symbology::kQr || symbology == Symbology::kDataMatrix;
}

}  // namespace

void DrawBarcode(cairo_t* cr, TextEngine& text, const std::string& font_family, Symbology symbology,
                 const std::string& value, const Box& box, const std::string& what) {
  if (value.empty()) return;
  std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
  symbol->symbology = ZintSymbology(symbology);
  symbol->input_mode = UNICODE_MODE;
  symbol->output_options |= BARCODE_QUIET_ZONES;
  if (symbology == Symbology::kEan13 && value.size() != 12 && value.size() != 13) {
    Fail(what + ": \"" + value + "\" is no EAN-13 value (12 or 13 digits)");
  }
  const int status =
      ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(value.data()),
                      static_cast<int>(value.size()));
  if (status >= ZINT_ERROR) {
    Fail(what + ": the " + std::string(SymbologyName(symbology)) + " bar code refuses \"" + value +
         "\" (" + symbol->errtxt + ")");
  }
  if (ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR || symbol->vector == nullptr) {
    Fail(what + ": the bar code of \"" + value + "\" could not be drawn (" + symbol->errtxt + ")");
  }
  const zint_vector& vector = *symbol->vector;
  if (vector.width <= 0 || vector.height <= 0) return;
  double sx = box.width / vector.width;
  double sy = box.height / vector.height;
  double x0 = box.x;
  double y0 = box.y;
  if (IsTwoDimensional(symbology)) {
    sx = sy = std::min(sx, sy);
    x0 += (box.width - vector.width * sx) / 2;
    y0 += (box.height - vector.height * sy) / 2;
  }
  cairo_save(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (const zint_vector_rect* r = vector.rectangles; r != nullptr; r = r->next) {
    cairo_rectangle(cr, x0 + r->x * sx, y0 + r->y * sy, r->width * sx, r->height * sy);
  }
  cairo_fill(cr);
  for (const zint_vector_hexagon* h = vector.hexagons; h != nullptr; h = h->next) {
    const double radius = h->diameter / 2;
    for (int i = 0; i < 6; ++i) {
      const double angle = (60.0 * i + 30.0 + h->rotation) * M_PI / 180.0;
      cairo_line_to(cr, x0 + (h->x + radius * std::cos(angle)) * sx,
                    y0 + (h->y + radius * std::sin(angle)) * sy);
    }
    cairo_close_path(cr);
  }
  cairo_fill(cr);
  for (const zint_vector_circle* c = vector.circles; c != nullptr; c = c->next) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x0 + c->x * sx, y0 + c->y * sy, c->diameter / 2 * std::min(sx, sy), 0, 2 * M_PI);
  }
  cairo_fill(cr);
  // Linear codes carry their value under the bars; it is drawn undistorted in the band zint
  // left for it.
  for (const zint_vector_string* s = vector.strings; s != nullptr; s = s->next) {
    const std::string shown(reinterpret_cast<const char*>(s->text),
                            static_cast<std::size_t>(s->length));
    const double size = s->fsize * sy;
    const double width = (s->width > 0 ? s->width : vector.width) * sx;
    const double left = s->halign == 1   ? x0 + s->x * sx
                        : s->halign == 2 ? x0 + s->x * sx - width
                                         : x0 + s->x * sx - width / 2;
    const FontSpec font{font_family, size * 72 / 25.4 * 0.9, false};
    text.Draw(cr, font, shown, Box{left, y0 + s->y * sy - size, width, size * 1.2},
              s->halign == 1   ? Align::kLeft
              : s->halign == 2 ? Align::kRight
                               : Align::kCenter,
              Overflow::kShrink);
  }
  cairo_restore(cr);
}

}  // namespace printing
