// ADO's Stream, in memory: the component collects binary data in it piece by piece (a picture
// read in chunks) and reads it back whole. Writes append in amortised constant time, so
// collecting n bytes in small pieces costs O(n), never a copy per piece.
#pragma once

#include <cstdint>
#include <span>

#include "platform/ado/types.h"
#include "platform/com/object.h"
#include "platform/oleaut/variant.h"

namespace ado {

class Stream : public com::Unknown {
 public:
  ~Stream() override;
  // adTypeBinary or adTypeText; changes only at position 0 (3219 elsewhere), as in ADO. Only
  // binary streams read and write here: text streams raise 3219 on Read and Write.
  StreamTypeEnum Type() const noexcept { return type_; }
  void SetType(std::int32_t type);

  // Opens an empty stream in memory; 3705 when already open.
  void Open();
  // Drops the data; 3704 when not open.
  void Close();
  ObjectStateEnum State() const noexcept { return open_ ? adStateOpen : adStateClosed; }

  // Writes at Position, overwriting what is there and growing the stream past its end.
  void Write(std::span<const std::uint8_t> bytes);
  // As Write; the buffer must be a byte array (3001 for anything else).
  void Write(const oleaut::Variant& buffer);
  void Write(const oleaut::ByteArray& bytes) { Write(std::span<const std::uint8_t>(bytes)); }
  // Up to `count` bytes from Position on (adReadAll: the rest); Null when none are left.
  oleaut::Variant Read(std::int32_t count = adReadAll);

  std::int64_t Position() const;
  // A position past the end grows the stream with zero bytes, as ADO does.
  void SetPosition(std::int64_t position);
  std::int64_t Size() const;
  bool Eos() const;
  // Cuts the stream at Position.
  void SetEOS();

 private:
  void RequireOpen(std::u16string_view operation) const;
  void RequireBinary(std::u16string_view operation) const;

  StreamTypeEnum type_ = adTypeText;
  bool open_ = false;
  oleaut::ByteArray data_;
  std::size_t position_ = 0;
};

}  // namespace ado
