#include "platform/outside/bills_package/read_package.h"

#include <map>
#include <string>

#include "platform/ado/recordset.h"
#include "platform/com/bind.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/outside/data_access.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"

namespace outside {

namespace {

using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

constexpr std::u16string_view kSource = u"TAVMBillsPackage.clsReadPackage";

// The lookup columns a control record carries, by what they are called in the record.
constexpr std::u16string_view kLookupColumns[] = {u"FGetTable", u"FInterID", u"FNumber", u"FName",
                                                  u"FBillNo"};

Bstr TextOf(const Variant& value) {
  return value.IsNull() || value.IsEmpty() ? Bstr() : oleaut::ToString(value);
}

// Every field of the current row, whole numbers widened to Long.
DictionaryRef RowDictionary(const ado::Recordset& rows) {
  auto row = com::Make<vdl::Dictionary>();
  const auto fields = rows.Fields();
  for (std::int32_t i = 0; i < fields->Count(); ++i) {
    const auto field = fields->Item(i);
    row->SetItem(field->Name(), WidenedValue(field->Value()));
  }
  return row;
}

bool HasRows(const ado::Recordset& rows) {
  return rows.State() == ado::adStateOpen && !rows.Eof();
}

// ICLookUpClass by FLookUpCls: the lookup columns of each class.
std::map<std::int32_t, DictionaryRef> LookupClasses(const com::Ptr<ado::Connection>& connection) {
  std::map<std::int32_t, DictionaryRef> classes;
  const auto rows = Query(connection, u"SELECT * FROM ICLookUpClass");
  for (; HasRows(*rows); rows->MoveNext()) {
    auto columns = com::Make<vdl::Dictionary>();
    for (const std::u16string_view column : kLookupColumns) {
      columns->SetItem(column, TextOf(rows->Fields()->Item(column)->Value()));
    }
    classes.emplace(oleaut::ToLong(rows->Fields()->Item(u"FLookUpCls")->Value()), columns);
  }
  return classes;
}

// The control records of one template table, in `order`, put on their pages and under
// "<prefix><FFieldName>". Returns how many there were.
struct ControlPages {
  std::u16string_view table;
  std::u16string_view order;   // FCtlIndex or FCtlOrder
  std::int32_t first_printed;  // the smallest `order` value of the printed page
  std::u16string_view printed_page;
  std::u16string_view kept_page;
  std::u16string_view key_prefix;
};

constexpr ControlPages kHeadPages{u"ICTemplate", u"FCtlIndex", 0, u"Page0", u"PageH", u"P0_"};
constexpr ControlPages kEntryPages{u"ICTemplateEntry", u"FCtlOrder", 1, u"Page1", u"PageE", u"P1_"};

std::int32_t PackControls(const com::Ptr<ado::Connection>& connection, const Bstr& template_id,
                          const std::map<std::int32_t, DictionaryRef>& lookup_classes,
                          const ControlPages& pages, vdl::Dictionary& package) {
  auto printed = com::Make<vdl::List>();
  auto kept = com::Make<vdl::List>();
  package.SetItem(pages.printed_page, printed);
  package.SetItem(pages.kept_page, kept);
  std::int32_t count = 0;
  const auto rows = Query(connection,
                          u"SELECT * FROM " + Bstr(pages.table) + u" WHERE FID=? ORDER BY " +
                              Bstr(pages.order) + u",FFieldName",
                          {template_id});
  for (; HasRows(*rows); rows->MoveNext(), ++count) {
    DictionaryRef control = RowDictionary(*rows);
    const auto found = lookup_classes.find(oleaut::ToLong(control->Item(u"FLookUpCls")));
    for (const std::u16string_view column : kLookupColumns) {
      control->SetItem(
          column, found == lookup_classes.end() ? Variant(Bstr()) : found->second->Item(column));
    }
    const bool on_printed_page = oleaut::ToLong(control->Item(pages.order)) >= pages.first_printed;
    (on_printed_page ? printed : kept)->Add(control);
    package.Add(Bstr(pages.key_prefix) + TextOf(control->Item(u"FFieldName")), control);
  }
  return count;
}

DictionaryRef SystemProperties(const com::Ptr<ado::Connection>& connection) {
  auto properties = com::Make<vdl::Dictionary>();
  const auto rows = Query(
      connection, u"SELECT FKey,FValue FROM t_SystemProfile WHERE FCategory='IC' ORDER BY FKey");
  for (; HasRows(*rows); rows->MoveNext()) {
    properties->SetItem(TextOf(rows->Fields()->Item(0)->Value()), rows->Fields()->Item(1)->Value());
  }
  if (!properties->Exists(u"UseShortNumber")) properties->SetItem(u"UseShortNumber", Bstr(u"0"));
  return properties;
}

}  // namespace

const com::DispatchTable& clsReadPackage::Table() {
  static constexpr com::Binding kBindings[] = {
      com::Bind<&clsReadPackage::GetBillTemplatePackage>(u"GetBillTemplatePackage")};
  static_assert(com::BindingsMatch(kReadPackageInterface, kBindings));
  static const com::DispatchTable table(kSource, kReadPackageInterface, kBindings);
  return table;
}

clsReadPackage::clsReadPackage() : Dispatch(Table()) {}

std::int32_t clsReadPackage::GetBillTemplatePackage(Variant& dicPackage, Variant& lBillTransType,
                                                    Variant& sDsn) {
  const std::int32_t bill_type = oleaut::ToLong(lBillTransType);
  const auto connection = BindThreadContext(oleaut::ToString(sDsn));

  const auto bill_rows =
      Query(connection, u"SELECT * FROM ICTransactionType WHERE FID=?", {bill_type});
  if (!HasRows(*bill_rows)) {
    oleaut::RaiseVbError(oleaut::kInvalidProcedureCall,
                         u"the bill type " + oleaut::ToString(bill_type) +
                             u" has no row in ICTransactionType, so it has no template package",
                         kSource);
  }
  const DictionaryRef bill_info = RowDictionary(*bill_rows);
  const Bstr template_id = TextOf(bill_info->Item(u"FTemplateID"));

  auto package = com::Make<vdl::Dictionary>();
  package->SetItem(u"BillInfo", bill_info);
  package->SetItem(u"SysProp", SystemProperties(connection));
  const auto lookup_classes = LookupClasses(connection);
  const std::int32_t controls =
      PackControls(connection, template_id, lookup_classes, kHeadPages, *package) +
      PackControls(connection, template_id, lookup_classes, kEntryPages, *package);
  dicPackage = Variant(package);
  return controls;
}

}  // namespace outside
