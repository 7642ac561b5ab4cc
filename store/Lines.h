#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace gyrelle::store {

// The lines of a text file, one at a time, none longer than a limit: what every line
// format of the game's reads with.
class LineReader {
  public:
    LineReader(std::FILE* in, size_t longest) : in_(in), longest_(longest) {}
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line, without its line feed; false at the end of the file, for a last line
    // with no line feed, and for a line longer than the limit.
    bool next(std::string& line);
    // The number of the line last read, from 1.
    int number() const { return number_; }

  private:
    std::FILE* in_;
    size_t longest_;
    int number_ = 0;
    char* buffer_ = nullptr;  // getline's
    size_t capacity_ = 0;
};

// The words of a line between single spaces; two spaces make an empty word between them.
std::vector<std::string> words(const std::string& line);
// The same into `out`, whose strings' room is used again: for files of many lines.
void words(const std::string& line, std::vector<std::string>& out);

}  // namespace gyrelle::store
