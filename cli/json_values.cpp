#include "json_values.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/com/dispatch.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"

namespace tavprint {

namespace {

using oleaut::Variant;

constexpr std::u16string_view kSource = u"tavprint";
// Deeper nesting than any request dictionary has: a guard against arguments that would exhaust
// the stack, and against results that contain themselves.
constexpr std::size_t kMaxDepth = 64;

Variant NumberFromJson(const Json& value) {
  if (value.is_number_integer()) {
    if (value.is_number_unsigned()) {
      const auto number = value.get<std::uint64_t>();
      if (number <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        return static_cast<std::int32_t>(number);
      }
      return static_cast<double>(number);
    }
    const auto number = value.get<std::int64_t>();
    if (number >= std::numeric_limits<std::int32_t>::min() &&
        number <= std::numeric_limits<std::int32_t>::max()) {
      return static_cast<std::int32_t>(number);
    }
    return static_cast<double>(number);
  }
  const double number = value.get<double>();
  if (std::trunc(number) == number && number >= std::numeric_limits<std::int32_t>::min() &&
      number <= std::numeric_limits<std::int32_t>::max()) {
    return static_cast<std::int32_t>(number);
  }
  return number;
}

}  // namespace

Variant ArgumentFromJson(const Json& value, const com::ParamInfo* param) {
  switch (value.type()) {
    case Json::value_t::null:
      if (param != nullptr && param->type == oleaut::VarType::Object) return Variant::Nothing();
      return oleaut::kNull;
    case Json::value_t::boolean:
      return value.get<bool>();
    case Json::value_t::string:
      return oleaut::FromUtf8(value.get<std::string>());
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
      return NumberFromJson(value);
    case Json::value_t::object: {
      auto dictionary = com::Make<vdl::Dictionary>();
      for (const auto& [key, item] : value.items()) {
        dictionary->SetItem(oleaut::FromUtf8(key), ArgumentFromJson(item, nullptr));
      }
      return dictionary;
    }
    case Json::value_t::array: {
      auto list = com::Make<vdl::List>();
      for (const Json& item : value)
        list->Add(ArgumentFromJson(item, nullptr));
      return list;
    }
    case Json::value_t::binary:
    case Json::value_t::discarded:
      break;
  }
  throw oleaut::ComError(oleaut::VbHresult(oleaut::kTypeMismatch), std::u16string(kSource),
                         u"This JSON value has no Automation counterpart");
}

Variant ParseArgument(std::string_view text, std::size_t position, const com::ParamInfo* param) {
  Json value;
  // Checked while parsing, before anything deep is built: the conversion and the objects it
  // makes recurse once per level.
  const auto limit_depth = [&](int depth, Json::parse_event_t, Json&) {
    if (static_cast<std::size_t>(depth) > kMaxDepth) {
      throw oleaut::ComError(
          oleaut::VbHresult(oleaut::kInvalidProcedureCall), std::u16string(kSource),
          oleaut::FromUtf8(
              fmt::format("Argument {} is nested deeper than {} levels", position, kMaxDepth)));
    }
    return true;
  };
  try {
    value = Json::parse(text, limit_depth);
  } catch (const Json::exception& error) {
    const std::string name = param != nullptr ? " (" + oleaut::ToUtf8(param->name) + ")" : "";
    if (text.size() > 1 && text[0] == '-' && text[1] == '-') {
      throw oleaut::ComError(
          oleaut::VbHresult(oleaut::kTypeMismatch), std::u16string(kSource),
          oleaut::FromUtf8(fmt::format(
              "Argument {}{} '{}' is no option of tavprint call (see tavprint call --help) and "
              "no JSON value; a text argument is written in double quotes: '\"{}\"'",
              position, name, text, text)));
    }
    const std::string description = fmt::format(
        "Argument {}{} is not a JSON value: {}; write text in double quotes, e.g. '\"{}\"'",
        position, name, error.what(), text);
    throw oleaut::ComError(oleaut::VbHresult(oleaut::kTypeMismatch), std::u16string(kSource),
                           oleaut::FromUtf8(description));
  }
  return ArgumentFromJson(value, param);
}

ResultPrinter::ResultPrinter() {
  printers_.push_back([](const oleaut::ObjectRef& object,
                         const std::function<Json(const Variant&)>& print) -> std::optional<Json> {
    const auto dictionary = com::As<vdl::Dictionary>(object);
    if (!dictionary) return std::nullopt;
    Json json = Json::object();
    for (std::size_t i = 0; i < static_cast<std::size_t>(dictionary->Count()); ++i) {
      json[oleaut::ToUtf8(dictionary->KeyAt(i))] = print(dictionary->ItemAt(i));
    }
    return json;
  });
  printers_.push_back([](const oleaut::ObjectRef& object,
                         const std::function<Json(const Variant&)>& print) -> std::optional<Json> {
    const auto list = com::As<vdl::List>(object);
    if (!list) return std::nullopt;
    Json json = Json::array();
    for (std::int32_t i = list->LowerBound(); i <= list->UpperBound(); ++i) {
      json.push_back(print(list->Item(i)));
    }
    return json;
  });
}

void ResultPrinter::AddObjectPrinter(ObjectPrinter printer) {
  printers_.push_back(std::move(printer));
}

Json ResultPrinter::Print(const Variant& value) const {
  std::vector<const void*> path;
  return PrintNested(value, path);
}

Json ResultPrinter::PrintNested(const Variant& value, std::vector<const void*>& path) const {
  switch (value.Type()) {
    case oleaut::VarType::Empty:
    case oleaut::VarType::Null:
    case oleaut::VarType::Error:
      return nullptr;
    case oleaut::VarType::Integer:
      return value.AsInteger();
    case oleaut::VarType::Long:
      return value.AsLong();
    case oleaut::VarType::Double:
      return value.AsDouble();
    case oleaut::VarType::Boolean:
      return value.AsBoolean();
    case oleaut::VarType::String:
      return oleaut::ToUtf8(value.AsString());
    case oleaut::VarType::Decimal:
    case oleaut::VarType::Date:
      return oleaut::ToUtf8(oleaut::ToString(value));
    case oleaut::VarType::ByteArray:
      return Json{{"bytes", value.AsByteArray().size()}};
    case oleaut::VarType::Object:
      break;
    case oleaut::VarType::Variant:
      return nullptr;
  }
  const oleaut::ObjectRef& object = value.AsObject();
  if (!object) return nullptr;
  if (std::find(path.begin(), path.end(), object.Get()) != path.end() || path.size() >= kMaxDepth) {
    throw oleaut::ComError(oleaut::VbHresult(oleaut::kInvalidProcedureCall),
                           std::u16string(kSource),
                           u"The result contains itself, or is nested too deeply, to be printed");
  }
  path.push_back(object.Get());
  const std::function<Json(const Variant&)> print = [&](const Variant& item) {
    return PrintNested(item, path);
  };
  for (const ObjectPrinter& printer : printers_) {
    if (std::optional<Json> json = printer(object, print)) {
      path.pop_back();
      return std::move(*json);
    }
  }
  path.pop_back();
  if (const auto dispatch = com::As<com::Dispatch>(object)) {
    return Json{{"object", oleaut::ToUtf8(dispatch->Table().Source())}};
  }
  return Json{{"object", "unknown"}};
}

void WriteJson(const Json& json, std::ostream& out) {
  out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace tavprint
