#include "template_choice.h"

#include "layout_document.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"
#include "print_error.h"

namespace printing {

using oleaut::Variant;

std::string BytesOf(const Variant& value) {
  if (value.Type() == oleaut::VarType::ByteArray) {
    const auto& bytes = value.AsByteArray();
    return std::string(bytes.begin(), bytes.end());
  }
  if (value.IsString()) return oleaut::ToUtf8(value.AsString());
  return {};
}

TemplateChoice ChooseTemplate(com::Dispatch& query, const Variant& sdsn, std::int32_t bill_type,
                              const std::string& sub_type) {
  TemplateChoice choice;
  const std::string type_text = "bill type " + std::to_string(bill_type);
  const Variant found =
      query.Call(u"GetNotePrintData", sdsn, bill_type, oleaut::FromUtf8(sub_type));
  const auto selected = found.IsObject() && found.AsObject() ? found.AsObjectOf<vdl::Dictionary>()
                                                             : com::Ptr<vdl::Dictionary>();
  if (!selected || selected->Count() == 0) {
    choice.note = "no template is selected for " + type_text +
                  (sub_type.empty() ? "" : " (sub-type " + sub_type + ")") +
                  "; laid out from its bill template";
    choice.name = "the bill template of " + type_text;
    return choice;
  }
  // The key is "bill type|template id".
  const std::string key = oleaut::ToUtf8(std::u16string(selected->KeyAt(0)));
  const std::string id = key.substr(key.find('|') + 1);
  choice.name = "template " + id + " of " + type_text;
  const auto parts = selected->ItemAt(0).AsObjectOf<vdl::List>();
  const std::string body = BytesOf(parts->Item(2));
  if (!IsLayoutDocument(body)) {
    choice.note = "the selected " + choice.name +
                  " is not a layout document (another designer's); laid out from its bill template";
    choice.name = "the bill template of " + type_text;
    return choice;
  }
  try {
    choice.layout = ParseLayoutDocument(body);
  } catch (const std::exception& error) {
    Fail(choice.name + ": " + MessageOf(error));
  }
  choice.note = "layout document " + choice.name +
                (choice.layout->name.empty() ? "" : " (\"" + choice.layout->name + "\")");
  return choice;
}

std::optional<PrintSettings> ReadPrintSettings(com::Dispatch& query, const Variant& sdsn,
                                               std::int32_t bill_type) {
  const Variant found = query.Call(u"GetPageAndPrintSet", sdsn, bill_type);
  if (!found.IsObject() || !found.AsObject()) return std::nullopt;
  const auto dictionary = found.AsObjectOf<vdl::Dictionary>();
  if (!dictionary->Exists(u"Set")) return std::nullopt;
  const std::string value = BytesOf(dictionary->Item(u"Set"));
  if (!IsPrintSettings(value)) return std::nullopt;
  try {
    return ParsePrintSettings(value);
  } catch (const std::exception& error) {
    Fail("the print settings of bill type " + std::to_string(bill_type) + ": " + MessageOf(error));
  }
}

}  // namespace printing
