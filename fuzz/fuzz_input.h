// Fuzzer bytes as a batch: UTF-8 with invalid sequences replaced, as batches arrive as text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/oleaut/text.h"

inline std::u16string FuzzText(const std::uint8_t* data, std::size_t size) {
  return oleaut::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
}
