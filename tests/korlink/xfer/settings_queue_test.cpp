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
    EXPECT_EQ(COMMXMODEMGet(handle, KORLINK_XMODEM_TIMEOUT_MS), -1);
    ASSERT_EQ(COMMXMODEMSet(handle, KORLINK_XMODEM_CREATE, 0), 0);
    EXPECT_EQ(COMMXMODEMGet(handle, KORLINK_XMODEM_CAN_LIMIT), 5);
    EXPECT_EQ(COMMXMODEMGet(handle, KORLINK_XMODEM_TIMEOUT_MS), 10000);
    EXPECT_EQ(COMMXMODEMGet(handle, KORLINK_XMODEM_RETRY_LIMIT), 10);
    EXPECT_EQ(COMMXMODEMGet(handle, KORLINK_XMODEM_PAD_BYTE), 0);
    EXPECT_EQ(COMMXMODEMGet(handle, KORLINK_XMODEM_RENAME), 0);
    EXPECT_STREQ(reinterpret_cast<const char *>(COMMXMODEMGet(handle, KORLINK_XMODEM_FILE_NAME)), "temp0000.$$$");
    EXPECT_EQ(COMMXMODEMSet(handle, KORLINK_XMODEM_FREE, 0), 0);
    EXPECT_EQ(COMMXMODEMGet(handle, KORLINK_XMODEM_CAN_LIMIT), -1);
}

// A status callback cannot free the record the running receive works with.
int16_t g_freeResult = 0;
int freeingCallback(PortHandle port, int32_t status, intptr_t param) {
    if (status == KORLINK_STATUS_BYTE_COUNT && param == 0) g_freeResult = COMMXMODEMSet(port, KORLINK_XMODEM_FREE, 0);
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
    EXPECT_EQ(freceive(port.handle(), KORLINK_PROTO_XMODEM_CRC, 4096, freeingCallback, 0), 0);
    sender.join();
    EXPECT_EQ(g_freeResult, KORLINK_E_LOCKED);
    EXPECT_EQ(readFile(dir / "temp0000.$$$"), data);
    EXPECT_EQ(COMMXMODEMSet(port.handle(), KORLINK_XMODEM_FREE, 0), 0);   // outside the call it can go
}

TEST_F(SettingsTest, ItemsStoreTheirValues) {
    PortHandle handle = port.handle();
    for (int16_t item : {KORLINK_XMODEM_CARRIER_WATCH, KORLINK_XMODEM_RENAME, KORLINK_XMODEM_NO_START_WAIT}) {
        EXPECT_EQ(COMMXMODEMSet(handle, item, 7), 0);
        EXPECT_EQ(COMMXMODEMGet(handle, item), 1) << item;
        EXPECT_EQ(COMMXMODEMSet(handle, item, 0), 0);
        EXPECT_EQ(COMMXMODEMGet(handle, item), 0) << item;
    }
    COMMXMODEMSet(handle, KORLINK_XMODEM_CAN_LIMIT, 2);
    COMMXMODEMSet(handle, KORLINK_XMODEM_TIMEOUT_MS, 1234);
    COMMXMODEMSet(handle, KORLINK_XMODEM_RETRY_LIMIT, 3);
    COMMXMODEMSet(handle, KORLINK_XMODEM_PAD_BYTE, 0x1A);
    EXPECT_EQ(COMMXMODEMGet(handle, KORLINK_XMODEM_CAN_LIMIT), 2);
    EXPECT_EQ(COMMXMODEMGet(handle, KORLINK_XMODEM_TIMEOUT_MS), 1234);
    EXPECT_EQ(COMMXMODEMGet(handle, KORLINK_XMODEM_RETRY_LIMIT), 3);
    EXPECT_EQ(COMMXMODEMGet(handle, KORLINK_XMODEM_PAD_BYTE), 0x1A);
}

TEST_F(SettingsTest, HostFileNameIsCutAtEightyCharactersAndRestoredByZero) {
    std::string longName(100, 'n');
    ASSERT_EQ(COMMXMODEMSet(port.handle(), KORLINK_XMODEM_FILE_NAME, reinterpret_cast<intptr_t>(longName.c_str())), 0);
    EXPECT_EQ(std::strlen(reinterpret_cast<const char *>(COMMXMODEMGet(port.handle(), KORLINK_XMODEM_FILE_NAME))),
              80u);
    ASSERT_EQ(COMMXMODEMSet(port.handle(), KORLINK_XMODEM_FILE_NAME, 0), 0);
    EXPECT_STREQ(reinterpret_cast<const char *>(COMMXMODEMGet(port.handle(), KORLINK_XMODEM_FILE_NAME)),
                 "temp0000.$$$");
}

TEST_F(SettingsTest, UnknownItemsAndNullPortsAreReported) {
    EXPECT_EQ(COMMXMODEMSet(port.handle(), 202, 1), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(g_report, "ERROR: BADPARM1. Parameter 202 is unrecognized\r\nFunction: COMMXMODEMSet()");
    EXPECT_EQ(COMMXMODEMGet(port.handle(), 5), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(g_report, "ERROR: BADPARM1. Parameter 5 is unrecognized\r\nFunction: COMMXMODEMGet()");
    EXPECT_EQ(COMMXMODEMSet(nullptr, KORLINK_XMODEM_TIMEOUT_MS, 1), KORLINK_E_NULL_PORT);
    EXPECT_EQ(COMMXferCancel(nullptr), KORLINK_E_NULL_PORT);
    EXPECT_EQ(g_report, "ERROR: BADPARM0. Parameter is NULL\r\nFunction: COMMXferCancel()");
}

TEST_F(SettingsTest, LockedPortRefusesSettings) {
    COMMPortSet(port.handle(), KORLINK_PORT_BACKGROUND_LOCK, 1);
    EXPECT_EQ(COMMXMODEMSet(port.handle(), KORLINK_XMODEM_TIMEOUT_MS, 100), KORLINK_E_LOCKED);
    EXPECT_EQ(fsend(port.handle(), 0, KORLINK_PROTO_XMODEM_CRC, 4096, nullptr, 0), KORLINK_E_LOCKED);
    COMMPortSet(port.handle(), KORLINK_PORT_BACKGROUND_LOCK, 0);
    EXPECT_EQ(COMMXMODEMSet(port.handle(), KORLINK_XMODEM_TIMEOUT_MS, 100), 0);
}

TEST(TransferSlotTest, HostOwnedTransferRecordOutlivesReceivesAndTheClose) {
    std::array<uint8_t, 64> hostRecord;
    hostRecord.fill(0x5A);
    {
        OpenPort port;
        ASSERT_EQ(
            COMMPortSet(port.handle(), KORLINK_PORT_TRANSFER_STATE, reinterpret_cast<intptr_t>(hostRecord.data())), 0);
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
    EXPECT_EQ(funqueue(9, a.c_str()), KORLINK_E_FILE);
    EXPECT_EQ(funload(9, b.c_str()), 0);
    EXPECT_EQ(funqueue(9, b.c_str()), KORLINK_E_FILE);
}

TEST_F(QueueTest, MissingFilesNullNamesAndBadQueueNumbersAreRefused) {
    EXPECT_EQ(fqueue(9, (dir / "missing.bin").c_str()), KORLINK_E_FILE);
    EXPECT_EQ(fqueue(9, nullptr), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(g_report, "ERROR: BADPARM1. Parameter is NULL\r\nFunction: fqueue()");
    EXPECT_EQ(funqueue(9, nullptr), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(fqueue(32, a.c_str()), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(fqueue(-1, a.c_str()), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(funqueue(40, a.c_str()), KORLINK_E_FILE);
}

TEST_F(QueueTest, EmptyQueueFailsTheSendAndIsUsedUp) {
    OpenPort port;
    ASSERT_EQ(fqueue(9, a.c_str()), 0);
    ASSERT_EQ(funqueue(9, a.c_str()), 0);
    EXPECT_EQ(fsend(port.handle(), 9, KORLINK_PROTO_XMODEM_CRC, 4096, nullptr, 0), -1);
    EXPECT_EQ(COMMErrnoGet(port.handle()), KORLINK_E_FILE);
    EXPECT_EQ(fsend(port.handle(), 9, KORLINK_PROTO_XMODEM_CRC, 4096, nullptr, 0), KORLINK_E_FILE);
}

}  // namespace
