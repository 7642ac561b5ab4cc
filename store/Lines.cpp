#include "store/Lines.h"

#include <algorithm>

namespace gyrelle::store {

bool LineReader::next(std::string& line) {
    line.clear();
    ++number_;
    for (int c; (c = std::getc(in_)) != EOF;) {
        if (c == '\n') {
            return true;
        }
        if (line.size() >= longest_) {
            return false;
        }
        line.push_back(static_cast<char>(c));
    }
    return false;
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at <= line.size()) {
        const size_t space = std::min(line.find(' ', at), line.size());
        out.push_back(line.substr(at, space - at));
        at = space + 1;
    }
    return out;
}

}  // namespace gyrelle::store
