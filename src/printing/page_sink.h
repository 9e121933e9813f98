// Where pages go: one PDF file, or one PNG file per page in a folder. Either appears whole or
// not at all: everything is written beside the target and renamed into place by Finish; a sink
// destroyed before Finish leaves nothing behind.
#pragma once

#include <cairo.h>

#include <filesystem>
#include <memory>

namespace printing {

class PageSink {
 public:
  virtual ~PageSink() = default;
  // A new page of `width` x `height` mm; the context's user unit is the millimetre, its origin
  // the page's top left corner.
  virtual cairo_t* BeginPage(double width, double height) = 0;
  virtual void EndPage() = 0;
  // Completes the output and moves it into place; raises when it cannot be written.
  virtual void Finish() = 0;
  virtual int Pages() const = 0;
};

// The target is checked and the file beside it created at once, so that a path that cannot be
// written fails before any work is done.
std::unique_ptr<PageSink> MakePdfSink(const std::filesystem::path& file);
// `folder` must not exist or be empty; pages are page-0001.png, page-0002.png, ...
std::unique_ptr<PageSink> MakePngSink(const std::filesystem::path& folder, double dpi);

}  // namespace printing
