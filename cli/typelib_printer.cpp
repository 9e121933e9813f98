#include "typelib_printer.h"

#include <fmt/format.h>

#include <array>
#include <string>
#include <vector>

#include "platform/oleaut/text.h"

namespace tavprint {

namespace {

using oleaut::ToUtf8;

using Row = std::array<std::string, 6>;

std::string Parameter(const com::ParamInfo& param) {
  std::string text = param.by_ref ? "ByRef " : "";
  text += ToUtf8(param.name) + " As " + ToUtf8(param.TypeName());
  if (param.optional) {
    const std::u16string default_text = param.default_value.Describe();
    text = "[" + text + (default_text.empty() ? "" : " = " + ToUtf8(default_text)) + "]";
  }
  return text;
}

// Code points, so that the columns line up for any text the tables hold.
std::size_t Width(const std::string& text) {
  std::size_t width = 0;
  for (const char c : text)
    width += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return width;
}

void PrintTable(const std::vector<Row>& rows, std::ostream& out) {
  std::array<std::size_t, 6> widths{};
  for (const Row& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c)
      widths[c] = std::max(widths[c], Width(row[c]));
  }
  for (const Row& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line += std::string(widths[c] - Width(row[c]) + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ')
      line.pop_back();
    out << "  " << line << '\n';
  }
}

}  // namespace

std::string ParameterList(const com::MemberInfo& member) {
  std::string list;
  for (const com::ParamInfo& param : member.params) {
    if (!list.empty()) list += ", ";
    list += Parameter(param);
  }
  return list;
}

void PrintTypeLibrary(const com::LibraryInfo& library, std::ostream& out) {
  out << fmt::format("library {} {}.{} {} lcid 0x{:X} \"{}\"\n", ToUtf8(library.name),
                     library.major, library.minor, library.libid.ToString(), library.lcid,
                     ToUtf8(library.help_string));
  for (const com::ClassInfo& info : library.classes) {
    const com::InterfaceInfo& iface = *info.default_interface;
    out << fmt::format("\nclass {} {}, interface {} {}\n", ToUtf8(info.name), info.clsid.ToString(),
                       ToUtf8(iface.name), iface.iid.ToString());
    std::vector<Row> rows{{"#", "DISPID", "Member", "Kind", "Parameters", "Result"}};
    for (std::size_t i = 0; i < iface.members.size(); ++i) {
      const com::MemberInfo& member = iface.members[i];
      rows.push_back(
          {std::to_string(i + 1),
           fmt::format("0x{:08X}", static_cast<std::uint32_t>(com::InterfaceInfo::DispIdAt(i))),
           ToUtf8(member.name),
           member.kind == com::MemberKind::PropertyGet ? "property get" : "method",
           ParameterList(member), member.HasResult() ? ToUtf8(member.ResultTypeName()) : "(none)"});
    }
    PrintTable(rows, out);
  }
}

Json TypeLibraryJson(const com::LibraryInfo& library) {
  Json classes = Json::array();
  for (const com::ClassInfo& info : library.classes) {
    const com::InterfaceInfo& iface = *info.default_interface;
    Json members = Json::array();
    for (std::size_t i = 0; i < iface.members.size(); ++i) {
      const com::MemberInfo& member = iface.members[i];
      Json params = Json::array();
      for (const com::ParamInfo& param : member.params) {
        Json json = {{"name", ToUtf8(param.name)},
                     {"type", ToUtf8(param.TypeName())},
                     {"by_ref", param.by_ref},
                     {"optional", param.optional}};
        if (param.optional) json["default"] = ToUtf8(param.default_value.Describe());
        params.push_back(std::move(json));
      }
      members.push_back(
          {{"name", ToUtf8(member.name)},
           {"dispid", com::InterfaceInfo::DispIdAt(i)},
           {"kind", member.kind == com::MemberKind::PropertyGet ? "property_get" : "method"},
           {"params", std::move(params)},
           {"result", member.HasResult() ? Json(ToUtf8(member.ResultTypeName())) : Json(nullptr)}});
    }
    classes.push_back({{"name", ToUtf8(info.name)},
                       {"clsid", info.clsid.ToString()},
                       {"interface", ToUtf8(iface.name)},
                       {"iid", iface.iid.ToString()},
                       {"members", std::move(members)}});
  }
  return {{"name", ToUtf8(library.name)},
          {"version", std::to_string(library.major) + "." + std::to_string(library.minor)},
          {"libid", library.libid.ToString()},
          {"lcid", library.lcid},
          {"help_string", ToUtf8(library.help_string)},
          {"classes", std::move(classes)}};
}

}  // namespace tavprint
