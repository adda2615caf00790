// XMODEM settings items and the send queues.
#include "xfer_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <thread>

using namespace xfertest;

namespace {

std::string g_report;
void recordReport(const char *, const char *text) { g_report = text; }

class SettingsTest : public ::testing::Test {
protected:
    OpenPort port;
    SettingsTest() { COMMReportHookSet(recordReport); }
    ~SettingsTest() override { COMMReportHookSet(nullptr); }
};

TEST_F(SettingsTest, RecordIsCreatedWithDefaultsAndFreedByItemZero) {
    PortHandle handle = port.handle();
    EXPECT_EQ(COMMXMODEMGet(handle, 203), -1);
    ASSERT_EQ(COMMXMODEMSet(handle, 1, 0), 0);
    EXPECT_EQ(COMMXMODEMGet(handle, 201), 5);
    EXPECT_EQ(COMMXMODEMGet(handle, 203), 10000);
    EXPECT_EQ(COMMXMODEMGet(handle, 207), 10);
    EXPECT_EQ(COMMXMODEMGet(handle, 211), 0);
    EXPECT_EQ(COMMXMODEMGet(handle, 112), 0);
    EXPECT_STREQ(reinterpret_cast<const char *>(COMMXMODEMGet(handle, 208)), "temp0000.$$$");
    EXPECT_EQ(COMMXMODEMSet(handle, 0, 0), 0);
    EXPECT_EQ(COMMXMODEMGet(handle, 201), -1);
}

// A status callback cannot free the record the running receive works with.
int16_t g_freeResult = 0;
int freeingCallback(PortHandle port, int32_t status, intptr_t param) {
    if (status == 4009 && param == 0) g_freeResult = COMMXMODEMSet(port, 0, 0);
    return StatusRecorder::callback(port, status, param);
}

TEST_F(SettingsTest, RecordInUseByAReceiveIsNotFreedFromItsCallback) {
    TempDir dir;
    ScopedWorkingDir workDir(dir.path());
    std::vector<uint8_t> data = patternBytes(128, 8);
    std::thread sender([&] {
        EXPECT_EQ(awaitByte(port.line()), 'C');
        port.line().send(makeBlock(1, data, 128, true));
        EXPECT_EQ(awaitByte(port.line()), ACK);
        port.line().send(std::string(1, EOT));
        EXPECT_EQ(awaitByte(port.line()), ACK);
    });
    EXPECT_EQ(freceive(port.handle(), 106, 4096, freeingCallback, 0), 0);
    sender.join();
    EXPECT_EQ(g_freeResult, -122);
    EXPECT_EQ(readFile(dir / "temp0000.$$$"), data);
    EXPECT_EQ(COMMXMODEMSet(port.handle(), 0, 0), 0);   // outside the call it can go
}

TEST_F(SettingsTest, ItemsStoreTheirValues) {
    PortHandle handle = port.handle();
    for (int16_t item : {111, 112, 212}) {
        EXPECT_EQ(COMMXMODEMSet(handle, item, 7), 0);
        EXPECT_EQ(COMMXMODEMGet(handle, item), 1) << item;
        EXPECT_EQ(COMMXMODEMSet(handle, item, 0), 0);
        EXPECT_EQ(COMMXMODEMGet(handle, item), 0) << item;
    }
    COMMXMODEMSet(handle, 201, 2);
    COMMXMODEMSet(handle, 203, 1234);
    COMMXMODEMSet(handle, 207, 3);
    COMMXMODEMSet(handle, 211, 0x1A);
    EXPECT_EQ(COMMXMODEMGet(handle, 201), 2);
    EXPECT_EQ(COMMXMODEMGet(handle, 203), 1234);
    EXPECT_EQ(COMMXMODEMGet(handle, 207), 3);
    EXPECT_EQ(COMMXMODEMGet(handle, 211), 0x1A);
}

TEST_F(SettingsTest, HostFileNameIsCutAtEightyCharactersAndRestoredByZero) {
    std::string longName(100, 'n');
    ASSERT_EQ(COMMXMODEMSet(port.handle(), 208, reinterpret_cast<intptr_t>(longName.c_str())), 0);
    EXPECT_EQ(std::strlen(reinterpret_cast<const char *>(COMMXMODEMGet(port.handle(), 208))), 80u);
    ASSERT_EQ(COMMXMODEMSet(port.handle(), 208, 0), 0);
    EXPECT_STREQ(reinterpret_cast<const char *>(COMMXMODEMGet(port.handle(), 208)), "temp0000.$$$");
}

TEST_F(SettingsTest, UnknownItemsAndNullPortsAreReported) {
    EXPECT_EQ(COMMXMODEMSet(port.handle(), 202, 1), -103);
    EXPECT_EQ(g_report, "ERROR: BADPARM1. Parameter 202 is unrecognized\r\nFunction: COMMXMODEMSet()");
    EXPECT_EQ(COMMXMODEMGet(port.handle(), 5), -103);
    EXPECT_EQ(g_report, "ERROR: BADPARM1. Parameter 5 is unrecognized\r\nFunction: COMMXMODEMGet()");
    EXPECT_EQ(COMMXMODEMSet(nullptr, 203, 1), -102);
    EXPECT_EQ(COMMXferCancel(nullptr), -102);
    EXPECT_EQ(g_report, "ERROR: BADPARM0. Parameter is NULL\r\nFunction: COMMXferCancel()");
}

TEST_F(SettingsTest, LockedPortRefusesSettings) {
    COMMPortSet(port.handle(), 109, 1);
    EXPECT_EQ(COMMXMODEMSet(port.handle(), 203, 100), -122);
    EXPECT_EQ(fsend(port.handle(), 0, 106, 4096, nullptr, 0), -122);
    COMMPortSet(port.handle(), 109, 0);
    EXPECT_EQ(COMMXMODEMSet(port.handle(), 203, 100), 0);
}

TEST(TransferSlotTest, HostOwnedTransferRecordOutlivesReceivesAndTheClose) {
    std::array<uint8_t, 64> hostRecord;
    hostRecord.fill(0x5A);
    {
        OpenPort port;
        ASSERT_EQ(COMMPortSet(port.handle(), 114, reinterpret_cast<intptr_t>(hostRecord.data())), 0);
        EXPECT_EQ(freceive(port.handle(), 99, 4096, nullptr, 0), -1);
        EXPECT_EQ(freceive(port.handle(), 99, 4096, nullptr, 0), -1);
    }   // closed here: the record is the host's, not the library's
    std::array<uint8_t, 64> unchanged;
    unchanged.fill(0x5A);
    EXPECT_EQ(hostRecord, unchanged);
}

class QueueTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string a = dir / "a.bin";
    std::string b = dir / "b.bin";
    QueueTest() {
        writeFile(a, {1});
        writeFile(b, {2});
        COMMReportHookSet(recordReport);
    }
    ~QueueTest() override {
        while (funqueue(9, a.c_str()) == 0 || funqueue(9, b.c_str()) == 0) {}
        COMMReportHookSet(nullptr);
    }
};

TEST_F(QueueTest, NamesAreQueuedAndRemovedOneEntryAtATime) {
    EXPECT_EQ(fqueue(9, a.c_str()), 0);
    EXPECT_EQ(fqueue(9, b.c_str()), 0);
    EXPECT_EQ(fqueue(9, a.c_str()), 0);
    EXPECT_EQ(funqueue(9, a.c_str()), 0);
    EXPECT_EQ(funqueue(9, a.c_str()), 0);
    EXPECT_EQ(funqueue(9, a.c_str()), -113);
    EXPECT_EQ(funload(9, b.c_str()), 0);
    EXPECT_EQ(funqueue(9, b.c_str()), -113);
}

TEST_F(QueueTest, MissingFilesNullNamesAndBadQueueNumbersAreRefused) {
    EXPECT_EQ(fqueue(9, (dir / "missing.bin").c_str()), -113);
    EXPECT_EQ(fqueue(9, nullptr), -103);
    EXPECT_EQ(g_report, "ERROR: BADPARM1. Parameter is NULL\r\nFunction: fqueue()");
    EXPECT_EQ(funqueue(9, nullptr), -103);
    EXPECT_EQ(fqueue(32, a.c_str()), -103);
    EXPECT_EQ(fqueue(-1, a.c_str()), -103);
    EXPECT_EQ(funqueue(40, a.c_str()), -113);
}

TEST_F(QueueTest, EmptyQueueFailsTheSendAndIsUsedUp) {
    OpenPort port;
    ASSERT_EQ(fqueue(9, a.c_str()), 0);
    ASSERT_EQ(funqueue(9, a.c_str()), 0);
    EXPECT_EQ(fsend(port.handle(), 9, 106, 4096, nullptr, 0), -1);
    EXPECT_EQ(COMMErrnoGet(port.handle()), -113);
    EXPECT_EQ(fsend(port.handle(), 9, 106, 4096, nullptr, 0), -113);
}

}  // namespace
