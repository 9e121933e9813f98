// The three dispatch interfaces of the component, as data: members in interface order, with
// parameter names, types, optional defaults and by-reference flags, and results.
//
// DISPIDs follow this order: the first member of each interface is com::kDispIdBase
// (0x60030000), the next one more, and so on. The classes in frame/ bind their C++ members to
// these tables; dispatch and `tavprint typelib` read them.
#pragma once

#include "platform/com/type_info.h"

namespace typelib {

namespace detail {

using com::DefaultValue;
using com::In;
using com::InOut;
using com::MemberInfo;
using com::MemberKind;
using com::Optional;
using com::ParamInfo;
using oleaut::VarType;

inline constexpr std::u16string_view kRecordset = u"Recordset";
inline constexpr std::u16string_view kConnection = u"Connection";
inline constexpr std::u16string_view kDictionary = u"VDL.Dictionary";
inline constexpr std::u16string_view kList = u"VDL.List";
inline constexpr std::u16string_view kTransMode = u"TransMode";

inline constexpr ParamInfo kDsn = In(u"sDsn", VarType::String);

// _clsGetData
inline constexpr ParamInfo kExecuteSQL[] = {kDsn, In(u"strSql", VarType::String)};
inline constexpr ParamInfo kGetSysValue[] = {kDsn, In(u"FCategory", VarType::String),
                                             In(u"FKey", VarType::String)};
inline constexpr ParamInfo kGetBillTypeInfo[] = {kDsn, In(u"pBillTranType", VarType::Long)};
inline constexpr ParamInfo kGetNoteCitation[] = {kDsn, In(u"pNoteTypeID", VarType::Long)};
inline constexpr ParamInfo kGetBillPackage[] = {
    kDsn, In(u"lBillTransType", VarType::Long),
    Optional(u"dicPara", VarType::Object, DefaultValue::Nothing(), kDictionary)};
inline constexpr ParamInfo kGetHeadFillData[] = {
    kDsn, In(u"pCondition", VarType::Object, kDictionary),
    In(u"dicStruct", VarType::Object, kDictionary), InOut(u"pRetRs", VarType::Object, kRecordset),
    In(u"SumNotePrint", VarType::Boolean)};
inline constexpr ParamInfo kGetEntryFillData[] = {
    kDsn, In(u"pCondition", VarType::Object, kDictionary),
    In(u"dicStruct", VarType::Object, kDictionary), InOut(u"pRetRs", VarType::Object, kRecordset)};
inline constexpr ParamInfo kGetBillPrintCount[] = {kDsn, In(u"sInterID", VarType::String),
                                                   In(u"lBillTranType", VarType::Long)};
inline constexpr ParamInfo kGetItemPicture[] = {kDsn, In(u"sItemID", VarType::String)};

inline constexpr MemberInfo kGetDataMembers[] = {
    {u"TransMode", MemberKind::PropertyGet, {}, VarType::Long, kTransMode},
    {u"ExecuteSQL", MemberKind::Method, kExecuteSQL, VarType::Object, kRecordset},
    {u"GetSysValue", MemberKind::Method, kGetSysValue, VarType::Variant, {}},
    {u"GetBillTypeInfo", MemberKind::Method, kGetBillTypeInfo, VarType::Object, kDictionary},
    {u"GetNoteCitation", MemberKind::Method, kGetNoteCitation, VarType::Object, kRecordset},
    {u"GetBillPackage", MemberKind::Method, kGetBillPackage, VarType::Object, kList},
    {u"GetHeadFillData", MemberKind::Method, kGetHeadFillData, VarType::Long, {}},
    {u"GetEntryFillData", MemberKind::Method, kGetEntryFillData, VarType::Long, {}},
    {u"GetBillPrintCount", MemberKind::Method, kGetBillPrintCount, VarType::String, {}},
    {u"GetItemPicture", MemberKind::Method, kGetItemPicture, VarType::String, {}},
    {u"TAV_GetSysDirectory", MemberKind::Method, {}, VarType::String, {}},
};

// _clsPrintSetupQuery
inline constexpr ParamInfo kGetCurrNote[] = {kDsn, In(u"fClssTypeId", VarType::Long)};
inline constexpr ParamInfo kCopyManagerNoteInfo[] = {
    InOut(u"cn", VarType::Object, kConnection), In(u"classTypeId", VarType::Long),
    In(u"UserID", VarType::Long), In(u"UserName", VarType::String)};
inline constexpr ParamInfo kGetNoteInfo[] = {kDsn, In(u"classTypeId", VarType::Long)};
inline constexpr ParamInfo kGetNotePrintData[] = {
    kDsn, In(u"fClassTypeId", VarType::Long),
    Optional(u"FSubType", VarType::String, DefaultValue::Text(u""))};
inline constexpr ParamInfo kGetPageAndPrintSet[] = {kDsn, In(u"fClassTypeId", VarType::Long)};
inline constexpr ParamInfo kGetPictureData[] = {kDsn,
                                                In(u"dctDataInfo", VarType::Object, kDictionary)};
inline constexpr ParamInfo kCopyRptManagerNoteInfo[] = {
    InOut(u"cn", VarType::Object, kConnection), In(u"rptId", VarType::Long),
    In(u"UserID", VarType::Long), In(u"UserName", VarType::String)};
inline constexpr ParamInfo kGetRptNoteInfo[] = {kDsn, In(u"rptId", VarType::Long)};
inline constexpr ParamInfo kGetRptNotePrintData[] = {
    kDsn, In(u"rptId", VarType::Long),
    Optional(u"FSubType", VarType::String, DefaultValue::Text(u""))};

inline constexpr MemberInfo kPrintSetupQueryMembers[] = {
    {u"GetCurrNote", MemberKind::Method, kGetCurrNote, VarType::Object, kDictionary},
    {u"CopyManagerNoteInfo", MemberKind::Method, kCopyManagerNoteInfo, VarType::Empty, {}},
    {u"GetNoteInfo", MemberKind::Method, kGetNoteInfo, VarType::Object, kDictionary},
    {u"GetNotePrintData", MemberKind::Method, kGetNotePrintData, VarType::Object, kDictionary},
    {u"GetPageAndPrintSet", MemberKind::Method, kGetPageAndPrintSet, VarType::Object, kDictionary},
    {u"GetPictureData", MemberKind::Method, kGetPictureData, VarType::Variant, {}},
    {u"CopyRptManagerNoteInfo", MemberKind::Method, kCopyRptManagerNoteInfo, VarType::Empty, {}},
    {u"GetRptNoteInfo", MemberKind::Method, kGetRptNoteInfo, VarType::Object, kDictionary},
    {u"GetRptNotePrintData", MemberKind::Method, kGetRptNotePrintData, VarType::Object,
     kDictionary},
};

// _clsPrintSetupUpdate
inline constexpr ParamInfo kDeleteNoteRow[] = {kDsn, In(u"fClassType", VarType::Long),
                                               In(u"FID", VarType::Long)};
inline constexpr ParamInfo kInsertNoteRow[] = {kDsn, In(u"fClassType", VarType::Long),
                                               In(u"fNoteName", VarType::String),
                                               In(u"fNoteBlob", VarType::Variant)};
inline constexpr ParamInfo kSaveNewBill[] = {kDsn, In(u"fClassType", VarType::Long),
                                             In(u"dctData", VarType::Object, kDictionary)};
inline constexpr ParamInfo kSavePageAndPrintSet[] = {kDsn, In(u"fClassTypeId", VarType::Long),
                                                     In(u"printSetValue", VarType::Variant)};
inline constexpr ParamInfo kUpdateNoteRow[] = {
    kDsn, In(u"fClassType", VarType::Long), In(u"fNoteBlob", VarType::Variant),
    Optional(u"sNoteName", VarType::String, DefaultValue::Text(u""))};
inline constexpr ParamInfo kUpdatePrintCount[] = {kDsn,
                                                  In(u"dctPCData", VarType::Object, kDictionary)};
inline constexpr ParamInfo kUpdateUserNoteData[] = {kDsn, In(u"fClassType", VarType::Long),
                                                    In(u"modiData", VarType::Object, kDictionary)};
inline constexpr ParamInfo kDeleteRptNoteRow[] = {kDsn, In(u"fRptId", VarType::Long),
                                                  In(u"FID", VarType::Long)};
inline constexpr ParamInfo kInsertRptNoteRow[] = {kDsn, In(u"fRptId", VarType::Long),
                                                  In(u"fNoteName", VarType::String),
                                                  In(u"fNoteBlob", VarType::Variant)};
inline constexpr ParamInfo kUpdateUserRptNoteData[] = {
    kDsn, In(u"fRptId", VarType::Long), In(u"modiData", VarType::Object, kDictionary)};

inline constexpr MemberInfo kPrintSetupUpdateMembers[] = {
    {u"TransMode", MemberKind::PropertyGet, {}, VarType::Long, kTransMode},
    {u"DeleteNoteRow", MemberKind::Method, kDeleteNoteRow, VarType::Boolean, {}},
    {u"InsertNoteRow", MemberKind::Method, kInsertNoteRow, VarType::Object, kList},
    {u"SaveNewBill", MemberKind::Method, kSaveNewBill, VarType::Boolean, {}},
    {u"SavePageAndPrintSet", MemberKind::Method, kSavePageAndPrintSet, VarType::Empty, {}},
    {u"UpdateNoteRow", MemberKind::Method, kUpdateNoteRow, VarType::Variant, {}},
    {u"UpdatePrintCount", MemberKind::Method, kUpdatePrintCount, VarType::Empty, {}},
    {u"UpdateUserNoteData", MemberKind::Method, kUpdateUserNoteData, VarType::Variant, {}},
    {u"DeleteRptNoteRow", MemberKind::Method, kDeleteRptNoteRow, VarType::Boolean, {}},
    {u"InsertRptNoteRow", MemberKind::Method, kInsertRptNoteRow, VarType::Object, kList},
    {u"UpdateUserRptNoteData", MemberKind::Method, kUpdateUserRptNoteData, VarType::Variant, {}},
};

}  // namespace detail

inline constexpr com::InterfaceInfo kGetDataInterface{
    u"_clsGetData", com::Guid::Parse("{37D1ABCC-3B13-4194-B393-F898501E98F9}"),
    detail::kGetDataMembers};
inline constexpr com::InterfaceInfo kPrintSetupQueryInterface{
    u"_clsPrintSetupQuery", com::Guid::Parse("{B0AF7FAE-7AC2-4C48-9549-62D773AB1EAC}"),
    detail::kPrintSetupQueryMembers};
inline constexpr com::InterfaceInfo kPrintSetupUpdateInterface{
    u"_clsPrintSetupUpdate", com::Guid::Parse("{31646A47-8243-42B3-89F6-4F70A0A43286}"),
    detail::kPrintSetupUpdateMembers};

}  // namespace typelib
