// The tests' event and image builders (the simulator kit's, under the tests'
// names), event files put together from them, and whole files as bytes, so a
// test states its input plainly. Bytes are in the stored order of swap.bin
// and event files; receivedBytes() gives an image as it arrives over the
// line, before the byte-pair swap.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "simkit/image_builder.h"
#include "test_files.h"

namespace testdata {

using simkit::Bytes;
using simkit::EventBuilder;
using simkit::Header;
using simkit::headerBytes;
using simkit::ImageBuilder;
using simkit::logRecordBytes;
using simkit::LogRow;
using simkit::putLong;
using simkit::putShort;

// Record j of a log taken once a minute from 6/15/2005 12:30:05, with values
// that vary a little from record to record: the benchmarks' full rings.
LogRow minuteLogRow(int j);

// Header, record and log rows back to back, as an event file holds them.
Bytes eventFileBytes(const Header &header, const EventBuilder &event, const std::vector<LogRow> &log = {});

using testfiles::writeFile;
Bytes readFile(const std::filesystem::path &path);
// The file's bytes as text, unchanged.
std::string readText(const std::filesystem::path &path);
// How many entries the folder holds.
std::size_t entryCount(const std::filesystem::path &dir);

} // namespace testdata
