// The bytes a value of a fixed-size type takes on SQL Server, which DATALENGTH tells whatever
// the value: a bigint 1 is eight bytes, a decimal(2,1) five.
#include "platform/tsql/sql_type.h"

namespace tsql {

std::optional<int> StorageBytes(const SqlType& type) {
  const std::string& name = type.name;
  if (name == "tinyint" || name == "bit") return 1;
  if (name == "smallint") return 2;
  if (name == "int" || name == "smallmoney" || name == "real" || name == "smalldatetime") return 4;
  if (name == "bigint" || name == "money" || name == "float" || name == "datetime") return 8;
  if (name == "date") return 3;
  if (name == "uniqueidentifier") return 16;
  if (name == "decimal" || name == "numeric") {
    return type.precision <= 9 ? 5 : type.precision <= 19 ? 9 : type.precision <= 28 ? 13 : 17;
  }
  if (type.HasFractionScale()) {
    const int time = type.scale <= 2 ? 3 : type.scale <= 4 ? 4 : 5;
    return name == "time" ? time : name == "datetime2" ? time + 3 : time + 5;
  }
  return std::nullopt;
}

}  // namespace tsql
