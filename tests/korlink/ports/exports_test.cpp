// The built library exports every function of korlink.h by its C name, and
// nothing else.
#include "korlink.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <dlfcn.h>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

std::set<std::string> headerFunctions() {
    std::ifstream header(KORLINK_HEADER_PATH);
    std::set<std::string> names;
    // A declaration starts its line with the macro; the name precedes "(".
    std::regex declaration(R"(^KORLINK_API\s+[^;(]*?\b(\w+)\s*\()");
    std::smatch match;
    for (std::string line; std::getline(header, line);)
        if (std::regex_search(line, match, declaration)) names.insert(match[1]);
    return names;
}

}  // namespace

TEST(Exports, EveryHeaderFunctionResolvesByName) {
    std::set<std::string> names = headerFunctions();
    ASSERT_GE(names.size(), 40u);  // the parse found the declarations
    void *library = dlopen(KORLINK_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const std::string &name : names) EXPECT_NE(dlsym(library, name.c_str()), nullptr) << "missing: " << name;
    dlclose(library);
}

TEST(Exports, NothingButTheHeaderFunctionsIsExported) {
    std::set<std::string> names = headerFunctions();
    std::string command = std::string("nm -D --defined-only '") + KORLINK_LIBRARY_PATH + "'";
    FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[512];
    int symbols = 0;
    while (fgets(line, sizeof line, pipe) != nullptr) {
        std::istringstream fields(line);
        std::string address, type, name;
        fields >> address >> type >> name;
        if (name.empty()) continue;
        ++symbols;
        EXPECT_TRUE(names.count(name)) << "unexpected export: " << name;
    }
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_GT(symbols, 0);
}

// The loaded library, the header and the project agree on one version.
TEST(Exports, LibraryVersionIsTheHeadersAndTheProjects) {
    EXPECT_EQ(COMMVersion(), KORLINK_VERSION);
    EXPECT_EQ(std::string(KORLINK_VERSION_STRING), PROJECT_VERSION_TEXT);
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d.%d", COMMVersion() >> 16, (COMMVersion() >> 8) & 0xFF,
                  COMMVersion() & 0xFF);
    EXPECT_EQ(std::string(text), KORLINK_VERSION_STRING);
}
