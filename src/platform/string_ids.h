#pragma once

/// String-table ids (103 to 157); the texts live in res/<language>/strings.json.
namespace ids {
inline constexpr int SocketsInitFailed = 103;
inline constexpr int ColumnParameter = 104;
inline constexpr int ColumnRate = 105;
inline constexpr int ColumnPlot = 106;
inline constexpr int WrongPort = 107;
inline constexpr int CantCreateSocket = 108;
inline constexpr int ParamOffsetMismatch = 109;
inline constexpr int WritingError = 110;
inline constexpr int WriteComplete = 111;
inline constexpr int KeyWriteResult = 112;
inline constexpr int WrongMac = 113;
inline constexpr int WrongPolarization = 114;
inline constexpr int WrongRange = 115;
inline constexpr int WrongIpAddress = 116;
inline constexpr int WrongNetworkMask = 117;
inline constexpr int WrongGateway = 118;
inline constexpr int WrongDns = 119;
inline constexpr int WrongNtp = 120;
inline constexpr int WrongServerAddress = 121;
inline constexpr int WrongServerCharacter = 122;
inline constexpr int ServerAddressTooLong = 123;
inline constexpr int NoSensorType = 124;
inline constexpr int NoDeviceTypeInTele = 125;
inline constexpr int NoStartStopInTele = 126;
inline constexpr int NoPolarizationInTele = 127;
inline constexpr int NoRangeInTele = 128;
inline constexpr int CantOpenFile = 129;
inline constexpr int WrongFileLength = 130;
inline constexpr int EnterPassword = 131;
inline constexpr int Hz = 132;
inline constexpr int CantDecodeTeleType = 133;
inline constexpr int MenuAddParameter = 134;
inline constexpr int MenuAssemble = 135;
inline constexpr int MenuDivide = 136;
inline constexpr int MenuDelete = 137;
inline constexpr int ParamAlreadyInList = 138;
inline constexpr int ConfirmDeletion = 139;
inline constexpr int NothingToDivide = 140;
inline constexpr int NothingToAssemble = 141;
inline constexpr int EnterSendRate = 142;
inline constexpr int WrongRate = 143;
inline constexpr int LicenseFileError = 144;
inline constexpr int PasswordsDiffer = 145;
inline constexpr int EnterVin = 146;
inline constexpr int WrongVin = 147;
inline constexpr int CantLoadTeleDesc = 148;
inline constexpr int ChannelFormat = 149;
inline constexpr int DescriptorTooLong = 151;
inline constexpr int ConfigNotRead = 152;
inline constexpr int EnterMac = 153;
inline constexpr int LegacyTypeFormat = 154;
/// A selection whose entries do not fit the settings area (64 KB from page 0x700).
inline constexpr int TooManyParams = 155;
/// A write probe left unanswered.
inline constexpr int DeviceNotResponding = 156;
/// Whether a new write may abandon the one still queued (Yes/No).
inline constexpr int AbortWriteQuestion = 157;
} // namespace ids
