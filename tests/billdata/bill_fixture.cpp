#include "bill_fixture.h"

#include "platform/ado/recordset.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"

namespace billdata_test {

DictionaryRef Dict(std::initializer_list<Item> items) {
  auto dictionary = com::Make<vdl::Dictionary>();
  for (const auto& [key, value] : items)
    dictionary->SetItem(key, value);
  return dictionary;
}

ListRef List(std::initializer_list<Variant> items) {
  auto list = com::Make<vdl::List>();
  for (const Variant& item : items)
    list->Add(item);
  return list;
}

DictionaryRef Condition(const Variant& tran_type, const std::vector<std::int32_t>& ids) {
  auto filter = com::Make<vdl::List>();
  for (const std::int32_t id : ids)
    filter->Add(Variant(Dict({{u"FInterID", Variant(id)}})));
  return Dict({{u"TranType", tran_type}, {u"Filter", Variant(filter)}});
}

std::vector<std::u16string> FieldNames(ado::Recordset& recordset) {
  std::vector<std::u16string> names;
  const auto fields = recordset.Fields();
  for (std::int32_t i = 0; i < fields->Count(); ++i)
    names.push_back(fields->Item(i)->Name());
  return names;
}

std::vector<TextRow> TextRows(ado::Recordset& recordset,
                              const std::vector<std::u16string>& columns) {
  std::vector<TextRow> rows;
  for (; !recordset.Eof(); recordset.MoveNext()) {
    TextRow row;
    for (const auto& column : columns) {
      const Variant& value = recordset.Fields()->Item(std::u16string_view(column))->Value();
      row.push_back(value.IsNull() ? "NULL" : oleaut::ToUtf8(oleaut::ToString(value)));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

com::Ptr<ado::Recordset> FillResult::Rows() const {
  return recordset.IsObject() ? recordset.AsObjectOf<ado::Recordset>() : nullptr;
}

BillDataTest::BillDataTest() {
  const auto path = dir_ / "bills.db";
  tavglobal::CreateDatabase(path, /*with_demo_data=*/true);
  dsn_ = tavglobal::SqliteConnectionString(path);
  raw_ = com::Make<ado::Connection>();
  raw_->Open(dsn_);
}

FillResult BillDataTest::Head(const DictionaryRef& condition, const DictionaryRef& structure,
                              bool sum) {
  Variant args[] = {Variant(dsn_), Variant(condition), Variant(structure), Variant::Nothing(),
                    Variant(sum)};
  FillResult fill;
  fill.result = data_->Invoke(u"GetHeadFillData", args).AsLong();
  fill.recordset = args[3];
  return fill;
}

FillResult BillDataTest::Entry(const DictionaryRef& condition, const DictionaryRef& structure) {
  Variant args[] = {Variant(dsn_), Variant(condition), Variant(structure), Variant::Nothing()};
  FillResult fill;
  fill.result = data_->Invoke(u"GetEntryFillData", args).AsLong();
  fill.recordset = args[3];
  return fill;
}

namespace {

// Every column of the current row, bit columns as Boolean, keyed by column name.
DictionaryRef RowDictionary(ado::Recordset& recordset) {
  auto dictionary = com::Make<vdl::Dictionary>();
  const auto fields = recordset.Fields();
  for (std::int32_t i = 0; i < fields->Count(); ++i)
    dictionary->SetItem(fields->Item(i)->Name(), fields->Item(i)->Value());
  return dictionary;
}

}  // namespace

DictionaryRef BillDataTest::Package(std::int32_t tran_type) const {
  const Bstr type = oleaut::FromUtf8(std::to_string(tran_type));
  auto bill_type = raw_->Execute(u"SELECT * FROM ICTransactionType WHERE FID=" + type);
  const DictionaryRef bill_info = RowDictionary(*bill_type);
  const Bstr template_id = oleaut::ToString(bill_info->Item(u"FTemplateID"));
  auto structure = Dict({{u"BillInfo", Variant(bill_info)},
                         {u"SysProp", Variant(Dict({{u"UseShortNumber", Variant(u"0")}}))}});

  struct PageSpec {
    const char16_t* table;
    const char16_t* order;
    const char16_t* shown;
    const char16_t* hidden;
    const char16_t* prefix;
  };
  for (const PageSpec& page :
       {PageSpec{u"ICTemplate", u"FCtlIndex", u"Page0", u"PageH", u"P0_"},
        PageSpec{u"ICTemplateEntry", u"FCtlOrder", u"Page1", u"PageE", u"P1_"}}) {
    auto shown = com::Make<vdl::List>();
    auto hidden = com::Make<vdl::List>();
    const bool head = std::u16string_view(page.table) == u"ICTemplate";
    auto controls = raw_->Execute(
        u"SELECT t.*, isnull(c.FGetTable,'') AS FGetTable, isnull(c.FInterID,'') AS FInterID,"
        u" isnull(c.FNumber,'') AS FNumber, isnull(c.FName,'') AS FName,"
        u" isnull(c.FBillNo,'') AS FBillNo FROM " +
        Bstr(page.table) +
        u" t LEFT JOIN ICLookUpClass c ON c.FLookUpCls=t.FLookUpCls WHERE t.FID='" + template_id +
        u"' ORDER BY t." + page.order);
    for (; !controls->Eof(); controls->MoveNext()) {
      const DictionaryRef control = RowDictionary(*controls);
      const std::int32_t position = oleaut::ToLong(control->Item(page.order));
      (head ? position >= 0 : position > 0) ? shown->Add(Variant(control))
                                            : hidden->Add(Variant(control));
      structure->SetItem(Bstr(page.prefix) + oleaut::ToString(control->Item(u"FFieldName")),
                         Variant(control));
    }
    structure->SetItem(page.shown, Variant(shown));
    structure->SetItem(page.hidden, Variant(hidden));
  }
  return structure;
}

}  // namespace billdata_test
