#include "picture.h"

#include <algorithm>
#include <cstring>

namespace printing {

namespace {

// Pictures kept decoded at once: enough for the items of a day's bills, bounded so that a run of
// many different photos does not grow without end.
constexpr std::size_t kMaxPictures = 64;

struct ByteReader {
  const std::vector<std::uint8_t>* bytes;
  std::size_t offset = 0;
};

cairo_status_t ReadBytes(void* closure, unsigned char* data, unsigned int length) {
  auto* reader = static_cast<ByteReader*>(closure);
  if (reader->offset + length > reader->bytes->size()) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, reader->bytes->data() + reader->offset, length);
  reader->offset += length;
  return CAIRO_STATUS_SUCCESS;
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text) {
  while (!text.empty() && text.back() == '=')
    text.remove_suffix(1);
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() * 3 / 4);
  std::uint32_t buffer = 0;
  int bits = 0;
  for (const char c : text) {
    const int value = Base64Value(c);
    if (value < 0) return std::nullopt;
    buffer = (buffer << 6) | static_cast<std::uint32_t>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<std::uint8_t>(buffer >> bits));
    }
  }
  return bytes;
}

PictureCache::~PictureCache() {
  for (auto& [key, surface] : surfaces_)
    cairo_surface_destroy(surface);
}

cairo_surface_t* PictureCache::Find(const std::string& key) const {
  const auto found = surfaces_.find(key);
  return found == surfaces_.end() ? nullptr : found->second;
}

void PictureCache::Trim() {
  // A PDF page that used a surface holds its own reference, so dropping one here is safe.
  while (surfaces_.size() >= kMaxPictures) {
    cairo_surface_destroy(surfaces_.begin()->second);
    surfaces_.erase(surfaces_.begin());
  }
}

cairo_surface_t* PictureCache::Get(const std::string& key, const std::vector<std::uint8_t>& bytes) {
  if (cairo_surface_t* known = Find(key)) return known;
  if (bad_.contains(key)) return nullptr;
  static constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  cairo_surface_t* surface = nullptr;
  if (bytes.size() > sizeof kPngSignature &&
      std::equal(std::begin(kPngSignature), std::end(kPngSignature), bytes.begin())) {
    ByteReader reader{&bytes};
    surface = cairo_image_surface_create_from_png_stream(ReadBytes, &reader);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(surface);
      surface = nullptr;
    }
  }
  if (surface == nullptr) {
    if (bad_.size() > kMaxPictures) bad_.clear();
    bad_[key] = true;
    return nullptr;
  }
  // One image object in the PDF however often the picture is drawn.
  const std::string id = "tavpicture-" + std::to_string(next_id_++);
  auto* copy = new std::string(id);
  cairo_surface_set_mime_data(
      surface, CAIRO_MIME_TYPE_UNIQUE_ID, reinterpret_cast<const unsigned char*>(copy->data()),
      copy->size(), [](void* data) { delete static_cast<std::string*>(data); }, copy);
  Trim();
  surfaces_[key] = surface;
  return surface;
}

void DrawPicture(cairo_t* cr, cairo_surface_t* picture, const Box& box) {
  const int width = cairo_image_surface_get_width(picture);
  const int height = cairo_image_surface_get_height(picture);
  if (width <= 0 || height <= 0 || box.width <= 0 || box.height <= 0) return;
  const double scale = std::min(box.width / width, box.height / height);
  cairo_save(cr);
  cairo_translate(cr, box.x + (box.width - width * scale) / 2,
                  box.y + (box.height - height * scale) / 2);
  cairo_scale(cr, scale, scale);
  cairo_set_source_surface(cr, picture, 0, 0);
  cairo_paint(cr);
  cairo_restore(cr);
}

}  // namespace printing
