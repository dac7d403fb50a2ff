// The operating-system calls the HID access library makes, gathered in one table so that the
// library logic runs unchanged over Windows itself or over a scripted HID stack in the tests.
#pragma once

#include <windows.h>
#include <setupapi.h>

// These headers declare plain C functions but lack their own extern "C".
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

struct HidSystemCalls {
    // Finding the HID interfaces.
    void(NTAPI* HidD_GetHidGuid)(LPGUID hidGuid);
    HDEVINFO(WINAPI* SetupDiGetClassDevsW)
    (const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags);
    BOOL(WINAPI* SetupDiEnumDeviceInterfaces)
    (HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* interfaceGuid, DWORD index,
     PSP_DEVICE_INTERFACE_DATA interfaceData);
    BOOL(WINAPI* SetupDiGetDeviceInterfaceDetailW)
    (HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData,
     PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize, PDWORD requiredSize,
     PSP_DEVINFO_DATA device);
    BOOL(WINAPI* SetupDiDestroyDeviceInfoList)(HDEVINFO set);

    // Opening one interface and telling what it is.
    HANDLE(WINAPI* CreateFileW)
    (LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
     DWORD flags, HANDLE templateFile);
    BOOLEAN(NTAPI* HidD_GetAttributes)(HANDLE device, PHIDD_ATTRIBUTES attributes);
    BOOLEAN(NTAPI* HidD_GetPreparsedData)(HANDLE device, PHIDP_PREPARSED_DATA* preparsed);
    NTSTATUS(NTAPI* HidP_GetCaps)(PHIDP_PREPARSED_DATA preparsed, PHIDP_CAPS caps);
    BOOLEAN(NTAPI* HidD_FreePreparsedData)(PHIDP_PREPARSED_DATA preparsed);
    HANDLE(WINAPI* CreateEventW)
    (LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCWSTR name);
    BOOL(WINAPI* CloseHandle)(HANDLE handle);
    HANDLE(WINAPI* CreateSemaphoreExW)
    (LPSECURITY_ATTRIBUTES security, LONG initialCount, LONG maximumCount, LPCWSTR name,
     DWORD flags, DWORD access);
    BOOL(WINAPI* ReleaseSemaphore)(HANDLE semaphore, LONG count, LPLONG previousCount);
    // Keeps the library loaded for the rest of the process: a request that never finishes may
    // still write into its memory.
    BOOL(WINAPI* GetModuleHandleExW)(DWORD flags, LPCWSTR nameOrAddress, HMODULE* module);

    // Exchanging reports.
    BOOLEAN(NTAPI* HidD_FlushQueue)(HANDLE device);
    BOOL(WINAPI* WriteFile)
    (HANDLE file, LPCVOID buffer, DWORD length, LPDWORD written, LPOVERLAPPED overlapped);
    BOOL(WINAPI* ReadFile)
    (HANDLE file, LPVOID buffer, DWORD length, LPDWORD read, LPOVERLAPPED overlapped);
    DWORD(WINAPI* GetLastError)();
    DWORD(WINAPI* WaitForSingleObject)(HANDLE handle, DWORD milliseconds);
    BOOL(WINAPI* GetOverlappedResult)
    (HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait);
    BOOL(WINAPI* CancelIoEx)(HANDLE file, LPOVERLAPPED overlapped);
    ULONGLONG(WINAPI* GetTickCount64)();
};

// The table over the real Windows calls, filled once at the first use, on whichever thread.
const HidSystemCalls& WindowsHidCalls();
