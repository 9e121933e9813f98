// The small helpers the bill data members share: tokens of relation actions and the column a
// ".A3" relation selects, membership in a list of values, the first field of a statement's first
// row, and the local report database of the industry edition (its connection and where it
// lives).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "billdata/template_pieces.h"
#include "platform/ado/connection.h"
#include "platform/com/object.h"
#include "platform/oleaut/text.h"
#include "platform/oleaut/variant.h"
#include "platform/vdl/dictionary.h"

namespace billdata {

// The index-th field (from 1) of `text` split at `delimiter`: the token after the last
// delimiter counts, an index beyond the last token or below 1 gives "", two adjacent delimiters
// give an empty token. With a delimiter of several characters only its first character is
// removed together with a token, so the rest of it begins the next token: the actions stored in
// templates are written for that splitting.
oleaut::Bstr GetToken(std::u16string_view text, std::int16_t index, std::u16string_view delimiter);

// Whether some element equals `value` by the ordinary Variant comparison (numbers by value,
// text by exact characters). Errors of the comparison reach the caller.
bool IsInArray(const oleaut::Variant& value, std::initializer_list<oleaut::Variant> values);

// The first field of the first row of `statement` run on `connection`, as text: "" without a row,
// a bit field as "1" (true) or "0" (false and Null), anything else through ValueOrDefault with ""
// as default. Every error, a Nothing connection included, gives "" silently.
oleaut::Bstr GetFirstFieldText(const com::Ptr<ado::Connection>& connection,
                               std::u16string_view statement) noexcept;

// A client-side connection to the Jet database at `path`, or Nothing when it cannot be opened;
// the error's description then goes to the application event log and the caller goes on.
com::Ptr<ado::Connection> OpenJetConnection(std::u16string_view path) noexcept;

// The system directory with a trailing backslash, as GetSystemDirectory gives it; "" when the
// system directory is unknown.
oleaut::Bstr GetSystemDir();

// The select-list item of a ".A3" relation, whose action tokens (`tokens[2]` to `tokens[8]`)
// name the joined table t<ord>: a sub-select of token 8 (else the control's FName) from table
// token 6 where t<ord>.<token 5> equals token 7, or, without token 6, the column t<ord>.<token 5>.
// The tokens it splices are checked: 5 a column, 6 and 8 names, 7 a name or a value.
oleaut::Bstr RelatedColumnItem(const oleaut::Bstr (&tokens)[9], const oleaut::Bstr& ord,
                               const oleaut::Bstr& field, const ControlPieces& control);

// Appends "\" unless the path already ends with one (an empty path becomes "\").
void AddBackslash(oleaut::Bstr& path);

}  // namespace billdata
