// Finding the adapter: SetupAPI lists the HID interfaces, hid.dll tells what each one is.
#include "adapter_search.h"

#include "hid_framing.h"

namespace {

// Longest device path accepted, in characters; an interface with a longer one is skipped.
constexpr int kMaxDevicePath = 512;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

union InterfaceDetail {
    SP_DEVICE_INTERFACE_DETAIL_DATA_W data;
    unsigned char room[sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) + kMaxDevicePath * sizeof(WCHAR)];
};

bool ReadCollection(const HidSystemCalls& calls, HANDLE file, HidCollection* collection) {
    HIDD_ATTRIBUTES attributes = {};
    attributes.Size = sizeof(attributes);
    if (!calls.HidD_GetAttributes(file, &attributes))
        return false;
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!calls.HidD_GetPreparsedData(file, &preparsed))
        return false;
    HIDP_CAPS caps = {};
    bool capsRead = calls.HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS;
    calls.HidD_FreePreparsedData(preparsed);
    *collection = {attributes.VendorID, caps.UsagePage, caps.InputReportByteLength,
                   caps.OutputReportByteLength};
    return capsRead;
}

bool IsAdapter(const HidSystemCalls& calls, HANDLE file, int vendorId) {
    HidCollection collection;
    return ReadCollection(calls, file, &collection) && IsAdapterCollection(collection, vendorId);
}

} // namespace

// Each interface is first opened without access, which reads what it is without disturbing it
// (keyboards and mice refuse anything more); only the adapter is opened for reading and writing.
int FindAdapter(const HidSystemCalls& calls, int vendorId, HANDLE* adapter) {
    GUID hidGuid;
    calls.HidD_GetHidGuid(&hidGuid);
    HDEVINFO interfaces = calls.SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr,
                                                     DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (interfaces == INVALID_HANDLE_VALUE)
        return kOpenNoHidInterfaces;
    int result = kOpenNotFound;
    SP_DEVICE_INTERFACE_DATA interfaceData = {};
    interfaceData.cbSize = sizeof(interfaceData);
    for (DWORD index = 0;
         result != kOpenDone &&
         calls.SetupDiEnumDeviceInterfaces(interfaces, nullptr, &hidGuid, index, &interfaceData);
         ++index) {
        InterfaceDetail detail;
        detail.data.cbSize = sizeof(detail.data);
        if (!calls.SetupDiGetDeviceInterfaceDetailW(interfaces, &interfaceData, &detail.data,
                                                    sizeof(detail), nullptr, nullptr))
            continue;
        HANDLE query = calls.CreateFileW(detail.data.DevicePath, 0, kShareAll, nullptr,
                                         OPEN_EXISTING, 0, nullptr);
        if (query == INVALID_HANDLE_VALUE)
            continue;
        bool isAdapter = IsAdapter(calls, query, vendorId);
        calls.CloseHandle(query);
        if (!isAdapter)
            continue;
        HANDLE file =
            calls.CreateFileW(detail.data.DevicePath, GENERIC_READ | GENERIC_WRITE, kShareAll,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            result = kOpenRefused;
        } else {
            *adapter = file;
            result = kOpenDone;
        }
    }
    calls.SetupDiDestroyDeviceInfoList(interfaces);
    return result;
}
