// What the bill data tests share: request dictionaries written compactly, a database with the
// demo data in a temporary directory, the print client's calls of the head and entry members
// through Invoke, and rows read back as text.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "frame/cls_get_data.h"
#include "platform/ado/connection.h"
#include "platform/oleaut/variant.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"
#include "temp_dir.h"

namespace billdata_test {

using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;
using ListRef = com::Ptr<vdl::List>;
using Item = std::pair<std::u16string_view, Variant>;

DictionaryRef Dict(std::initializer_list<Item> items);
ListRef List(std::initializer_list<Variant> items);

// pCondition: the transaction type and the selected bills in selection order.
DictionaryRef Condition(const Variant& tran_type, const std::vector<std::int32_t>& ids);

// A row of a recordset as texts (Null as "NULL"), and a whole recordset from its current row on.
using TextRow = std::vector<std::string>;
std::vector<TextRow> TextRows(ado::Recordset& recordset,
                              const std::vector<std::u16string>& columns);
std::vector<std::u16string> FieldNames(ado::Recordset& recordset);

struct FillResult {
  std::int32_t result = 0;
  Variant recordset;  // pRetRs after the call
  com::Ptr<ado::Recordset> Rows() const;
};

class BillDataTest : public testing::Test {
 protected:
  BillDataTest();

  // The request dictionaries a print client builds for bill type `tran_type` from the bill
  // type's row and its template (the controls with their lookup classes).
  DictionaryRef Package(std::int32_t tran_type) const;

  FillResult Head(const DictionaryRef& condition, const DictionaryRef& structure, bool sum = false);
  FillResult Entry(const DictionaryRef& condition, const DictionaryRef& structure);

  void Exec(std::u16string_view sql) const { raw_->Execute(sql); }

  tavtest::TempDir dir_;
  Bstr dsn_;
  com::Ptr<frame::clsGetData> data_ = com::Make<frame::clsGetData>();
  com::Ptr<ado::Connection> raw_;
};

}  // namespace billdata_test
