// The adapter's answers and the collection taken for the adapter. The output report and the
// slots of open adapters are the scripted HID stack's tests.
#include <gtest/gtest.h>

#include <string.h>

#include "hid_framing.h"

namespace {

const unsigned char kCommand[kReportPayloadBytes] = {0x02, 0x82, 0x00, 0x10, 0x00, 0x00};

// The answer is placed only when it is one: the shape and the echo are right.
TEST(HidFraming, AnswersNeedTheReportShapeAndTheEcho) {
    const int done = kExchangeDone, malformed = kExchangeMalformedAnswer, echo = kExchangeWrongEcho;
    // report byte altered (-1: none, 5: the value), length read, result
    const int rows[][3] = {{-1, 7, done},      {5, 7, done}, {0, 7, malformed}, {-1, 6, malformed},
                           {-1, 8, malformed}, {1, 7, echo}, {4, 7, echo}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "byte " << row[0] << ", length " << row[1]);
        unsigned char report[8] = {0x00, 0x02, 0x82, 0x00, 0x10, 0x5A, 0x00, 0x00};
        if (row[0] >= 0)
            report[row[0]] ^= 0x01;
        unsigned char answer[kReportPayloadBytes] = {};
        EXPECT_EQ(row[2], ReadAnswerReport(report, row[1], kCommand, answer));
        EXPECT_EQ(row[2] == done, memcmp(answer, report + 1, kReportPayloadBytes) == 0);
    }
}

TEST(HidFraming, OnlyTheVendorDefinedSevenByteCollectionIsTheAdapter) {
    const int v = kAdapterVendorId;
    const HidCollection adapters[] = {{v, 0xFF00, 7, 7}, {v, 0xFFFF, 7, 7}};
    // a keyboard of the adapter's vendor, the page below the vendor-defined ones, another
    // vendor, input reports without the ID byte, longer output reports
    const HidCollection others[] = {{v, 0x0001, 7, 7},
                                    {v, 0xFEFF, 7, 7},
                                    {v + 1, 0xFF00, 7, 7},
                                    {v, 0xFF00, 6, 7},
                                    {v, 0xFF00, 7, 8}};
    for (const HidCollection& collection : adapters)
        EXPECT_TRUE(IsAdapterCollection(collection, v)) << &collection - adapters;
    for (const HidCollection& collection : others)
        EXPECT_FALSE(IsAdapterCollection(collection, v)) << &collection - others;
}

} // namespace
