// The stations file: what each key gives a station, and every problem of a
// broken file found with its line.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "case_name.h"
#include "fleet/stations_file.h"
#include "test_files.h"

namespace fs = std::filesystem;
using trelm::fleet::Download;
using trelm::fleet::parseStations;

namespace {

const fs::path kFolder = "/srv/fleet";

struct ProblemCase {
    const char *name;
    const char *text;
    std::vector<std::pair<int, std::string>> problems; // line and a text the message holds
};

// A failure names the case, never its bytes.
std::ostream &operator<<(std::ostream &out, const ProblemCase &c) { return out << c.name; }

class StationsFileProblems : public testing::TestWithParam<ProblemCase> {};

TEST_P(StationsFileProblems, EveryProblemIsListedWithItsLine) {
    const ProblemCase &c = GetParam();
    std::istringstream text(c.text);
    const auto parsed = parseStations(text, kFolder);
    ASSERT_EQ(parsed.problems.size(), c.problems.size()) << [&] {
        std::string all;
        for (const auto &p : parsed.problems)
            all += std::to_string(p.line) + ": " + p.message + "\n";
        return all;
    }();
    for (std::size_t i = 0; i < c.problems.size(); ++i) {
        EXPECT_EQ(parsed.problems[i].line, c.problems[i].first) << parsed.problems[i].message;
        EXPECT_NE(parsed.problems[i].message.find(c.problems[i].second), std::string::npos)
            << parsed.problems[i].message;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Broken, StationsFileProblems,
    testing::Values(
        ProblemCase{"GoodFileHasNone", "; network\n[north]\nport = 3\n\n[south]\ndevice = /dev/ttyUSB0\n", {}},
        ProblemCase{"UnknownKey", "[north]\nport = 3\nbaud = 9600\n", {{3, "unknown key 'baud'"}}},
        ProblemCase{"DuplicateName", "[north]\nport = 3\n[north]\nport = 4\n",
                    {{3, "station north is named twice (first at line 1)"}}},
        ProblemCase{"TwoStationsOneFolder", "[north]\nport = 3\ndir = data\n[south]\nport = 4\ndir = ./data/\n",
                    {{4, "writes the folder /srv/fleet/data as station north does (line 1)"}}},
        ProblemCase{"DefaultFolderTakenByAnother", "[north]\nport = 3\n[south]\nport = 4\ndir = north\n",
                    {{3, "as station north does"}}},
        ProblemCase{"SharedPortWithoutPhone", "[north]\nport = 3\nphone = 5551234\n[south]\nport = 3\n",
                    {{4, "south shares COM 3 with station north: a shared port is a modem"}}},
        ProblemCase{"SharedModemWithPhones", "[north]\nport = 3\nphone = 1\n[south]\nport = 3\nphone = 2\n", {}},
        ProblemCase{"PortAndDevice", "[north]\nport = 3\ndevice = /dev/ttyS2\n", {{1, "both port and device"}}},
        ProblemCase{"NeitherPortNorDevice", "[north]\nphone = 1\n", {{1, "neither port nor device"}}},
        ProblemCase{"PortNotANumber", "[north]\nport = COM3\n", {{2, "port 'COM3' is not a whole number from 1 to 255"}}},
        ProblemCase{"PortZero", "[north]\nport = 0\n", {{2, "port '0'"}}},
        ProblemCase{"DownloadWord", "[north]\nport = 1\ndownload = some\n", {{3, "download 'some' is neither"}}},
        ProblemCase{"NegativeRetries", "[north]\nport = 1\nretries = -1\n", {{3, "retries '-1'"}}},
        ProblemCase{"PauseWithUnit", "[north]\nport = 1\nretry_pause = 5s\n", {{3, "retry_pause '5s'"}}},
        ProblemCase{"EmptyValue", "[north]\nport =\n", {{2, "port has no value"}}},
        ProblemCase{"KeyGivenTwice", "[north]\nport = 1\nport = 2\n", {{3, "port is given twice"}}},
        ProblemCase{"KeyBeforeAnySection", "port = 1\n[north]\nport = 2\n", {{1, "before any [STATION] header"}}},
        ProblemCase{"LineWithoutEquals", "[north]\nport 1\n", {{1, "neither port nor device"}, {2, "neither a [STATION] header nor a key = value"}}},
        ProblemCase{"UnclosedHeader", "[north\nport = 1\n", {{1, "missing its closing ]"}}},
        ProblemCase{"NameWithSlash", "[a/b]\nport = 1\n", {{1, "'a/b' cannot name a station"}}},
        ProblemCase{"PhoneWithControlCharacter", "[north]\nport = 1\nphone = 555\x01" "1\n", {{3, "phone: a setting"}}},
        ProblemCase{"SeveralInLineOrder",
                    "[north]\nport = x\ncolour = red\n[north]\nport = 2\n[east]\ndownload = none\n",
                    {{2, "port 'x'"}, {3, "unknown key 'colour'"}, {4, "named twice"},
                     {6, "neither port nor device"}, {7, "download 'none'"}}}),
    testsupport::CaseName());

struct ValueCase {
    const char *name;
    const char *text;
    int port;
    const char *device;
    const char *phone;
    const char *dir;
    Download download;
    int retries;
    int pause;
};

// A failure names the case, never its bytes.
std::ostream &operator<<(std::ostream &out, const ValueCase &c) { return out << c.name; }

class StationsFileValues : public testing::TestWithParam<ValueCase> {};

TEST_P(StationsFileValues, KeysAndDefaultsReachTheStation) {
    const ValueCase &c = GetParam();
    std::istringstream text(c.text);
    const auto parsed = parseStations(text, kFolder);
    ASSERT_TRUE(parsed.problems.empty()) << parsed.problems[0].message;
    ASSERT_EQ(parsed.stations.size(), 1u);
    const auto &station = parsed.stations[0];
    EXPECT_EQ(station.port, c.port);
    EXPECT_EQ(station.device, c.device);
    EXPECT_EQ(station.phone, c.phone);
    EXPECT_EQ(station.dir, fs::path(c.dir));
    EXPECT_EQ(station.download, c.download);
    EXPECT_EQ(station.retries, c.retries);
    EXPECT_EQ(station.retryPauseSeconds, c.pause);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, StationsFileValues,
    testing::Values(
        ValueCase{"Defaults", "[north]\nport = 3\n", 3, "", "", "/srv/fleet/north", Download::All, 2, 60},
        ValueCase{"EverythingGiven",
                  "[north]\ndevice = /dev/ttyUSB0\nphone = 555 1234\ndir = /data/n\ndownload = events\n"
                  "retries = 0\nretry_pause = 5\n",
                  0, "/dev/ttyUSB0", "555 1234", "/data/n", Download::Events, 0, 5},
        ValueCase{"RelativeDirBesideTheFile", "[north]\nport = 1\ndir = ../data/n\n", 1, "", "", "/srv/data/n",
                  Download::All, 2, 60},
        ValueCase{"KeysIgnoreCaseAndBlanks", "  [north]  \r\n  PORT=7\r\n Retry_Pause =  9 \r\n", 7, "", "",
                  "/srv/fleet/north", Download::All, 2, 9},
        ValueCase{"CommentsSkipped", "# all\n[north]\n; the roof\nport = 2\n", 2, "", "", "/srv/fleet/north",
                  Download::All, 2, 60}),
    testsupport::CaseName());

TEST(StationsFileDevices, AMissingDeviceIsNamedAtItsSection) {
    testfiles::TempDir folder("fleet-devices");
    std::ofstream(folder / "tty").put(0);
    std::istringstream text("[here]\ndevice = " + (folder / "tty").string() + "\n[gone]\ndevice = " +
                            (folder / "nothing").string() + "\n[com]\nport = 250\n");
    unsetenv("KORLINK_COM250");
    const auto parsed = parseStations(text, folder.path());
    ASSERT_TRUE(parsed.problems.empty());
    const auto missing = trelm::fleet::missingDevices(parsed.stations);
    ASSERT_EQ(missing.size(), 2u);
    EXPECT_EQ(missing[0].line, 3);
    EXPECT_NE(missing[0].message.find("station gone: "), std::string::npos) << missing[0].message;
    EXPECT_EQ(missing[1].line, 5);
    EXPECT_NE(missing[1].message.find("COM 250 (/dev/ttyS249) does not exist"), std::string::npos)
        << missing[1].message;
}

TEST(StationsFileDevices, APortAndItsDeviceShareOneLine) {
    testfiles::TempDir folder("fleet-lines");
    std::ofstream(folder / "tty").put(0);
    setenv("KORLINK_COM7", (folder / "tty").c_str(), 1);
    std::istringstream text("[a]\nport = 7\n[b]\ndevice = " + (folder / "." / "tty").string() + "\n");
    const auto parsed = parseStations(text, folder.path());
    unsetenv("KORLINK_COM7");
    ASSERT_EQ(parsed.problems.size(), 2u) << "both stations lack the phone a shared line needs";
    EXPECT_NE(parsed.problems[0].message.find("a shares COM 7 with station b"), std::string::npos)
        << parsed.problems[0].message;
}

} // namespace
