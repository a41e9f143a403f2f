#pragma once

/// Control ids of the dialog templates. The main dialog (template 102) first, then the small
/// dialogs, whose ids overlap the main dialog's as the templates define them.
namespace ctl {
inline constexpr int IdOk = 1;
inline constexpr int IdCancel = 2;

// Main dialog, template 102.
inline constexpr int DeviceAddressCombo = 1000;
inline constexpr int TeleTypeCombo = 1003;
inline constexpr int PolarizationOutOfControl = 1004;
inline constexpr int PolarizationOn = 1005;
inline constexpr int PolarizationOff = 1006;
inline constexpr int RangeOutOfControl = 1007;
inline constexpr int RangeR1 = 1008;
inline constexpr int RangeR2 = 1009;
inline constexpr int RangeR3 = 1010;
inline constexpr int AddressModeAuto = 1011;
inline constexpr int AddressModeManual = 1012;
inline constexpr int IpAddress = 1013;
inline constexpr int SubnetMask = 1014;
inline constexpr int DefaultGateway = 1015;
inline constexpr int DnsServer = 1016;
inline constexpr int ServerEdit = 1017;
inline constexpr int ParamList = 1018;
inline constexpr int GetSettingsButton = 1019;
inline constexpr int SaveSettingsButton = 1020;
inline constexpr int UpdateFirmwareButton = 1021;
inline constexpr int ChangePasswordButton = 1022;
inline constexpr int ChangeKeyButton = 1023;
inline constexpr int InfoEdit = 1024;
inline constexpr int AssignVinButton = 1025;
inline constexpr int NtpAddress = 1026;
inline constexpr int NtpAutoCheck = 1027;
inline constexpr int KeysErrorCheck = 1028;
inline constexpr int KeysWrittenCheck = 1029;
inline constexpr int PpsCheck = 1031;
inline constexpr int DateTimeCheck = 1032;
inline constexpr int SyncOff = 1033;
inline constexpr int SyncMaster = 1034;
inline constexpr int SyncSlave = 1035;
inline constexpr int SendSelectedParams = 1036;
inline constexpr int SendDataTele = 1037;
inline constexpr int SendSignalTele = 1038;
inline constexpr int MacText = 1040;
inline constexpr int ChangeMacButton = 1041;
inline constexpr int GnssNotUsed = 1042;
inline constexpr int GnssGpsGlonass = 1043;
inline constexpr int GnssGlonassOnly = 1044;
inline constexpr int GnssGroup = 1045;

// One-line text dialog (template 129) and password dialog (template 1025).
inline constexpr int EditText = 1001;
inline constexpr int OldPassword = 1001;
inline constexpr int NewPassword = 1002;
inline constexpr int NewPasswordAgain = 1003;

// Add-parameter dialog (template 1024).
inline constexpr int ParamKindList = 1000;
inline constexpr int ParamItemList = 1003;
inline constexpr int ParamValueList = 1025;
inline constexpr int ParamChannelList = 1026;
inline constexpr int ParamRateEdit = 1001;
inline constexpr int ParamAllValuesCheck = 1027;
} // namespace ctl

/// Dialog template ids.
namespace dlg {
inline constexpr int MainDialog = 102;
inline constexpr int EditText = 129;
inline constexpr int AddParameter = 1024;
inline constexpr int ChangePassword = 1025;
} // namespace dlg

/// Icon resource id of the main window.
inline constexpr int MainIconId = 128;
