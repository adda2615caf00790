// The process-wide state a retrieval changes (the working directory, an
// environment variable) is back as it was whenever the scope is left: at
// its end, and when an exception leaves it.
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>

#include "case_name.h"
#include "retrieval/scoped_process_state.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

const char *const kVariable = "TRELM_SCOPED_STATE_TEST";

enum class Folder { None, Existing, Missing };

struct ScopeCase {
    const char *name;
    Folder folder = Folder::None;
    std::optional<std::string> before = {}; // the variable before the scope; none: unset
    std::vector<std::string> sets = {};     // values set inside, in order
    bool leaveByException = false;
};

std::ostream &operator<<(std::ostream &out, const ScopeCase &c) { return out << c.name; }

std::optional<std::string> variable() {
    const char *value = std::getenv(kVariable);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

class ScopedState : public testing::TestWithParam<ScopeCase> {
protected:
    void TearDown() override { unsetenv(kVariable); }
    testfiles::TempDir m_folder{"scoped-state"};
};

TEST_P(ScopedState, IsRestoredOnLeavingTheScope) {
    const ScopeCase &c = GetParam();
    if (c.before)
        setenv(kVariable, c.before->c_str(), 1);
    else
        unsetenv(kVariable);
    const fs::path start = fs::current_path();
    const fs::path target = c.folder == Folder::Existing  ? m_folder.path()
                            : c.folder == Folder::Missing ? m_folder.path() / "missing"
                                                          : fs::path();
    try {
        trelm::retrieval::ScopedProcessState scope;
        EXPECT_EQ(scope.enterDirectory(target), c.folder != Folder::Missing);
        EXPECT_EQ(fs::current_path(), c.folder == Folder::Existing ? fs::canonical(target) : start);
        for (const std::string &value : c.sets)
            scope.setEnvironment(kVariable, value);
        EXPECT_EQ(variable(), c.sets.empty() ? c.before : std::optional<std::string>(c.sets.back()));
        if (c.leaveByException)
            throw std::runtime_error("leaving");
    } catch (const std::runtime_error &) {
    }
    EXPECT_EQ(fs::current_path(), start);
    EXPECT_EQ(variable(), c.before);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ScopedState,
    testing::Values(ScopeCase{.name = "FolderEntered", .folder = Folder::Existing},
                    ScopeCase{.name = "NoFolderKeepsTheCurrent", .folder = Folder::None},
                    ScopeCase{.name = "MissingFolderIsRefused", .folder = Folder::Missing},
                    ScopeCase{.name = "VariableThatWasSet", .before = "old", .sets = {"new"}},
                    ScopeCase{.name = "VariableThatWasUnset", .sets = {"new"}},
                    ScopeCase{.name = "VariableSetTwice", .before = "old", .sets = {"one", "two"}},
                    ScopeCase{.name = "BothLeftByException", .folder = Folder::Existing, .before = "old",
                              .sets = {"new"}, .leaveByException = true}),
    testsupport::CaseName());

} // namespace
