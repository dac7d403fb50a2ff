// The table of open adapters and the records that name its slots.
#include "adapter_slots.h"

namespace {

// The record holds a marker and which slot of which open it names: not the system's handles,
// which are eight bytes in a 64-bit process while the record has five 32-bit words.
constexpr unsigned int kRecordMagic = 0x58444E54; // "TNDX"
enum RecordWord { kWordMagic, kWordSlot, kWordSerial };

enum : long { kSlotFree, kSlotInUse, kSlotRetired };

struct AdapterSlot {
    long state;
    unsigned int serial; // changes with every open, so a stale record no longer matches
};

AdapterSlot slots[kAdapterSlotCount];

bool SlotInUse(int slot) {
    return __atomic_load_n(&slots[slot].state, __ATOMIC_ACQUIRE) == kSlotInUse;
}

} // namespace

void ClearRecord(DeviceRecord* device) {
    for (unsigned int& word : device->words)
        word = 0;
}

int ClaimSlot() {
    for (int i = 0; i < kAdapterSlotCount; ++i) {
        long expected = kSlotFree;
        if (__atomic_compare_exchange_n(&slots[i].state, &expected, kSlotInUse, false,
                                        __ATOMIC_ACQUIRE, __ATOMIC_RELAXED)) {
            ++slots[i].serial;
            return i;
        }
    }
    return kNoSlot;
}

void IssueRecord(int slot, DeviceRecord* device) {
    device->words[kWordMagic] = kRecordMagic;
    device->words[kWordSlot] = static_cast<unsigned int>(slot);
    device->words[kWordSerial] = slots[slot].serial;
}

int FindSlot(const DeviceRecord* device) {
    if (!device || device->words[kWordMagic] != kRecordMagic ||
        device->words[kWordSlot] >= static_cast<unsigned int>(kAdapterSlotCount))
        return kNoSlot;
    int slot = static_cast<int>(device->words[kWordSlot]);
    if (!SlotInUse(slot) || slots[slot].serial != device->words[kWordSerial])
        return kNoSlot;
    return slot;
}

void ReleaseSlot(int slot) {
    __atomic_store_n(&slots[slot].state, kSlotFree, __ATOMIC_RELEASE);
}

void RetireSlot(int slot) {
    __atomic_store_n(&slots[slot].state, kSlotRetired, __ATOMIC_RELEASE);
}
