#include "PackFormat.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

uint32_t Crc32(uint32_t crc, const void* bytes, size_t size) {
    const auto* data = static_cast<const Bytef*>(bytes);
    while (size > 0) {
        const uInt chunk = size > (1u << 30) ? (1u << 30) : uInt(size);
        crc = uint32_t(crc32(crc, data, chunk));
        data += chunk;
        size -= chunk;
    }
    return crc;
}

void PutLittleEndian32(std::string& out, uint64_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(char((value >> shift) & 0xFF));
    }
}

uint32_t GetLittleEndian32(const unsigned char* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

std::string ChecksumTable(uint32_t directoryCrc, const std::vector<uint32_t>& entryCrcs) {
    std::string table;
    table.reserve(ChecksumTableBytes(entryCrcs.size()));
    PutLittleEndian32(table, directoryCrc);
    for (uint32_t crc : entryCrcs) {
        PutLittleEndian32(table, crc);
    }
    PutLittleEndian32(table, entryCrcs.size());
    table.append(kChecksumTag, kChecksumTagBytes);
    return table;
}

uint64_t ChecksumTableBytes(uint64_t count) {
    return 4 + 4 * count + 4 + kChecksumTagBytes;
}

namespace {

// Length of the valid UTF-8 sequence at `text[i]` that encodes a printable
// character (not C1), or 0.
size_t PrintableSequence(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        code = code << 6 | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (overlong || surrogate || code > 0x10FFFF || code < 0xA0) {
        return 0;
    }
    return length;
}

} // namespace

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(char(c));
            ++i;
        } else if (c == '\\') {
            out += "\\\\";
            ++i;
        } else if (size_t length = c >= 0x80 ? PrintableSequence(text, i) : 0; length > 0) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unsigned(c));
            out += escaped;
            ++i;
        }
    }
    return out;
}

std::string SystemReason() {
    return std::strerror(errno);
}
