// The tablet and multi-touch libraries' published records and entry points,
// declared here so that the set-up logic builds and is tested everywhere.
#pragma once

#include <cstdint>

// The libraries' calling convention: stdcall on 32-bit Windows.
#if defined(_WIN32) && !defined(_WIN64)
#define PINDORA_WINAPI __attribute__((stdcall))
#else
#define PINDORA_WINAPI
#endif

// Same layout as LOGCONTEXTW (212 bytes).
struct LogContext {
    char16_t lcName[40];
    uint32_t lcOptions;
    uint32_t lcStatus;
    uint32_t lcLocks;
    uint32_t lcMsgBase;
    uint32_t lcDevice;
    uint32_t lcPktRate;
    uint32_t lcPktData;
    uint32_t lcPktMode;
    uint32_t lcMoveMask;
    uint32_t lcBtnDnMask;
    uint32_t lcBtnUpMask;
    int32_t lcInOrgX, lcInOrgY, lcInOrgZ;
    int32_t lcInExtX, lcInExtY, lcInExtZ;
    int32_t lcOutOrgX, lcOutOrgY, lcOutOrgZ;
    int32_t lcOutExtX, lcOutExtY, lcOutExtZ;
    uint32_t lcSensX, lcSensY, lcSensZ;
    int32_t lcSysMode;
    int32_t lcSysOrgX, lcSysOrgY;
    int32_t lcSysExtX, lcSysExtY;
    uint32_t lcSysSensX, lcSysSensY;
};
static_assert(sizeof(LogContext) == 212, "LOGCONTEXTW is 212 bytes");

// Same layout as AXIS (16 bytes).
struct TabletAxis {
    int32_t axMin;
    int32_t axMax;
    uint32_t axUnits;
    uint32_t axResolution;
};
static_assert(sizeof(TabletAxis) == 16, "AXIS is 16 bytes");

enum : uint32_t {
    kWtiDefSysCtx = 4,
    kWtiDevices = 100,
    kDvcNPressure = 15,
    kDvcOrientation = 17,
    kCxoSystemMessages = 5, // CXO_SYSTEM | CXO_MESSAGES
    kPkButtons = 0x40,
    kSamplePacketData = 0x15C0, // buttons, X, Y, normal pressure, orientation
    kWtDefBase = 0x7FF0,
    kWtPacket = kWtDefBase,
    kWtProximity = kWtDefBase + 5,
};

using WTInfoWFunction = uint32_t(PINDORA_WINAPI*)(uint32_t category, uint32_t index, void* output);
using WTOpenWFunction = void*(PINDORA_WINAPI*)(void* window, LogContext* context, int32_t enable);
using WTPacketFunction = int32_t(PINDORA_WINAPI*)(void* context, uint32_t serial, void* packet);
using WTCloseFunction = int32_t(PINDORA_WINAPI*)(void* context);
using WTContextFunction = int32_t(PINDORA_WINAPI*)(void* context,
                                                   LogContext* record); // WTGetW, WTSetW

// The multi-touch library's entry points used here.
using MTInitializeFunction = int32_t (*)(int32_t version);
using MTDeviceIdsFunction = int32_t (*)(int32_t* ids, uint32_t bufferBytes);
using MTRegisterWindowFunction = int32_t (*)(int32_t device, int32_t mode, void* window,
                                             int32_t bufferDepth);
using MTQuitFunction = void (*)();
