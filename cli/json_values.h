// JSON <-> Variant for the command line: arguments come in as JSON values, results go out as
// JSON.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "platform/com/type_info.h"
#include "platform/oleaut/variant.h"

namespace tavprint {

using Json = nlohmann::ordered_json;

// An argument: numbers are Long when integral and within its range, else Double; text is
// String; true/false Boolean; null Null, or Nothing when `param` is an object parameter;
// objects become VDL.Dictionary (keys in the order written) and arrays VDL.List.
oleaut::Variant ArgumentFromJson(const Json& value, const com::ParamInfo* param);
// Parses one command-line argument; raises a ComError saying which argument is not JSON, or is
// nested too deeply.
oleaut::Variant ParseArgument(std::string_view text, std::size_t position,
                              const com::ParamInfo* param);

// `json` as tavprint prints it: indented by two, invalid UTF-8 replaced, a line break after it.
void WriteJson(const Json& json, std::ostream& out);

// Writes results as JSON: scalars as themselves (Decimal and Date as text, Empty, Null and
// Nothing as null), byte arrays as {"bytes": n}, dictionaries as objects, lists as arrays.
// Other objects go to the printers added with AddObjectPrinter (a recordset printer, say), the
// first one that answers wins; an object nobody prints is {"object": "<kind>"}.
class ResultPrinter {
 public:
  // Answers nothing for objects it does not know. `print` prints nested values.
  using ObjectPrinter = std::function<std::optional<Json>(
      const oleaut::ObjectRef& object, const std::function<Json(const oleaut::Variant&)>& print)>;

  ResultPrinter();
  void AddObjectPrinter(ObjectPrinter printer);
  Json Print(const oleaut::Variant& value) const;

 private:
  Json PrintNested(const oleaut::Variant& value, std::vector<const void*>& path) const;

  std::vector<ObjectPrinter> printers_;
};

}  // namespace tavprint
