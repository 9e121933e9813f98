// A bill print database for each test: the demo data in a temporary folder, reached through
// data-source names of three languages (CHS, cht, EN), a registry of its own in which the
// component and the outside components of this build are registered, and the three classes
// called late-bound as a print client calls them; with the print client's requests for the head
// and entry rows of selected bills, and rows read back as text.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "com_values.h"
#include "database_test.h"
#include "frame/cls_get_data.h"
#include "frame/cls_print_setup_query.h"
#include "frame/cls_print_setup_update.h"
#include "platform/com/registry.h"
#include "platform/oleaut/variant.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"

namespace billdata_test {

using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;
using ListRef = com::Ptr<vdl::List>;

class BillDataTest : public tavtest::DatabaseTest {
 protected:
  BillDataTest();

  // The data source of this test's database for a user of `language` ("CHS", "cht" or "EN").
  Bstr Dsn(std::string_view language = "CHS") const { return SourceName(std::string(language)); }

  // The package dictionary the package reader makes for bill type `tran_type` (the fourth item
  // of GetBillPackage): what a print client passes as dicStruct.
  com::Ptr<vdl::Dictionary> Package(std::int32_t tran_type) const;

  // GetHeadFillData and GetEntryFillData through Invoke, as a print client calls them.
  struct FillResult {
    std::int32_t result = 0;
    Variant recordset;  // pRetRs after the call
    com::Ptr<ado::Recordset> Rows() const;
  };
  FillResult Head(const com::Ptr<vdl::Dictionary>& condition,
                  const com::Ptr<vdl::Dictionary>& structure, bool sum = false);
  FillResult Entry(const com::Ptr<vdl::Dictionary>& condition,
                   const com::Ptr<vdl::Dictionary>& structure);

  // A registry file of its own for this test, with nothing registered in it.
  void UseEmptyRegistry();
  // The registry the product servers were registered in.
  com::Registry Registry() const { return com::Registry(dir_ / "registry.json"); }

  com::Ptr<frame::clsGetData> data_ = com::Make<frame::clsGetData>();
  com::Ptr<frame::clsPrintSetupQuery> query_ = com::Make<frame::clsPrintSetupQuery>();
  com::Ptr<frame::clsPrintSetupUpdate> update_ = com::Make<frame::clsPrintSetupUpdate>();

 private:
  tavtest::ScopedEnv registry_env_;
  std::unique_ptr<tavtest::ScopedEnv> empty_registry_env_;
};

using tavtest::AsDict;
using tavtest::AsList;
using tavtest::Dict;
using tavtest::List;
oleaut::ByteArray PatternBytes(std::size_t size);
// A control record of a template from its field names and values in turn:
// Control({u"FFieldName", u"FRegion", u"FCtlIndex", 5}).
DictionaryRef Control(std::initializer_list<Variant> names_and_values);

// pCondition: the transaction type and the selected bills in selection order.
com::Ptr<vdl::Dictionary> Condition(const Variant& tran_type, const std::vector<std::int32_t>& ids);

// A recordset's rows from its current one on, the given columns as texts (Null as "NULL").
using TextRow = std::vector<std::string>;
std::vector<TextRow> TextRows(ado::Recordset& recordset,
                              const std::vector<std::u16string>& columns);

}  // namespace billdata_test
