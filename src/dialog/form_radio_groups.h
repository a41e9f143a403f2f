#pragma once
#include <array>

#include "platform/control_ids.h"

// The settings form's groups of controls, by control id. Each radio group lists its radios in
// the order of the choice enum that decodes its field of the settings image (settings_image.h).

inline constexpr std::array AddressModeRadios = {ctl::AddressModeAuto, ctl::AddressModeManual};
inline constexpr std::array PolarizationRadios = {ctl::PolarizationOutOfControl,
                                                  ctl::PolarizationOn, ctl::PolarizationOff};
inline constexpr std::array RangeRadios = {ctl::RangeOutOfControl, ctl::RangeR1, ctl::RangeR2,
                                           ctl::RangeR3};
inline constexpr std::array SyncRadios = {ctl::SyncOff, ctl::SyncMaster, ctl::SyncSlave};
inline constexpr std::array SendModeRadios = {ctl::SendSelectedParams, ctl::SendDataTele,
                                              ctl::SendSignalTele};
inline constexpr std::array GnssRadios = {ctl::GnssNotUsed, ctl::GnssGpsGlonass,
                                          ctl::GnssGlonassOnly};
/// IP address, subnet mask, default gateway and DNS server.
inline constexpr std::array AddressFields = {ctl::IpAddress, ctl::SubnetMask, ctl::DefaultGateway,
                                             ctl::DnsServer};
