#pragma once
// Builds pack archive bytes by hand for the file layer tests, so that every
// field (count, name length, offsets, sizes) can be set to any value.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pack_bytes {

inline void PutU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(char((value >> shift) & 0xFF));
    }
}

/// One directory record with explicit fields.
inline std::string Record(const std::string& name, uint32_t offset, uint32_t size) {
    std::string record(1, char(uint8_t(name.size())));
    record += name;
    PutU32(record, offset);
    PutU32(record, size);
    return record;
}

/// A well-formed archive: the records in the given order, then the data of
/// each entry back to back in the same order.
inline std::string Archive(const std::vector<std::pair<std::string, std::string>>& entries) {
    uint32_t offset = 4;
    for (const auto& [name, data] : entries) {
        offset += uint32_t(1 + name.size() + 8);
    }
    std::string bytes;
    PutU32(bytes, uint32_t(entries.size()));
    for (const auto& [name, data] : entries) {
        bytes += Record(name, offset, uint32_t(data.size()));
        offset += uint32_t(data.size());
    }
    for (const auto& [name, data] : entries) {
        bytes += data;
    }
    return bytes;
}

} // namespace pack_bytes
