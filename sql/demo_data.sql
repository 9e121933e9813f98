-- Demo data for the embedded "demo" data source: three users, three bill types with their
-- templates, a few bills of each, and administrator print templates. Same dialect and
-- splitting rule as schema.sql (every statement ends with a semicolon).
--
-- Ids that tests and examples rely on:
--   users: 16394 Manager (the administrator), 16395 张伟, 16396 李娜 (no templates of her own,
--          so her first template list copies the administrator's),
--   bill types: 1 外购入库 (purchase receipt, template A01, bills 1001-1003),
--               21 销售出库 (sales delivery, template B01, bills 2001-2003),
--               71 采购订单 (purchase order, template P01, bills 3001-3002).
--   template bodies (identity order): 1, 2 bill type 1; 3, 4 bill type 21; 5 bill type 71,
--          all the administrator's; 6 bill type 1 by 张伟; report bodies 1 (report 1001) and
--          2 (report 1002).
-- Dates are written 'YYYY-MM-DD hh:mm:ss.fff': the form the embedded database stores dates in,
-- which SQL Server also reads under its us_english and Chinese date settings (not under dmy).

-- System profile.
INSERT INTO t_SystemProfile (FCategory,FKey,FValue,FDescription,FReadOnly) VALUES ('IC','IndustryVersion','0',N'行业版本 (1 为行业版)',1);
INSERT INTO t_SystemProfile (FCategory,FKey,FValue,FDescription,FReadOnly) VALUES ('IC','NotePrintSingle','1',N'单据套打逐张打印',0);
INSERT INTO t_SystemProfile (FCategory,FKey,FValue,FDescription,FReadOnly) VALUES ('IC','UseShortNumber','0',N'使用物料短代码',0);
INSERT INTO t_SystemProfile (FCategory,FKey,FValue,FDescription,FReadOnly) VALUES ('IC','QtyDecimal','4',N'数量小数位数',0);
INSERT INTO t_SystemProfile (FCategory,FKey,FValue,FDescription,FReadOnly) VALUES ('IC','PriceDecimal','2',N'单价小数位数',0);
INSERT INTO t_SystemProfile (FCategory,FKey,FValue,FDescription,FReadOnly) VALUES ('IC','PrintTitle',NULL,N'套打标题 (未设置)',0);
INSERT INTO t_SystemProfile (FCategory,FKey,FValue,FDescription,FReadOnly) VALUES ('GL','CurrentYear','2024',N'当前会计年度',1);
INSERT INTO t_SystemProfile (FCategory,FKey,FValue,FDescription,FReadOnly) VALUES ('GL','CurrentPeriod','6',N'当前会计期间',1);
INSERT INTO t_SystemProfile (FCategory,FKey,FValue,FDescription,FReadOnly) VALUES ('Base','CompanyName',N'上海澜泽贸易有限公司',N'公司名称',0);
INSERT INTO t_SystemProfile (FCategory,FKey,FValue,FDescription,FReadOnly) VALUES ('Base','CompanyName_EN','Shanghai Lanze Trading Co., Ltd.','Company name',0);

-- Users.
INSERT INTO t_User (FUserID,FName,FDescription,FLanguage) VALUES (16394,'Manager',N'系统管理员','CHS');
INSERT INTO t_User (FUserID,FName,FDescription,FLanguage) VALUES (16395,N'张伟',N'仓库主管','CHS');
INSERT INTO t_User (FUserID,FName,FDescription,FLanguage) VALUES (16396,N'李娜',N'销售助理','CHS');

-- Lookup classes.
INSERT INTO ICLookUpClass (FLookUpCls,FClassName,FGetTable,FInterID,FNumber,FName) VALUES (1,N'客户','t_Customer','FItemID','FNumber','FName');
INSERT INTO ICLookUpClass (FLookUpCls,FClassName,FGetTable,FInterID,FNumber,FName) VALUES (2,N'部门','t_Department','FItemID','FNumber','FName');
INSERT INTO ICLookUpClass (FLookUpCls,FClassName,FGetTable,FInterID,FNumber,FName) VALUES (3,N'职员','t_Emp','FItemID','FNumber','FName');
INSERT INTO ICLookUpClass (FLookUpCls,FClassName,FGetTable,FInterID,FNumber,FName) VALUES (4,N'物料','t_ICItem','FItemID','FNumber','FName');
INSERT INTO ICLookUpClass (FLookUpCls,FClassName,FGetTable,FInterID,FNumber,FName) VALUES (5,N'仓库','t_Stock','FItemID','FNumber','FName');
INSERT INTO ICLookUpClass (FLookUpCls,FClassName,FGetTable,FInterID,FNumber,FName) VALUES (7,N'计量单位','t_MeasureUnit','FMeasureUnitID','FNumber','FName');
INSERT INTO ICLookUpClass (FLookUpCls,FClassName,FGetTable,FInterID,FNumber,FName) VALUES (8,N'供应商','t_Supplier','FItemID','FNumber','FName');
INSERT INTO ICLookUpClass (FLookUpCls,FClassName,FGetTable,FInterID,FNumber,FName) VALUES (10,N'用户','t_User','FUserID','FUserID','FName');
INSERT INTO ICLookUpClass (FLookUpCls,FClassName,FGetTable,FInterID,FNumber,FName) VALUES (11,N'辅助属性','t_auxitem','FItemID','FNumber','FName');
INSERT INTO ICLookUpClass (FLookUpCls,FClassName,FGetTable,FInterID,FNumber,FName) VALUES (241,N'辅助资料','t_SubMessage','FInterID','FID','FName');

-- Lookup tables.
INSERT INTO t_Department (FItemID,FNumber,FName,FPhone) VALUES (1,'01',N'采购部','021-63210001');
INSERT INTO t_Department (FItemID,FNumber,FName,FPhone) VALUES (2,'02',N'销售部','021-63210002');
INSERT INTO t_Department (FItemID,FNumber,FName,FPhone) VALUES (3,'03',N'仓储部','021-63210003');
INSERT INTO t_Department (FItemID,FNumber,FName,FPhone) VALUES (4,'04',N'财务部 (Finance)','021-63210004');
INSERT INTO t_Emp (FItemID,FNumber,FName,FDepartmentID) VALUES (1,'001',N'王强',1);
INSERT INTO t_Emp (FItemID,FNumber,FName,FDepartmentID) VALUES (2,'002',N'刘洋',2);
INSERT INTO t_Emp (FItemID,FNumber,FName,FDepartmentID) VALUES (3,'003',N'陈静',3);
INSERT INTO t_Emp (FItemID,FNumber,FName,FDepartmentID) VALUES (4,'004',N'赵磊',3);
INSERT INTO t_Emp (FItemID,FNumber,FName,FDepartmentID) VALUES (5,'005','Emily Zhang',2);
INSERT INTO t_Supplier (FItemID,FNumber,FName,FAddress,FPhone,FContact) VALUES (1,'S001',N'上海华联纺织有限公司',N'上海市闵行区莘庄工业区春东路 88 号','021-54420188',N'周敏');
INSERT INTO t_Supplier (FItemID,FNumber,FName,FAddress,FPhone,FContact) VALUES (2,'S002','Shenzhen Bright Electronics Co., Ltd.','Building 5, Keji Road, Nanshan District, Shenzhen','0755-26651234','Kevin Li');
INSERT INTO t_Supplier (FItemID,FNumber,FName,FAddress,FPhone,FContact) VALUES (3,'S003',N'北京晨光文具有限公司',N'北京市朝阳区酒仙桥路 12 号','010-84561230',N'孙丽');
INSERT INTO t_Customer (FItemID,FNumber,FName,FAddress,FPhone,FContact) VALUES (1,'C001',N'广州天河百货有限公司',N'广州市天河区天河路 208 号','020-38861234',N'黄海');
INSERT INTO t_Customer (FItemID,FNumber,FName,FAddress,FPhone,FContact) VALUES (2,'C002','Hangzhou West Lake Trading Co.','No. 66 Nanshan Road, Xihu District, Hangzhou','0571-87001234','Grace Wu');
INSERT INTO t_Customer (FItemID,FNumber,FName,FAddress,FPhone,FContact) VALUES (3,'C003',N'成都蓉城商贸有限公司',N'成都市锦江区春熙路 35 号','028-86651234',N'罗杰');
INSERT INTO t_Stock (FItemID,FNumber,FName,FAddress) VALUES (1,'WH01',N'原材料仓',N'一号库房');
INSERT INTO t_Stock (FItemID,FNumber,FName,FAddress) VALUES (2,'WH02',N'成品仓',N'二号库房');
INSERT INTO t_Stock (FItemID,FNumber,FName,FAddress) VALUES (3,'WH03','Shanghai Distribution Center',N'浦东新区外高桥保税区');
INSERT INTO t_MeasureUnit (FMeasureUnitID,FUnitGroupID,FNumber,FName,FCoefficient) VALUES (1,1,'pcs',N'件',1);
INSERT INTO t_MeasureUnit (FMeasureUnitID,FUnitGroupID,FNumber,FName,FCoefficient) VALUES (2,1,'strip',N'条',1);
INSERT INTO t_MeasureUnit (FMeasureUnitID,FUnitGroupID,FNumber,FName,FCoefficient) VALUES (3,1,'root',N'根',1);
INSERT INTO t_MeasureUnit (FMeasureUnitID,FUnitGroupID,FNumber,FName,FCoefficient) VALUES (4,1,'ea',N'个',1);
INSERT INTO t_MeasureUnit (FMeasureUnitID,FUnitGroupID,FNumber,FName,FCoefficient) VALUES (5,1,'pack',N'包',1);
INSERT INTO t_MeasureUnit (FMeasureUnitID,FUnitGroupID,FNumber,FName,FCoefficient) VALUES (6,2,'kg',N'千克',1);
INSERT INTO t_MeasureUnit (FMeasureUnitID,FUnitGroupID,FNumber,FName,FCoefficient) VALUES (7,2,'g',N'克',0.001);
INSERT INTO t_ICItem (FItemID,FNumber,FName,FModel,FUnitID,FUnitGroupID,FQtyDecimal,FPriceDecimal,FAuxClassID,FSalePrice,FSmallPhoto) VALUES (1,'01.001',N'纯棉T恤',N'男款 圆领',1,1,0,2,1,59.0000,0x89504E470D0A1A0A0000000D4948445200000010000000100802000000909168360000008274455874436F6D6D656E74004974656D2030312E3030312C20636F74746F6E20542D73686972743A2074686520736D616C6C2070686F746F206F66207468652064656D6F20646174612C206120313678313620504E47206F66203235302062797465732C207265616420696E206368756E6B73206F66203130302C2031303020616E6420353074199C86000000334944415478DA63F8F0E5074988811C0D2615279011B234A614160D703D58C5B16BC085E8A6019717B106C3A806DA6B200601003A49281F543C8C9C0000000049454E44AE426082);
INSERT INTO t_ICItem (FItemID,FNumber,FName,FModel,FUnitID,FUnitGroupID,FQtyDecimal,FPriceDecimal,FAuxClassID,FSalePrice,FSmallPhoto) VALUES (2,'01.002',N'牛仔裤',N'直筒 蓝色',2,1,0,2,1,129.0000,NULL);
INSERT INTO t_ICItem (FItemID,FNumber,FName,FModel,FUnitID,FUnitGroupID,FQtyDecimal,FPriceDecimal,FAuxClassID,FSalePrice,FSmallPhoto) VALUES (3,'02.001','USB-C Cable 1m','Type-C to Type-C, 60W',3,1,0,2,0,25.0000,NULL);
INSERT INTO t_ICItem (FItemID,FNumber,FName,FModel,FUnitID,FUnitGroupID,FQtyDecimal,FPriceDecimal,FAuxClassID,FSalePrice,FSmallPhoto) VALUES (4,'02.002',N'无线鼠标','M170 2.4GHz',4,1,0,2,0,69.0000,NULL);
INSERT INTO t_ICItem (FItemID,FNumber,FName,FModel,FUnitID,FUnitGroupID,FQtyDecimal,FPriceDecimal,FAuxClassID,FSalePrice,FSmallPhoto) VALUES (5,'03.001',N'复印纸 A4',N'80g 500张/包',5,1,0,2,0,23.5000,NULL);
INSERT INTO t_ICItem (FItemID,FNumber,FName,FModel,FUnitID,FUnitGroupID,FQtyDecimal,FPriceDecimal,FAuxClassID,FSalePrice,FSmallPhoto) VALUES (6,'03.002','Stainless Steel Bolt M8','8x40mm 304',6,2,3,4,0,32.8000,NULL);
INSERT INTO t_SubMessage (FInterID,FTypeID,FID,FName) VALUES (1,10,'ZT1',N'未审核');
INSERT INTO t_SubMessage (FInterID,FTypeID,FID,FName) VALUES (2,10,'ZT3',N'已审核');
INSERT INTO t_SubMessage (FInterID,FTypeID,FID,FName) VALUES (3,10,'ZT4',N'已关闭');
INSERT INTO t_SubMessage (FInterID,FTypeID,FID,FName) VALUES (4,11,'LX1',N'普通销售');
INSERT INTO t_SubMessage (FInterID,FTypeID,FID,FName) VALUES (5,12,'LY1',N'采购入库');

-- Auxiliary properties (sizes of the apparel items) and bar codes.
INSERT INTO t_auxitem (FItemID,FAuxTypeID,FNumber,FName,FAuxFld1Number,FAuxFld1Name,FAuxFld2Number,FAuxFld2Name) VALUES (1,1,'WHT.S',N'白色 S','WHT',N'白色','S',N'小号');
INSERT INTO t_auxitem (FItemID,FAuxTypeID,FNumber,FName,FAuxFld1Number,FAuxFld1Name,FAuxFld2Number,FAuxFld2Name) VALUES (2,1,'WHT.M',N'白色 M','WHT',N'白色','M',N'中号');
INSERT INTO t_auxitem (FItemID,FAuxTypeID,FNumber,FName,FAuxFld1Number,FAuxFld1Name,FAuxFld2Number,FAuxFld2Name) VALUES (3,1,'BLU.L',N'蓝色 L','BLU',N'蓝色','L',N'大号');
INSERT INTO ICItemAuxProp (FItemID,FAuxPropID,FNumber,FName) VALUES (1,1,'01.001.S',N'纯棉T恤 白色 S');
INSERT INTO ICItemAuxProp (FItemID,FAuxPropID,FNumber,FName) VALUES (1,2,'01.001.M',N'纯棉T恤 白色 M');
INSERT INTO ICItemAuxProp (FItemID,FAuxPropID,FNumber,FName) VALUES (1,3,'01.001.L',N'纯棉T恤 蓝色 L');
INSERT INTO ICItemAuxProp (FItemID,FAuxPropID,FNumber,FName) VALUES (2,2,'01.002.M',N'牛仔裤 M');
INSERT INTO ICItemAuxProp (FItemID,FAuxPropID,FNumber,FName) VALUES (2,3,'01.002.L',N'牛仔裤 L');
INSERT INTO t_BarCode (FItemID,FAuxPropID,FBarCode,FIsPrint) VALUES (1,0,'6901234567892',1);
INSERT INTO t_BarCode (FItemID,FAuxPropID,FBarCode,FIsPrint) VALUES (2,0,'6901234567908',1);
INSERT INTO t_BarCode (FItemID,FAuxPropID,FBarCode,FIsPrint) VALUES (3,0,'6923456789012',1);
INSERT INTO t_BarCode (FItemID,FAuxPropID,FBarCode,FIsPrint) VALUES (4,0,'6934567890122',0);
INSERT INTO t_BarCode (FItemID,FAuxPropID,FBarCode,FIsPrint) VALUES (4,0,'6934567890139',1);
INSERT INTO t_BarCode (FItemID,FAuxPropID,FBarCode,FIsPrint) VALUES (6,0,'2000000000060',0);

-- Bill types.
INSERT INTO ICTransactionType (FID,FROB,FName,FName_CHT,FName_EN,FType,FTemplateID,FVchTemplateID,FHeadTable,FEntryTable,FCheckPRO,FFormWidth,FFormHeight,FFixCols,FAllowDefined,FBillFlow) VALUES (1,1,N'外购入库',N'外購入庫','Purchase Receipt',1,'A01',1,'ICStockBill','ICStockBillEntry',NULL,9600,6900,2,1,1);
INSERT INTO ICTransactionType (FID,FROB,FName,FName_CHT,FName_EN,FType,FTemplateID,FVchTemplateID,FHeadTable,FEntryTable,FCheckPRO,FFormWidth,FFormHeight,FFixCols,FAllowDefined,FBillFlow) VALUES (21,1,N'销售出库',N'銷售出庫','Sales Delivery',1,'B01',2,'ICStockBill','ICStockBillEntry',NULL,9600,6900,2,1,1);
INSERT INTO ICTransactionType (FID,FROB,FName,FName_CHT,FName_EN,FType,FTemplateID,FVchTemplateID,FHeadTable,FEntryTable,FCheckPRO,FFormWidth,FFormHeight,FFixCols,FAllowDefined,FBillFlow) VALUES (71,0,N'采购订单',N'採購訂單','Purchase Order',2,'P01',0,'POOrder','POOrderEntry',NULL,9600,6900,2,1,1);

-- Head controls of the templates (E_CtlType: 0 text, 1 date, 2 lookup, 4 bill number,
-- 8 checker, 9 biller, 17 date that may be empty). Lookups name their class in FLookUpCls,
-- controls with FRelateOutTbl 1 read a column of the related control's lookup table.
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',0,0,N'编号',N'編號','Bill No.',4,0,0,'FBillNo',300,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',1,1,N'日期',N'日期','Date',1,0,0,'FDate',3400,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',2,2,N'供应商',N'供應商','Supplier',2,8,1,'FSupplyID',6500,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',3,3,N'供应商地址',N'供應商地址','Supplier Address',0,0,0,'FSupplyAddress',300,1020,2800,0,1,'FSupplyID','.,FAddress',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',4,4,N'部门',N'部門','Department',2,2,1,'FDeptID',3400,1020,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',5,5,N'业务员',N'業務員','Buyer',2,3,1,'FEmpID',6500,1020,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',6,6,N'摘要',N'摘要','Explanation',0,0,0,'FExplanation',300,1440,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',7,7,N'验收',N'驗收','Received By',2,3,1,'FFManagerID',3400,1440,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',8,8,N'保管',N'保管','Keeper',2,3,1,'FSManagerID',6500,1440,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',9,9,N'制单',N'製單','Prepared By',9,10,0,'FBillerID',300,1860,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',10,10,N'审核',N'審核','Checked By',8,10,0,'FCheckerID',3400,1860,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',11,11,N'审核日期',N'審核日期','Check Date',17,0,0,'FCheckDate',6500,1860,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',-1,12,N'事务类型',N'事務類型','Transaction Type',0,0,0,'FTranType',0,0,2800,0,0,'','',0);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',0,0,N'编号',N'編號','Bill No.',4,0,0,'FBillNo',300,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',1,1,N'日期',N'日期','Date',1,0,0,'FDate',3400,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',2,2,N'购货单位',N'購貨單位','Customer',2,1,1,'FSupplyID',6500,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',3,3,N'收货地址',N'收貨地址','Delivery Address',0,0,0,'FCustAddress',300,1020,2800,0,1,'FSupplyID','.,FAddress',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',4,4,N'部门',N'部門','Department',2,2,1,'FDeptID',3400,1020,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',5,5,N'业务员',N'業務員','Salesman',2,3,1,'FEmpID',6500,1020,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',6,6,N'状态',N'狀態','Status',2,241,0,'FStatus',300,1440,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',7,7,N'摘要',N'摘要','Explanation',0,0,0,'FExplanation',3400,1440,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',8,8,N'发货',N'發貨','Shipped By',2,3,1,'FFManagerID',6500,1440,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',9,9,N'保管',N'保管','Keeper',2,3,1,'FSManagerID',300,1860,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',10,10,N'制单',N'製單','Prepared By',9,10,0,'FBillerID',3400,1860,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',11,11,N'审核',N'審核','Checked By',8,10,0,'FCheckerID',6500,1860,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',12,12,N'审核日期',N'審核日期','Check Date',17,0,0,'FCheckDate',300,2280,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',-1,13,N'事务类型',N'事務類型','Transaction Type',0,0,0,'FTranType',0,0,2800,0,0,'','',0);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',0,0,N'编号',N'編號','Order No.',4,0,0,'FBillNo',300,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',1,1,N'日期',N'日期','Date',1,0,0,'FDate',3400,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',2,2,N'供应商',N'供應商','Supplier',2,8,1,'FSupplyID',6500,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',3,3,N'联系电话',N'聯繫電話','Phone',0,0,0,'FSupplyPhone',300,1020,2800,0,1,'FSupplyID','.,FPhone',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',4,4,N'部门',N'部門','Department',2,2,1,'FDeptID',3400,1020,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',5,5,N'采购员',N'採購員','Buyer',2,3,1,'FEmpID',6500,1020,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',6,6,N'摘要',N'摘要','Explanation',0,0,0,'FExplanation',300,1440,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',7,7,N'制单',N'製單','Prepared By',9,10,0,'FBillerID',3400,1440,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',8,8,N'审核',N'審核','Checked By',8,10,0,'FCheckerID',6500,1440,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',9,9,N'审核日期',N'審核日期','Check Date',17,0,0,'FCheckDate',300,1860,2800,0,0,'','',1);

-- Entry columns of the templates (E_CtlType: 3 quantity, 10 batch, 11 amount, 12 price,
-- 13 tax rate, 21 price with tax). Columns with FCtlOrder 0 or below are not printed.
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',1,0,2,4,'FItemID',N'物料',N'物料','Item',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',2,1,0,0,'FItemModel',N'规格型号',N'規格型號','Model',1800,0,0,1,'FItemID','.,FModel',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',3,2,2,11,'FAuxPropID',N'辅助属性',N'輔助屬性','Variant',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',4,3,2,7,'FUnitID',N'单位',N'單位','Unit',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',5,4,10,0,'FBatchNo',N'批号',N'批號','Batch',1200,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',6,5,3,0,'FQty',N'实收数量',N'實收數量','Quantity Received',1000,1,1,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',7,6,12,0,'FPrice',N'单价',N'單價','Unit Price',1000,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',8,7,11,0,'FAmount',N'金额',N'金額','Amount',1200,1,1,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',9,8,2,5,'FDCStockID',N'收料仓库',N'收料倉庫','Warehouse',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',10,9,0,0,'FSourceBillNo',N'源单单号',N'源單單號','Source Bill',1800,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',11,10,0,0,'FNote',N'备注',N'備註','Note',1800,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',0,11,0,0,'FEntryID',N'行号',N'行號','Line',1800,0,0,0,'','',0);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',-1,12,0,0,'FSourceInterId',N'源单内码',N'源單內碼','Source Bill ID',1800,0,0,0,'','',0);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',1,0,2,4,'FItemID',N'物料',N'物料','Item',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',2,1,0,0,'FItemModel',N'规格型号',N'規格型號','Model',1800,0,0,1,'FItemID','.,FModel',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',3,2,2,11,'FAuxPropID',N'辅助属性',N'輔助屬性','Variant',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',4,3,2,7,'FUnitID',N'单位',N'單位','Unit',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',5,4,10,0,'FBatchNo',N'批号',N'批號','Batch',1200,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',6,5,3,0,'FQty',N'实发数量',N'實發數量','Quantity Shipped',1000,1,1,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',7,6,12,0,'FConsignPrice',N'销售单价',N'銷售單價','Sales Price',1000,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',8,7,11,0,'FConsignAmount',N'销售金额',N'銷售金額','Sales Amount',1200,1,1,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',9,8,2,5,'FSCStockID',N'发货仓库',N'發貨倉庫','Warehouse',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',10,9,0,0,'FNote',N'备注',N'備註','Note',1800,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('B01',0,10,0,0,'FEntryID',N'行号',N'行號','Line',1800,0,0,0,'','',0);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',1,0,2,4,'FItemID',N'物料',N'物料','Item',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',2,1,0,0,'FItemModel',N'规格型号',N'規格型號','Model',1800,0,0,1,'FItemID','.,FModel',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',3,2,2,7,'FUnitID',N'单位',N'單位','Unit',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',4,3,3,0,'FQty',N'数量',N'數量','Quantity',1000,1,1,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',5,4,12,0,'FPrice',N'单价',N'單價','Unit Price',1000,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',6,5,13,0,'FTaxRate',N'税率(%)',N'稅率(%)','Tax Rate (%)',1200,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',7,6,21,0,'FTaxPrice',N'含税单价',N'含稅單價','Price incl. Tax',1200,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',8,7,11,0,'FAmount',N'金额',N'金額','Amount',1200,1,1,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',9,8,11,0,'FTaxAmount',N'税额',N'稅額','Tax',1200,1,1,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',10,9,11,0,'FAllAmount',N'价税合计',N'價稅合計','Total',1200,1,1,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',11,10,1,0,'FDate',N'交货日期',N'交貨日期','Delivery Date',1200,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',12,11,0,0,'FNote',N'备注',N'備註','Note',1800,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('P01',0,12,0,0,'FEntryID',N'行号',N'行號','Line',1800,0,0,0,'','',0);

-- Standard explanation texts of two note types.
INSERT INTO GLNoteCitation (FNoteTypeID,FCitationName,FCitationName_CHT,FCitationName_EN,FIndex) VALUES (1,N'收到货款',N'收到貨款','Payment received for goods',1);
INSERT INTO GLNoteCitation (FNoteTypeID,FCitationName,FCitationName_CHT,FCitationName_EN,FIndex) VALUES (1,N'票据贴现',N'票據貼現','Note discounted',2);
INSERT INTO GLNoteCitation (FNoteTypeID,FCitationName,FCitationName_CHT,FCitationName_EN,FIndex) VALUES (1,N'票据背书转让',N'票據背書轉讓','Note endorsed to a third party',3);
INSERT INTO GLNoteCitation (FNoteTypeID,FCitationName,FCitationName_CHT,FCitationName_EN,FIndex) VALUES (2,N'支付货款',N'支付貨款','Payment for goods',1);
INSERT INTO GLNoteCitation (FNoteTypeID,FCitationName,FCitationName_CHT,FCitationName_EN,FIndex) VALUES (2,N'票据到期承兑',N'票據到期承兌','Note honoured at maturity',2);

-- Print template bodies (ids 1 to 6 in this order) and report template bodies (ids 1, 2).
INSERT INTO T_ExcelPrintExportNote (FName,FScreenId,FCreatorName,FModifierName,FNewBillType,FCreateDate,FModifyDate,FData) VALUES (N'外购入库单(标准格式)','1','Manager','Manager','1','2024-03-01 09:12:00.000','2024-03-01 09:12:00.000',0x5441565052543031A8F2FE1EBE9B2C88BBF7DC6A56613092BE6CBD064FD6B5C51BD232EB52F2233E);
INSERT INTO T_ExcelPrintExportNote (FName,FScreenId,FCreatorName,FModifierName,FNewBillType,FCreateDate,FModifyDate,FData) VALUES (N'外购入库单(不含金额)','1','Manager','Manager','1','2024-03-01 09:20:00.000','2024-04-15 16:05:00.000',0x54415650525430314108311576C2744964151F0F2312304497F572FE22EB8E7C);
INSERT INTO T_ExcelPrintExportNote (FName,FScreenId,FCreatorName,FModifierName,FNewBillType,FCreateDate,FModifyDate,FData) VALUES (N'销售出库单(标准格式)','21','Manager','Manager','21','2024-03-02 10:00:00.000','2024-03-02 10:00:00.000',0x5441565052543031E6CAA05D572B7289AE846869BB3E4B4205608AAD2586B480B8014FAF5172F376606B0FE212F5B8A8);
INSERT INTO T_ExcelPrintExportNote (FName,FScreenId,FCreatorName,FModifierName,FNewBillType,FCreateDate,FModifyDate,FData) VALUES (N'销售出库单(红字)','21','Manager','Manager','21','2024-03-02 10:30:00.000','2024-03-02 10:30:00.000',0x5441565052543031B34472135DFDEAD546AF2AC3B33BB69D);
INSERT INTO T_ExcelPrintExportNote (FName,FScreenId,FCreatorName,FModifierName,FNewBillType,FCreateDate,FModifyDate,FData) VALUES (N'采购订单(标准格式)','71','Manager','Manager','71','2024-03-05 14:45:00.000','2024-03-05 14:45:00.000',0x54415650525430317E8B1CF61BCFDE202825F412E50F00EF9B802980520DD3B5E9B73C9BFA099D01BEA618E46DEA23A779D06EF8044D72AC1E2C83630A36678F);
INSERT INTO T_ExcelPrintExportNote (FName,FScreenId,FCreatorName,FModifierName,FNewBillType,FCreateDate,FModifyDate,FData) VALUES (N'外购入库单(张伟)','1',N'张伟',N'张伟','1','2024-05-20 11:11:00.000','2024-05-21 08:30:00.000',0x5441565052543031B2692E5E95399275);
INSERT INTO T_RptExcelPrintExportNote (FName,FScreenId,FCreatorName,FModifierName,FNewRptId,FCreateDate,FModifyDate,FData) VALUES (N'库存台账(标准格式)','1001','Manager','Manager','1001','2024-03-10 09:00:00.000','2024-03-10 09:00:00.000',0x544156525054303105CD1D73B20C2BF89BFA3A8DED63AB0CC9D55590C6E18E1D);
INSERT INTO T_RptExcelPrintExportNote (FName,FScreenId,FCreatorName,FModifierName,FNewRptId,FCreateDate,FModifyDate,FData) VALUES (N'销售明细表 (Sales Detail)','1002','Manager',NULL,'1002','2024-03-11 09:00:00.000','2024-03-11 09:00:00.000',0x5441565250543031E9246DF0D2EEF15DDF255F74FDCE4CF3A53704B0B41EA1FB9E017391F968CF2626AEDCE46CD6A1E9);

-- Template assignments and settings. The administrator (16394) selects bodies 1 (bill type 1),
-- 3 (bill type 21, no sub-type), 4 (bill type 21, sub-type RED) and 5 (bill type 71, whose
-- sub-type is Null); 张伟 (16395) has his own body 6. Page-settings rows have FBillId 0; the
-- bill-type settings row of bill type 1 has FBillId -1; the switch row is 'SaveByUser'.
INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FDate,FName,FData,FPrintSet,FBillTypeSub,FSel) VALUES (0,0,16394,'2024-03-01 09:00:00.000','SaveByUser','1',NULL,NULL,0);
INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FDate,FName,FData,FPrintSet,FBillTypeSub,FSel) VALUES (1,1,16394,'2024-03-01 09:12:00.000',N'外购入库单(标准格式)','',NULL,'',1);
INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FDate,FName,FData,FPrintSet,FBillTypeSub,FSel) VALUES (1,2,16394,'2024-03-01 09:20:00.000',N'外购入库单(不含金额)','',NULL,'',0);
INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FDate,FName,FData,FPrintSet,FBillTypeSub,FSel) VALUES (1,0,16394,'2024-03-01 09:25:00.000',N'存放页面设置信息','PaperSize=9,Orientation=1,TopMargin=10,LeftMargin=12,Copies=1',0x505345549CD7834B8B80B51502E6EA0E8C0CDF38BE4918B2,NULL,0);
INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FDate,FName,FData,FPrintSet,FBillTypeSub,FSel) VALUES (1,-1,16394,'2024-03-01 09:30:00.000',N'单据类型设置','ShowPrintTimes,1|PrintZeroQty,0|',NULL,NULL,0);
INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FDate,FName,FData,FPrintSet,FBillTypeSub,FSel) VALUES (21,3,16394,'2024-03-02 10:00:00.000',N'销售出库单(标准格式)','',NULL,'',1);
INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FDate,FName,FData,FPrintSet,FBillTypeSub,FSel) VALUES (21,4,16394,'2024-03-02 10:30:00.000',N'销售出库单(红字)','',NULL,'RED',1);
INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FDate,FName,FData,FPrintSet,FBillTypeSub,FSel) VALUES (21,0,16394,'2024-03-02 10:35:00.000',N'存放页面设置信息','PaperSize=9,Orientation=2,TopMargin=8,LeftMargin=8,Copies=2',0x50534554BAEC00746FAB9F33C9F5E7E9D5816879B66B84432D9656FBB6DBFA9C,NULL,0);
INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FDate,FName,FData,FPrintSet,FBillTypeSub,FSel) VALUES (71,5,16394,'2024-03-05 14:45:00.000',N'采购订单(标准格式)','',NULL,NULL,1);
INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FDate,FName,FData,FPrintSet,FBillTypeSub,FSel) VALUES (1,6,16395,'2024-05-20 11:11:00.000',N'外购入库单(张伟)','',NULL,'',1);
INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FDate,FName,FData,FPrintSet,FBillTypeSub,FSel) VALUES (1,0,16395,'2024-05-20 11:15:00.000',N'存放页面设置信息','PaperSize=9,Orientation=1,TopMargin=15,LeftMargin=15,Copies=1',0x50534554C8793EAF1AC056A9519CC0A3,NULL,0);
INSERT INTO T_RptExcelPrintExport (FRptId,FNoteId,FPreparerId,FDate,FName,FData,FPrintSet,FSel) VALUES (1001,1,16394,'2024-03-10 09:00:00.000',N'库存台账(标准格式)','',NULL,1);
INSERT INTO T_RptExcelPrintExport (FRptId,FNoteId,FPreparerId,FDate,FName,FData,FPrintSet,FSel) VALUES (1001,0,16394,'2024-03-10 09:05:00.000',N'存放页面设置信息','PaperSize=9,Orientation=2',NULL,0);
INSERT INTO T_RptExcelPrintExport (FRptId,FNoteId,FPreparerId,FDate,FName,FData,FPrintSet,FSel) VALUES (1002,2,16394,'2024-03-11 09:00:00.000',N'销售明细表 (Sales Detail)','',NULL,1);

-- Print counters: bill types 1 and 21 show the count; 71 does not.
INSERT INTO ICPrintMaxCount (FID,FShowPrintTimes,FMaxCount) VALUES (1,1,0);
INSERT INTO ICPrintMaxCount (FID,FShowPrintTimes,FMaxCount) VALUES (21,1,3);
INSERT INTO ICPrintMaxCount (FID,FShowPrintTimes,FMaxCount) VALUES (71,0,0);
INSERT INTO ICPrintCount (FID,FInterID,FPrintCount) VALUES (1,1001,3);
INSERT INTO ICPrintCount (FID,FInterID,FPrintCount) VALUES (1,1002,1);
INSERT INTO ICPrintCount (FID,FInterID,FPrintCount) VALUES (21,2001,2);

-- Purchase receipts (bill type 1).
INSERT INTO ICStockBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FEmpID,FFManagerID,FSManagerID,FBillerID,FCheckerID,FCheckDate,FStatus,FExplanation) VALUES (1001,1,'WIN000001','2024-06-03 00:00:00.000',1,1,1,3,4,16395,16394,'2024-06-03 17:20:00.000',1,N'6月首批服装到货');
INSERT INTO ICStockBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FEmpID,FFManagerID,FSManagerID,FBillerID,FCheckerID,FCheckDate,FStatus,FExplanation) VALUES (1002,1,'WIN000002','2024-06-07 00:00:00.000',2,1,5,3,4,16395,16394,'2024-06-08 09:05:00.000',1,'Electronics restock');
INSERT INTO ICStockBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FEmpID,FFManagerID,FSManagerID,FBillerID,FCheckerID,FCheckDate,FStatus,FExplanation) VALUES (1003,1,'WIN000003','2024-06-12 00:00:00.000',3,1,1,4,4,16395,NULL,NULL,0,N'办公用品及紧固件');
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote,FEntrySelfA0101) VALUES (1001,1,1,1,1,'B240603',120,120,35.2,4224.00,0,0,2,0,'POORD000001',N'S 码',36.00);
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote,FEntrySelfA0101) VALUES (1001,2,1,2,1,'B240603',150,150,35.2,5280.00,0,0,2,0,'POORD000001',NULL,45.00);
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote,FEntrySelfA0101) VALUES (1001,3,1,3,1,'B240603',80,80,36.5,2920.00,0,0,2,0,'POORD000001',N'L 码加价',24.00);
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (1001,4,2,3,2,'B240603-J',60,60,78.6,4716.00,0,0,2,0,'',NULL);
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (1002,1,3,0,3,'',500,500,12.4,6200.00,0,0,3,0,'POORD000002',NULL);
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (1002,2,4,0,4,'SN2406A',48,48,41.5,1992.00,0,0,3,0,'POORD000002',N'含电池');
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (1003,1,5,0,5,'',40,40,16.8,672.00,0,0,1,0,'',NULL);
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (1003,2,6,0,6,'HT-0612',12.5,12.5,21.35,266.88,0,0,1,0,'',N'按重量计价');
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (1003,3,6,0,6,'HT-0612',0.375,0.375,21.35,8.01,0,0,1,0,'',N'补差');

-- Sales deliveries (bill type 21). FStatus 0 unchecked, 3 checked, 5 closed.
INSERT INTO ICStockBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FEmpID,FFManagerID,FSManagerID,FBillerID,FCheckerID,FCheckDate,FStatus,FExplanation) VALUES (2001,21,'XOUT000001','2024-06-10 00:00:00.000',1,2,2,4,3,16396,16394,'2024-06-10 15:40:00.000',3,N'天河百货 618 备货');
INSERT INTO ICStockBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FEmpID,FFManagerID,FSManagerID,FBillerID,FCheckerID,FCheckDate,FStatus,FExplanation) VALUES (2002,21,'XOUT000002','2024-06-14 00:00:00.000',2,2,5,4,3,16396,NULL,NULL,0,'Shipment to Hangzhou');
INSERT INTO ICStockBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FEmpID,FFManagerID,FSManagerID,FBillerID,FCheckerID,FCheckDate,FStatus,FExplanation) VALUES (2003,21,'XOUT000003','2024-06-18 00:00:00.000',3,2,2,4,3,16396,16394,'2024-06-19 10:00:00.000',5,N'成都门店补货');
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (2001,1,1,1,1,'B240603',60,60,35.2,2112.00,59,3540.00,0,2,'',N'赠品 2 件');
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (2001,2,1,2,1,'B240603',80,80,35.2,2816.00,59,4720.00,0,2,'',NULL);
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (2001,3,2,3,2,'B240603-J',30,30,78.6,2358.00,129,3870.00,0,2,'',NULL);
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (2002,1,3,0,3,'',200,200,12.4,2480.00,25,5000.00,0,3,'',NULL);
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (2002,2,4,0,4,'SN2406A',24,24,41.5,996.00,69,1656.00,0,3,'','Gift box');
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (2002,3,5,0,5,'',15,15,16.8,252.00,23.5,352.50,0,1,'',NULL);
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (2003,1,1,3,1,'B240603',36,36,35.2,1267.20,57.5,2070.00,0,2,'',N'L 码九五折');
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (2003,2,6,0,6,'HT-0612',2.75,2.75,21.35,58.71,32.8,90.20,0,1,'',NULL);

-- Purchase orders (bill type 71).
INSERT INTO POOrder (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FEmpID,FBillerID,FCheckerID,FCheckDate,FStatus,FExplanation) VALUES (3001,71,'POORD000001','2024-05-28 00:00:00.000',1,1,1,16395,16394,'2024-05-28 16:00:00.000',1,N'夏季服装采购');
INSERT INTO POOrder (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FEmpID,FBillerID,FCheckerID,FCheckDate,FStatus,FExplanation) VALUES (3002,71,'POORD000002','2024-06-01 00:00:00.000',2,1,5,16395,NULL,NULL,0,'Q3 accessories order');
INSERT INTO POOrderEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FQty,FPrice,FTaxRate,FTaxPrice,FAmount,FTaxAmount,FAllAmount,FDate,FNote) VALUES (3001,1,1,1,1,120,35.2,13,39.7760,4224.00,549.12,4773.12,'2024-06-03 00:00:00.000',N'S 码');
INSERT INTO POOrderEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FQty,FPrice,FTaxRate,FTaxPrice,FAmount,FTaxAmount,FAllAmount,FDate,FNote) VALUES (3001,2,1,2,1,150,35.2,13,39.7760,5280.00,686.40,5966.40,'2024-06-03 00:00:00.000',NULL);
INSERT INTO POOrderEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FQty,FPrice,FTaxRate,FTaxPrice,FAmount,FTaxAmount,FAllAmount,FDate,FNote) VALUES (3001,3,1,3,1,80,36.5,13,41.2450,2920.00,379.60,3299.60,'2024-06-03 00:00:00.000',NULL);
INSERT INTO POOrderEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FQty,FPrice,FTaxRate,FTaxPrice,FAmount,FTaxAmount,FAllAmount,FDate,FNote) VALUES (3001,4,2,3,2,60,78.6,13,88.8180,4716.00,613.08,5329.08,'2024-06-10 00:00:00.000',N'加急');
INSERT INTO POOrderEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FQty,FPrice,FTaxRate,FTaxPrice,FAmount,FTaxAmount,FAllAmount,FDate,FNote) VALUES (3002,1,3,0,3,500,12.4,13,14.0120,6200.00,806.00,7006.00,'2024-06-07 00:00:00.000',NULL);
INSERT INTO POOrderEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FQty,FPrice,FTaxRate,FTaxPrice,FAmount,FTaxAmount,FAllAmount,FDate,FNote) VALUES (3002,2,4,0,4,48,41.5,13,46.8950,1992.00,258.96,2250.96,'2024-06-07 00:00:00.000',NULL);
INSERT INTO POOrderEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FQty,FPrice,FTaxRate,FTaxPrice,FAmount,FTaxAmount,FAllAmount,FDate,FNote) VALUES (3002,3,6,0,6,20.25,21.35,9,23.2715,432.34,38.91,471.25,'2024-06-20 00:00:00.000','Partial delivery allowed');

-- Print counters, pictures and the template package. The system profile reads a key of one
-- template from a row keyed "<key>:<template id>" before the key itself: template B01 (sales
-- deliveries) prints a run of bills as one job.
INSERT INTO t_SystemProfile (FCategory,FKey,FValue,FDescription,FReadOnly) VALUES ('IC','NotePrintSingle:B01','0',N'销售出库单套打不逐张打印',0);

-- Bill types for printing several bills at once and for the computed columns: production issues
-- and returns (92, 24) with summary printing of their orders, incoming inspections (707) with
-- quantitative and qualitative lines, subcontract receipts (87) whose amount is computed from
-- the line. Their lookups, items and bills follow.
INSERT INTO ICLookUpClass (FLookUpCls,FClassName,FGetTable,FInterID,FNumber,FName,FBillNo) VALUES (30,N'生产任务单','ICMO','FICMOID','FBillNo','FBillNo','FBillNo');
INSERT INTO ICLookUpClass (FLookUpCls,FClassName,FGetTable,FInterID,FNumber,FName) VALUES (31,N'检验项目','t_QMInspectItem','FItemID','FNumber','FName');
INSERT INTO t_MeasureUnit (FMeasureUnitID,FUnitGroupID,FNumber,FName,FCoefficient) VALUES (8,3,'m',N'米',1);
INSERT INTO t_ICItem (FItemID,FNumber,FName,FModel,FUnitID,FUnitGroupID,FQtyDecimal,FPriceDecimal,FAuxClassID,FSalePrice,FSmallPhoto) VALUES (7,'04.001',N'纯棉面料',N'幅宽 150cm 180g',8,3,2,4,0,0,NULL);
INSERT INTO t_ICItem (FItemID,FNumber,FName,FModel,FUnitID,FUnitGroupID,FQtyDecimal,FPriceDecimal,FAuxClassID,FSalePrice,FSmallPhoto) VALUES (8,'04.002',N'缝纫线','40S/2 5000m',1,1,0,2,0,0,NULL);
INSERT INTO t_BarCode (FItemID,FAuxPropID,FBarCode,FIsPrint) VALUES (7,0,'6940000000072',1);
INSERT INTO t_SubMessage (FInterID,FTypeID,FID,FName) VALUES (6,30,'QL01',N'合格');
INSERT INTO t_SubMessage (FInterID,FTypeID,FID,FName) VALUES (7,30,'QL02',N'不合格');
INSERT INTO t_SubMessage (FInterID,FTypeID,FID,FName) VALUES (8,30,'QL03',N'无异味');
INSERT INTO t_SubMessage (FInterID,FTypeID,FID,FName) VALUES (9,30,'QL04',N'轻微异味');
INSERT INTO t_SubMessage (FInterID,FTypeID,FID,FName) VALUES (10,30,'QL05',N'色泽均匀');
INSERT INTO t_QMInspectItem (FItemID,FNumber,FName,FUnit) VALUES (1,'QI01',N'克重','g/m2');
INSERT INTO t_QMInspectItem (FItemID,FNumber,FName,FUnit) VALUES (2,'QI02',N'色牢度',N'级');
INSERT INTO t_QMInspectItem (FItemID,FNumber,FName,FUnit) VALUES (3,'QI03',N'外观',NULL);
INSERT INTO t_QMInspectItem (FItemID,FNumber,FName,FUnit) VALUES (4,'QI04',N'线长','m');
INSERT INTO t_QMInspectItem (FItemID,FNumber,FName,FUnit) VALUES (5,'QI05',N'气味',NULL);

INSERT INTO ICTransactionType (FID,FROB,FName,FName_CHT,FName_EN,FType,FTemplateID,FVchTemplateID,FHeadTable,FEntryTable,FCheckPRO,FFormWidth,FFormHeight,FFixCols,FAllowDefined,FBillFlow) VALUES (92,1,N'生产领料',N'生產領料','Production Issue',1,'M01',0,'ICMOIssueBill','ICMOIssueBillEntry',NULL,9600,6900,2,1,1);
INSERT INTO ICTransactionType (FID,FROB,FName,FName_CHT,FName_EN,FType,FTemplateID,FVchTemplateID,FHeadTable,FEntryTable,FCheckPRO,FFormWidth,FFormHeight,FFixCols,FAllowDefined,FBillFlow) VALUES (24,-1,N'生产退料',N'生產退料','Production Return',1,'M01',0,'ICMOIssueBill','ICMOIssueBillEntry',NULL,9600,6900,2,1,1);
INSERT INTO ICTransactionType (FID,FROB,FName,FName_CHT,FName_EN,FType,FTemplateID,FVchTemplateID,FHeadTable,FEntryTable,FCheckPRO,FFormWidth,FFormHeight,FFixCols,FAllowDefined,FBillFlow) VALUES (707,1,N'来料检验单',N'來料檢驗單','Incoming Inspection',3,'Q01',0,'QMInspectBill','QMInspectBillEntry',NULL,9600,6900,2,1,0);
INSERT INTO ICTransactionType (FID,FROB,FName,FName_CHT,FName_EN,FType,FTemplateID,FVchTemplateID,FHeadTable,FEntryTable,FCheckPRO,FFormWidth,FFormHeight,FFixCols,FAllowDefined,FBillFlow) VALUES (87,1,N'委外加工入库',N'委外加工入庫','Subcontract Receipt',1,'W01',0,'ICStockBill','ICStockBillEntry',NULL,9600,6900,2,1,1);

-- Template M01 (production issues and returns). FPlanCost and FPrintNote come from outside the
-- bill and print as empty values; FICMOInterID is kept with the bill but not on the form.
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',0,0,N'编号',N'編號','Bill No.',4,0,0,'FBillNo',300,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',1,1,N'日期',N'日期','Date',1,0,0,'FDate',3400,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',2,2,N'加工单位',N'加工單位','Processor',2,8,1,'FSupplyID',6500,600,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',3,3,N'领料部门',N'領料部門','Department',2,2,1,'FDeptID',300,1020,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',4,4,N'产品',N'產品','Product',2,4,1,'FMOItemID',3400,1020,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',5,5,N'产品规格',N'產品規格','Product Model',0,0,0,'FMOItemModel',6500,1020,2800,0,1,'FMOItemID','.,FModel',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',6,6,N'生产数量',N'生產數量','Order Qty',3,0,0,'FMOQty',300,1440,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',7,7,N'生产数量(辅)',N'生產數量(輔)','Order Qty (aux.)',3,0,0,'FMOAuxQty',3400,1440,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',8,8,N'状态',N'狀態','Status',2,241,0,'FStatus',6500,1440,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',9,9,N'制单',N'製單','Prepared By',9,10,0,'FBillerID',300,1860,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',10,10,N'审核',N'審核','Checked By',8,10,0,'FCheckerID',3400,1860,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',11,11,N'计划成本',N'計劃成本','Planned Cost',11,0,0,'FPlanCost',6500,1860,2800,0,1,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',12,12,N'打印说明',N'打印說明','Print Note',0,0,0,'FPrintNote',300,2280,2800,0,1,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',-1,13,N'生产任务单',N'生產任務單','Production Order',0,0,0,'FICMOInterID',0,0,2800,0,0,'','',0);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',1,0,2,4,'FItemID',N'物料',N'物料','Item',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',2,1,0,0,'FItemModel',N'规格型号',N'規格型號','Model',1800,0,0,1,'FItemID','.,FModel',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',3,2,2,7,'FUnitID',N'单位',N'單位','Unit',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',4,3,3,0,'FQty',N'实发数量',N'實發數量','Quantity Issued',1000,1,1,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',5,4,12,0,'FPrice',N'单价',N'單價','Unit Price',1000,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',6,5,11,0,'FAmount',N'金额',N'金額','Amount',1200,1,1,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',7,6,2,5,'FSCStockID',N'发料仓库',N'發料倉庫','Warehouse',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',8,7,5,30,'FICMOInterID',N'生产任务单号',N'生產任務單號','Production Order',1500,0,0,1,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',9,8,0,0,'FNote',N'备注',N'備註','Note',1800,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('M01',0,9,0,0,'FEntryID',N'行号',N'行號','Line',1800,0,0,0,'','',0);

-- Template Q01 (incoming inspections). The UnUse and tolerance columns are computed from the
-- line's analysis method; the ...ID lookups they show for a qualitative line are on the form but
-- not printed themselves.
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',0,0,N'编号',N'編號','Bill No.',4,0,0,'FBillNo',300,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',1,1,N'日期',N'日期','Date',1,0,0,'FDate',3400,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',2,2,N'供应商',N'供應商','Supplier',2,8,1,'FSupplyID',6500,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',3,3,N'检验部门',N'檢驗部門','Department',2,2,1,'FDeptID',300,1020,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',4,4,N'检验员',N'檢驗員','Inspector',2,3,1,'FInspectorID',3400,1020,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',5,5,N'状态',N'狀態','Status',2,241,0,'FStatus',6500,1020,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',6,6,N'摘要',N'摘要','Explanation',0,0,0,'FExplanation',300,1440,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',7,7,N'制单',N'製單','Prepared By',9,10,0,'FBillerID',3400,1440,2800,0,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',8,8,N'审核',N'審核','Checked By',8,10,0,'FCheckerID',6500,1440,2800,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',1,0,2,4,'FItemID',N'物料',N'物料','Item',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',2,1,2,31,'FInspectItemID',N'检验项目',N'檢驗項目','Inspection Item',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',3,2,0,0,'FTargetUnUse',N'目标值',N'目標值','Target',1200,0,0,1,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',4,3,0,0,'FLowerLimitUnUse',N'下限',N'下限','Lower Limit',1200,0,0,1,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',5,4,0,0,'FUpperLimitUnUse',N'上限',N'上限','Upper Limit',1200,0,0,1,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',6,5,3,0,'FLowTolerance',N'下偏差',N'下偏差','Lower Tolerance',1200,0,0,1,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',7,6,3,0,'FUpTolerance',N'上偏差',N'上偏差','Upper Tolerance',1200,0,0,1,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',8,7,0,0,'FTestValueUnUse',N'检验值',N'檢驗值','Test Value',1200,0,0,1,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',9,8,2,241,'FResultID',N'判定',N'判定','Result',1000,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',10,9,0,0,'FNote',N'备注',N'備註','Note',1800,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',11,10,2,241,'FTargetID',N'目标值(定性)',N'目標值(定性)','Target (qualitative)',1200,0,0,0,'','',0);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',12,11,2,241,'FLowerLimitID',N'下限(定性)',N'下限(定性)','Lower Limit (qualitative)',1200,0,0,0,'','',0);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',13,12,2,241,'FUpperLimitID',N'上限(定性)',N'上限(定性)','Upper Limit (qualitative)',1200,0,0,0,'','',0);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',14,13,2,241,'FTestValueID',N'检验值(定性)',N'檢驗值(定性)','Test Value (qualitative)',1200,0,0,0,'','',0);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',0,14,0,0,'FEntryID',N'行号',N'行號','Line',1800,0,0,0,'','',0);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('Q01',-1,15,0,0,'FAnalysisMethodID',N'分析方法',N'分析方法','Analysis Method',1000,0,0,0,'','',0);

-- Template W01 (subcontract receipts): the processing fee is the quantity times the processing
-- price, computed by the statement ("u1" stands for the entry table).
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('W01',0,0,N'编号',N'編號','Bill No.',4,0,0,'FBillNo',300,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('W01',1,1,N'日期',N'日期','Date',1,0,0,'FDate',3400,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('W01',2,2,N'加工单位',N'加工單位','Processor',2,8,1,'FSupplyID',6500,600,2800,1,0,'','',1);
INSERT INTO ICTemplate (FID,FCtlIndex,FTabIndex,FCaption,FCaption_CHT,FCaption_EN,FCtlType,FLookUpCls,FSaveValue,FFieldName,FLeft,FTop,FWidth,FMustInput,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('W01',3,3,N'制单',N'製單','Prepared By',9,10,0,'FBillerID',300,1020,2800,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('W01',1,0,2,4,'FItemID',N'物料',N'物料','Item',1500,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('W01',2,1,3,0,'FQty',N'数量',N'數量','Quantity',1000,1,1,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('W01',3,2,12,0,'FConsignPrice',N'加工单价',N'加工單價','Processing Price',1000,0,0,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('W01',4,3,11,0,'FAmount',N'加工费',N'加工費','Processing Fee',1200,1,1,0,'FQty','=,u1.FQty*u1.FConsignPrice',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('W01',0,4,0,0,'FEntryID',N'行号',N'行號','Line',1800,0,0,0,'','',0);

-- A self-defined amount column on purchase receipts, which the industry edition's report sums,
-- and the quantity its size matrix spreads over the sizes.
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',12,13,11,0,'FEntrySelfA0101',N'加工金额',N'加工金額','Processing Amount',1200,1,1,0,'','',1);
INSERT INTO ICTemplateEntry (FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FFieldName,FHeadCaption,FHeadCaption_CHT,FHeadCaption_EN,FWidth,FNeedCount,FStatCount,FRelateOutTbl,FRelationID,FAction,FPrint) VALUES ('A01',13,14,3,0,'FAuxQty',N'辅助数量',N'輔助數量','Quantity (aux.)',1000,1,1,0,'','',0);

-- Production orders, issues (9201-9203) and a return (2401).
INSERT INTO ICMO (FICMOInterID,FBillNo,FItemID,FQty,FStatus) VALUES (1,'MO000001',1,500,1);
INSERT INTO ICMO (FICMOInterID,FBillNo,FItemID,FQty,FStatus) VALUES (2,'MO000002',2,300,1);
INSERT INTO ICMOIssueBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FMOItemID,FMOQty,FMOAuxQty,FICMOInterID,FBillerID,FCheckerID,FStatus,FExplanation) VALUES (9201,92,'SOUT000001','2024-06-05 00:00:00.000',1,3,1,500,500,1,16395,16394,3,N'夏季T恤生产领料');
INSERT INTO ICMOIssueBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FMOItemID,FMOQty,FMOAuxQty,FICMOInterID,FBillerID,FCheckerID,FStatus,FExplanation) VALUES (9202,92,'SOUT000002','2024-06-06 00:00:00.000',2,1,2,300,12.5,2,16395,NULL,0,'Jeans production issue');
INSERT INTO ICMOIssueBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FMOItemID,FMOQty,FMOAuxQty,FICMOInterID,FBillerID,FCheckerID,FStatus,FExplanation) VALUES (9203,92,'SOUT000003','2024-06-08 00:00:00.000',1,3,1,500,500,1,16396,16394,5,N'补领缝纫线');
INSERT INTO ICMOIssueBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FMOItemID,FMOQty,FMOAuxQty,FICMOInterID,FBillerID,FCheckerID,FStatus,FExplanation) VALUES (2401,24,'SRET000001','2024-06-09 00:00:00.000',1,3,1,500,500,1,16395,NULL,0,N'退回多领面料');
INSERT INTO ICMOIssueBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FQty,FAuxQty,FPrice,FAmount,FSCStockID,FICMOInterID,FNote) VALUES (9201,1,7,0,8,420.5,420.5,18.6,7821.30,1,1,NULL);
INSERT INTO ICMOIssueBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FQty,FAuxQty,FPrice,FAmount,FSCStockID,FICMOInterID,FNote) VALUES (9201,2,8,0,1,50,50,2.5,125.00,1,1,N'白色');
INSERT INTO ICMOIssueBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FQty,FAuxQty,FPrice,FAmount,FSCStockID,FICMOInterID,FNote) VALUES (9202,1,7,0,8,360,360,18.6,6696.00,1,2,NULL);
INSERT INTO ICMOIssueBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FQty,FAuxQty,FPrice,FAmount,FSCStockID,FICMOInterID,FNote) VALUES (9202,2,6,0,6,1.25,1.25,21.35,26.69,1,2,N'铆钉用');
INSERT INTO ICMOIssueBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FQty,FAuxQty,FPrice,FAmount,FSCStockID,FICMOInterID,FNote) VALUES (9203,1,8,0,1,20,20,2.5,50.00,1,1,NULL);
INSERT INTO ICMOIssueBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FQty,FAuxQty,FPrice,FAmount,FSCStockID,FICMOInterID,FNote) VALUES (2401,1,7,0,8,10.5,10.5,18.6,195.30,1,1,NULL);

-- Incoming inspections: weight and length measured, appearance and smell judged.
INSERT INTO QMInspectBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FInspectorID,FBillerID,FCheckerID,FStatus,FExplanation) VALUES (70701,707,'IQC000001','2024-06-03 00:00:00.000',1,3,3,16395,16394,3,N'面料来料检验');
INSERT INTO QMInspectBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FInspectorID,FBillerID,FCheckerID,FStatus,FExplanation) VALUES (70702,707,'IQC000002','2024-06-07 00:00:00.000',2,3,4,16395,NULL,0,'Cable incoming inspection');
INSERT INTO QMInspectBillEntry (FInterID,FEntryID,FItemID,FInspectItemID,FAnalysisMethodID,FTargetQty,FLowerLimitQty,FUpperLimitQty,FTestValue,FTargetID,FLowerLimitID,FUpperLimitID,FTestValueID,FResultID,FNote) VALUES (70701,1,7,1,1,180,175,190,182.5,NULL,NULL,NULL,NULL,6,NULL);
INSERT INTO QMInspectBillEntry (FInterID,FEntryID,FItemID,FInspectItemID,FAnalysisMethodID,FTargetQty,FLowerLimitQty,FUpperLimitQty,FTestValue,FTargetID,FLowerLimitID,FUpperLimitID,FTestValueID,FResultID,FNote) VALUES (70701,2,7,3,9,NULL,NULL,NULL,NULL,10,NULL,NULL,10,6,NULL);
INSERT INTO QMInspectBillEntry (FInterID,FEntryID,FItemID,FInspectItemID,FAnalysisMethodID,FTargetQty,FLowerLimitQty,FUpperLimitQty,FTestValue,FTargetID,FLowerLimitID,FUpperLimitID,FTestValueID,FResultID,FNote) VALUES (70701,3,7,5,9,NULL,NULL,NULL,NULL,8,8,8,9,7,N'复检');
INSERT INTO QMInspectBillEntry (FInterID,FEntryID,FItemID,FInspectItemID,FAnalysisMethodID,FTargetQty,FLowerLimitQty,FUpperLimitQty,FTestValue,FTargetID,FLowerLimitID,FUpperLimitID,FTestValueID,FResultID,FNote) VALUES (70702,1,3,4,1,1,0.98,1.05,0.995,NULL,NULL,NULL,NULL,6,NULL);

-- A subcontract receipt.
INSERT INTO ICStockBill (FInterID,FTranType,FBillNo,FDate,FSupplyID,FDeptID,FEmpID,FFManagerID,FSManagerID,FBillerID,FCheckerID,FCheckDate,FStatus,FExplanation) VALUES (8701,87,'JIN000001','2024-06-20 00:00:00.000',1,3,1,3,4,16395,NULL,NULL,0,N'T恤委外缝制');
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (8701,1,1,1,1,'',200,200,0,0,4.75,0,2,0,'',NULL);
INSERT INTO ICStockBillEntry (FInterID,FEntryID,FItemID,FAuxPropID,FUnitID,FBatchNo,FQty,FAuxQty,FPrice,FAmount,FConsignPrice,FConsignAmount,FDCStockID,FSCStockID,FSourceBillNo,FNote) VALUES (8701,2,1,2,1,'',150,150,0,0,4.75,0,2,0,'',NULL);
