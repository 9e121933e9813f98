// HASHBYTES(algorithm, value): the digest of a value's bytes as SQL Server holds them, an
// nvarchar in UTF-16LE and a varchar in the database's code page (936), so that the same text
// gives a different digest as nvarchar and as varchar.
#include <iconv.h>
#include <openssl/evp.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

std::vector<unsigned char> NationalBytes(std::u16string_view text) {
  std::vector<unsigned char> bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<unsigned char>(c & 0xFF));
    bytes.push_back(static_cast<unsigned char>(c >> 8));
  }
  return bytes;
}

// A varchar's bytes: ASCII as it is, any other character in code page 936, '?' where it has
// none.
std::vector<unsigned char> CodePageBytes(std::u16string_view text) {
  std::vector<unsigned char> bytes;
  bytes.reserve(text.size());
  iconv_t codec = iconv_open("GBK", "UTF-16LE");
  const auto close = [](iconv_t* c) {
    if (*c != reinterpret_cast<iconv_t>(-1)) iconv_close(*c);
  };
  std::unique_ptr<iconv_t, decltype(close)> owner(&codec, close);
  for (char16_t c : text) {
    if (c < 0x80 || codec == reinterpret_cast<iconv_t>(-1)) {
      bytes.push_back(c < 0x80 ? static_cast<unsigned char>(c) : '?');
      continue;
    }
    char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    char out[4];
    char* in_at = in;
    char* out_at = out;
    std::size_t in_left = sizeof in;
    std::size_t out_left = sizeof out;
    if (iconv(codec, &in_at, &in_left, &out_at, &out_left) == static_cast<std::size_t>(-1)) {
      iconv(codec, nullptr, nullptr, nullptr, nullptr);
      bytes.push_back('?');
      continue;
    }
    bytes.insert(bytes.end(), out, out_at);
  }
  return bytes;
}

const EVP_MD* Digest(std::u16string algorithm) {
  for (char16_t& c : algorithm)
    c = UpperUnit(c);
  if (algorithm == u"MD5") return EVP_md5();
  if (algorithm == u"SHA" || algorithm == u"SHA1") return EVP_sha1();
  if (algorithm == u"SHA2_256") return EVP_sha256();
  if (algorithm == u"SHA2_512") return EVP_sha512();
  return nullptr;
}

// tsql_hashbytes(algorithm, value, national): national is 1 when the value is an nvarchar.
void HashBytes(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
    return sqlite3_result_null(context);
  }
  const std::u16string algorithm = Text16(argv[0]);
  const EVP_MD* digest = Digest(algorithm);
  if (digest == nullptr) {
    std::u16string upper = algorithm;
    for (char16_t& c : upper)
      c = UpperUnit(c);
    if (upper == u"MD2" || upper == u"MD4") {
      return ResultError(context, "HASHBYTES with the algorithm MD2 or MD4 is not supported.");
    }
    return sqlite3_result_null(context);  // SQL Server's answer for a name it does not know
  }
  std::vector<unsigned char> bytes;
  if (sqlite3_value_type(argv[1]) == SQLITE_BLOB) {
    const auto* data = static_cast<const unsigned char*>(sqlite3_value_blob(argv[1]));
    bytes.assign(data, data + sqlite3_value_bytes(argv[1]));
  } else {
    const std::u16string text = ValueText(argv[1]);
    bytes = sqlite3_value_int(argv[2]) != 0 ? NationalBytes(text) : CodePageBytes(text);
  }
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), out, &size, digest, nullptr) != 1) {
    return ResultError(context, "HASHBYTES could not compute the digest.");
  }
  sqlite3_result_blob(context, out, static_cast<int>(size), kTransient);
}

}  // namespace

int InstallHashFunctions(sqlite3* db) {
  static constexpr PureFunction kFunctions[] = {{"tsql_hashbytes", 3, HashBytes}};
  return RegisterPureFunctions(db, kFunctions);
}

}  // namespace tsql::detail
