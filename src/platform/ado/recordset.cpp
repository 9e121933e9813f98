#include "platform/ado/recordset.h"

#include <string>
#include <utility>

#include "platform/ado/errors.h"
#include "platform/ado/execute_options.h"

namespace ado {

Recordset::~Recordset() = default;
namespace {

constexpr std::u16string_view kSource = u"ADODB.Recordset";

// A cursor setting, which only a closed recordset (not `open`) takes: `value` when it is
// `valid`, otherwise an error saying what `property` takes (`allowed`).
std::int32_t CursorSetting(bool open, std::u16string_view property, std::int32_t value, bool valid,
                           std::u16string_view allowed) {
  if (open)
    RaiseAdoError(kAdoObjectOpen, kSource, std::u16string(property) + u" is set before Open.");
  if (!valid) {
    RaiseAdoError(kAdoWrongArguments, kSource,
                  std::u16string(property) + u" must be " + std::u16string(allowed) + u", not " +
                      NumberText(value) + u'.');
  }
  return value;
}

}  // namespace

void Recordset::Open(const oleaut::Variant& source, const oleaut::Variant& active_connection,
                     std::int32_t cursor_type, std::int32_t lock_type, std::int32_t options) {
  if (cursor_) RaiseAdoError(kAdoObjectOpen, kSource, u"Open was called on an open recordset.");
  if (!source.IsString()) {
    RaiseAdoError(kAdoWrongArguments, kSource,
                  u"Open needs a statement or table name as its source, not a " +
                      std::u16string(oleaut::VarTypeName(source.Type())) + u'.');
  }
  const ExecuteOptions decoded = DecodeExecuteOptions(options, adCmdUnknown, kSource);
  if (cursor_type != adOpenUnspecified) SetCursorType(cursor_type);
  if (lock_type != adLockUnspecified) SetLockType(lock_type);
  if (!active_connection.IsMissing()) SetActiveConnection(active_connection);
  if (!connection_ || connection_->State() != adStateOpen) {
    RaiseAdoError(kAdoInvalidConnection, kSource,
                  connection_ ? u"Its active connection is closed."
                              : u"Open needs an active connection; none was given.");
  }
  const std::u16string statement = StatementFor(source.AsString(), decoded.command_type, kSource);
  ExecuteResult result = connection_->Run(statement, {}, kSource);
  if (result.rows && !decoded.no_records) {
    OpenRows(std::move(*result.rows), connection_, cursor_location_);
  }
}

void Recordset::OpenRows(RowSet rows, com::Ptr<Connection> connection,
                         CursorLocationEnum location) {
  cursor_location_ = location;
  // A client cursor is always static; a server cursor that was asked to be more than forward
  // only is static too, which is what every row being fetched makes it.
  if (location == adUseClient || cursor_type_ != adOpenForwardOnly) cursor_type_ = adOpenStatic;
  connection_ = std::move(connection);
  cursor_ = com::Make<RecordCursor>(std::move(rows));
  fields_ = com::Make<ado::Fields>(cursor_);
}

void Recordset::Close() {
  if (!cursor_) RaiseAdoError(kAdoObjectClosed, kSource, u"Close was called on it.");
  cursor_->Close();
  cursor_.Reset();
  fields_.Reset();
}

void Recordset::SetCursorLocation(std::int32_t location) {
  cursor_location_ = static_cast<CursorLocationEnum>(CursorSetting(
      static_cast<bool>(cursor_), u"CursorLocation", location,
      location == adUseServer || location == adUseClient, u"adUseServer (2) or adUseClient (3)"));
}

void Recordset::SetCursorType(std::int32_t cursor_type) {
  cursor_type_ = static_cast<CursorTypeEnum>(
      CursorSetting(static_cast<bool>(cursor_), u"CursorType", cursor_type,
                    cursor_type >= adOpenForwardOnly && cursor_type <= adOpenStatic, u"0 to 3"));
}

void Recordset::SetLockType(std::int32_t lock_type) {
  lock_type_ = static_cast<LockTypeEnum>(
      CursorSetting(static_cast<bool>(cursor_), u"LockType", lock_type,
                    lock_type >= adLockReadOnly && lock_type <= adLockBatchOptimistic, u"1 to 4"));
}

void Recordset::SetActiveConnection(com::Ptr<Connection> connection) noexcept {
  connection_ = std::move(connection);
}

void Recordset::SetActiveConnection(const oleaut::Variant& connection) {
  if (connection.IsString()) {
    if (cursor_) {
      RaiseAdoError(kAdoObjectOpen, kSource,
                    u"An open recordset can be given a Connection object, not a connection "
                    u"string.");
    }
    auto opened = com::Make<Connection>();
    opened->SetCursorLocation(cursor_location_);
    opened->Open(connection.AsString());
    connection_ = std::move(opened);
  } else if (connection.IsObject()) {
    connection_ = connection.AsObjectOf<Connection>();
  } else if (connection.IsEmpty() || connection.IsNull() || connection.IsMissing()) {
    connection_.Reset();
  } else {
    RaiseAdoError(kAdoWrongArguments, kSource,
                  u"ActiveConnection takes a Connection, a connection string or Nothing, not a " +
                      std::u16string(oleaut::VarTypeName(connection.Type())) + u'.');
  }
}

RecordCursor& Recordset::OpenCursor(std::u16string_view operation) const {
  if (!cursor_) {
    RaiseAdoError(kAdoObjectClosed, kSource,
                  std::u16string(operation) + u" needs an open recordset.");
  }
  return *cursor_;
}

bool Recordset::Bof() const {
  return OpenCursor(u"BOF").Bof();
}
bool Recordset::Eof() const {
  return OpenCursor(u"EOF").Eof();
}

std::int32_t Recordset::RecordCount() const {
  return static_cast<std::int32_t>(OpenCursor(u"RecordCount").RowCount());
}

com::Ptr<ado::Fields> Recordset::Fields() const {
  OpenCursor(u"Fields");
  return fields_;
}

void Recordset::MoveFirst() {
  RecordCursor& cursor = OpenCursor(u"MoveFirst");
  if (cursor.RowCount() == 0) {
    RaiseAdoError(kAdoBofOrEof, kSource, u"MoveFirst was called on a recordset without rows.");
  }
  cursor.MoveTo(0);
}

void Recordset::MoveLast() {
  RecordCursor& cursor = OpenCursor(u"MoveLast");
  if (cursor.RowCount() == 0) {
    RaiseAdoError(kAdoBofOrEof, kSource, u"MoveLast was called on a recordset without rows.");
  }
  cursor.MoveTo(cursor.RowCount() - 1);
}

void Recordset::MoveNext() {
  RecordCursor& cursor = OpenCursor(u"MoveNext");
  if (cursor.Eof()) RaiseAdoError(kAdoBofOrEof, kSource, u"MoveNext was called at EOF.");
  cursor.MoveTo(cursor.Position() + 1);
}

void Recordset::MovePrevious() {
  RecordCursor& cursor = OpenCursor(u"MovePrevious");
  if (cursor.Bof()) RaiseAdoError(kAdoBofOrEof, kSource, u"MovePrevious was called at BOF.");
  cursor.MoveTo(cursor.Position() - 1);
}

}  // namespace ado
