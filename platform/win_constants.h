#pragma once
// The Windows constants the program passes through the platform layer, under names of
// our own so that code outside platform/ compiles without <windows.h>. The Win32
// implementation checks every value against the system headers at compile time.

#include <cstdint>

namespace win {

// Window messages.
inline constexpr std::uint32_t WmNull = 0x0000;
inline constexpr std::uint32_t WmDestroy = 0x0002;
inline constexpr std::uint32_t WmSetText = 0x000C;
inline constexpr std::uint32_t WmGetText = 0x000D;
inline constexpr std::uint32_t WmGetTextLength = 0x000E;
inline constexpr std::uint32_t WmClose = 0x0010;
inline constexpr std::uint32_t WmQueryEndSession = 0x0011;
inline constexpr std::uint32_t WmSetCursor = 0x0020;
inline constexpr std::uint32_t WmSetFont = 0x0030;
inline constexpr std::uint32_t WmContextMenu = 0x007B;
inline constexpr std::uint32_t WmSetIcon = 0x0080;
inline constexpr std::uint32_t WmCommand = 0x0111;
inline constexpr std::uint32_t WmTimer = 0x0113;
inline constexpr std::uint32_t WmMouseMove = 0x0200;
inline constexpr std::uint32_t WmLButtonDown = 0x0201;
inline constexpr std::uint32_t WmLButtonUp = 0x0202;
inline constexpr std::uint32_t WmLButtonDblClk = 0x0203;
inline constexpr std::uint32_t WmRButtonDown = 0x0204;
inline constexpr std::uint32_t WmRButtonUp = 0x0205;
inline constexpr std::uint32_t WmMButtonDown = 0x0207;
inline constexpr std::uint32_t WmMButtonUp = 0x0208;
inline constexpr std::uint32_t WmHotkey = 0x0312;
inline constexpr std::uint32_t WmApp = 0x8000;

// Control messages and notifications.
inline constexpr std::uint32_t EmLimitText = 0x00C5;
inline constexpr std::uint32_t BmGetCheck = 0x00F0;
inline constexpr std::uint32_t BmSetCheck = 0x00F1;
inline constexpr std::intptr_t BstChecked = 1;
inline constexpr std::uint32_t EnChange = 0x0300;
inline constexpr std::uint32_t IconSmall = 0;
inline constexpr std::uint32_t IconBig = 1;

// Window styles.
inline constexpr std::uint32_t WsOverlapped = 0x00000000;
inline constexpr std::uint32_t WsCaption = 0x00C00000;
inline constexpr std::uint32_t WsSysMenu = 0x00080000;
inline constexpr std::uint32_t WsMinimizeBox = 0x00020000;
inline constexpr std::uint32_t WsClipChildren = 0x02000000;
inline constexpr std::uint32_t WsChild = 0x40000000;
inline constexpr std::uint32_t WsVisible = 0x10000000;
inline constexpr std::uint32_t WsTabStop = 0x00010000;
inline constexpr std::uint32_t WsExClientEdge = 0x00000200;
inline constexpr std::uint32_t WsExControlParent = 0x00010000;
inline constexpr std::uint32_t BsPushButton = 0x0000;
inline constexpr std::uint32_t BsAutoRadioButton = 0x0009;
inline constexpr std::uint32_t BsGroupBox = 0x0007;
inline constexpr std::uint32_t BsLeft = 0x0100;
inline constexpr std::uint32_t BsCenter = 0x0300;
inline constexpr std::uint32_t BsVCenter = 0x0C00;
inline constexpr std::uint32_t BsMultiLine = 0x2000;
inline constexpr std::uint32_t EsAutoHScroll = 0x0080;

// ShowWindow commands.
inline constexpr int SwHide = 0;
inline constexpr int SwShowNormal = 1;
inline constexpr int SwShow = 5;
inline constexpr int SwShowNa = 8;

// System metrics.
inline constexpr int SmCxScreen = 0;
inline constexpr int SmCyScreen = 1;
inline constexpr int SmCyEdge = 46;

// Message boxes.
inline constexpr std::uint32_t MbOk = 0x0000;
inline constexpr std::uint32_t MbYesNo = 0x0004;
inline constexpr std::uint32_t MbIconError = 0x0010;
inline constexpr std::uint32_t MbIconExclamation = 0x0030;
inline constexpr std::uint32_t MbIconInformation = 0x0040;
inline constexpr std::uint32_t MbSystemModal = 0x1000;
inline constexpr std::uint32_t MbTaskModal = 0x2000;
inline constexpr int IdOk = 1;
inline constexpr int IdCancel = 2;
inline constexpr int IdYes = 6;
inline constexpr int IdNo = 7;

// Notification area.
inline constexpr std::uint32_t NimAdd = 0;
inline constexpr std::uint32_t NimModify = 1;
inline constexpr std::uint32_t NimDelete = 2;
inline constexpr std::uint32_t NifMessage = 0x1;
inline constexpr std::uint32_t NifIcon = 0x2;
inline constexpr std::uint32_t NifTip = 0x4;
// The version-1 ANSI NOTIFYICONDATAA (64-byte tip, no later fields) of this build.
inline constexpr std::uint32_t NotifyIconDataV1Size = sizeof(void*) == 8 ? 104 : 88;

// Menus.
inline constexpr std::uint32_t MfString = 0x0000;
inline constexpr std::uint32_t MfGrayed = 0x0001;
inline constexpr std::uint32_t MfChecked = 0x0008;
inline constexpr std::uint32_t MfPopup = 0x0010;
inline constexpr std::uint32_t MfSeparator = 0x0800;
inline constexpr std::uint32_t TpmLeftAlign = 0x0000;
inline constexpr std::uint32_t TpmTopAlign = 0x0000;
inline constexpr std::uint32_t TpmRightButton = 0x0002;

// Icons and cursors.
inline constexpr std::uint32_t LrDefaultColor = 0x0000;
inline constexpr std::uint32_t IconResourceVersion = 0x00030000;

// Files.
inline constexpr std::uint32_t GenericRead = 0x80000000U;
inline constexpr std::uint32_t GenericWrite = 0x40000000U;
inline constexpr std::uint32_t CreateAlways = 2;
inline constexpr std::uint32_t OpenExisting = 3;
inline constexpr std::uint32_t FileAttributeHidden = 0x02;
inline constexpr std::uint32_t FileAttributeArchive = 0x20;
inline constexpr std::uint32_t FileAttributeNormal = 0x80;

// Security and power.
inline constexpr std::uint32_t TokenAdjustPrivileges = 0x0020;
inline constexpr std::uint32_t TokenQuery = 0x0008;
inline constexpr std::uint32_t SePrivilegeEnabled = 0x0002;
inline constexpr std::uint32_t VerPlatformWin32Nt = 2;
inline constexpr std::uint32_t OsVersionInfoASize = 148;
inline constexpr std::uint32_t EwxLogoff = 0x0;
inline constexpr std::uint32_t EwxShutdown = 0x1;
inline constexpr std::uint32_t EwxReboot = 0x2;
inline constexpr std::uint32_t EwxForce = 0x4;
inline constexpr std::uint32_t EwxPowerOff = 0x8;
inline constexpr std::uint32_t ErrorNotAllAssigned = 1300;

// Hotkeys.
inline constexpr std::uint32_t ModAlt = 0x1;
inline constexpr std::uint32_t ModControl = 0x2;
inline constexpr std::uint32_t ModShift = 0x4;

// Window queries.
inline constexpr std::uint32_t SmtoAbortIfHung = 0x0002;

// Up-down control: UDN_DELTAPOS is UDN_FIRST - 1 (UDN_FIRST is 0U - 721).
inline constexpr std::uint32_t UdnDeltaPos = 0U - 722U;

}  // namespace win
