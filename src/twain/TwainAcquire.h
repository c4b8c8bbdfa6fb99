#pragma once
// The program's acquisition from scanners: process-wide state (one acquisition at a time, main
// thread only) driven through the source manager's states 1 to 7 by plain functions. The manager
// is loaded on demand through the installed loader (twain/SourceManager.h), one whole modal
// acquisition with native transfer answers the picture as a packed DIB in a memory block that
// belongs to the caller (TWAIN_FreeNative), and failures are reported in "TWAIN Error" boxes.
#include <cstdint>
#include <string>

#include "platform/MessageBox.h"
#include "twain/SourceManager.h"
#include "twain/TwainTypes.h"

// --- what the program calls ---
// 1 when a manager can be loaded: at once when one is loaded, otherwise tried the first time only.
int TWAIN_IsAvailable();
// The application identity sent with every call; texts longer than 33 characters are cut.
void TWAIN_SetAppIdentity(TW_UINT16 major, TW_UINT16 minor, TW_UINT16 language, TW_UINT16 country,
                          const std::string& version, const std::string& manufacturer,
                          const std::string& family, const std::string& product);
// The manager's own selection dialog; 1 when a source was chosen (it becomes the default), else 0.
int TWAIN_SelectImageSource(TWindowHandle parent);
// One whole acquisition, loading the manager to unloading it; the picture or nullptr. A mask of
// pixel types (bit n = type n) other than 0 is negotiated with the source first.
TW_HANDLE TWAIN_AcquireNative(TWindowHandle parent, uint32_t pixelMask);
// Frees a picture of TWAIN_AcquireNative; nullptr is ignored.
void TWAIN_FreeNative(TW_HANDLE dib);

// --- the rest of the unit ---
// Acquires and writes to the file (an empty name asks for one); -1 when nothing was acquired,
// else the answer of TWAIN_WriteNativeToFile.
int TWAIN_AcquireToFile(TWindowHandle parent, const std::string& fileName);
int TWAIN_State();
int TWAIN_GetHideUI();
void TWAIN_SetHideUI(int hide);
int TWAIN_UnitVersion();
int TWAIN_BitCount(uint32_t value);
TW_FIX32 TWAIN_ToFix32(double value);
int TWAIN_SetCapOneValue(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 value);
int TWAIN_SetXferCount(TW_INT16 count);
int TWAIN_SetCurrentUnits(TW_UINT16 units);
int TWAIN_SetBitDepth(TW_UINT16 bits);
int TWAIN_SetCurrentPixelType(TW_UINT16 pixelType);
int TWAIN_SetCurrentResolution(double dpi);

// --- the state machine's steps; each answers whether it reached its target state ---
int TWAIN_CallSourceManager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
int TWAIN_CallSource(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
int TWAIN_LoadSourceManager();
int TWAIN_OpenSourceManager(TWindowHandle parent);
int TWAIN_OpenDefaultSource();
int TWAIN_EnableSource(TWindowHandle parent);
int TWAIN_DisableSource();
int TWAIN_CloseSource();
int TWAIN_CloseSourceManager(TWindowHandle parent);
int TWAIN_UnloadSourceManager();
int TWAIN_NegotiatePixelTypes(uint32_t pixelMask);
void TWAIN_NativeTransfer();
void TWAIN_EndTransfer();
// Serves the main thread's events while the source is enabled and no picture has come, handing
// each notification of the manager to TWAIN_MessageHook; a quit or session end ends it.
void TWAIN_ModalEventLoop();
// Offers a notification to the source at state 5 or above; true when the source consumed it.
bool TWAIN_MessageHook(const TTwainEvent* event);

// --- errors ---
void TWAIN_ClearError();
// Keeps only the first code after the last clear (codes 2 to 5 with the return and condition code).
void TWAIN_RecordError(int code);
// The condition code of the last call (11 at states 1 and 2, 1 when the status call fails).
TW_UINT16 TWAIN_ConditionCode();
void TWAIN_ReportLastError(const std::string& text);
void TWAIN_ErrorBox(const std::string& text);
// The text of a recorded error, return code and condition code.
std::string TwainErrorText(int code);
std::string TwainReturnCodeName(TW_UINT16 rc);
std::string TwainConditionCodeName(TW_UINT16 cc);

// Inspection for tests and diagnostics.
struct TTwainErrorRecord
{
    int ErrorCode = 0;
    TW_UINT16 ErrorRC = 0;
    TW_UINT16 ErrorCC = 0;
};
TTwainErrorRecord TwainLastError();
TW_UINT16 TwainLastRC();
const TW_IDENTITY& TwainAppIdentity();
// Unloads a loaded manager and returns every value to its start (tests).
void TwainResetSession();
