// `trelmlink retrieve` run by an ordinary user against a port it may not
// open: refused as a set-up problem, the reason naming the device and the
// group that grants access, and nothing written to the data folder.
#include <filesystem>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "case_name.h"
#include "program_run.h"
#include "pty_pair.h"
#include "test_files.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char *kUser = "nobody";
// The group serial devices usually belong to; root's where it is missing.
constexpr const char *kDeviceGroup = "tty";
constexpr int kExitSetUp = 3;

struct PermissionCase {
    const char *name;
    mode_t mode; // of the device, owned by root
    const char *reason; // after "DEVICE: permission denied; "; %G stands for the device's group
};

std::ostream &operator<<(std::ostream &out, const PermissionCase &c) { return out << c.name; }

std::string withGroup(std::string text, const std::string &group) {
    for (std::size_t at; (at = text.find("%G")) != std::string::npos;)
        text.replace(at, 2, group);
    return text;
}

class PortPermission : public testing::TestWithParam<PermissionCase> {};

TEST_P(PortPermission, IsRefusedNamingTheDeviceAndGroup) {
    const PermissionCase &c = GetParam();
    if (::getpwnam(kUser) == nullptr)
        GTEST_SKIP() << "no non-root user " << kUser << " on this machine";
    if (::getuid() != 0)
        GTEST_SKIP() << "running the program as " << kUser << " needs root";
    const group *deviceGroup = ::getgrnam(kDeviceGroup);
    const gid_t gid = deviceGroup ? deviceGroup->gr_gid : 0;
    const std::string groupName = deviceGroup ? kDeviceGroup : "root";

    testsupport::PtyPair pty;
    const std::string device = pty.slavePath();
    ASSERT_EQ(::chown(device.c_str(), 0, gid), 0);
    ASSERT_EQ(::chmod(device.c_str(), c.mode), 0);
    // The folder and the settings are the user's to write: only the port is denied.
    testfiles::TempDir data("permission-data");
    testfiles::TempDir ini("permission-ini");
    fs::permissions(data.path(), fs::perms::all);
    fs::permissions(ini.path(), fs::perms::all);

    // The build folder may be closed to other users (a clone in a private
    // temp folder): the user runs a copy of the program and its library.
    testfiles::TempDir programs("permission-programs");
    const fs::path program = programs.path() / fs::path(TRELMLINK_PROGRAM).filename();
    fs::copy_file(TRELMLINK_PROGRAM, program);
    fs::copy_file(fs::path(TRELMLINK_PROGRAM).parent_path() / "libkorlink.so", programs.path() / "libkorlink.so");
    fs::permissions(programs.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);

    ProgramRun run({"retrieve", "--device", device, "--dir", data.path().string(), "--all"},
                   {.environment = {{"TRELMLINK_INI", (ini.path() / "TRELMLNK.INI").string()}},
                    .user = kUser,
                    .program = program.string()});
    const std::optional<int> status = run.waitExit(30s);
    ASSERT_TRUE(status) << run.err();
    EXPECT_EQ(*status, kExitSetUp) << run.err();
    EXPECT_NE(run.err().find("Unable to open Port!"), std::string::npos) << run.err();
    const std::string reason = "trelmlink: " + device + ": permission denied; " + withGroup(c.reason, groupName);
    EXPECT_NE(run.err().find(reason + "\n"), std::string::npos) << "no line: " << reason << "\n" << run.err();
    EXPECT_TRUE(testfiles::folderContent(data.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PortPermission,
    testing::Values(PermissionCase{"GroupMayReadAndWrite", 0660, "the group %G grants access (add the user to it)"},
                    PermissionCase{"OwnerOnly", 0600,
                                   "only its owner root may use it (mode 0600): give the group %G read and "
                                   "write access and add the user to it"}),
    testsupport::CaseName());

} // namespace
