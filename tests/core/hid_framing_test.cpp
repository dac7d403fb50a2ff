// The adapter's report format, the collection taken for the adapter, and the table of open
// adapters with the records that name its slots.
#include <gtest/gtest.h>

#include <string.h>

#include "adapter_slots.h"
#include "hid_framing.h"

namespace {

const unsigned char kCommand[kReportPayloadBytes] = {0x02, 0x82, 0x00, 0x10, 0x00, 0x00};

TEST(HidFramingTest, OutputReportIsReportIdZeroThenTheCommand) {
    unsigned char report[kReportBytes];
    BuildOutputReport(kCommand, report);
    const unsigned char expected[kReportBytes] = {0x00, 0x02, 0x82, 0x00, 0x10, 0x00, 0x00};
    EXPECT_EQ(memcmp(report, expected, kReportBytes), 0);
}

struct AnswerRow {
    const char* what;
    int alteredByte; // of the report, -1 for none
    unsigned long length;
    int result;
};

const AnswerRow kAnswerRows[] = {
    {"the echoed answer", -1, 7, kExchangeDone},
    {"another register value", 5, 7, kExchangeDone},
    {"report ID 1", 0, 7, kExchangeMalformedAnswer},
    {"one byte short", -1, 6, kExchangeMalformedAnswer},
    {"echo byte 0 differs", 1, 7, kExchangeWrongEcho},
    {"echo byte 3 differs", 4, 7, kExchangeWrongEcho},
};

TEST(HidFramingTest, AnswersNeedTheReportShapeAndTheEcho) {
    for (const AnswerRow& row : kAnswerRows) {
        SCOPED_TRACE(row.what);
        unsigned char report[kReportBytes] = {0x00, 0x02, 0x82, 0x00, 0x10, 0x5A, 0x00};
        if (row.alteredByte >= 0)
            report[row.alteredByte] ^= 0x01;
        unsigned char answer[kExchangeAreaSize] = {};
        EXPECT_EQ(ReadAnswerReport(report, row.length, kCommand, answer), row.result);
        bool answerPlaced = memcmp(answer, report + 1, kReportPayloadBytes) == 0;
        EXPECT_TRUE(answerPlaced || row.result != kExchangeDone);
    }
}

const HidCollection kNotTheAdapter[] = {
    {kAdapterVendorId, 0x0001, 7, 7},     // a keyboard of the adapter's vendor
    {kAdapterVendorId, 0xFEFF, 7, 7},     // the page below the vendor-defined ones
    {kAdapterVendorId + 1, 0xFF00, 7, 7}, // another vendor
    {kAdapterVendorId, 0xFF00, 6, 7},     // input reports without the ID byte
    {kAdapterVendorId, 0xFF00, 7, 8},     // longer output reports
};

TEST(HidFramingTest, OnlyTheVendorDefinedSevenByteCollectionIsTheAdapter) {
    EXPECT_TRUE(IsAdapterCollection({kAdapterVendorId, 0xFF00, 7, 7}, kAdapterVendorId));
    EXPECT_TRUE(IsAdapterCollection({kAdapterVendorId, 0xFFFF, 7, 7}, kAdapterVendorId));
    for (const HidCollection& other : kNotTheAdapter)
        EXPECT_FALSE(IsAdapterCollection(other, kAdapterVendorId)) << &other - kNotTheAdapter;
}

TEST(AdapterSlotsTest, ARecordMatchesItsOwnOpenOnly) {
    DeviceRecord records[kAdapterSlotCount];
    for (DeviceRecord& record : records) {
        int slot = ClaimSlot();
        ASSERT_NE(slot, kNoSlot);
        IssueRecord(slot, &record);
    }
    EXPECT_EQ(ClaimSlot(), kNoSlot) << "every slot is taken";
    DeviceRecord stale = records[3];
    int slot = FindSlot(&stale);
    ASSERT_NE(slot, kNoSlot);
    ReleaseSlot(slot);
    ASSERT_EQ(ClaimSlot(), slot);
    IssueRecord(slot, &records[3]);
    EXPECT_EQ(FindSlot(&stale), kNoSlot) << "a stale record of a slot claimed again";
    records[0].words[1] = kAdapterSlotCount;
    EXPECT_EQ(FindSlot(&records[0]), kNoSlot) << "a slot index past the table";
}

} // namespace
