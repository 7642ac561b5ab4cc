#include "store/TrainerFile.h"

#include <charconv>
#include <cstring>

#include "store/Lines.h"

namespace gyrelle::store {

namespace {

constexpr char kHeader[] = "gyrelle trainer 1";
constexpr size_t kLongestLine = 1024;

// The words of a line apart by single spaces.
std::vector<std::string_view> wordsOf(std::string_view line) {
    std::vector<std::string_view> words;
    while (!line.empty()) {
        const size_t end = std::min(line.find(' '), line.size());
        words.push_back(line.substr(0, end));
        line.remove_prefix(std::min(end + 1, line.size()));
    }
    return words;
}

template <class T>
bool number(std::string_view word, T& value) {
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size();
}

}  // namespace

std::string trainerText(const TrainerRecords& records) {
    std::string text = std::string(kHeader) + "\n";
    text += "set " + std::string(records.setRow().key) + "\n";
    text += std::string("order ") + (records.slowestFirst ? "slowest" : "random") + "\n";
    text += std::string("top ") + (records.colourNeutral ? "any" : "same") + "\n";
    for (const auto& [index, moves] : records.algorithms) {
        text += "algorithm " + std::string(lastLayerCases()[index].name) + " " + moves + "\n";
    }
    text.reserve(text.size() + records.attempts.size() * 28);
    for (const TrainerRecords::Attempt& a : records.attempts) {
        text += "case ";
        text += lastLayerCases()[a.caseIndex].name;
        for (long long v : {static_cast<long long>(a.ms), static_cast<long long>(a.recognitionMs),
                            static_cast<long long>(a.when), static_cast<long long>(a.angle)}) {
            text += ' ';
            text += std::to_string(v);
        }
        text += '\n';
    }
    return text;
}

Reading readTrainer(std::FILE* in, TrainerRecords& records, std::vector<std::string>& problems) {
    TrainerRecords read;
    LineReader lines(in, kLongestLine);
    std::string line;
    bool headerSeen = false;
    while (lines.next(line)) {
        if (line.find('\0') != std::string::npos) {
            return Reading::refused("it holds a zero byte");
        }
        const std::string where = "line " + std::to_string(lines.number());
        if (!headerSeen) {
            if (line != kHeader) {
                return Reading::refused("it is not a trainer file of this version");
            }
            headerSeen = true;
            continue;
        }
        const std::vector<std::string_view> w = wordsOf(line);
        const std::string_view key = w.empty() ? std::string_view() : w[0];
        auto bad = [&] { return Reading::refused(where + " is not what its first word says"); };
        if (key == "set" || key == "order" || key == "top") {
            if (w.size() != 2) {
                return bad();
            }
            if (key == "set") {
                read.set = std::string(w[1]);
                if (std::string(read.setRow().key) != read.set) {
                    problems.push_back(where + ": no such set: " + read.set);
                    read.set = trainerSets().front().key;
                }
            } else if (key == "order" && (w[1] == "slowest" || w[1] == "random")) {
                read.slowestFirst = w[1] == "slowest";
            } else if (key == "top" && (w[1] == "any" || w[1] == "same")) {
                read.colourNeutral = w[1] == "any";
            } else {
                return bad();
            }
        } else if (key == "algorithm") {
            if (w.size() < 3) {
                return bad();
            }
            const int index = caseNamed(w[1]);
            const std::string moves = line.substr(std::strlen("algorithm ") + w[1].size() + 1);
            if (index < 0 || !solvesCase(lastLayerCases()[index], moves)) {
                problems.push_back(where + ": passed over, it solves no case of that name");
                continue;
            }
            read.algorithms[index] = moves;
        } else if (key == "case") {
            TrainerRecords::Attempt a;
            if (w.size() != 6 || !number(w[2], a.ms) || !number(w[3], a.recognitionMs) ||
                !number(w[4], a.when) || !number(w[5], a.angle) || a.ms < 0 ||
                a.recognitionMs < 0 || a.angle < 0 || a.angle > 3) {
                return bad();
            }
            a.caseIndex = caseNamed(w[1]);
            if (a.caseIndex < 0) {
                problems.push_back(where + ": passed over, no case is called " + std::string(w[1]));
                continue;
            }
            read.attempts.push_back(a);
        } else {
            problems.push_back(where + ": passed over, not a line this version knows");
        }
    }
    if (!std::feof(in)) {
        return Reading::refused("line " + std::to_string(lines.number()) +
                                " is longer than any the game writes");
    }
    if (!headerSeen) {
        return Reading::refused("it is empty");
    }
    if (read.attempts.size() > TrainerRecords::kMostAttempts) {
        read.attempts.erase(read.attempts.begin(),
                            read.attempts.end() - TrainerRecords::kMostAttempts);
    }
    read.revision = records.revision;
    records = std::move(read);
    return {};
}

}  // namespace gyrelle::store
