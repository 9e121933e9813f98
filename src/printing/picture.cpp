#include "picture.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib.h>

#include <algorithm>
#include <memory>

namespace printing {

namespace {

// Pictures kept decoded at once: enough for the items of a day's bills, bounded so that a run of
// many different photos does not grow without end.
constexpr std::size_t kMaxPictures = 64;
// A stored photo larger than this (a 8K by 8K scan) is refused rather than decoded: a printed
// picture at 300 dpi over a whole A4 page has under 9 million pixels.
constexpr std::int64_t kMaxPixels = std::int64_t{64} * 1024 * 1024;

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

bool StartsWith(const std::vector<std::uint8_t>& bytes, std::string_view prefix) {
  return bytes.size() > prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), bytes.begin(),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

// The formats pictures are stored in, told by their first bytes. Other formats that gdk-pixbuf
// could read (SVG through librsvg among them) are not decoded from stored bytes.
const char* FormatOf(const std::vector<std::uint8_t>& bytes) {
  using namespace std::string_view_literals;
  if (StartsWith(bytes, "\x89PNG\r\n\x1a\n"sv)) return "png";
  if (StartsWith(bytes, "\xff\xd8\xff"sv)) return "jpeg";
  if (StartsWith(bytes, "BM"sv)) return "bmp";
  if (StartsWith(bytes, "GIF87a"sv) || StartsWith(bytes, "GIF89a"sv)) return "gif";
  return nullptr;
}

void RefuseHugePictures(GdkPixbufLoader* loader, int width, int height, gpointer too_large) {
  if (static_cast<std::int64_t>(width) * height > kMaxPixels) {
    *static_cast<bool*>(too_large) = true;
    gdk_pixbuf_loader_set_size(loader, 1, 1);
  }
}

struct DecodedPicture {
  GObjectPtr<GdkPixbuf> pixbuf;
  bool turned = false;  // by its EXIF orientation
};

DecodedPicture DecodePixbuf(const char* format, const std::vector<std::uint8_t>& bytes) {
  GError* error = nullptr;
  GObjectPtr<GdkPixbufLoader> loader(gdk_pixbuf_loader_new_with_type(format, &error));
  if (!loader) {
    g_clear_error(&error);
    return {};
  }
  bool too_large = false;
  g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(RefuseHugePictures), &too_large);
  const bool written = gdk_pixbuf_loader_write(loader.get(), bytes.data(), bytes.size(), &error);
  g_clear_error(&error);
  // A loader is always closed, also after a failed write.
  const bool closed = gdk_pixbuf_loader_close(loader.get(), &error);
  g_clear_error(&error);
  GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get());
  if (!written || !closed || too_large || pixbuf == nullptr) return {};
  // A photo's EXIF orientation turns it as the camera was held.
  GObjectPtr<GdkPixbuf> upright(gdk_pixbuf_apply_embedded_orientation(pixbuf));
  const bool turned = upright.get() != pixbuf;
  return {std::move(upright), turned};
}

// Cairo's image surfaces hold premultiplied ARGB in native byte order; gdk-pixbuf's hold RGB or
// RGBA in memory order.
cairo_surface_t* SurfaceOf(GdkPixbuf* pixbuf) {
  const int width = gdk_pixbuf_get_width(pixbuf);
  const int height = gdk_pixbuf_get_height(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
  if (gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 || channels < (alpha ? 4 : 3)) return nullptr;
  cairo_surface_t* surface =
      cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  cairo_surface_flush(surface);
  const guchar* source = gdk_pixbuf_read_pixels(pixbuf);
  const int source_stride = gdk_pixbuf_get_rowstride(pixbuf);
  unsigned char* target = cairo_image_surface_get_data(surface);
  const int target_stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height; ++y) {
    const guchar* in = source + static_cast<std::ptrdiff_t>(y) * source_stride;
    auto* out =
        reinterpret_cast<std::uint32_t*>(target + static_cast<std::ptrdiff_t>(y) * target_stride);
    for (int x = 0; x < width; ++x, in += channels) {
      const std::uint32_t a = alpha ? in[3] : 255;
      const auto premultiply = [a](std::uint32_t c) { return (c * a + 127) / 255; };
      out[x] =
          (a << 24) | (premultiply(in[0]) << 16) | (premultiply(in[1]) << 8) | premultiply(in[2]);
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

void AttachMimeData(cairo_surface_t* surface, const char* mime_type,
                    std::vector<std::uint8_t> bytes) {
  auto* copy = new std::vector<std::uint8_t>(std::move(bytes));
  cairo_surface_set_mime_data(
      surface, mime_type, copy->data(), copy->size(),
      [](void* data) { delete static_cast<std::vector<std::uint8_t>*>(data); }, copy);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text) {
  const std::string padded(text);
  for (const char c : padded) {
    if (!g_ascii_isalnum(c) && c != '+' && c != '/' && c != '=') return std::nullopt;
  }
  gsize length = 0;
  guchar* decoded = g_base64_decode(padded.c_str(), &length);
  std::vector<std::uint8_t> bytes(decoded, decoded + length);
  g_free(decoded);
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
  cairo_surface_t* surface = nullptr;
  if (const char* format = FormatOf(bytes)) {
    if (const DecodedPicture decoded = DecodePixbuf(format, bytes); decoded.pixbuf) {
      surface = SurfaceOf(decoded.pixbuf.get());
      // A PDF takes a JPEG photo as it is stored, not decoded and compressed again.
      if (surface != nullptr && !decoded.turned && std::string_view(format) == "jpeg") {
        AttachMimeData(surface, CAIRO_MIME_TYPE_JPEG, bytes);
      }
    }
  }
  if (surface == nullptr) {
    if (bad_.size() > kMaxPictures) bad_.clear();
    bad_[key] = true;
    return nullptr;
  }
  // One image object in the PDF however often the picture is drawn.
  const std::string id = "tavpicture-" + std::to_string(next_id_++);
  AttachMimeData(surface, CAIRO_MIME_TYPE_UNIQUE_ID,
                 std::vector<std::uint8_t>(id.begin(), id.end()));
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
