#include "text_engine.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace printing {

namespace {

// Millimetres are the user unit: a point is 25.4 / 72 mm, so pango's resolution is 25.4 "dpi".
constexpr double kMillimetresPerInch = 25.4;

// The font map costs tens of milliseconds to set up (fontconfig reads its cache); it is made
// once and kept for the life of the process.
PangoFontMap* ProcessFontMap() {
  static PangoFontMap* const map = pango_cairo_font_map_new();
  return map;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

TextEngine::TextEngine(WarningSink warn) : warn_(std::move(warn)) {
  context_ = pango_font_map_create_context(ProcessFontMap());
  pango_cairo_context_set_resolution(context_, kMillimetresPerInch);
  // Unhinted metrics and unrounded positions: the same line breaks on a PDF page and on a PNG
  // at any resolution.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  pango_cairo_context_set_font_options(context_, options);
  cairo_font_options_destroy(options);
  pango_context_set_round_glyph_positions(context_, FALSE);
}

TextEngine::~TextEngine() {
  for (auto& [key, font] : layouts_) {
    g_object_unref(font.layout);
    pango_font_description_free(font.description);
  }
  g_object_unref(context_);
}

namespace {

// The fonts of Windows' Chinese editions that bill templates name. Where one is missing, the
// font fontconfig takes instead must have the Chinese glyphs too, so that a bill's Latin and
// Chinese text come from one font rather than Chinese glyphs falling back one by one.
bool NamesChineseFont(const std::string& family) {
  static const std::set<std::string> kChinese = {
      "simsun",  "nsimsun",  "simhei",   "kaiti",        "fangsong",       "microsoft yahei",
      "mingliu", "pmingliu", "dengxian", "kaiti_gb2312", "fangsong_gb2312"};
  const bool non_ascii = std::any_of(family.begin(), family.end(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return non_ascii || kChinese.contains(Lower(family));
}

}  // namespace

const std::string& TextEngine::Families(const std::string& family) {
  if (const auto known = families_.find(family); known != families_.end()) return known->second;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  if (NamesChineseFont(family)) {
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
  }
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string chosen;
  bool found = false;
  if (match != nullptr) {
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
      const std::string text(reinterpret_cast<const char*>(name));
      if (i == 0) chosen = text;
      found = found || Lower(text) == Lower(family);
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  std::string families = family;
  if (!found) {
    warn_("font \"" + family + "\" is not installed; fontconfig draws its text with \"" +
          (chosen.empty() ? std::string("no font") : chosen) + "\"");
    if (!chosen.empty()) families += "," + chosen;
  }
  return families_.emplace(family, std::move(families)).first->second;
}

TextEngine::FontLayout& TextEngine::LayoutFor(const FontSpec& font) {
  const auto key = std::make_tuple(font.family, font.size, font.bold);
  const auto found = layouts_.find(key);
  if (found != layouts_.end()) return found->second;
  FontLayout made;
  made.description = pango_font_description_new();
  pango_font_description_set_family(made.description, Families(font.family).c_str());
  pango_font_description_set_size(made.description, static_cast<gint>(font.size * PANGO_SCALE));
  pango_font_description_set_weight(made.description,
                                    font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  made.layout = pango_layout_new(context_);
  pango_layout_set_font_description(made.layout, made.description);
  pango_layout_set_wrap(made.layout, PANGO_WRAP_WORD_CHAR);
  PangoFontMetrics* metrics = pango_context_get_metrics(context_, made.description, nullptr);
  made.line_height = static_cast<double>(pango_font_metrics_get_ascent(metrics) +
                                         pango_font_metrics_get_descent(metrics)) /
                     PANGO_SCALE;
  pango_font_metrics_unref(metrics);
  return layouts_.emplace(key, made).first->second;
}

double TextEngine::LineHeight(const FontSpec& font) {
  return LayoutFor(font).line_height;
}

double TextEngine::WrappedHeight(const FontSpec& font, std::string_view text, double width) {
  PangoLayout* layout = LayoutFor(font).layout;
  pango_layout_set_width(layout, static_cast<int>(std::max(width, 1.0) * PANGO_SCALE));
  pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  return static_cast<double>(logical.height) / PANGO_SCALE;
}

void TextEngine::Draw(cairo_t* cr, const FontSpec& font, std::string_view text, const Box& box,
                      Align align, Overflow overflow, double padding, bool top) {
  if (text.empty()) return;
  PangoLayout* layout = LayoutFor(font).layout;
  const double inner = std::max(box.width - 2 * padding, 0.5);
  const bool wrap = overflow == Overflow::kWrap;
  pango_layout_set_width(layout, wrap ? static_cast<int>(inner * PANGO_SCALE) : -1);
  pango_layout_set_alignment(layout, !wrap                    ? PANGO_ALIGN_LEFT
                                     : align == Align::kLeft  ? PANGO_ALIGN_LEFT
                                     : align == Align::kRight ? PANGO_ALIGN_RIGHT
                                                              : PANGO_ALIGN_CENTER);
  pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  const double width = static_cast<double>(logical.width) / PANGO_SCALE;
  const double height = static_cast<double>(logical.height) / PANGO_SCALE;
  const double scale = overflow == Overflow::kShrink && width > inner ? inner / width : 1.0;

  double x = box.x + padding;
  if (!wrap) {
    const double shown = std::min(width * scale, inner);
    if (align == Align::kRight) x += inner - shown;
    if (align == Align::kCenter) x += (inner - shown) / 2;
  }
  const double y =
      top || height * scale > box.height ? box.y : box.y + (box.height - height * scale) / 2;
  const bool clip = (wrap && height > box.height) || (!wrap && width * scale > inner + 0.01);
  cairo_save(cr);
  if (clip) {
    cairo_rectangle(cr, box.x, box.y, box.width, box.height);
    cairo_clip(cr);
  }
  cairo_move_to(cr, x, y);
  if (scale != 1.0) cairo_scale(cr, scale, scale);
  pango_cairo_show_layout(cr, layout);
  cairo_restore(cr);
}

}  // namespace printing
