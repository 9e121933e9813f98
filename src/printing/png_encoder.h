// PNG encoding of a page drawn on a cairo image surface, with libpng at a low compression level:
// cairo's own PNG writer compresses hard and costs many times the drawing of the page.
#pragma once

#include <cairo.h>

#include <string>

namespace printing {

// The PNG file of an RGB24 image surface; false when libpng fails.
bool EncodePng(cairo_surface_t* surface, std::string& out);

}  // namespace printing
