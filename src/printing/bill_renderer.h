// Draws bills by a layout: each bill is first laid out into pages (so that its pages can say
// "page N of M"), then drawn page by page into a sink. The bands are stacked, so a head or
// footer never overlaps the table; a line row is never split across pages; the column heads
// repeat on every page, with carried-forward and brought-forward rows of the summed columns
// at the breaks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bill_content.h"
#include "layout.h"
#include "page_sink.h"
#include "picture.h"
#include "text_engine.h"

namespace printing {

// The lines of one page of a bill: [first, end) of its lines.
struct PagePlan {
  std::size_t first = 0;
  std::size_t end = 0;
  bool last = false;  // totals and the bill footer follow the lines
};

class BillRenderer {
 public:
  // `layout` must have been validated; `fields` are its FieldsOf.
  BillRenderer(const Layout& layout, const LayoutFields& fields, PictureProvider& pictures,
               WarningSink warn);
  ~BillRenderer();
  BillRenderer(const BillRenderer&) = delete;
  BillRenderer& operator=(const BillRenderer&) = delete;

  // The pages of `bill` and the height of each of its lines.
  std::vector<PagePlan> Plan(const BillContent& bill, std::vector<double>& line_heights);
  // Draws `copies` copies of the bill; returns the pages drawn. `name` names the bill in
  // errors and warnings ("bill 1001").
  int Render(const BillContent& bill, PageSink& sink, int copies, const std::string& name);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace printing
