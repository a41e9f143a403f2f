#pragma once
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "model/instrument_type_catalog.h"
#include "support/dialog_fixture.h"
#include "support/fake_table_ctrl.h"

/// The adapter the link fuzzers talk to, and a stranger that also sends datagrams.
inline const std::string RigAdapterAddress = "127.0.0.5";
inline constexpr uint16_t RigAdapterPort = 22;
inline const std::string RigStrangerAddress = "127.0.0.9";
inline constexpr uint16_t RigStrangerPort = 5000;

/// Telemetry types of the rig's description: one in the type list, one only described.
inline constexpr int32_t RigListedType = 42;
inline constexpr int32_t RigDescribedOnlyType = 77;

/// A working state over the fakes with the string table and a small description, as the dialog
/// has it after its start. The process-wide tables are set up anew for every input and the
/// instrument catalogue (which a settings read may extend) is put back afterwards.
struct LinkRig {
    DialogFixture F;
    FakeTableCtrl Table;

    LinkRig();
    ~LinkRig();
    LinkRig(const LinkRig&) = delete;
    LinkRig& operator=(const LinkRig&) = delete;

    /// Texts of the boxes shown since the last call.
    std::vector<std::u16string> NewBoxes();

    /// Hands `datagram` to the reply handler as the link socket does: as bytes of its own,
    /// moved to the handler, also when the delivery comes from inside a box the handler opened.
    void Deliver(std::span<const uint8_t> datagram, const std::string& address, uint16_t port);

private:
    std::map<int32_t, InstrumentTypeEntry> catalogue_;
    size_t boxesSeen_ = 0;
};

/// A settings image as an adapter holds it: page 0 of the listed type announcing `entries`
/// single entries of its codes with the offsets the description gives them, zero-filled to
/// whole pages.
std::vector<uint8_t> RigSettingsImage(uint32_t entries);
