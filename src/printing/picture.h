// Pictures on a page: PNG, JPEG, BMP or GIF bytes decoded once into cairo image surfaces and drawn
// fitted into a box. The same bytes drawn many times are one image in a PDF (cairo's unique-id mime data).
#pragma once

#include <cairo.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text_engine.h"

namespace printing {

// The bytes of an RFC 4648 base64 text (as GetItemPicture returns a photo); nothing when the
// text is not base64.
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text);

class PictureCache {
 public:
  PictureCache() = default;
  ~PictureCache();
  PictureCache(const PictureCache&) = delete;
  PictureCache& operator=(const PictureCache&) = delete;

  // The picture of `bytes`, decoded on first use; null when they are no picture of those formats, or one too large to print. `key`
  // names the bytes (the same key, the same bytes).
  cairo_surface_t* Get(const std::string& key, const std::vector<std::uint8_t>& bytes);
  // A picture already decoded under `key`, or null.
  cairo_surface_t* Find(const std::string& key) const;
  bool KnownBad(const std::string& key) const { return bad_.contains(key); }

 private:
  void Trim();
  std::map<std::string, cairo_surface_t*> surfaces_;
  std::map<std::string, bool> bad_;
  std::uint64_t next_id_ = 0;
};

// Draws `picture` into `box`, its aspect kept, centred.
void DrawPicture(cairo_t* cr, cairo_surface_t* picture, const Box& box);

}  // namespace printing
