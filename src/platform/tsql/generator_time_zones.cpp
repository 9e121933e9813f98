// value AT TIME ZONE zone: the runtime gives the value the zone's offset (a date-time without
// one) or moves it there (a datetimeoffset). Zones whose offset never changes are followed, and
// those with the daylight-saving rules the runtime knows; one with other rules, named by a
// literal, is refused as the statement is translated.
#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"
#include "platform/tsql/time_zones.h"

namespace tsql::generation {

void Generator::GenAtTimeZone(const Expr& expr) {
  const Expr& value = *expr.args[0];
  const Expr& zone = *expr.args[1];
  const SqlType value_type = TypeOf(value);
  const SqlType zone_type = TypeOf(zone);
  const bool date_time =
      value_type.cls == SqlType::Class::kDate && !value_type.IsTime() && value_type.name != "date";
  if (value_type.IsKnown() && value_type.cls != SqlType::Class::kNull && !date_time) {
    RaiseStatementError(value.pos, u"Argument data type " + oleaut::FromUtf8(value_type.name) +
                                       u" is invalid for argument 1 of AT TIME ZONE function.");
  }
  if (zone_type.IsKnown() && zone_type.cls != SqlType::Class::kNull && !zone_type.IsText()) {
    RaiseStatementError(zone.pos, u"Argument data type " + oleaut::FromUtf8(zone_type.name) +
                                      u" is invalid for argument 2 of AT TIME ZONE function.");
  }
  if (zone.kind == ExprKind::kString) {
    Pin(zone);  // a zone with rules is refused by its name
    if (LookUpTimeZone(zone.text).kind == TimeZoneLookup::Kind::kWithRules) {
      RaiseUnsupported(batch_, zone.pos,
                       u"AT TIME ZONE '" + zone.text + u"' (a zone with daylight saving time)");
    }
  }
  out_ += "tsql_at_time_zone(";
  Gen(value);
  out_ += ", ";
  Gen(zone);
  out_ += ", " + std::to_string(TypeOf(expr).scale);
  out_ += value_type.name == "datetimeoffset" ? ", 1)" : ", 0)";
}

}  // namespace tsql::generation
