#include "model/telemetry_descriptor.h"

std::map<int32_t, TelemetryDescriptor> TelemetryDescriptorMap;
std::map<int32_t, DeviceTypeChannelNames> DeviceTypeChannelNameMap;
std::vector<std::u16string> BandNameTable;
std::vector<DeviceModel> DeviceModelList;
