// The retrieval each station runs: its options from the station's keys,
// and the command shown by `fleet check` quoted so a shell takes it back.
#include <gtest/gtest.h>

#include "case_name.h"
#include "fleet/retrieve_arguments.h"

using trelm::fleet::Download;
using trelm::fleet::Station;

namespace {

struct ArgumentsCase {
    const char *name;
    Station station;
    std::vector<std::string> forwarded;
    std::string line;
};

// A failure names the case, never its bytes.
std::ostream &operator<<(std::ostream &out, const ArgumentsCase &c) { return out << c.name; }

class RetrieveArguments : public testing::TestWithParam<ArgumentsCase> {};

TEST_P(RetrieveArguments, StationKeysBecomeOptions) {
    const ArgumentsCase &c = GetParam();
    EXPECT_EQ(trelm::fleet::commandLine(trelm::fleet::retrieveArguments(c.station, "trelmlink", "/d/l.log", c.forwarded)),
              c.line);
}

Station station(int port, std::string device, std::string phone, const std::filesystem::path &dir, Download download) {
    return Station{.name = std::string(1, 's'), .port = port, .device = std::move(device), .phone = std::move(phone),
                   .dir = dir, .download = download};
}

INSTANTIATE_TEST_SUITE_P(
    Stations, RetrieveArguments,
    testing::Values(
        ArgumentsCase{"PortAllData", station(3, "", "", "/d/n", Download::All), {},
                      "trelmlink retrieve --port 3 --dir /d/n --all --log /d/l.log"},
        ArgumentsCase{"DeviceEventsThroughModem", station(0, "/dev/ttyUSB0", "555 1234", "/d/n", Download::Events), {},
                      "trelmlink retrieve --device /dev/ttyUSB0 --dir /d/n --events --phone '555 1234' --log /d/l.log"},
        ArgumentsCase{"QuotesInAFolderName", station(1, "", "", "/d/it's here", Download::All), {},
                      "trelmlink retrieve --port 1 --dir '/d/it'\\''s here' --all --log /d/l.log"},
        ArgumentsCase{"ForwardedOptionsComeLast", station(1, "", "", "/d/n", Download::All), {"--verbose"},
                      "trelmlink retrieve --port 1 --dir /d/n --all --log /d/l.log --verbose"}),
    testsupport::CaseName());

} // namespace
