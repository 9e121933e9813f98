#include "platform/ado/jet/text_codec.h"

#include <fmt/format.h>
#include <iconv.h>

#include <cerrno>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"

namespace ado::jet {

std::u16string DecodeJet4Text(std::span<const std::uint8_t> bytes) {
  std::u16string text;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    text.reserve(bytes.size());
    bool compressed = true;
    std::size_t i = 2;
    while (i < bytes.size()) {
      if (bytes[i] == 0) {
        compressed = !compressed;
        ++i;
      } else if (compressed) {
        text += static_cast<char16_t>(bytes[i++]);
      } else if (i + 1 < bytes.size()) {
        text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        i += 2;
      } else {
        break;
      }
    }
    return text;
  }
  text.resize(bytes.size() / 2);
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return text;
}

std::vector<std::uint8_t> EncodeJet4Text(std::u16string_view text, bool compress) {
  std::vector<std::uint8_t> bytes;
  bool one_byte_each = compress && text.size() > 2;
  for (const char16_t c : text) {
    if (c == 0 || c > 0xFF) {
      one_byte_each = false;
      break;
    }
  }
  if (one_byte_each) {
    bytes.reserve(text.size() + 2);
    bytes.push_back(0xFF);
    bytes.push_back(0xFE);
    for (const char16_t c : text)
      bytes.push_back(static_cast<std::uint8_t>(c));
    return bytes;
  }
  bytes.reserve(text.size() * 2);
  for (const char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

namespace {

class Iconv {
 public:
  Iconv(const std::string& to, const std::string& from)
      : handle_(iconv_open(to.c_str(), from.c_str())) {
    if (handle_ == reinterpret_cast<iconv_t>(-1)) {
      throw oleaut::ComError(oleaut::E_FAIL, u"Jet text",
                             oleaut::FromUtf8(fmt::format("This system cannot convert text of {} "
                                                          "(iconv knows no such code page)",
                                                          from == "UTF-16LE" ? to : from)));
    }
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  ~Iconv() { iconv_close(handle_); }

  // Converts all of `in`; returns false at the first byte that cannot be converted, after
  // appending what came before it.
  bool Convert(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out,
               std::size_t* stopped_at) const {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    char* in_ptr = reinterpret_cast<char*>(const_cast<std::uint8_t*>(in.data()));
    std::size_t in_left = in.size();
    while (in_left > 0) {
      char buffer[1024];
      char* out_ptr = buffer;
      std::size_t out_left = sizeof buffer;
      const std::size_t rc = iconv(handle_, &in_ptr, &in_left, &out_ptr, &out_left);
      out.insert(out.end(), buffer, out_ptr);
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
        *stopped_at = in.size() - in_left;
        return false;
      }
    }
    return true;
  }

 private:
  iconv_t handle_;
};

std::string CodePageName(std::uint16_t code_page) {
  return fmt::format("CP{}", code_page == 0 ? 1252 : code_page);
}

}  // namespace

struct CodePageText::Converters {
  explicit Converters(const std::string& name)
      : to_utf16("UTF-16LE", name), from_utf16(name, "UTF-16LE") {}
  Iconv to_utf16;
  Iconv from_utf16;
};

CodePageText::CodePageText(std::uint16_t code_page)
    : code_page_(code_page == 0 ? 1252 : code_page),
      converters_(std::make_unique<Converters>(CodePageName(code_page))) {}

CodePageText::~CodePageText() = default;

std::u16string CodePageText::Decode(std::span<const std::uint8_t> bytes) const {
  std::vector<std::uint8_t> utf16;
  utf16.reserve(bytes.size() * 2);
  std::size_t stopped_at = 0;
  while (!converters_->to_utf16.Convert(bytes, utf16, &stopped_at)) {
    utf16.push_back(0xFD);
    utf16.push_back(0xFF);
    bytes = bytes.subspan(stopped_at + 1);
  }
  std::u16string text(utf16.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(utf16[2 * i] | (utf16[2 * i + 1] << 8));
  return text;
}

std::optional<std::vector<std::uint8_t>> CodePageText::Encode(std::u16string_view text) const {
  std::vector<std::uint8_t> utf16;
  utf16.reserve(text.size() * 2);
  for (const char16_t c : text) {
    utf16.push_back(static_cast<std::uint8_t>(c & 0xFF));
    utf16.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  std::vector<std::uint8_t> bytes;
  std::size_t stopped_at = 0;
  if (!converters_->from_utf16.Convert(utf16, bytes, &stopped_at)) return std::nullopt;
  return bytes;
}

}  // namespace ado::jet
