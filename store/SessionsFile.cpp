#include "store/SessionsFile.h"

#include <cmath>
#include <unordered_map>

#include "store/Lines.h"
#include "store/RecordsFile.h"

namespace gyrelle::store {

namespace {

constexpr char kHeader[] = "gyrelle sessions 1";
constexpr size_t kLongestLine = 1024;

// A solve as the file names it: when it ended, and its time in milliseconds.
std::int64_t keyOf(std::time_t date, double seconds) {
    return static_cast<std::int64_t>(date) * 4000000000LL + std::llround(seconds * 1000);
}

}  // namespace

std::string sessionsText(const Solves& solves) {
    std::string text =
        std::string(kHeader) + "\nshown " + std::to_string(solves.shownSession() + 1) + "\n";
    for (const std::string& name : solves.sessions()) {
        text += "session " + name + "\n";
    }
    for (const Solve& s : solves.done()) {
        if (s.session != 0) {
            text += "in " + std::to_string(s.session + 1) + " " + utcDateText(s.date) + " " +
                    millisecondsText(s.seconds) + "\n";
        }
    }
    return text;
}

Reading readSessions(std::FILE* in, const std::vector<Solve>& done, SavedSessions& sessions) {
    SavedSessions read;
    std::unordered_map<std::int64_t, std::uint16_t> sessionOfKey;
    LineReader lines(in, kLongestLine);
    std::string line;
    size_t shown = 0;
    long number = 0;
    while (lines.next(line)) {
        number = lines.number();
        if (line.find('\0') != std::string::npos) {
            return Reading::refused("it holds a zero byte");
        }
        const std::string bad = "line " + std::to_string(number) + " is malformed";
        if (number == 1) {
            if (line != kHeader) {
                return Reading::refused("it does not begin with \"" + std::string(kHeader) + "\"");
            }
            continue;
        }
        if (line.starts_with("session ")) {
            std::string name = line.substr(8);
            if (!Solves::sessionName(name) || read.names.size() == Solves::kMostSessions) {
                return Reading::refused(bad);
            }
            read.names.push_back(std::move(name));
            continue;
        }
        std::vector<std::string> w;
        words(line, w);
        size_t n = 0;
        auto count = [&](const std::string& word) {
            if (word.empty() || word.size() > 3 ||
                word.find_first_not_of("0123456789") != std::string::npos || word[0] == '0') {
                return false;
            }
            n = std::stoul(word);
            return n >= 1 && n <= Solves::kMostSessions;
        };
        if (w.size() == 2 && w[0] == "shown" && count(w[1])) {
            shown = n;
            continue;
        }
        std::time_t date = 0;
        double seconds = 0;
        if (w.size() == 4 && w[0] == "in" && count(w[1]) && readDate(w[2], date) &&
            readSeconds(w[3], seconds)) {
            sessionOfKey[keyOf(date, seconds)] = static_cast<std::uint16_t>(n - 1);
            continue;
        }
        return Reading::refused(bad);
    }
    if (!std::feof(in)) {
        return Reading::refused("line " + std::to_string(lines.number()) + " is malformed");
    }
    if (number == 0) {
        return Reading::refused("it is empty");
    }
    if (read.names.empty() || shown > read.names.size()) {
        return Reading::refused("it names no session, or shows one it does not name");
    }
    read.shown = shown == 0 ? 0 : shown - 1;
    read.sessionOf.reserve(done.size());
    for (const Solve& s : done) {
        const auto found = sessionOfKey.find(keyOf(s.date, s.seconds));
        const std::uint16_t session = found == sessionOfKey.end() ? 0 : found->second;
        read.sessionOf.push_back(session < read.names.size() ? session : 0);
    }
    sessions = std::move(read);
    return {};
}

}  // namespace gyrelle::store
