-- The application database as the print component sees it: the system profile, the bill
-- metadata, the print-template store, the print counters, and the bill, lookup and auxiliary
-- tables of the demo bill types.
--
-- Dialect: SQL Server 2008 or later. The same file creates a real deployment (sqlcmd runs it
-- as one batch) and the embedded demo database, whose loader sends it statement by statement.
--
-- Splitting rule: every statement ends with a semicolon. A semicolon inside a string literal,
-- a bracketed name or a comment ends nothing. Statements carry no GO separators.
--
-- Text that may hold Chinese is nvarchar; codes, table and column names are varchar. Binary
-- bodies (templates, print settings, pictures) are image columns. Identity columns start at 1,
-- so the demo data can refer to the ids its inserts produce on an empty database.

-- System profile: one value per category and key ('IC', 'IndustryVersion' and so on).
CREATE TABLE t_SystemProfile (
  FCategory varchar(30) NOT NULL,
  FKey varchar(100) NOT NULL,
  FValue nvarchar(255) NULL,
  FDescription nvarchar(255) NULL,
  FReadOnly bit NOT NULL DEFAULT 0,
  PRIMARY KEY (FCategory, FKey)
);

-- Users. The administrator is user 16394.
CREATE TABLE t_User (
  FUserID int NOT NULL PRIMARY KEY,
  FName nvarchar(80) NOT NULL,
  FDescription nvarchar(255) NULL,
  FLanguage varchar(10) NOT NULL DEFAULT 'CHS',
  FForbidden bit NOT NULL DEFAULT 0
);

-- Bill types. FTemplateID names the template of ICTemplate and ICTemplateEntry; the three key
-- columns name the columns of FHeadTable and FEntryTable that hold the bill's interior id, the
-- item and the line number, which the print client needs to describe a bill.
CREATE TABLE ICTransactionType (
  FBrNo varchar(10) NOT NULL DEFAULT '0',
  FID int NOT NULL PRIMARY KEY,
  FROB smallint NOT NULL DEFAULT 0,
  FName nvarchar(80) NOT NULL,
  FName_CHT nvarchar(80) NULL,
  FName_EN nvarchar(80) NULL,
  FType smallint NOT NULL DEFAULT 0,
  FTemplateID varchar(20) NOT NULL DEFAULT '',
  FVchTemplateID int NOT NULL DEFAULT 0,
  FHeadTable varchar(50) NOT NULL DEFAULT '',
  FEntryTable varchar(50) NOT NULL DEFAULT '',
  FCheckPRO varchar(255) NULL,
  FFormWidth int NOT NULL DEFAULT 0,
  FFormHeight int NOT NULL DEFAULT 0,
  FFixCols smallint NOT NULL DEFAULT 0,
  FAllowDefined bit NOT NULL DEFAULT 0,
  FBillFlow bit NOT NULL DEFAULT 0,
  FKeyInterID varchar(50) NOT NULL DEFAULT 'FInterID',
  FKeyItemID varchar(50) NOT NULL DEFAULT 'FItemID',
  FKeyIndexID varchar(50) NOT NULL DEFAULT 'FEntryID'
);

-- Lookup classes: which table, key, code and name columns a control of a given FLookUpCls
-- looks up. The print client copies them into a control's record as FGetTable, FInterID,
-- FNumber and FName (FBillNo for source-bill controls).
CREATE TABLE ICLookUpClass (
  FLookUpCls int NOT NULL PRIMARY KEY,
  FClassName nvarchar(80) NOT NULL,
  FGetTable varchar(50) NOT NULL,
  FInterID varchar(50) NOT NULL,
  FNumber varchar(50) NOT NULL,
  FName varchar(50) NOT NULL,
  FBillNo varchar(50) NOT NULL DEFAULT ''
);

-- Head controls of a bill template, one row per control. Controls with a negative FCtlIndex
-- exist on the form but are not printed.
CREATE TABLE ICTemplate (
  FID varchar(20) NOT NULL,
  FCtlIndex int NOT NULL,
  FTabIndex int NOT NULL DEFAULT 0,
  FCaption nvarchar(80) NOT NULL DEFAULT '',
  FCaption_CHT nvarchar(80) NULL,
  FCaption_EN nvarchar(80) NULL,
  FCtlType int NOT NULL DEFAULT 0,
  FLookUpCls int NOT NULL DEFAULT 0,
  FNeedSave bit NOT NULL DEFAULT 1,
  FValueType smallint NOT NULL DEFAULT 0,
  FSaveValue smallint NOT NULL DEFAULT 0,
  FFieldName varchar(50) NOT NULL,
  FLeft int NOT NULL DEFAULT 0,
  FTop int NOT NULL DEFAULT 0,
  FWidth int NOT NULL DEFAULT 2000,
  FHeight int NOT NULL DEFAULT 300,
  FEnable bit NOT NULL DEFAULT 1,
  FPrint bit NOT NULL DEFAULT 1,
  FFontName nvarchar(50) NOT NULL DEFAULT N'宋体',
  FFontSize int NOT NULL DEFAULT 9,
  FSelBill varchar(255) NOT NULL DEFAULT '',
  FMustInput bit NOT NULL DEFAULT 0,
  FFilter nvarchar(255) NOT NULL DEFAULT '',
  FRelationID varchar(50) NOT NULL DEFAULT '',
  FAction varchar(255) NOT NULL DEFAULT '',
  FLockA bit NOT NULL DEFAULT 0,
  FROB smallint NOT NULL DEFAULT 0,
  FDefaultCtl bit NOT NULL DEFAULT 0,
  FVisForBillType varchar(255) NOT NULL DEFAULT '',
  FVBACtlType int NOT NULL DEFAULT 0,
  FRelateOutTbl bit NOT NULL DEFAULT 0,
  FSysMustInputItem bit NOT NULL DEFAULT 0,
  FInEntryForSPrint bit NOT NULL DEFAULT 0,
  FRMustInput bit NOT NULL DEFAULT 0,
  PRIMARY KEY (FID, FFieldName)
);

-- Entry columns of a bill template, one row per column. Columns with FCtlOrder 0 or below are
-- kept with the entry but not printed.
CREATE TABLE ICTemplateEntry (
  FID varchar(20) NOT NULL,
  FCtlOrder int NOT NULL,
  FCtlIndex int NOT NULL DEFAULT 0,
  FCtlType int NOT NULL DEFAULT 0,
  FLookUpCls int NOT NULL DEFAULT 0,
  FNeedSave bit NOT NULL DEFAULT 1,
  FValueType smallint NOT NULL DEFAULT 0,
  FSaveValue smallint NOT NULL DEFAULT 0,
  FFieldName varchar(50) NOT NULL,
  FEnable bit NOT NULL DEFAULT 1,
  FPrint bit NOT NULL DEFAULT 1,
  FHeadCaption nvarchar(80) NOT NULL DEFAULT '',
  FHeadCaption_CHT nvarchar(80) NULL,
  FHeadCaption_EN nvarchar(80) NULL,
  FWidth int NOT NULL DEFAULT 1200,
  FNeedCount bit NOT NULL DEFAULT 0,
  FRelationID varchar(50) NOT NULL DEFAULT '',
  FAction varchar(255) NOT NULL DEFAULT '',
  FMustInput bit NOT NULL DEFAULT 0,
  FFilter nvarchar(255) NOT NULL DEFAULT '',
  FSaveRule varchar(255) NOT NULL DEFAULT '',
  FDefaultCtl bit NOT NULL DEFAULT 0,
  FVisForBillType varchar(255) NOT NULL DEFAULT '',
  FRelateOutTbl bit NOT NULL DEFAULT 0,
  FSysMustInputItem bit NOT NULL DEFAULT 0,
  FStatCount bit NOT NULL DEFAULT 0,
  PRIMARY KEY (FID, FFieldName)
);

-- Standard explanation texts offered per note type.
CREATE TABLE GLNoteCitation (
  FCitationID int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  FNoteTypeID int NOT NULL,
  FCitationName nvarchar(255) NOT NULL,
  FCitationName_CHT nvarchar(255) NULL,
  FCitationName_EN nvarchar(255) NULL,
  FIndex int NOT NULL DEFAULT 0
);
CREATE INDEX IX_GLNoteCitation_Type ON GLNoteCitation (FNoteTypeID);

-- Bill template bodies. FScreenId and FNewBillType hold the bill type as text. The creator and
-- modifier names take 255 characters because some inserts pass names that long.
CREATE TABLE T_ExcelPrintExportNote (
  FId int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  FName nvarchar(255) NOT NULL DEFAULT '',
  FScreenId varchar(20) NOT NULL DEFAULT '',
  FCreatorName nvarchar(255) NULL,
  FModifierName nvarchar(255) NULL,
  FNewBillType varchar(20) NOT NULL DEFAULT '',
  FCreateDate datetime NULL,
  FModifyDate datetime NULL,
  FData image NULL
);
CREATE INDEX IX_T_ExcelPrintExportNote_Type ON T_ExcelPrintExportNote (FNewBillType, FName);
CREATE INDEX IX_T_ExcelPrintExportNote_Creator
  ON T_ExcelPrintExportNote (FCreatorName, FScreenId, FName);

-- Report template bodies; FNewRptId holds the report id as text.
CREATE TABLE T_RptExcelPrintExportNote (
  FId int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  FName nvarchar(255) NOT NULL DEFAULT '',
  FScreenId varchar(20) NOT NULL DEFAULT '',
  FCreatorName nvarchar(255) NULL,
  FModifierName nvarchar(255) NULL,
  FNewRptId varchar(20) NOT NULL DEFAULT '',
  FCreateDate datetime NULL,
  FModifyDate datetime NULL,
  FData image NULL
);
CREATE INDEX IX_T_RptExcelPrintExportNote_Rpt ON T_RptExcelPrintExportNote (FNewRptId, FName);
CREATE INDEX IX_T_RptExcelPrintExportNote_Creator
  ON T_RptExcelPrintExportNote (FCreatorName, FScreenId, FName);

-- Bill template assignments and per-user settings. FBillId > 0: an assignment of body FBillId;
-- 0: the page-settings row (or, with FBillType 0, the 'SaveByUser' switch); -1: the bill-type
-- settings row.
CREATE TABLE T_ExcelPrintExport (
  FId int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  FBillType int NOT NULL DEFAULT 0,
  FBillId int NOT NULL DEFAULT 0,
  FPreparerId int NOT NULL DEFAULT 0,
  FDate datetime NULL,
  FName nvarchar(255) NULL,
  FData nvarchar(2000) NULL,
  FPrintSet image NULL,
  FBillTypeSub nvarchar(255) NULL,
  FSel int NOT NULL DEFAULT 0
);
CREATE INDEX IX_T_ExcelPrintExport_User
  ON T_ExcelPrintExport (FBillType, FPreparerId, FBillId);
CREATE INDEX IX_T_ExcelPrintExport_Body ON T_ExcelPrintExport (FBillId);

-- Report template assignments and per-user settings; FNoteId plays FBillId's part.
CREATE TABLE T_RptExcelPrintExport (
  FId int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  FRptId int NOT NULL DEFAULT 0,
  FNoteId int NOT NULL DEFAULT 0,
  FPreparerId int NOT NULL DEFAULT 0,
  FDate datetime NULL,
  FName nvarchar(255) NULL,
  FData nvarchar(2000) NULL,
  FPrintSet image NULL,
  FSel int NOT NULL DEFAULT 0
);
CREATE INDEX IX_T_RptExcelPrintExport_User
  ON T_RptExcelPrintExport (FRptId, FPreparerId, FNoteId);

-- Print counters: the per-bill-type switch and the count of each printed bill.
CREATE TABLE ICPrintMaxCount (
  FID int NOT NULL PRIMARY KEY,
  FShowPrintTimes smallint NOT NULL DEFAULT 0,
  FMaxCount int NOT NULL DEFAULT 0
);
CREATE TABLE ICPrintCount (
  FID int NOT NULL,
  FInterID int NOT NULL,
  FPrintCount int NOT NULL DEFAULT 0,
  PRIMARY KEY (FID, FInterID)
);

-- Lookup tables.
CREATE TABLE t_Department (
  FItemID int NOT NULL PRIMARY KEY,
  FNumber varchar(80) NOT NULL,
  FName nvarchar(255) NOT NULL,
  FPhone varchar(40) NULL
);
CREATE TABLE t_Emp (
  FItemID int NOT NULL PRIMARY KEY,
  FNumber varchar(80) NOT NULL,
  FName nvarchar(255) NOT NULL,
  FDepartmentID int NOT NULL DEFAULT 0
);
CREATE TABLE t_Supplier (
  FItemID int NOT NULL PRIMARY KEY,
  FNumber varchar(80) NOT NULL,
  FName nvarchar(255) NOT NULL,
  FAddress nvarchar(255) NULL,
  FPhone varchar(40) NULL,
  FContact nvarchar(50) NULL
);
CREATE TABLE t_Customer (
  FItemID int NOT NULL PRIMARY KEY,
  FNumber varchar(80) NOT NULL,
  FName nvarchar(255) NOT NULL,
  FAddress nvarchar(255) NULL,
  FPhone varchar(40) NULL,
  FContact nvarchar(50) NULL
);
CREATE TABLE t_Stock (
  FItemID int NOT NULL PRIMARY KEY,
  FNumber varchar(80) NOT NULL,
  FName nvarchar(255) NOT NULL,
  FAddress nvarchar(255) NULL
);
CREATE TABLE t_MeasureUnit (
  FMeasureUnitID int NOT NULL PRIMARY KEY,
  FUnitGroupID int NOT NULL,
  FNumber varchar(30) NOT NULL,
  FName nvarchar(80) NOT NULL,
  FCoefficient decimal(28,10) NOT NULL DEFAULT 1
);
-- Items. FQtyDecimal and FPriceDecimal are the decimals that quantities and prices of the
-- item print with.
CREATE TABLE t_ICItem (
  FItemID int NOT NULL PRIMARY KEY,
  FNumber varchar(80) NOT NULL,
  FName nvarchar(255) NOT NULL,
  FModel nvarchar(255) NULL,
  FUnitID int NOT NULL DEFAULT 0,
  FUnitGroupID int NOT NULL DEFAULT 0,
  FQtyDecimal smallint NOT NULL DEFAULT 4,
  FPriceDecimal smallint NOT NULL DEFAULT 2,
  FAuxClassID int NOT NULL DEFAULT 0,
  FSalePrice money NOT NULL DEFAULT 0,
  FSmallPhoto image NULL
);
CREATE INDEX IX_t_ICItem_Number ON t_ICItem (FNumber);
-- Codes of lookup class 241 (status, source and type texts): FID is the code, e.g. 'ZT3'.
CREATE TABLE t_SubMessage (
  FInterID int NOT NULL PRIMARY KEY,
  FTypeID int NOT NULL,
  FID varchar(50) NOT NULL,
  FName nvarchar(80) NOT NULL
);
CREATE INDEX IX_t_SubMessage_ID ON t_SubMessage (FID);

-- Auxiliary properties: the values (colour, size) an item comes in.
CREATE TABLE t_auxitem (
  FItemID int NOT NULL PRIMARY KEY,
  FAuxTypeID int NOT NULL DEFAULT 0,
  FNumber varchar(80) NOT NULL,
  FName nvarchar(255) NOT NULL,
  FAuxFld1Number varchar(80) NULL,
  FAuxFld1Name nvarchar(80) NULL,
  FAuxFld2Number varchar(80) NULL,
  FAuxFld2Name nvarchar(80) NULL
);
CREATE TABLE ICItemAuxProp (
  FInterID int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  FItemID int NOT NULL,
  FAuxPropID int NOT NULL,
  FNumber varchar(80) NOT NULL DEFAULT '',
  FName nvarchar(255) NOT NULL DEFAULT ''
);
CREATE INDEX IX_ICItemAuxProp_Item ON ICItemAuxProp (FItemID);

-- Bar codes; at most one printable code (FIsPrint 1) per item, so that joining it keeps one row
-- per entry line.
CREATE TABLE t_BarCode (
  FID int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  FItemID int NOT NULL,
  FAuxPropID int NOT NULL DEFAULT 0,
  FBarCode varchar(80) NOT NULL,
  FIsPrint bit NOT NULL DEFAULT 0
);
CREATE INDEX IX_t_BarCode_Item ON t_BarCode (FItemID);

-- Stock bills (purchase receipts, sales deliveries): head and entry. FSupplyID holds the
-- supplier of a receipt and the customer of a delivery; the bill type's template decides which
-- lookup table it is read from.
CREATE TABLE ICStockBill (
  FBrNo varchar(10) NOT NULL DEFAULT '0',
  FInterID int NOT NULL PRIMARY KEY,
  FTranType smallint NOT NULL,
  FBillNo varchar(50) NOT NULL,
  FDate datetime NOT NULL,
  FSupplyID int NOT NULL DEFAULT 0,
  FDeptID int NOT NULL DEFAULT 0,
  FEmpID int NOT NULL DEFAULT 0,
  FFManagerID int NOT NULL DEFAULT 0,
  FSManagerID int NOT NULL DEFAULT 0,
  FBillerID int NOT NULL DEFAULT 0,
  FCheckerID int NULL,
  FCheckDate datetime NULL,
  FStatus smallint NOT NULL DEFAULT 0,
  FROB smallint NOT NULL DEFAULT 1,
  FExplanation nvarchar(255) NULL,
  FCancellation bit NOT NULL DEFAULT 0,
  FPrintCount int NOT NULL DEFAULT 0
);
CREATE INDEX IX_ICStockBill_Type ON ICStockBill (FTranType, FDate);
CREATE TABLE ICStockBillEntry (
  FBrNo varchar(10) NOT NULL DEFAULT '0',
  FInterID int NOT NULL,
  FEntryID int NOT NULL,
  FItemID int NOT NULL,
  FAuxPropID int NOT NULL DEFAULT 0,
  FUnitID int NOT NULL DEFAULT 0,
  FBatchNo varchar(200) NOT NULL DEFAULT '',
  FQty decimal(28,10) NOT NULL DEFAULT 0,
  FAuxQty decimal(28,10) NOT NULL DEFAULT 0,
  FPrice decimal(28,10) NOT NULL DEFAULT 0,
  FAmount decimal(20,2) NOT NULL DEFAULT 0,
  FConsignPrice decimal(28,10) NOT NULL DEFAULT 0,
  FConsignAmount decimal(20,2) NOT NULL DEFAULT 0,
  FDCStockID int NOT NULL DEFAULT 0,
  FSCStockID int NOT NULL DEFAULT 0,
  FSourceBillNo varchar(50) NOT NULL DEFAULT '',
  FSourceTranType int NOT NULL DEFAULT 0,
  FSourceInterId int NOT NULL DEFAULT 0,
  FNote nvarchar(255) NULL,
  -- A self-defined entry column (the application names them FEntrySelf + bill code + number).
  FEntrySelfA0101 decimal(20,2) NOT NULL DEFAULT 0,
  PRIMARY KEY (FInterID, FEntryID)
);
CREATE INDEX IX_ICStockBillEntry_Item ON ICStockBillEntry (FItemID);

-- Purchase orders: head and entry.
CREATE TABLE POOrder (
  FBrNo varchar(10) NOT NULL DEFAULT '0',
  FInterID int NOT NULL PRIMARY KEY,
  FTranType smallint NOT NULL DEFAULT 71,
  FBillNo varchar(50) NOT NULL,
  FDate datetime NOT NULL,
  FSupplyID int NOT NULL DEFAULT 0,
  FDeptID int NOT NULL DEFAULT 0,
  FEmpID int NOT NULL DEFAULT 0,
  FBillerID int NOT NULL DEFAULT 0,
  FCheckerID int NULL,
  FCheckDate datetime NULL,
  FStatus smallint NOT NULL DEFAULT 0,
  FExplanation nvarchar(255) NULL,
  FPrintCount int NOT NULL DEFAULT 0
);
CREATE TABLE POOrderEntry (
  FBrNo varchar(10) NOT NULL DEFAULT '0',
  FInterID int NOT NULL,
  FEntryID int NOT NULL,
  FItemID int NOT NULL,
  FAuxPropID int NOT NULL DEFAULT 0,
  FUnitID int NOT NULL DEFAULT 0,
  FQty decimal(28,10) NOT NULL DEFAULT 0,
  FPrice decimal(28,10) NOT NULL DEFAULT 0,
  FTaxRate decimal(28,10) NOT NULL DEFAULT 0,
  FTaxPrice decimal(28,10) NOT NULL DEFAULT 0,
  FAmount decimal(20,2) NOT NULL DEFAULT 0,
  FTaxAmount money NOT NULL DEFAULT 0,
  FAllAmount decimal(20,2) NOT NULL DEFAULT 0,
  FDate datetime NULL,
  FNote nvarchar(255) NULL,
  PRIMARY KEY (FInterID, FEntryID)
);
CREATE INDEX IX_POOrderEntry_Item ON POOrderEntry (FItemID);

-- Production orders, and the material requisitions and returns issued against them (bill types
-- 92 and 24). The order's product and quantities are kept in the requisition's head, so that
-- summary printing can list every selected requisition's order on one page.
CREATE TABLE ICMO (
  FICMOInterID int NOT NULL PRIMARY KEY,
  FBillNo varchar(50) NOT NULL,
  FItemID int NOT NULL,
  FQty decimal(28,10) NOT NULL DEFAULT 0,
  FStatus smallint NOT NULL DEFAULT 0
);
CREATE TABLE ICMOIssueBill (
  FBrNo varchar(10) NOT NULL DEFAULT '0',
  FInterID int NOT NULL PRIMARY KEY,
  FTranType smallint NOT NULL DEFAULT 92,
  FBillNo varchar(50) NOT NULL,
  FDate datetime NOT NULL,
  FSupplyID int NOT NULL DEFAULT 0,
  FDeptID int NOT NULL DEFAULT 0,
  FMOItemID int NOT NULL DEFAULT 0,
  FMOQty decimal(28,10) NOT NULL DEFAULT 0,
  FMOAuxQty decimal(28,10) NOT NULL DEFAULT 0,
  FICMOInterID int NOT NULL DEFAULT 0,
  FBillerID int NOT NULL DEFAULT 0,
  FCheckerID int NULL,
  FStatus smallint NOT NULL DEFAULT 0,
  FExplanation nvarchar(255) NULL
);
CREATE TABLE ICMOIssueBillEntry (
  FBrNo varchar(10) NOT NULL DEFAULT '0',
  FInterID int NOT NULL,
  FEntryID int NOT NULL,
  FItemID int NOT NULL,
  FAuxPropID int NOT NULL DEFAULT 0,
  FUnitID int NOT NULL DEFAULT 0,
  FQty decimal(28,10) NOT NULL DEFAULT 0,
  FAuxQty decimal(28,10) NOT NULL DEFAULT 0,
  FPrice decimal(28,10) NOT NULL DEFAULT 0,
  FAmount decimal(20,2) NOT NULL DEFAULT 0,
  FSCStockID int NOT NULL DEFAULT 0,
  FICMOInterID int NOT NULL DEFAULT 0,
  FNote nvarchar(255) NULL,
  PRIMARY KEY (FInterID, FEntryID)
);

-- Quality inspections (bill types 707 to 715). A line inspects one item for one inspection item,
-- by an analysis method: 9 is qualitative (target, limits and result are codes of
-- t_SubMessage, in the ...ID columns), every other method quantitative (numbers, in the ...Qty
-- columns and FTestValue).
CREATE TABLE t_QMInspectItem (
  FItemID int NOT NULL PRIMARY KEY,
  FNumber varchar(80) NOT NULL,
  FName nvarchar(255) NOT NULL,
  FUnit nvarchar(20) NULL
);
CREATE TABLE QMInspectBill (
  FBrNo varchar(10) NOT NULL DEFAULT '0',
  FInterID int NOT NULL PRIMARY KEY,
  FTranType smallint NOT NULL DEFAULT 707,
  FBillNo varchar(50) NOT NULL,
  FDate datetime NOT NULL,
  FSupplyID int NOT NULL DEFAULT 0,
  FDeptID int NOT NULL DEFAULT 0,
  FInspectorID int NOT NULL DEFAULT 0,
  FBillerID int NOT NULL DEFAULT 0,
  FCheckerID int NULL,
  FStatus smallint NOT NULL DEFAULT 0,
  FExplanation nvarchar(255) NULL
);
CREATE TABLE QMInspectBillEntry (
  FBrNo varchar(10) NOT NULL DEFAULT '0',
  FInterID int NOT NULL,
  FEntryID int NOT NULL,
  FItemID int NOT NULL,
  FInspectItemID int NOT NULL DEFAULT 0,
  FAnalysisMethodID int NOT NULL DEFAULT 1,
  FTargetQty decimal(28,10) NULL,
  FLowerLimitQty decimal(28,10) NULL,
  FUpperLimitQty decimal(28,10) NULL,
  FTestValue decimal(28,10) NULL,
  FTargetID int NULL,
  FLowerLimitID int NULL,
  FUpperLimitID int NULL,
  FTestValueID int NULL,
  FResultID int NULL,
  FNote nvarchar(255) NULL,
  PRIMARY KEY (FInterID, FEntryID)
);
