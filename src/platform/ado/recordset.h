// ADO's Recordset with a client-side static cursor: every row is read when the recordset opens,
// so RecordCount is always known, moving is free in both directions, and detaching from the
// connection (ActiveConnection = Nothing) costs nothing: a detached recordset stays readable
// after its connection and everything else is gone.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ado/connection.h"
#include "platform/ado/field.h"
#include "platform/ado/provider.h"
#include "platform/ado/record_cursor.h"
#include "platform/ado/types.h"
#include "platform/com/object.h"
#include "platform/oleaut/variant.h"

namespace ado {

class Recordset : public com::Unknown {
 public:
  ~Recordset() override;
  // Runs `source` (a statement, or a table name with adCmdTable) on `active_connection` (a
  // Connection, a connection string, or left out to use ActiveConnection). A cursor or lock type
  // other than -1 replaces the property first. A statement without rows leaves the recordset
  // closed, as ADO does. 3705 when already open, 3709 without an open connection.
  void Open(const oleaut::Variant& source,
            const oleaut::Variant& active_connection = oleaut::kMissing,
            std::int32_t cursor_type = adOpenUnspecified,
            std::int32_t lock_type = adLockUnspecified, std::int32_t options = adCmdUnspecified);
  // 3704 when not open.
  void Close();
  ObjectStateEnum State() const noexcept { return cursor_ ? adStateOpen : adStateClosed; }

  // Set before Open (3705 while open). After Open, CursorType says what the cursor really is:
  // static for a client cursor, as ADO reports it.
  CursorLocationEnum CursorLocation() const noexcept { return cursor_location_; }
  void SetCursorLocation(std::int32_t location);
  CursorTypeEnum CursorType() const noexcept { return cursor_type_; }
  void SetCursorType(std::int32_t cursor_type);
  LockTypeEnum LockType() const noexcept { return lock_type_; }
  void SetLockType(std::int32_t lock_type);

  com::Ptr<Connection> ActiveConnection() const noexcept { return connection_; }
  // Nothing detaches; the rows stay. A text opens a new connection with that connection string.
  void SetActiveConnection(com::Ptr<Connection> connection) noexcept;
  void SetActiveConnection(std::nullptr_t) noexcept { connection_.Reset(); }
  void SetActiveConnection(const oleaut::Variant& connection);

  // True before the first row, and for a recordset without rows. 3704 when closed.
  bool Bof() const;
  // True after the last row, and for a recordset without rows. 3704 when closed.
  bool Eof() const;
  // Moving past either end raises 3021; so do MoveFirst and MoveLast without rows.
  void MoveFirst();
  void MoveLast();
  void MoveNext();
  void MovePrevious();
  std::int32_t RecordCount() const;
  com::Ptr<ado::Fields> Fields() const;

  // For Connection.Execute and Command.Execute: opens the recordset on rows already fetched.
  void OpenRows(RowSet rows, com::Ptr<Connection> connection, CursorLocationEnum location);

 private:
  RecordCursor& OpenCursor(std::u16string_view operation) const;

  com::Ptr<Connection> connection_;
  com::Ptr<RecordCursor> cursor_;
  com::Ptr<ado::Fields> fields_;
  CursorLocationEnum cursor_location_ = adUseServer;
  CursorTypeEnum cursor_type_ = adOpenForwardOnly;
  LockTypeEnum lock_type_ = adLockReadOnly;
};

}  // namespace ado
