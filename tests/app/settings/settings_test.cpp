// The settings file, the data folder rule and the port-to-device names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "korlink_binder/com_device.h"
#include "case_name.h"
#include "settings/data_dir.h"
#include "settings/ini_file.h"
#include "test_files.h"

namespace fs = std::filesystem;
using namespace trelm;

namespace {

// Restores the working directory a test changes.
class KeepWorkingDirectory {
public:
    ~KeepWorkingDirectory() { fs::current_path(m_saved); }

private:
    fs::path m_saved = fs::current_path();
};

struct IniWrite {
    const char *name;
    std::string before;
    std::string section, key, value;
    std::string after;
};

void PrintTo(const IniWrite &write, std::ostream *out) { *out << write.name; }

class IniWriteTest : public testing::TestWithParam<IniWrite> {};

} // namespace

TEST_P(IniWriteTest, ChangesOnlyTheKeyAndKeepsEveryOtherLine) {
    testfiles::TempDir dir("ini");
    const fs::path file = dir.path() / "TRELMLNK.INI";
    if (!GetParam().before.empty())
        testfiles::writeFile(file, {GetParam().before.begin(), GetParam().before.end()});
    ASSERT_TRUE(writeIniText(file, GetParam().section, GetParam().key, GetParam().value).ok());
    EXPECT_EQ(testfiles::readText(file), GetParam().after);
    EXPECT_EQ(readIniText(file, GetParam().section, GetParam().key), GetParam().value.substr(1));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWriteTest,
    testing::Values(
        IniWrite{"NewFile", "", "PORT", "COMM", " 3", "[PORT]\nCOMM= 3\n"},
        IniWrite{"ReplacesValue", "[PORT]\nCOMM= 7\n", "PORT", "COMM", " 4", "[PORT]\nCOMM= 4\n"},
        IniWrite{"KeyMatchedWithoutCase", "[port]\r\ncomm = 7\r\n", "PORT", "COMM", " 4", "[port]\nCOMM= 4\n"},
        IniWrite{"OtherSectionKept", "[PHONE_NUM]\nNUMBER=5551234\n\n[PORT]\nCOMM= 1\n", "PORT", "COMM", " 2",
                 "[PHONE_NUM]\nNUMBER=5551234\n\n[PORT]\nCOMM= 2\n"},
        IniWrite{"KeyAddedToItsSection", "[PORT]\nOTHER=1\n\n[PHONE_NUM]\nNUMBER=1\n", "PORT", "COMM", " 5",
                 "[PORT]\nOTHER=1\nCOMM= 5\n\n[PHONE_NUM]\nNUMBER=1\n"},
        IniWrite{"SectionAdded", "[PHONE_NUM]\nNUMBER=1\n", "PORT", "COMM", " 10",
                 "[PHONE_NUM]\nNUMBER=1\n[PORT]\nCOMM= 10\n"}),
    testsupport::CaseName());

TEST(IniRead, ValuesAreTrimmedCutAndLookedUpInTheirOwnSection) {
    testfiles::TempDir dir("ini");
    const fs::path file = dir.path() / "TRELMLNK.INI";
    const std::string text = "COMM=9\n[PHONE_NUM]\nCOMM=8\nNUMBER=  " + std::string(60, '5') + "  \n[PORT]\nCOMM=\n";
    testfiles::writeFile(file, {text.begin(), text.end()});
    EXPECT_EQ(readIniText(file, "PHONE_NUM", "NUMBER"), std::string(49, '5'));
    EXPECT_EQ(readIniText(file, "PORT", "COMM"), "");
    EXPECT_EQ(readIniText(dir.path() / "missing.ini", "PORT", "COMM"), "");
}

TEST(IniWrite, AFailedWriteLeavesTheOldFile) {
    testfiles::TempDir dir("ini");
    // A name at the file-name limit leaves no room for the temporary file
    // beside it, so the write fails whoever runs the test.
    const fs::path file = dir.path() / std::string(255, 'I');
    testfiles::writeFile(file, {'x'});
    const Status written = writeIniText(file, "PORT", "COMM", " 3");
    ASSERT_FALSE(written.ok());
    EXPECT_NE(written.error().message().find(file.string()), std::string::npos);
    EXPECT_EQ(testfiles::readText(file), "x");
}

TEST(IniFilePath, ExplicitPathThenConfigFolderThenHome) {
    const std::string savedIni = std::getenv("TRELMLINK_INI") ? std::getenv("TRELMLINK_INI") : "";
    setenv("TRELMLINK_INI", "/x/my.ini", 1);
    EXPECT_EQ(IniFilePath(), fs::path("/x/my.ini"));
    unsetenv("TRELMLINK_INI");
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(IniFilePath(), fs::path("/cfg/trelmlink/TRELMLNK.INI"));
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/op", 1);
    EXPECT_EQ(IniFilePath(), fs::path("/home/op/.config/trelmlink/TRELMLNK.INI"));
    if (!savedIni.empty())
        setenv("TRELMLINK_INI", savedIni.c_str(), 1);
}

TEST(LeadingInteger, ReadsTheNumberAValueStartsWith) {
    const std::pair<const char *, int> cases[] = {{" 7", 7}, {"12", 12}, {"7x", 7}, {"+3", 3}, {"", 0},
                                                  {"abc", 0}, {"-2", -2}, {"99999", 0}, {" 10 ", 10}};
    for (const auto &[text, number] : cases)
        EXPECT_EQ(leadingInteger(text), number) << text;
    EXPECT_EQ(commValueText(4), " 4");
}

TEST(DataFolder, AFolderNamedDataStaysOtherwiseItsDataSubfolderIsEntered) {
    struct Case {
        const char *start;
        bool dataExists;
        const char *expected; // relative to the temporary folder
    };
    const Case cases[] = {
        {"mydata", false, "mydata"},   {"OLD_DATA_2005", false, "OLD_DATA_2005"},
        {"work", false, "work/Data"}, {"work2", true, "work2/Data"},
        {"dat", false, "dat/Data"},
    };
    for (const Case &c : cases) {
        KeepWorkingDirectory keep;
        testfiles::TempDir dir("start");
        const fs::path start = dir.path() / c.start;
        fs::create_directories(start);
        if (c.dataExists)
            fs::create_directory(start / "Data");
        fs::current_path(start);
        const auto entered = EnterDataDir(start);
        ASSERT_TRUE(entered.ok()) << c.start;
        EXPECT_EQ(fs::current_path(), dir.path() / c.expected) << c.start;
        EXPECT_EQ(entered.value(), dir.path() / c.expected) << c.start;
    }
}

TEST(DataFolder, WhenDataCannotBeMadeTheWorkingDirectoryStaysAndTheErrorSaysWhy) {
    KeepWorkingDirectory keep;
    testfiles::TempDir dir("start");
    testfiles::writeFile(dir.path() / "Data", {'x'}); // a file in the way
    fs::current_path(dir.path());
    const auto entered = EnterDataDir(dir.path());
    ASSERT_FALSE(entered.ok());
    EXPECT_EQ(entered.error().subject, (dir.path() / "Data").string());
    EXPECT_EQ(fs::current_path(), dir.path());
}

TEST(ComDevice, TooltipNamesTheMappedDeviceAndWhetherItExists) {
    testfiles::TempDir dir("com");
    const fs::path present = dir.path() / "ttyUSB0";
    testfiles::writeFile(present, {});
    setenv("KORLINK_COM3", present.c_str(), 1);
    EXPECT_EQ(comDeviceDescription(3), "COM 3: " + present.string() + " (KORLINK_COM3)");
    setenv("KORLINK_COM3", (dir.path() / "gone").c_str(), 1);
    EXPECT_EQ(comDeviceDescription(3), "COM 3: " + (dir.path() / "gone").string() + " (KORLINK_COM3), not present");
    unsetenv("KORLINK_COM3");
    unsetenv("KORLINK_COM10");
    EXPECT_EQ(comDevicePath(3), "/dev/ttyS2");
    EXPECT_EQ(comDevicePath(10), "/dev/ttyS9");
    EXPECT_EQ(comDeviceDescription(10).rfind("COM 10: /dev/ttyS9", 0), 0u);
}

struct ValueCase {
    const char *name;
    std::string value;
    bool accepted;
};

std::ostream &operator<<(std::ostream &out, const ValueCase &c) { return out << c.name; }

class SettingValue : public testing::TestWithParam<ValueCase> {};

// A value that would break the file's lines (or reach the modem as a
// command of its own) is refused, and the file stays as it was.
TEST_P(SettingValue, OneLineOfPrintableTextOnly) {
    const ValueCase &c = GetParam();
    testfiles::TempDir dir("setting-value");
    const fs::path ini = dir.path() / "TRELMLNK.INI";
    const std::string before = "[PORT]\nCOMM= 3\n";
    std::ofstream(ini) << before;
    const Status written = writeIniText(ini, "PHONE_NUM", "NUMBER", c.value);
    EXPECT_EQ(written.ok(), c.accepted);
    if (c.accepted) {
        EXPECT_EQ(readIniText(ini, "PHONE_NUM", "NUMBER"), c.value);
        return;
    }
    EXPECT_NE(written.error().reason.find("no line break or other control character"), std::string::npos);
    std::ifstream file(ini);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), before);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingValue,
                         testing::Values(ValueCase{"PlainNumber", "555-1234", true},
                                         ValueCase{"WithPauseCommas", "9,,5551234", true},
                                         ValueCase{"LineFeedStartingASection", "555\n[PORT]", false},
                                         ValueCase{"CarriageReturnAndModemCommand", "555\r\nATH", false},
                                         ValueCase{"Tab", "555\t1234", false},
                                         ValueCase{"Delete", std::string("555") + char(127), false}),
                         testsupport::CaseName());
