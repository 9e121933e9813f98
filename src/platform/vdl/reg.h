// vdl::Reg: the foundation library's registry reader (VDL.Reg), over the registry stand-in.
//
// Created by ProgID "VDL.Reg" (a class of the platform library, so it needs no registration)
// and called late-bound or directly.
#pragma once

#include "platform/com/dispatch.h"
#include "platform/com/guid.h"

namespace vdl {

class Reg : public com::Dispatch {
 public:
  ~Reg() override;
  static constexpr com::Guid kClsid = com::Guid::Parse("{15746FEB-3CE8-4CC3-8C19-7A40447A4867}");

  Reg();

  // The text of value `sValueName` ("" for the default value) under `sKey`, a full key path
  // that starts with its root ("HKEY_LOCAL_MACHINE\SOFTWARE\MERIDAN\TAVPRODUCT"); the empty text
  // when the key or the value is not there. `vOption` is accepted for callers that pass one
  // (they pass "1"); values are text in this registry, so it changes nothing. A key path without
  // a known root, or an unreadable registry file, raises.
  oleaut::Bstr GetKeyValue(const oleaut::Bstr& sKey, const oleaut::Bstr& sValueName,
                           const oleaut::Variant& vOption);

 private:
  static const com::DispatchTable& Table();
};

}  // namespace vdl
