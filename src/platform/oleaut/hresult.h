// The HRESULT values the platform and the component return or raise, in one table: write the
// name, never the number. The names are the platform's own (winerror.h, oledberr.h), so that
// "REGDB_E_CLASSNOTREG" or "DB_E_NOTABLE" means what a COM programmer expects.
#pragma once

#include <cstdint>

namespace oleaut {
inline namespace hresults {

using HRESULT = std::int32_t;  // NOLINT(readability-identifier-naming): the platform's name

constexpr HRESULT MakeHresult(std::uint32_t value) noexcept {
  return static_cast<HRESULT>(value);
}
constexpr bool Succeeded(HRESULT hr) noexcept {
  return hr >= 0;
}
constexpr bool Failed(HRESULT hr) noexcept {
  return hr < 0;
}
// HRESULT_FROM_WIN32 for a Win32 error code.
constexpr HRESULT HresultFromWin32(std::uint32_t code) noexcept {
  return MakeHresult(0x80070000U | (code & 0xFFFFU));
}

// NOLINTBEGIN(readability-identifier-naming)
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeHresult(0x80004001U);
inline constexpr HRESULT E_NOINTERFACE = MakeHresult(0x80004002U);
inline constexpr HRESULT E_POINTER = MakeHresult(0x80004003U);
inline constexpr HRESULT E_FAIL = MakeHresult(0x80004005U);
inline constexpr HRESULT E_UNEXPECTED = MakeHresult(0x8000FFFFU);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHresult(0x8007000EU);

// A component's own errors count up from here (VB's vbObjectError).
inline constexpr HRESULT vbObjectError = MakeHresult(0x80040000U);

// Dispatch.
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeHresult(0x80020003U);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = MakeHresult(0x80020006U);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHresult(0x8002000EU);

// Activation, registration and the registry stand-in.
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHresult(0x80040111U);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHresult(0x80040154U);
inline constexpr HRESULT SELFREG_E_CLASS = MakeHresult(0x80040201U);
inline constexpr HRESULT CO_E_CLASSSTRING = MakeHresult(0x800401F3U);
inline constexpr HRESULT CO_E_DLLNOTFOUND = MakeHresult(0x800401F8U);
inline constexpr HRESULT CO_E_ERRORINDLL = MakeHresult(0x800401F9U);
inline constexpr HRESULT REGDB_E_KEYMISSING = MakeHresult(0x80040152U);
inline constexpr HRESULT REGDB_E_READREGDB = MakeHresult(0x80040150U);
inline constexpr HRESULT REGDB_E_WRITEREGDB = MakeHresult(0x80040151U);
inline constexpr HRESULT HRESULT_ERROR_BADDB = MakeHresult(0x800703F1U);  // registry corrupt

// OLE DB providers (oledberr.h) and distributed transactions (XACT).
inline constexpr HRESULT DB_E_CANTCONVERTVALUE = MakeHresult(0x80040E07U);
inline constexpr HRESULT DB_E_NOCOMMAND = MakeHresult(0x80040E0CU);
inline constexpr HRESULT DB_E_PARAMNOTOPTIONAL = MakeHresult(0x80040E10U);
inline constexpr HRESULT DB_E_ERRORSINCOMMAND = MakeHresult(0x80040E14U);
inline constexpr HRESULT DB_E_INTEGRITYVIOLATION = MakeHresult(0x80040E2FU);
inline constexpr HRESULT DB_E_ABORTLIMITREACHED = MakeHresult(0x80040E31U);  // a timeout
inline constexpr HRESULT DB_E_NOTABLE = MakeHresult(0x80040E37U);
inline constexpr HRESULT DB_SEC_E_AUTH_FAILED = MakeHresult(0x80040E4DU);
inline constexpr HRESULT DB_E_DATAOVERFLOW = MakeHresult(0x80040E57U);
inline constexpr HRESULT XACT_E_NOTRANSACTION = MakeHresult(0x8004D00EU);
inline constexpr HRESULT XACT_E_XTIONEXISTS = MakeHresult(0x8004D013U);
// NOLINTEND(readability-identifier-naming)

}  // namespace hresults
}  // namespace oleaut
