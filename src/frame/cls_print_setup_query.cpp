#include "frame/cls_print_setup_query.h"

#include "billdata/pictures.h"
#include "platform/com/bind.h"
#include "templates/copy.h"
#include "templates/lists.h"
#include "templates/lookup.h"
#include "typelib/interfaces.h"

namespace frame {

using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

const com::DispatchTable& clsPrintSetupQuery::Table() {
  static constexpr com::Binding kBindings[] = {
      com::Bind<&clsPrintSetupQuery::GetCurrNote>(u"GetCurrNote"),
      com::Bind<&clsPrintSetupQuery::CopyManagerNoteInfo>(u"CopyManagerNoteInfo"),
      com::Bind<&clsPrintSetupQuery::GetNoteInfo>(u"GetNoteInfo"),
      com::Bind<&clsPrintSetupQuery::GetNotePrintData>(u"GetNotePrintData"),
      com::Bind<&clsPrintSetupQuery::GetPageAndPrintSet>(u"GetPageAndPrintSet"),
      com::Bind<&clsPrintSetupQuery::GetPictureData>(u"GetPictureData"),
      com::Bind<&clsPrintSetupQuery::CopyRptManagerNoteInfo>(u"CopyRptManagerNoteInfo"),
      com::Bind<&clsPrintSetupQuery::GetRptNoteInfo>(u"GetRptNoteInfo"),
      com::Bind<&clsPrintSetupQuery::GetRptNotePrintData>(u"GetRptNotePrintData"),
  };
  static_assert(com::BindingsMatch(typelib::kPrintSetupQueryInterface, kBindings));
  static const com::DispatchTable table(u"TAVMPrintExport.clsPrintSetupQuery",
                                        typelib::kPrintSetupQueryInterface, kBindings);
  return table;
}

clsPrintSetupQuery::clsPrintSetupQuery()
    : ComponentObject(Table(), tavglobal::TransactionIntent::Read) {}

tavglobal::TransactionIntent clsPrintSetupQuery::IntentOf(const com::MemberInfo& member) const {
  const bool copies = member.name == u"GetNoteInfo" || member.name == u"GetRptNoteInfo" ||
                      member.name == u"CopyManagerNoteInfo" ||
                      member.name == u"CopyRptManagerNoteInfo";
  return copies ? tavglobal::TransactionIntent::Write : tavglobal::TransactionIntent::Read;
}

DictionaryRef clsPrintSetupQuery::GetCurrNote(const Bstr& sDsn, std::int32_t fClssTypeId) {
  return templates::GetCurrNote(*this, sDsn, fClssTypeId);
}

void clsPrintSetupQuery::CopyManagerNoteInfo(Variant& cn, std::int32_t classTypeId,
                                             std::int32_t UserID, const Bstr& UserName) {
  templates::CopyManagerNoteInfo(cn, classTypeId, UserID, UserName);
}

DictionaryRef clsPrintSetupQuery::GetNoteInfo(const Bstr& sDsn, std::int32_t classTypeId) {
  return templates::GetNoteInfo(*this, sDsn, classTypeId);
}

DictionaryRef clsPrintSetupQuery::GetNotePrintData(const Bstr& sDsn, std::int32_t fClassTypeId,
                                                   const Bstr& FSubType) {
  return templates::GetNotePrintData(*this, sDsn, fClassTypeId, FSubType);
}

DictionaryRef clsPrintSetupQuery::GetPageAndPrintSet(const Bstr& sDsn, std::int32_t fClassTypeId) {
  return templates::GetPageAndPrintSet(*this, sDsn, fClassTypeId);
}

Variant clsPrintSetupQuery::GetPictureData(const Bstr& sDsn, const DictionaryRef& dctDataInfo) {
  return billdata::GetPictureData(*this, sDsn, dctDataInfo);
}

void clsPrintSetupQuery::CopyRptManagerNoteInfo(Variant& cn, std::int32_t rptId,
                                                std::int32_t UserID, const Bstr& UserName) {
  templates::CopyRptManagerNoteInfo(cn, rptId, UserID, UserName);
}

DictionaryRef clsPrintSetupQuery::GetRptNoteInfo(const Bstr& sDsn, std::int32_t rptId) {
  return templates::GetRptNoteInfo(*this, sDsn, rptId);
}

DictionaryRef clsPrintSetupQuery::GetRptNotePrintData(const Bstr& sDsn, std::int32_t rptId,
                                                      const Bstr& FSubType) {
  return templates::GetRptNotePrintData(*this, sDsn, rptId, FSubType);
}

}  // namespace frame
