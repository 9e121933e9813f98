-- A small application database for the SQL test scripts, in SQL Server's dialect: the template
-- store, bill metadata, one bill type's head, entry and lookup tables, and the print counters.
CREATE TABLE t_SystemProfile (
  FCategory varchar(30) NOT NULL,
  FKey varchar(100) NOT NULL,
  FValue varchar(255) NULL,
  CONSTRAINT PK_SystemProfile PRIMARY KEY CLUSTERED (FCategory, FKey)
)
CREATE TABLE T_ExcelPrintExportNote (
  FId int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  FName varchar(255) NULL,
  FScreenId varchar(20) NULL,
  FCreatorName varchar(255) NULL,
  FModifierName varchar(255) NULL,
  FNewBillType varchar(20) NULL,
  FCreateDate datetime NULL,
  FModifyDate datetime NULL,
  FData image NULL
)
CREATE TABLE T_ExcelPrintExport (
  FId int IDENTITY(1,1) NOT NULL,
  FBillType int NOT NULL DEFAULT (0),
  FBillId int NOT NULL DEFAULT (0),
  FPreparerId int NOT NULL,
  FDate datetime NULL DEFAULT (getdate()),
  FName varchar(255) NULL,
  FData text NULL,
  FPrintSet image NULL,
  FBillTypeSub varchar(255) NULL,
  FSel int NOT NULL DEFAULT (0),
  CONSTRAINT PK_ExcelPrintExport PRIMARY KEY (FId)
)
CREATE INDEX IX_ExcelPrintExport_User ON T_ExcelPrintExport (FBillType, FPreparerId, FBillId)
CREATE TABLE T_RptExcelPrintExportNote (
  FId int IDENTITY(1,1) PRIMARY KEY,
  FName varchar(255) NULL,
  FScreenId varchar(20) NULL,
  FCreatorName varchar(255) NULL,
  FModifierName varchar(255) NULL,
  FNewRptId varchar(20) NULL,
  FCreateDate datetime NULL,
  FModifyDate datetime NULL,
  FData image NULL
)
CREATE TABLE T_RptExcelPrintExport (
  FId int IDENTITY(1,1) PRIMARY KEY,
  FRptId int NOT NULL,
  FNoteId int NOT NULL,
  FPreparerId int NOT NULL,
  FDate datetime NULL,
  FName varchar(255) NULL,
  FData text NULL,
  FPrintSet image NULL,
  FSel int NOT NULL DEFAULT 0
)
CREATE TABLE ICTransactionType (
  FBrNo varchar(10) NOT NULL DEFAULT ('0'),
  FID int NOT NULL PRIMARY KEY,
  FROB bit NOT NULL DEFAULT (0),
  FName nvarchar(80) NOT NULL,
  FName_CHT nvarchar(80) NULL,
  FName_EN nvarchar(80) NULL,
  FType int NULL,
  FTemplateID varchar(20) NULL,
  FVchTemplateID int NULL,
  FHeadTable varchar(50) NULL,
  FEntryTable varchar(50) NULL,
  FCheckPRO varchar(50) NULL,
  FFormWidth int NULL,
  FFormHeight int NULL,
  FFixCols int NULL,
  FAllowDefined bit NULL,
  FBillFlow bit NULL
)
CREATE TABLE ICTemplate (
  FID varchar(20) NOT NULL,
  FCtlIndex int NOT NULL,
  FTabIndex int NULL,
  FCaption nvarchar(80) NULL,
  FCaption_CHT nvarchar(80) NULL,
  FCaption_EN nvarchar(80) NULL,
  FCtlType int NULL,
  FLookUpCls int NULL,
  FNeedSave bit NULL,
  FValueType int NULL,
  FSaveValue int NULL,
  FFieldName varchar(50) NULL,
  FLeft int NULL, FTop int NULL, FWidth int NULL, FHeight int NULL,
  FEnable bit NULL, FPrint bit NULL,
  FFontName varchar(50) NULL, FFontSize int NULL, FSelBill int NULL, FMustInput bit NULL,
  FFilter varchar(255) NULL, FRelationID varchar(50) NULL, FAction varchar(255) NULL,
  FLockA bit NULL, FROB bit NULL, FDefaultCtl varchar(50) NULL, FVisForBillType varchar(255) NULL,
  FVBACtlType int NULL, FRelateOutTbl bit NULL, FSysMustInputItem bit NULL,
  FInEntryForSPrint bit NULL, FRMustInput bit NULL
)
CREATE TABLE ICTemplateEntry (
  FID varchar(20) NOT NULL,
  FCtlOrder int NOT NULL,
  FCtlIndex int NULL,
  FCtlType int NULL,
  FLookUpCls int NULL,
  FNeedSave bit NULL,
  FValueType int NULL,
  FSaveValue int NULL,
  FFieldName varchar(50) NULL,
  FEnable bit NULL,
  FPrint bit NULL,
  FHeadCaption nvarchar(80) NULL,
  FHeadCaption_CHT nvarchar(80) NULL,
  FHeadCaption_EN nvarchar(80) NULL,
  FWidth int NULL, FNeedCount bit NULL, FRelationID varchar(50) NULL, FAction varchar(255) NULL,
  FMustInput bit NULL, FFilter varchar(255) NULL, FSaveRule int NULL, FDefaultCtl varchar(50) NULL,
  FVisForBillType varchar(255) NULL, FRelateOutTbl bit NULL, FSysMustInputItem bit NULL,
  FStatCount bit NULL
)
CREATE TABLE GLNoteCitation (
  FNoteTypeID int NOT NULL,
  FCitationID int NOT NULL,
  FCitationName nvarchar(80) NULL,
  FCitationName_CHT nvarchar(80) NULL,
  FCitationName_EN nvarchar(80) NULL
)
CREATE TABLE ICPrintMaxCount (FID int NOT NULL PRIMARY KEY, FShowPrintTimes int NULL)
CREATE TABLE ICPrintCount (FID int NOT NULL, FInterID int NOT NULL, FPrintCount int NULL)
CREATE TABLE t_Supplier (FItemID int PRIMARY KEY, FNumber varchar(30), FName nvarchar(80))
CREATE TABLE t_Department (FItemID int PRIMARY KEY, FNumber varchar(30), FName nvarchar(80))
CREATE TABLE t_User (FUserID int PRIMARY KEY, FName nvarchar(80))
CREATE TABLE t_Item (
  FItemID int PRIMARY KEY, FNumber varchar(30), FName nvarchar(80),
  FQtyDecimal smallint NOT NULL DEFAULT (2), FPriceDecimal smallint NOT NULL DEFAULT (4),
  FUnitGroupID int NULL
)
CREATE TABLE t_SubMessage (FInterID int PRIMARY KEY, FID varchar(10), FName nvarchar(80))
CREATE TABLE ICStockBill (
  FInterID int NOT NULL PRIMARY KEY,
  FBillNo varchar(30) NOT NULL,
  FDate datetime NOT NULL,
  FSupplyID int NULL,
  FDeptID int NULL,
  FBillerID int NULL,
  FCheckerID int NULL,
  FStatus int NOT NULL DEFAULT (0),
  FNote varchar(255) NULL,
  FPrintCount int NOT NULL DEFAULT (0)
)
CREATE TABLE ICStockBillEntry (
  FInterID int NOT NULL,
  FEntryID int NOT NULL,
  FItemID int NOT NULL,
  FAuxQty decimal(28,10) NOT NULL DEFAULT (0),
  FAuxPrice decimal(28,10) NOT NULL DEFAULT (0),
  FAmount decimal(20,2) NOT NULL DEFAULT (0),
  FAnalysisMethodID int NULL,
  FTargetQty decimal(28,10) NULL,
  FLowerLimitQty decimal(28,10) NULL,
  FUpperLimitQty decimal(28,10) NULL,
  FTestValue decimal(28,10) NULL,
  FTargetID int NULL,
  FNote varchar(255) NULL,
  PRIMARY KEY (FInterID, FEntryID)
)
CREATE TABLE ICItemAuxProp (FItemID int NOT NULL, FAuxPropID int NOT NULL)
CREATE TABLE t_auxitem (FItemID int PRIMARY KEY, FNumber varchar(30), FAuxFld2Number varchar(30))
CREATE TABLE t_BarCode (FItemID int NOT NULL, FBarCode varchar(60) NOT NULL, FIsPrint bit NOT NULL)
