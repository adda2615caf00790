// Mistakes on the archive's command lines are refused before any archive
// is opened: exit 2 and one line saying what is wrong.
#include <gtest/gtest.h>

#include "archive_backends.h"
#include "case_name.h"

using namespace archivetest;

namespace {

struct ArgumentCase {
    const char *name;
    std::vector<std::string> args;
    const char *says;
};
std::ostream &operator<<(std::ostream &out, const ArgumentCase &c) { return out << c.name; }

const ArgumentCase kMistakes[] = {
    {"NoSubcommand", {"archive"}, ""},
    {"UnknownSubcommand", {"archive", "erase"}, "archive: unknown command 'erase'"},
    {"ImportWithoutFiles", {"archive", "import"}, "archive import: expects at least one file argument"},
    {"ExportWithoutUnit", {"archive", "export"}, "archive export: --unit U is required"},
    {"UnitNotANumber", {"archive", "list", "--unit", "12a"}, "--unit needs a unit number from 0 to 32767"},
    {"UnitTooLarge", {"archive", "export", "--unit", "40000"}, "--unit needs a unit number from 0 to 32767"},
    {"FromNotADate", {"archive", "list", "--from", "yesterday"}, "--from needs a date YYYY-MM-DD"},
    {"ToNotADay", {"archive", "list", "--to", "2005-02-30"}, "--to needs a date YYYY-MM-DD"},
    {"UnknownQuantity", {"archive", "export", "--unit", "1", "--quantity", "ambient,humidity"},
     "--quantity: unknown quantity 'humidity'"},
    {"EmptyOutput", {"archive", "export", "--unit", "1", "-o", ""}, "the output name given with -o is empty"},
    {"ListTakesNoFile", {"archive", "list", "stray.bin"}, "archive list: takes no file argument"},
    {"DbWithoutArchive", {"retrieve", "--port", "1", "--db", "x.sqlite"}, "retrieve: --db goes with --archive"},
};

class ArchiveArguments : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(ArchiveArguments, AreRefusedAsUsageErrors) {
    // An archive named by the environment that must stay untouched.
    testfiles::TempDir folder{"archive-arguments"};
    setenv("TRELMLINK_DB", (folder / "untouched.sqlite").c_str(), 1);
    const CommandRun run = runCommand(GetParam().args);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "untouched.sqlite"));
    unsetenv("TRELMLINK_DB");
}

INSTANTIATE_TEST_SUITE_P(Mistakes, ArchiveArguments, ::testing::ValuesIn(kMistakes), testsupport::CaseName());

} // namespace
