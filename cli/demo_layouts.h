// The layout documents `tavprint demo` saves as the administrator's templates and selects
// (cli/demo_layouts/*.layout, built into tavprint).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tavprint {

struct DemoLayout {
  std::int32_t bill_type;
  std::string_view name;  // the template's name
  std::string_view body;  // the layout document
};

std::span<const DemoLayout> DemoLayouts();

}  // namespace tavprint
