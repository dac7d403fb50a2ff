// The table of open adapters and the caller's DeviceRecord that names one of its slots.
#pragma once

#include "tandemix_hid.h"

// Adapters open at the same time (the utility opens one).
enum : int { kAdapterSlotCount = 8, kNoSlot = -1 };

// Leaves the record matching no slot.
void ClearRecord(DeviceRecord* device);

// Takes a free slot for one open, safe against opens on other threads; kNoSlot when all are
// taken.
int ClaimSlot();

// Writes the claimed slot into the record, which matches it from then on until it is released.
void IssueRecord(int slot, DeviceRecord* device);

// The slot the record names; kNoSlot for a missing, zeroed or forged record, and for a stale copy
// of the record of a slot that has been released (and maybe claimed again) since.
int FindSlot(const DeviceRecord* device);

// Frees the slot for a later open.
void ReleaseSlot(int slot);

// Takes the slot out of use for the rest of the process: its memory may still be written by a
// request the system has not finished.
void RetireSlot(int slot);
