#include "store/DepthsFile.h"

#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/Files.h"

namespace gyrelle::store {

namespace {

constexpr const char* kHeader = kDepthsKept;

std::uint64_t checksum(const std::uint8_t* bytes, std::size_t size) {
    DepthsChecksum sum(size);
    sum.add(bytes, size);
    return sum.sum();
}

std::string headerOf(std::size_t size, std::uint64_t sum) {
    char line[96];
    std::snprintf(line, sizeof line, "%s %zu %016" PRIx64 "\n", kHeader, size, sum);
    return line;
}

bool readAll(int fd, std::uint8_t* into, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, into + got, size - got);
        if (n <= 0) {
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool readDepths(const std::string& path, solver::Phase1Depths& depths, std::string& problem) {
    problem.clear();
    bool exists = true;
    const int fd = platform::openRegularFile(path, kLargestDepthsFile, "any solver table", problem,
                                             &exists, platform::Links::Refuse);
    if (fd < 0) {
        if (!exists) {
            problem.clear();
        }
        return false;
    }
    const std::size_t size = depths.size();
    std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size]);
    char header[96] = {};
    std::size_t headerLength = 0;
    // The header line, a byte at a time: it is short, and the bytes follow it.
    while (headerLength + 1 < sizeof header && ::read(fd, header + headerLength, 1) == 1 &&
           header[headerLength++] != '\n') {
    }
    std::size_t length = 0;
    std::uint64_t sum = 0;
    char extra = 0;
    const std::string expected = std::string(kHeader) + " %zu %16" SCNx64 "\n%c";
    if (std::sscanf(header, expected.c_str(), &length, &sum, &extra) != 2 ||
        headerOf(length, sum) != header) {
        problem = "it is not a table of this game's";
    } else if (length != size) {
        problem = "it is a table of another size";
    } else if (!readAll(fd, bytes.get(), size)) {
        problem = "it is cut short";
    } else if (char more; ::read(fd, &more, 1) != 0) {
        problem = "it is longer than its table";
    } else if (checksum(bytes.get(), size) != sum) {
        problem = "it is not as it was written";
    } else if (!depths.adopt(std::move(bytes), size)) {
        problem = "it is not a table of this game's";
    }
    ::close(fd);
    return problem.empty();
}

bool writeDepths(const std::string& path, const solver::Phase1Depths& depths, std::string& error) {
    const auto write = [](std::FILE* out, const void* context) {
        const auto& d = *static_cast<const solver::Phase1Depths*>(context);
        const std::string header = headerOf(d.size(), checksum(d.data(), d.size()));
        return std::fwrite(header.data(), 1, header.size(), out) == header.size() &&
               std::fwrite(d.data(), 1, d.size(), out) == d.size();
    };
    return platform::replaceFile(path, write, &depths, error, platform::Links::Refuse);
}

// Eight bytes at a time, each word mixed in: a flipped bit anywhere changes it.
void DepthsChecksum::add(const std::uint8_t* bytes, std::size_t size) {
    std::uint64_t h = sum_;
    for (std::size_t at = 0; at < size; at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes + at, std::min<std::size_t>(8, size - at));
        h = (h ^ word) * 0x9E3779B97F4A7C15u;
        h ^= h >> 29;
    }
    sum_ = h;
}

std::array<std::uint8_t, 8> DepthsChecksum::bytes() const {
    std::array<std::uint8_t, 8> bytes;
    for (std::size_t b = 0; b < bytes.size(); ++b) {
        bytes[b] = static_cast<std::uint8_t>(sum_ >> (8 * b));
    }
    return bytes;
}

bool takeKeptDepths(std::unique_ptr<std::uint8_t[]> kept, const DepthsChecksum& sum,
                    solver::Phase1Depths& depths) {
    const std::size_t size = depths.size();
    const auto tail = sum.bytes();
    return std::equal(tail.begin(), tail.end(), kept.get() + size) &&
           depths.adopt(std::move(kept), size);
}

}  // namespace gyrelle::store
