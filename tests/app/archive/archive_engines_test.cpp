// Every behaviour of the archive on both engines: the same table runs on an
// SQLite file and on a real PostgreSQL server (a throw-away cluster; its
// rows skip, saying why, where no server is installed).
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "archive/open_archive.h"
#include "archive_backends.h"
#include "archive_events.h"
#include "case_name.h"
#include "datafile/event_file.h"
#include "generated_image.h"

namespace fs = std::filesystem;
using namespace archivetest;

namespace {

class ArchiveEngines : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        m_archive = std::make_unique<FreshArchive>(GetParam());
        if (m_archive->location.empty())
            GTEST_SKIP() << m_archive->skipReason;
    }

    CommandRun archive(std::vector<std::string> args) {
        args.insert(args.begin(), "archive");
        args.push_back("--db");
        args.push_back(m_archive->location);
        return runCommand(args);
    }
    CommandRun import(const std::vector<fs::path> &paths) {
        std::vector<std::string> args = {"import"};
        for (const fs::path &path : paths)
            args.push_back(path.string());
        return archive(args);
    }
    // The value of an `archive info` line ("events: 4" gives "4").
    std::string info(const std::string &item) {
        const CommandRun run = archive({"info"});
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);)
            if (line.starts_with(item + ": "))
                return line.substr(item.size() + 2);
        return "(no " + item + " in: " + run.out + run.err + ")";
    }

    std::unique_ptr<FreshArchive> m_archive;
    testfiles::TempDir m_work{"archive-work"};
};

std::size_t logRecordsIn(const std::vector<fs::path> &files) {
    std::size_t records = 0;
    for (const fs::path &file : files)
        records += trelm::readEventFile(file).value().log.size();
    return records;
}

// Three events, the third still running with a short log; the newer image
// has the third run on and a fourth begun.
testdata::ImageBuilder olderImage() {
    testdata::ImageBuilder image({1, 0x0102, 123});
    addEvent(image, 1, 6);
    addEvent(image, 2, 8);
    addEvent(image, 3, 4, 3);
    return image;
}
testdata::ImageBuilder newerImage() {
    testdata::ImageBuilder image({1, 0x0102, 123});
    addEvent(image, 1, 6);
    addEvent(image, 2, 8);
    addEvent(image, 3, 15);
    addEvent(image, 4, 5, 3);
    return image;
}

} // namespace

TEST_P(ArchiveEngines, ImportsEveryEventOfWholeImages) {
    for (unsigned seed : {7u, 8u}) {
        const testdata::GeneratedImage generated = testdata::generatedImage(seed);
        const auto files = eventFilesOf(generated.image, m_work / ("seed" + std::to_string(seed)));
        ASSERT_EQ(files.size(), static_cast<std::size_t>(generated.events));
        const CommandRun run = import({files.front().parent_path()});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(lastLine(run.out), std::to_string(files.size()) + " new, 0 updated, 0 unchanged");
    }
    const std::size_t records = logRecordsIn(eventFilesOf(testdata::generatedImage(7).image, m_work / "seed7")) +
                                logRecordsIn(eventFilesOf(testdata::generatedImage(8).image, m_work / "seed8"));
    EXPECT_EQ(info("units"), "2");
    EXPECT_EQ(info("events"), std::to_string(testdata::generatedImage(7).events + testdata::generatedImage(8).events));
    EXPECT_EQ(info("log records"), std::to_string(records));
    EXPECT_EQ(info("schema version"), "1");
}

TEST_P(ArchiveEngines, ReimportOfUnchangedEventsWritesNothing) {
    const auto files = eventFilesOf(olderImage(), m_work / "older");
    ASSERT_EQ(import(files).status, 0);
    const std::string before = archive({"list"}).out;
    const CommandRun again = import(files);
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(lastLine(again.out), "0 new, 0 updated, 3 unchanged");
    EXPECT_EQ(archive({"list"}).out, before);
    EXPECT_EQ(info("events"), "3");
}

TEST_P(ArchiveEngines, ImportAfterTheLogGrewUpdatesThatEventOnly) {
    ASSERT_EQ(import({eventFilesOf(olderImage(), m_work / "older").front().parent_path()}).status, 0);
    const CommandRun run = import({eventFilesOf(newerImage(), m_work / "newer").front().parent_path()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(lastLine(run.out), "1 new, 1 updated, 2 unchanged");
    EXPECT_EQ(info("events"), "4");
    EXPECT_EQ(info("log records"), std::to_string(6 + 8 + 15 + 5));
    const std::string listed = archive({"list", "--unit", "123", "--from", "2005-06-18", "--to", "2005-06-18"}).out;
    EXPECT_NE(listed.find("Finished  15 records"), std::string::npos) << listed;
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 1) << listed;
}

TEST_P(ArchiveEngines, ListAndExportEqualTheEventFilesDataLogAcrossTwoEvents) {
    testdata::ImageBuilder image({1, 0x0102, 123});
    addEvent(image, 1, 30);
    addEvent(image, 2, 25, 5, 11);
    const auto files = eventFilesOf(image, m_work / "two");
    ASSERT_EQ(files.size(), 2u);
    ASSERT_EQ(import(files).status, 0);

    const CommandRun listed = archive({"list", "--unit", "123"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    std::istringstream lines(listed.out);
    for (const fs::path &file : files) {
        std::string line;
        ASSERT_TRUE(std::getline(lines, line));
        const std::size_t records = trelm::readEventFile(file).value().log.size();
        EXPECT_NE(line.find(std::to_string(records) + " records"), std::string::npos) << line;
        EXPECT_TRUE(line.ends_with(file.filename().string())) << line;
    }

    const CommandRun exported = archive({"export", "--unit", "123", "-o", "-"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    std::istringstream csv(exported.out);
    std::string header;
    std::getline(csv, header);
    // The grid's column names against the export's quantity names.
    const std::map<std::string, std::string> gridName = {
        {"ambient", "Ambient T"}, {"pressure", "Pressure"}, {"pump_box", "Pump Box T"}};
    std::vector<std::string> columns;
    std::istringstream headerCells(header);
    for (std::string cell; std::getline(headerCells, cell, ',');) {
        const std::string name = cell.substr(0, cell.find(' '));
        if (gridName.count(name))
            columns.push_back(gridName.at(name));
        else if (name.starts_with("filter"))
            columns.push_back("Filter " + name.substr(6) + " T");
        else if (name.starts_with("flow"))
            columns.push_back("Flow " + name.substr(4));
        else
            columns.push_back(name);
    }
    std::size_t compared = 0;
    for (const fs::path &file : files) {
        const DataLogGrid grid = dataLogGridOf(file);
        for (const std::vector<std::string> &cells : grid.rows) {
            std::string line;
            ASSERT_TRUE(std::getline(csv, line)) << "the export ends early";
            std::vector<std::string> values;
            std::istringstream valueCells(line + ",");
            for (std::string cell; std::getline(valueCells, cell, ',');)
                values.push_back(cell);
            ASSERT_EQ(values.size(), columns.size()) << line;
            EXPECT_EQ(values[1], file.filename().string());
            EXPECT_EQ(values[0].substr(11), cells[1]) << "time of day";
            for (std::size_t c = 2; c < columns.size(); ++c) {
                const auto at = std::find(grid.names.begin(), grid.names.end(), columns[c]);
                const std::string expected = at == grid.names.end() ? "" : cells[at - grid.names.begin()];
                EXPECT_EQ(values[c], expected) << columns[c] << " in " << line;
            }
            ++compared;
        }
    }
    EXPECT_EQ(compared, logRecordsIn(files));
    std::string rest;
    EXPECT_FALSE(std::getline(csv, rest)) << "rows beyond the events' logs: " << rest;
}

TEST_P(ArchiveEngines, ExportChoosesQuantitiesAndBoundsTheTimes) {
    testdata::ImageBuilder image({1, 0x0102, 123});
    addEvent(image, 1, 30);
    addEvent(image, 2, 25);
    ASSERT_EQ(import(eventFilesOf(image, m_work / "two")).status, 0);
    const fs::path out = m_work / "series.csv";
    const CommandRun run = archive({"export", "--unit", "123", "--quantity", "ambient,flow2", "--from",
                                    "2005-06-16 12:40", "--to", "2005-06-17 12:35", "-o", out.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string csv = testfiles::readText(out);
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "Time,Event,ambient (Deg C),flow2 (L/min)");
    std::getline(lines, line);
    EXPECT_EQ(line, "2005/06/16 12:40:05,0123_2005_06_16_12_30_05.bin,9.0,0.50");
    std::string last = line;
    int rows = 1;
    while (std::getline(lines, line)) {
        last = line;
        ++rows;
    }
    EXPECT_EQ(last, "2005/06/17 12:35:05,0123_2005_06_17_12_30_05.bin,19.5,0.25");
    EXPECT_EQ(rows, 20 + 6); // 12:40..12:59 of the first, 12:30..12:35 of the second
}

TEST_P(ArchiveEngines, ListWithWarningsNamesEachWarning) {
    testdata::ImageBuilder image({1, 0x0102, 123});
    addEvent(image, 1, 10);
    ASSERT_EQ(import(eventFilesOf(image, m_work / "one")).status, 0);
    const CommandRun run = archive({"list", "--warnings"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char *expected : {"4 warnings  1 power failures", "  filter temperature 1: Yes at 06/16/05 12:33:05",
                                 "  max dT 2: 2.5 at 06/16/05 12:34:05", "  flow 2: 12.34 at 06/16/05 12:35:05",
                                 "  elapse: 00:10:00 > 00:00:30"})
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << " in:\n" << run.out;
}

TEST_P(ArchiveEngines, AFileThatIsNoEventFileIsNamedAndSkipped) {
    const auto files = eventFilesOf(olderImage(), m_work / "older");
    const fs::path stray = m_work / "notes.bin";
    testdata::writeFile(stray, std::vector<std::uint8_t>(700, 'x'));
    const CommandRun run = import({files[0], stray, files[1]});
    EXPECT_EQ(run.status, 5);
    EXPECT_NE(run.err.find(stray.string() + ": is not an event file"), std::string::npos) << run.err;
    EXPECT_EQ(lastLine(run.out), "2 new, 0 updated, 0 unchanged");
    EXPECT_EQ(info("events"), "2");
}

TEST_P(ArchiveEngines, AnArchiveOfANewerSchemaIsRefused) {
    ASSERT_EQ(archive({"info"}).status, 0);
    {
        auto engine = archive::openArchive(m_archive->location);
        ASSERT_TRUE(engine) << engine.error().message();
        ASSERT_TRUE(engine.value()->execute("INSERT INTO schema_version (version) VALUES (99)"));
    }
    const auto files = eventFilesOf(olderImage(), m_work / "older");
    for (const std::vector<std::string> &command :
         {std::vector<std::string>{"info"}, {"list"}, {"import", files[0].string()}}) {
        const CommandRun run = archive(command);
        EXPECT_EQ(run.status, 3) << command[0];
        EXPECT_NE(run.err.find("schema version 99; this trelmlink knows versions up to 1"), std::string::npos)
            << run.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ArchiveEngines, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         testsupport::CaseName());
