// The PDF sink: one cairo PDF surface for the whole run, so that every font is embedded once as
// a subset (with its ToUnicode map, so the text can be searched and copied) when it is finished.
#include <cairo-pdf.h>

#include <exception>
#include <string>

#include "page_sink.h"
#include "platform/io/regular_file.h"
#include "print_error.h"

namespace printing {

namespace {

constexpr double kPointsPerMillimetre = 72.0 / 25.4;
constexpr std::size_t kBufferSize = 1 << 18;

class PdfSink : public PageSink {
 public:
  explicit PdfSink(const std::filesystem::path& file) : file_(file), replacement_(file) {
    buffer_.reserve(kBufferSize);
  }
  ~PdfSink() override {
    if (cr_ != nullptr) cairo_destroy(cr_);
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
  }

  cairo_t* BeginPage(double width, double height) override {
    if (surface_ == nullptr) {
      surface_ = cairo_pdf_surface_create_for_stream(Write, this, width * kPointsPerMillimetre,
                                                     height * kPointsPerMillimetre);
      cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "tavprint");
      cr_ = cairo_create(surface_);
    } else {
      cairo_pdf_surface_set_size(surface_, width * kPointsPerMillimetre,
                                 height * kPointsPerMillimetre);
    }
    cairo_save(cr_);
    cairo_scale(cr_, kPointsPerMillimetre, kPointsPerMillimetre);
    return cr_;
  }

  void EndPage() override {
    cairo_restore(cr_);
    cairo_show_page(cr_);
    ++pages_;
    Check();
  }

  void Finish() override {
    if (surface_ == nullptr) Fail(file_.string() + ": there is no page to write");
    cairo_destroy(cr_);
    cr_ = nullptr;
    cairo_surface_finish(surface_);
    Check();
    Flush();
    replacement_.Commit();
  }

  int Pages() const override { return pages_; }

 private:
  static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length) {
    auto* sink = static_cast<PdfSink*>(closure);
    try {
      sink->buffer_.append(reinterpret_cast<const char*>(data), length);
      if (sink->buffer_.size() >= kBufferSize) sink->Flush();
      return CAIRO_STATUS_SUCCESS;
    } catch (...) {
      sink->error_ = std::current_exception();
      return CAIRO_STATUS_WRITE_ERROR;
    }
  }

  void Flush() {
    replacement_.Write(buffer_);
    buffer_.clear();
  }

  void Check() {
    if (error_) std::rethrow_exception(error_);
    const cairo_status_t status = cairo_surface_status(surface_);
    if (status != CAIRO_STATUS_SUCCESS) {
      Fail(file_.string() + ": the PDF could not be made (" + cairo_status_to_string(status) + ")");
    }
  }

  std::filesystem::path file_;
  io::FileReplacement replacement_;
  std::string buffer_;
  std::exception_ptr error_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  int pages_ = 0;
};

}  // namespace

std::unique_ptr<PageSink> MakePdfSink(const std::filesystem::path& file) {
  return std::make_unique<PdfSink>(file);
}

}  // namespace printing
