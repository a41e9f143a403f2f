#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <list>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "config/selected_params.h"
#include "config/settings_image.h"
#include "model/device_param_layout.h"
#include "model/telemetry_descriptor.h"
#include "platform/dialog_controls.h"
#include "platform/services.h"
#include "platform/table_ctrl.h"
#include "protocol/write_job.h"

/// One destination of requests: dotted IPv4 address or host text, and a port.
struct RequestTarget {
    std::string Address;
    int Port = 22;
    bool operator==(const RequestTarget&) const = default;
};

/// The main dialog's working state: everything the link and the configuration operations read
/// and change. The dialog owns one for its lifetime; the operations take it by reference and
/// reach the form and the outside world only through the interface pointers, which the owner
/// sets before the first operation runs (the Qt dialog to its widgets, tests to fakes).
struct DialogState {
    // The outside world.
    IDialogControls* Controls = nullptr;
    ITableCtrl* ParamList = nullptr;
    IDatagramSocket* LinkSocket = nullptr;
    IClock* Clock = nullptr;
    IUserPrompts* Prompts = nullptr;
    IProfile* Profile = nullptr;
    IDialogWindow* Window = nullptr;

    uint32_t TimerId = 0;

    std::vector<RequestTarget> RequestTargets;
    std::set<std::string> KnownDeviceSet;
    std::map<std::u16string, int> TeleTypeComboMap;
    TelemetryDescriptor CurrentDescriptor;
    ::DeviceParamLayout DeviceParamLayout;
    std::array<::ChannelLayout, 8> ChannelLayout;
    std::set<int> DefaultTeleTypeSet{68, 67, 73, 72, 50, 51, 42, 65, 60, 62, 59, 43, 204};
    uint32_t DinModeFlag = 0;
    std::array<uint8_t, 10> WritePassword{};
    ::SelectedParamMap SelectedParamMap;
    /// What the settings read keeps from one parameter entry (and page) to the next; reset
    /// whenever SelectedParamMap is emptied.
    ParamEntryReadState EntryRead;
    uint32_t AnnouncedParamCount = 0;
    /// Entry page the settings read in progress asked for last and waits for; 0 while no entry
    /// page is awaited (no reading, page 0 awaited, the reading complete, or the page in hand).
    uint32_t AwaitedSettingsPage = 0;
    /// Counts the settings reads begun; a page read on after a message box's event loop stops
    /// when a newer reading began in that loop.
    uint32_t SettingsReadNumber = 0;
    std::list<WriteJob> WriteQueue;
    /// Guards WriteQueue. Re-entrant: a message box opened while it is held runs a nested event
    /// loop in which the timer and the reply handler take it again on the same thread.
    std::recursive_mutex WriteQueueLock;
    std::vector<uint8_t> ConfigImage;
    uint32_t ConfigRead = 0;
    std::u16string LastPassword;
    uint16_t FirmwareVersion = 0;
    uint16_t DeviceFlags = 0;
    uint32_t LastWriteSendTick = 0;
    /// Request word of the erase or page the pump sent last and still waits to see
    /// acknowledged; 0 while none is awaited (idle, probing, settling after an erase).
    uint32_t AwaitedWriteReply = 0;
    /// The settle time after an erase acknowledgement runs (single-shot timer
    /// EraseSettleTimerId); the pump sends the next request when it ends.
    bool EraseSettlePending = false;
    /// The device-list text of the adapter the queued write was made for: every request of the
    /// write goes there and only its replies advance the write. Set when a write is queued.
    std::u16string WriteTarget;
    /// Above 0 while the user is asked whether to abort the queued write, or a writer told Yes
    /// still asks its own questions: the write is not timed out meanwhile.
    uint32_t WriteTimeOutHolds = 0;
    /// A REQ_WRITE_VIN request sent in this run waits for its reply.
    bool VinWritePending = false;
    /// Set and cleared only by atomic exchange.
    std::atomic<uint32_t> VinProbePending{0};
    uint32_t VinProbeTick = 0;

    /// Tick of the last freeze-DHCP keep-alive check of the polling timer.
    uint32_t LastFreezeTick = 0;
    /// "English" when the English resources are in use, else "Русский".
    std::u16string UiLanguageName;
};
