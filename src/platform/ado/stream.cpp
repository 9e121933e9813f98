#include "platform/ado/stream.h"

#include <algorithm>
#include <string>

#include "platform/ado/errors.h"
#include "platform/oleaut/default_value.h"

namespace ado {

Stream::~Stream() = default;
namespace {

constexpr std::u16string_view kSource = u"ADODB.Stream";

}  // namespace

void Stream::SetType(std::int32_t type) {
  if (type != adTypeBinary && type != adTypeText) {
    RaiseAdoError(
        kAdoWrongArguments, kSource,
        u"Type must be adTypeBinary (1) or adTypeText (2), not " + NumberText(type) + u'.');
  }
  if (open_ && position_ != 0) {
    RaiseAdoError(kAdoNotAllowedInContext, kSource,
                  u"Type can change only at position 0; the stream is at " +
                      NumberText(static_cast<std::int64_t>(position_)) + u'.');
  }
  type_ = static_cast<StreamTypeEnum>(type);
}

void Stream::Open() {
  if (open_) RaiseAdoError(kAdoObjectOpen, kSource, u"Open was called on an open stream.");
  open_ = true;
  data_.clear();
  position_ = 0;
}

void Stream::Close() {
  RequireOpen(u"Close");
  open_ = false;
  oleaut::ByteArray().swap(data_);
  position_ = 0;
}

void Stream::RequireOpen(std::u16string_view operation) const {
  if (!open_) {
    RaiseAdoError(kAdoObjectClosed, kSource, std::u16string(operation) + u" needs an open stream.");
  }
}

void Stream::RequireBinary(std::u16string_view operation) const {
  RequireOpen(operation);
  if (type_ != adTypeBinary) {
    RaiseAdoError(kAdoNotAllowedInContext, kSource,
                  std::u16string(operation) + u" needs a binary stream (Type adTypeBinary).");
  }
}

void Stream::Write(std::span<const std::uint8_t> bytes) {
  RequireBinary(u"Write");
  const std::size_t overlap = std::min(bytes.size(), data_.size() - position_);
  std::copy_n(bytes.begin(), overlap, data_.begin() + static_cast<std::ptrdiff_t>(position_));
  data_.insert(data_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(overlap), bytes.end());
  position_ += bytes.size();
}

void Stream::Write(const oleaut::Variant& value) {
  // A Field given as the buffer stands for its value.
  const oleaut::Variant looked_through =
      value.IsObject() ? oleaut::ValueOf(value) : oleaut::Variant();
  const oleaut::Variant& buffer = value.IsObject() ? looked_through : value;
  if (buffer.Type() != oleaut::VarType::ByteArray) {
    RequireBinary(u"Write");
    RaiseAdoError(kAdoWrongArguments, kSource,
                  u"Write takes a byte array, not a " +
                      std::u16string(oleaut::VarTypeName(buffer.Type())) + u'.');
  }
  Write(std::span<const std::uint8_t>(buffer.AsByteArray()));
}

oleaut::Variant Stream::Read(std::int32_t count) {
  RequireBinary(u"Read");
  if (count < adReadAll) {
    RaiseAdoError(kAdoWrongArguments, kSource,
                  u"Read takes a byte count or adReadAll (-1), not " + NumberText(count) + u'.');
  }
  if (position_ >= data_.size()) return oleaut::kNull;
  const std::size_t rest = data_.size() - position_;
  const std::size_t take = count == adReadAll ? rest : std::min<std::size_t>(rest, count);
  const auto first = data_.begin() + static_cast<std::ptrdiff_t>(position_);
  oleaut::ByteArray bytes(first, first + static_cast<std::ptrdiff_t>(take));
  position_ += take;
  return bytes;
}

std::int64_t Stream::Position() const {
  RequireOpen(u"Position");
  return static_cast<std::int64_t>(position_);
}

void Stream::SetPosition(std::int64_t position) {
  RequireOpen(u"Position");
  if (position < 0) {
    RaiseAdoError(kAdoWrongArguments, kSource,
                  u"Position cannot be negative (" + NumberText(position) + u").");
  }
  position_ = static_cast<std::size_t>(position);
  if (position_ > data_.size()) data_.resize(position_);
}

std::int64_t Stream::Size() const {
  RequireOpen(u"Size");
  return static_cast<std::int64_t>(data_.size());
}

bool Stream::Eos() const {
  RequireOpen(u"EOS");
  return position_ >= data_.size();
}

void Stream::SetEOS() {
  RequireOpen(u"SetEOS");
  data_.resize(position_);
}

}  // namespace ado
