// ADO 2.5's enumerations, with their fixed values.
#pragma once

#include <cstdint>

namespace ado {

// NOLINTBEGIN(readability-identifier-naming): ADO's own names
enum DataTypeEnum : std::int32_t {
  adEmpty = 0,
  adSmallInt = 2,
  adInteger = 3,
  adSingle = 4,
  adDouble = 5,
  adCurrency = 6,
  adDate = 7,
  adBSTR = 8,
  adBoolean = 11,
  adVariant = 12,
  adDecimal = 14,
  adTinyInt = 16,
  adUnsignedTinyInt = 17,
  adBigInt = 20,
  adGUID = 72,
  adBinary = 128,
  adChar = 129,
  adWChar = 130,
  adNumeric = 131,
  adDBDate = 133,
  adDBTime = 134,
  adDBTimeStamp = 135,
  adVarChar = 200,
  adLongVarChar = 201,
  adVarWChar = 202,
  adLongVarWChar = 203,
  adVarBinary = 204,
  adLongVarBinary = 205,
};

enum CursorLocationEnum : std::int32_t { adUseServer = 2, adUseClient = 3 };
enum CursorTypeEnum : std::int32_t {
  adOpenUnspecified = -1,
  adOpenForwardOnly = 0,
  adOpenKeyset = 1,
  adOpenDynamic = 2,
  adOpenStatic = 3,
};
enum LockTypeEnum : std::int32_t {
  adLockUnspecified = -1,
  adLockReadOnly = 1,
  adLockPessimistic = 2,
  adLockOptimistic = 3,
  adLockBatchOptimistic = 4,
};
enum CommandTypeEnum : std::int32_t {
  adCmdUnspecified = -1,
  adCmdText = 1,
  adCmdTable = 2,
  adCmdStoredProc = 4,
  adCmdUnknown = 8,
};
enum ExecuteOptionEnum : std::int32_t { adOptionUnspecified = -1, adExecuteNoRecords = 0x80 };
enum ObjectStateEnum : std::int32_t { adStateClosed = 0, adStateOpen = 1 };
enum ParameterDirectionEnum : std::int32_t {
  adParamUnknown = 0,
  adParamInput = 1,
  adParamOutput = 2,
  adParamInputOutput = 3,
  adParamReturnValue = 4,
};
enum StreamTypeEnum : std::int32_t { adTypeBinary = 1, adTypeText = 2 };
// NOLINTEND(readability-identifier-naming)

// ADO's own error numbers (HRESULT 0x800A0000 | number).
enum AdoError : std::int32_t {
  kAdoBofOrEof = 3021,        // Either BOF or EOF is True, or the current record has been deleted
  kAdoItemNotFound = 3265,    // Item cannot be found in the collection
  kAdoObjectClosed = 3704,    // Operation is not allowed when the object is closed
  kAdoWrongArguments = 3001,  // Arguments are of the wrong type, out of range, or in conflict
  kAdoObjectOpen = 3705,      // Operation is not allowed when the object is open
  kAdoInvalidConnection = 3709,    // The connection cannot be used to perform this operation
  kAdoNotAllowedInContext = 3219,  // Operation is not allowed in this context
  kAdoCloseInTransaction = 3246,   // Connection object cannot be explicitly closed in a transaction
  kAdoFeatureNotAvailable = 3251,  // Object or provider is not capable of performing the operation
  kAdoDataConversion = 3421,       // Application uses a value of the wrong type
  kAdoParameterImproperlyDefined = 3708,  // Parameter object is improperly defined
};

// Text and binary data types, whose parameters declare a size.
constexpr bool IsTextType(DataTypeEnum type) noexcept {
  return type == adBSTR || type == adChar || type == adWChar || type == adVarChar ||
         type == adLongVarChar || type == adVarWChar || type == adLongVarWChar;
}
constexpr bool IsBinaryType(DataTypeEnum type) noexcept {
  return type == adBinary || type == adVarBinary || type == adLongVarBinary;
}

// Stream.Read's count for "everything from the current position on".
inline constexpr std::int32_t adReadAll = -1;  // NOLINT(readability-identifier-naming)

}  // namespace ado
