-- Rows for the SQL test scripts: two bills with three entry lines, their lookups, templates of
-- the administrator (16394) and of user 7, and the profile and counter rows.
INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('IC', 'IndustryVersion', '2.5')
INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('GL', 'Empty', NULL)
INSERT INTO t_Supplier VALUES (1, 'S01', N'华东供应商'), (2, 'S02', 'North Supply')
INSERT INTO t_Department VALUES (1, 'D01', N'采购部')
INSERT INTO t_User VALUES (16394, 'Manager'), (7, N'张三')
INSERT INTO t_Item (FItemID, FNumber, FName, FQtyDecimal, FPriceDecimal, FUnitGroupID)
VALUES (10, 'M-10', N'钢板', 3, 2, 1), (11, 'M-11', 'Bolt', 0, 4, 1)
INSERT INTO t_SubMessage VALUES (1, 'LY1', N'来源一'), (2, 'ZT1', N'未审核'), (3, 'ZT3', N'已审核'),
  (4, 'ZT4', N'已关闭'), (5, 'LX1', N'类型一')
INSERT INTO ICStockBill (FInterID, FBillNo, FDate, FSupplyID, FDeptID, FBillerID, FCheckerID, FStatus, FNote)
VALUES (1001, 'WIN000001', '2024-03-01', 1, 1, 16394, 7, 3, 'first'),
       (1002, 'WIN000002', '2024-03-02 14:30:00', 2, 1, 7, NULL, 5, NULL)
INSERT INTO ICStockBillEntry (FInterID, FEntryID, FItemID, FAuxQty, FAuxPrice, FAmount,
  FAnalysisMethodID, FTargetQty, FLowerLimitQty, FUpperLimitQty, FTestValue, FTargetID)
VALUES (1001, 1, 10, 2.5, 100, 250, 1, 10, 9.5, 10.25, 9.75, 2),
       (1001, 2, 11, 100, 0.125, 12.5, 9, 10, 9, 11, 10, 3),
       (1002, 1, 10, 1, 99.99, 99.99, NULL, NULL, NULL, NULL, NULL, NULL)
INSERT INTO ICItemAuxProp VALUES (10, 501), (11, 502)
INSERT INTO t_auxitem VALUES (501, 'A-S', 'S'), (502, 'A-M', 'M')
INSERT INTO t_BarCode VALUES (10, '6901234567890', 1), (10, 'OLD-CODE', 0)
INSERT INTO ICTransactionType (FID, FName, FName_CHT, FName_EN, FType, FTemplateID, FHeadTable, FEntryTable, FROB)
VALUES (1, N'外购入库', N'外購入庫', 'Purchase receipt', 1, 'A01', 'ICStockBill', 'ICStockBillEntry', 1)
INSERT INTO ICTemplate (FID, FCtlIndex, FCaption, FCaption_CHT, FCtlType, FFieldName)
VALUES ('A01', 0, N'编号', N'編號', 4, 'FBillNo'), ('A01', 1, N'供应商', N'供應商', 2, 'FSupplyID'),
       ('A01', -1, N'隐藏', NULL, 0, 'FHidden')
INSERT INTO ICTemplateEntry (FID, FCtlOrder, FCtlType, FFieldName, FHeadCaption)
VALUES ('A01', 1, 2, 'FItemID', N'物料'), ('A01', 2, 3, 'FAuxQty', N'数量')
INSERT INTO GLNoteCitation (FNoteTypeID, FCitationID, FCitationName, FCitationName_CHT)
VALUES (3, 1, N'收款', N'收款(繁)')
INSERT INTO ICPrintMaxCount VALUES (1, 1), (2, 0)
INSERT INTO ICPrintCount VALUES (1, 1001, 3)
