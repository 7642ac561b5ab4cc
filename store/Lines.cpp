#include "store/Lines.h"

#include <algorithm>
#include <cstdlib>

namespace gyrelle::store {

LineReader::~LineReader() {
    std::free(buffer_);
}

bool LineReader::next(std::string& line) {
    line.clear();
    ++number_;
    // A line is no longer than the file, which each reader has limited.
    const ssize_t n = getline(&buffer_, &capacity_, in_);
    if (n <= 0 || buffer_[n - 1] != '\n' || static_cast<size_t>(n - 1) > longest_) {
        return false;
    }
    line.assign(buffer_, static_cast<size_t>(n - 1));
    return true;
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    words(line, out);
    return out;
}

void words(const std::string& line, std::vector<std::string>& out) {
    size_t n = 0;
    size_t at = 0;
    while (at <= line.size()) {
        const size_t space = std::min(line.find(' ', at), line.size());
        if (n == out.size()) {
            out.emplace_back();
        }
        out[n++].assign(line, at, space - at);
        at = space + 1;
    }
    out.resize(n);
}

}  // namespace gyrelle::store
