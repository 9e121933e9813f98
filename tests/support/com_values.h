// The values a client hands the component and gets back, built and read in one line each:
// dictionaries, lists, byte arrays, the first value of a recordset; and Variants printed readably
// when an expectation fails.
#pragma once

#include <initializer_list>
#include <ostream>
#include <string_view>
#include <utility>

#include "platform/oleaut/variant.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"

namespace tavtest {

com::Ptr<vdl::Dictionary> AsDict(const oleaut::Variant& value);
com::Ptr<vdl::List> AsList(const oleaut::Variant& value);
// A dictionary of the key and value pairs, in their order.
com::Ptr<vdl::Dictionary> Dict(
    std::initializer_list<std::pair<std::u16string_view, oleaut::Variant>> items);
com::Ptr<vdl::List> List(std::initializer_list<oleaut::Variant> items);
oleaut::ByteArray Bytes(std::string_view text);
// The first field of the current row of the recordset in `recordset`.
oleaut::Variant FirstValue(const oleaut::Variant& recordset);

}  // namespace tavtest

namespace oleaut {
void PrintTo(const Variant& value, std::ostream* out);
}  // namespace oleaut
