// The PNG sink: each page drawn on an image surface at the given resolution and encoded with
// libpng into a folder beside the target, which is renamed into place at the end.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "page_sink.h"
#include "platform/io/regular_file.h"
#include "png_encoder.h"
#include "print_error.h"

namespace printing {

namespace {

class PngSink : public PageSink {
 public:
  PngSink(const std::filesystem::path& folder, double dpi) : folder_(folder), dpi_(dpi) {
    std::error_code error;
    if (std::filesystem::exists(folder_, error)) {
      if (!std::filesystem::is_directory(folder_, error) ||
          !std::filesystem::is_empty(folder_, error)) {
        Fail(folder_.string() +
             ": exists and is not an empty folder; PNG pages go to a new or "
             "empty folder");
      }
    }
    std::string pattern = std::filesystem::absolute(folder_).lexically_normal().string();
    while (pattern.size() > 1 && pattern.back() == '/')
      pattern.pop_back();
    pattern += ".tmp-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
      Fail(folder_.string() + ": cannot create a folder beside it (" + std::strerror(errno) + ")");
    }
    temp_ = pattern;
  }
  ~PngSink() override {
    if (cr_ != nullptr) cairo_destroy(cr_);
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
    std::error_code ignored;
    if (!temp_.empty()) std::filesystem::remove_all(temp_, ignored);
  }

  cairo_t* BeginPage(double width, double height) override {
    const int pixels_wide = static_cast<int>(std::lround(width / 25.4 * dpi_));
    const int pixels_high = static_cast<int>(std::lround(height / 25.4 * dpi_));
    if (surface_ == nullptr || cairo_image_surface_get_width(surface_) != pixels_wide ||
        cairo_image_surface_get_height(surface_) != pixels_high) {
      if (cr_ != nullptr) cairo_destroy(cr_);
      if (surface_ != nullptr) cairo_surface_destroy(surface_);
      surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, pixels_wide, pixels_high);
      cr_ = cairo_create(surface_);
    }
    cairo_save(cr_);
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
    cairo_set_source_rgb(cr_, 0, 0, 0);
    cairo_scale(cr_, dpi_ / 25.4, dpi_ / 25.4);
    return cr_;
  }

  void EndPage() override {
    cairo_restore(cr_);
    png_.clear();
    if (!EncodePng(surface_, png_)) Fail(folder_.string() + ": a page could not be encoded as PNG");
    char name[32];
    std::snprintf(name, sizeof name, "page-%04d.png", ++pages_);
    const std::filesystem::path file = temp_ / name;
    io::WriteAll(io::OpenForUpdate(file), png_, file);
  }

  void Finish() override {
    if (pages_ == 0) Fail(folder_.string() + ": there is no page to write");
    std::error_code error;
    if (std::filesystem::is_directory(folder_, error)) std::filesystem::remove(folder_, error);
    if (::rename(temp_.c_str(), folder_.c_str()) != 0) {
      Fail(folder_.string() + ": the pages could not be moved into place (" + std::strerror(errno) +
           ")");
    }
    temp_.clear();
  }

  int Pages() const override { return pages_; }

 private:
  std::filesystem::path folder_;
  std::filesystem::path temp_;
  double dpi_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  std::string png_;
  int pages_ = 0;
};

}  // namespace

std::unique_ptr<PageSink> MakePngSink(const std::filesystem::path& folder, double dpi) {
  if (!(dpi >= 10 && dpi <= 1200)) Fail("a PNG resolution of 10 to 1200 dpi, please");
  return std::make_unique<PngSink>(folder, dpi);
}

}  // namespace printing
