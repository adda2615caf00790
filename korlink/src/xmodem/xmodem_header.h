// The batch header block (block 0): what a receiver reads from it and what a
// sender writes into it.
#pragma once

#include "transfer/file_names.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace korlink {

struct BatchHeader {
    bool endsBatch = false;    // the name field is empty: no more files
    std::string name;          // the whole name, reduced to a bare name; empty when unusable
    int64_t length = -1;       // -1: not announced or not a number
    int64_t modified = 0;      // seconds, from the octal field; 0 when absent
};

// Reads block 0's data. The name is reduced with bareFileName
// (transfer/file_names.h).
BatchHeader parseBatchHeader(const uint8_t *data, size_t size);

// The length field counts as absurd above this (it is also reported as a
// 32-bit value): no receive folder takes such a file.
inline constexpr int64_t maxAnnouncedLength = INT32_MAX;

// Fills the 128 data bytes of block 0 for a file: the name without its
// directory or drive part, NUL, size in decimal, modification time, mode and
// serial number in octal, the rest spaces.
void buildBatchHeader(uint8_t data[128], const std::string &path, int64_t size,
                      int64_t modified, uint32_t mode);

}  // namespace korlink
