#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

/// One telemetry type's frame description, as the description file gives it. A plain value
/// type: copying copies every field. Fields marked "not consulted" are carried, never read.
struct TelemetryDescriptor {
    std::vector<uint32_t> Codes;      ///< parameter codes of one frame, in frame order
    std::vector<uint32_t> CodeExtras; ///< one per code (0xFFFF where the file has none); not consulted
    uint16_t BandBase1 = 0;           ///< BandNameTable index of family 1's band 0
    uint16_t BandBase2 = 0;           ///< the same for family 2
    uint16_t BandStride1 = 3;         ///< BandNameTable step per family-1 band index
    uint16_t BandStride2 = 1;         ///< the same for family 2
    uint32_t BandBase3 = 0;           ///< BandNameTable index of family 3's band 0 (step 1)
    uint32_t Extra1 = 0;              ///< not consulted
    uint32_t Extra2 = 0;              ///< not consulted
    uint32_t Extra3 = 0;              ///< not consulted
    uint32_t LItemCount = 0;          ///< family-"L" items per channel
    double ExtraReal1 = 0.0;          ///< not consulted
    std::vector<uint32_t> LItemCodes; ///< per family-"L" item, a code whose band name labels it
    double ExtraReal2 = 1.0;          ///< not consulted
    std::array<std::u16string, 3> ExtraNames; ///< language-block texts 1 to 3; not consulted
    std::array<std::u16string, 3> TypeNames;  ///< names of measured-value families 1 to 3
    std::map<uint32_t, std::u16string> AverNames; ///< name per averaging index
    uint32_t Extra4 = 0;              ///< not consulted
    int32_t ChannelCount = 0;         ///< derived by the layout decode; 0 in the table
    int32_t BandCount1 = 0;           ///< derived: highest family-1 band index + 1
    int32_t BandCount2 = 0;
    int32_t BandCount3 = 0;
    int32_t AverCount1 = 0;           ///< derived: highest family-1 averaging index + 1
    int32_t AverCount2 = 0;
    int32_t AverCount3 = 0;
    uint32_t IndexPacked = 0;         ///< non-zero: averaging in bits 12-15, band in bits 0-11
    uint32_t Extra5 = 0;              ///< not consulted

    bool operator==(const TelemetryDescriptor&) const = default;
};

/// Channel names of one device type in the interface language. The loader keeps them in
/// DeviceTypeChannelNameMap; nothing of the program reads them back (a load succeeds when a
/// block of the interface language was read, whatever the map then holds).
struct DeviceTypeChannelNames {
    std::u16string TypeName;
    std::array<std::u16string, 4> AuxNames;
    std::array<std::u16string, 4> ChannelNames; ///< channels 0 to 3; empty when the file has none

    bool operator==(const DeviceTypeChannelNames&) const = default;
};

/// A device model offered for a telemetry type. Its list text is "Prefix: Name" when the two
/// differ, else Name.
struct DeviceModel {
    std::u16string Prefix;
    std::u16string Name;
    uint32_t TeleType = 0;
    uint32_t ModelWord1 = 0; ///< stored in the settings image ORed with 0xAA000000
    uint32_t ModelWord2 = 0; ///< stored in the settings image unchanged
    std::u16string Note;     ///< not consulted

    bool operator==(const DeviceModel&) const = default;
};

// The process-wide tables. Built empty before anything else, filled only by LoadTeleDescFile.
extern std::map<int32_t, TelemetryDescriptor> TelemetryDescriptorMap;
extern std::map<int32_t, DeviceTypeChannelNames> DeviceTypeChannelNameMap;
extern std::vector<std::u16string> BandNameTable;
extern std::vector<DeviceModel> DeviceModelList;
