// The host's normalised values: the vocabulary the host understands for every kind of modem.
#ifndef VESK_VALUES_H
#define VESK_VALUES_H

#include <cstdint>

// SIM status: a bit set, several bits may be set at once (CellularCardInfo::simStatusBits).
inline constexpr uint32_t NORMAL_SIM_STATUS_READY = 0x1;
inline constexpr uint32_t NORMAL_SIM_STATUS_PIN1_LOCK_ENABLED = 0x2;
inline constexpr uint32_t NORMAL_SIM_STATUS_PIN1_REQUIRED = 0x4;
inline constexpr uint32_t NORMAL_SIM_STATUS_PUK1_REQUIRED = 0x8;
inline constexpr uint32_t NORMAL_SIM_STATUS_PIN2_LOCK_ENABLED = 0x10;
inline constexpr uint32_t NORMAL_SIM_STATUS_PIN2_REQUIRED = 0x20;
inline constexpr uint32_t NORMAL_SIM_STATUS_PUK2_REQUIRED = 0x40;
inline constexpr uint32_t NORMAL_SIM_STATUS_NOT_INITIALIZED = 0x80;
inline constexpr uint32_t NORMAL_SIM_STATUS_OTHER = 0x100;
inline constexpr uint32_t NORMAL_SIM_STATUS_ILLEGAL = 0x200;
inline constexpr uint32_t NORMAL_SIM_STATUS_PERMANENTLY_BLOCKED = 0x1000;
inline constexpr uint32_t NORMAL_SIM_STATUS_UNKNOWN = 0x4000;
inline constexpr uint32_t NORMAL_SIM_STATUS_NOT_EQUIP = 0x8000;

// Service selection: the radio technology the host chooses.
inline constexpr int32_t NORMAL_SERVICESELECTION_Not_Supported = 0;
inline constexpr int32_t NORMAL_SERVICESELECTION_Default = 1;
inline constexpr int32_t NORMAL_SERVICESELECTION_2G_ONLY = 2;
inline constexpr int32_t NORMAL_SERVICESELECTION_3G_ONLY = 3;
inline constexpr int32_t NORMAL_SERVICESELECTION_3G_Preferred = 4;

// Service type: param1 of WWAN_NOTIFICATION_SERVICE. 16 and 17 are not used.
inline constexpr int32_t NORMAL_SERVICETYPE_Unknown = 0;
inline constexpr int32_t NORMAL_SERVICETYPE_None = 1;
inline constexpr int32_t NORMAL_SERVICETYPE_PacketSwitched = 2;
inline constexpr int32_t NORMAL_SERVICETYPE_CircuitSwitched = 3;
inline constexpr int32_t NORMAL_SERVICETYPE_GSM = 4;
inline constexpr int32_t NORMAL_SERVICETYPE_CDMA = 5;
inline constexpr int32_t NORMAL_SERVICETYPE_1xRTT = 6;
inline constexpr int32_t NORMAL_SERVICETYPE_1xEVDORev0 = 7;
inline constexpr int32_t NORMAL_SERVICETYPE_1xEVDV = 8;
inline constexpr int32_t NORMAL_SERVICETYPE_1xEVDORevA = 9;
inline constexpr int32_t NORMAL_SERVICETYPE_GPRS = 10;
inline constexpr int32_t NORMAL_SERVICETYPE_UMTS = 11;
inline constexpr int32_t NORMAL_SERVICETYPE_EDGE = 12;
inline constexpr int32_t NORMAL_SERVICETYPE_HSDPA = 13;
inline constexpr int32_t NORMAL_SERVICETYPE_HSUPA = 14;
inline constexpr int32_t NORMAL_SERVICETYPE_HSPA = 15;
inline constexpr int32_t NORMAL_SERVICETYPE_LTE = 18;

// Autoconnect mode (ICellularSDK::SetAutoConnectMode, GetAutoConnectMode).
inline constexpr int32_t NORMAL_AUTOCONNECT_Disabled = 0;
inline constexpr int32_t NORMAL_AUTOCONNECT_Enabled = 1;
inline constexpr int32_t NORMAL_AUTOCONNECT_Unsupported = 2;
inline constexpr int32_t NORMAL_AUTOCONNECT_Unknown = 3;

// Host SIM status: param1 of WWAN_NOTIFICATION_SIM_STATUS.
inline constexpr int32_t HOST_SIM_STATUS_UNKNOWN = 0;
inline constexpr int32_t HOST_SIM_STATUS_READY = 1;
inline constexpr int32_t HOST_SIM_STATUS_LOCKED = 2;  // PIN needed
inline constexpr int32_t HOST_SIM_STATUS_MISSING = 3;

// Radio technology of the running firmware image (CellularCardInfo::technology).
inline constexpr uint32_t TECHNOLOGY_UNKNOWN = 0;
inline constexpr uint32_t TECHNOLOGY_CDMA = 1;
inline constexpr uint32_t TECHNOLOGY_UMTS = 2;

// Kind of a device node (DeviceNode::kind), from the node's setup class.
inline constexpr int32_t DEVICE_NODE_KIND_OTHER = 0;
inline constexpr int32_t DEVICE_NODE_KIND_USB = 1;
inline constexpr int32_t DEVICE_NODE_KIND_NET = 2;
inline constexpr int32_t DEVICE_NODE_KIND_MODEM = 3;
inline constexpr int32_t DEVICE_NODE_KIND_PORTS = 4;
inline constexpr int32_t DEVICE_NODE_KIND_WPD = 5;
inline constexpr int32_t DEVICE_NODE_KIND_CDROM = 6;
inline constexpr int32_t DEVICE_NODE_KIND_DISK_DRIVE = 7;

#endif  // VESK_VALUES_H
