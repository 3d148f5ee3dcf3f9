#pragma once

// ADO DataTypeEnum numbers, the column types the program tests (adodate, ADOText ...).
namespace driver::tipo {
constexpr int adEmpty = 0;
constexpr int adSmallInt = 2;
constexpr int adInteger = 3;
constexpr int adSingle = 4;
constexpr int adDouble = 5;
constexpr int adCurrency = 6;
constexpr int adDate = 7;
constexpr int adBSTR = 8;
constexpr int adBoolean = 11;
constexpr int adDecimal = 14;
constexpr int adTinyInt = 16;
constexpr int adUnsignedTinyInt = 17;
constexpr int adBigInt = 20;
constexpr int adGUID = 72;
constexpr int adBinary = 128;
constexpr int adChar = 129;
constexpr int adWChar = 130;
constexpr int adNumeric = 131;
constexpr int adDBDate = 133;
constexpr int adDBTime = 134;
constexpr int adDBTimeStamp = 135;
constexpr int adVarChar = 200;
constexpr int adLongVarChar = 201;
constexpr int adVarWChar = 202;
constexpr int adLongVarWChar = 203;
constexpr int adVarBinary = 204;
constexpr int adLongVarBinary = 205;
}  // namespace driver::tipo

// Cursor, lock and schema constants.
namespace driver {
constexpr int adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3;
constexpr int adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3, adLockBatchOptimistic = 4;
constexpr int adUseServer = 2, adUseClient = 3;
constexpr int adStateClosed = 0, adStateOpen = 1;
constexpr int adSchemaColumns = 4, adSchemaTables = 20;
constexpr int adXactReadUncommitted = 256;
}  // namespace driver
