// Fuzzes the readers of the game's files in memory, as the game reads them: any bytes
// are read without harm; what a saved state leaves never holds an orientation that is
// not a number; and what any reader accepts is written and read back the same.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "game/Motion.h"
#include "store/Exchange.h"
#include "store/Folder.h"
#include "store/HistoryFile.h"
#include "store/RecordsFile.h"
#include "store/SettingsFile.h"
#include "store/StateFile.h"

// A small quarantine: the reader frees little, and the default one costs 250 MB.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}

namespace {

using namespace gyrelle;
using namespace gyrelle::store;

// What the game has before it reads a file: the solved cube at the start-up orientation.
SavedState defaults() {
    const Motion start;
    return {MagicCube().stickers(), start.kept()};
}

SavedState read(const void* data, size_t size) {
    SavedState state = defaults();
    if (std::FILE* in = fmemopen(const_cast<void*>(data), size, "r")) {
        readSavedState(in, state);
        std::fclose(in);
    }
    return state;
}

bool finite(const Quaternion& q) {
    return std::isfinite(q.q[0]) && std::isfinite(q.q[1]) && std::isfinite(q.q[2]) &&
           std::isfinite(q.q[3]);
}

// The same rotation, to the precision of the file's six decimals.
void expectSame(const Quaternion& a, const Quaternion& b) {
    const float basis[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (const auto& v : basis) {
        float x[3], y[3];
        a.rotateVector(v, x);
        b.rotateVector(v, y);
        for (int i = 0; i < 3; ++i) {
            if (!(std::fabs(x[i] - y[i]) < 1e-3f)) {
                std::abort();
            }
        }
    }
}

}  // namespace

// Reads a history that ends at the solved cube; false when it is refused.
bool readHistory(const void* data, size_t size, History& history) {
    std::FILE* in = fmemopen(const_cast<void*>(data), size, "r");
    const bool read = in && readHistory(in, MagicCube().stickers(), history).whole();
    if (in) {
        std::fclose(in);
    }
    return read;
}

void checkHistory(const uint8_t* data, size_t size) {
    History first;
    if (!readHistory(data, size, first)) {
        return;
    }
    char* text = nullptr;
    size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    writeHistory(out, first, MagicCube().stickers());
    std::fclose(out);
    History again;
    const bool read = readHistory(text, length, again);
    std::free(text);
    if (!read || again.position() != first.position() ||
        again.entries().size() != first.entries().size()) {
        std::abort();
    }
    for (size_t i = 0; i < first.entries().size(); ++i) {
        const History::Entry &a = first.entries()[i], &b = again.entries()[i];
        if (a.kind != b.kind || a.code != b.code || a.scramble != b.scramble ||
            (a.records == nullptr) != (b.records == nullptr) ||
            (a.records && std::memcmp(a.records.get(), b.records.get(), sizeof *a.records) != 0)) {
            std::abort();
        }
    }
}

// Records accepted are written as they were read, and read back the same.
void checkRecords(const uint8_t* data, size_t size) {
    std::FILE* in = fmemopen(const_cast<uint8_t*>(data), size, "r");
    SavedRecords first, again;
    const bool read = in && readRecords(in, first).whole();
    if (in) {
        std::fclose(in);
    }
    if (!read) {
        return;
    }
    const std::string text = recordsFileText(first);
    in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (!readRecords(in, again).whole() || recordsFileText(again) != text) {
        std::abort();
    }
    std::fclose(in);
}

// Settings accepted are written and read back the same, and written the same again.
void checkSettings(const uint8_t* data, size_t size) {
    std::FILE* in = fmemopen(const_cast<uint8_t*>(data), size, "r");
    Settings first, again;
    std::vector<std::string> problems;
    const bool read = in && readSettings(in, first, problems).whole();
    if (in) {
        std::fclose(in);
    }
    if (!read) {
        return;
    }
    const std::string text = settingsText(first);
    in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (!readSettings(in, again, problems).whole() || !(again == first) || !problems.empty() ||
        settingsText(again) != text) {
        std::abort();
    }
    std::fclose(in);
}

// Solves imported (CSV or csTimer's) are written as CSV and read back the same.
void checkImport(const uint8_t* data, size_t size) {
    const std::time_t now = 1796083200;
    Imported first, again;
    std::string problem;
    if (!readImport(std::string(reinterpret_cast<const char*>(data), size), now, first, problem)) {
        return;
    }
    const std::string csv = recordsCsv(first.solves);
    if (!readImport(csv, now, again, problem) || recordsCsv(again.solves) != csv ||
        again.solves.size() != first.solves.size()) {
        std::abort();
    }
}

// A save's record accepted is written as it was read, and read back the same.
void checkSaving(const uint8_t* data, size_t size) {
    std::FILE* in = fmemopen(const_cast<uint8_t*>(data), size, "r");
    std::map<std::string, std::string> first, again;
    const bool read = in && Folder::readSaving(in, first);
    if (in) {
        std::fclose(in);
    }
    if (!read) {
        return;
    }
    std::vector<std::string> names;
    Folder::Texts files;
    for (const auto& [name, text] : first) {
        names.push_back(name);
    }
    for (const std::string& name : names) {
        files.push_back({name.c_str(), {&first[name]}});
    }
    const std::string text = Folder::savingText(files);
    in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (!Folder::readSaving(in, again) || again != first) {
        std::abort();
    }
    std::fclose(in);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    checkHistory(data, size);
    checkRecords(data, size);
    checkSettings(data, size);
    checkImport(data, size);
    checkSaving(data, size);
    const SavedState first = read(data, size);
    if (!finite(first.motion.currentRotation) || !finite(first.motion.qdeltacontinue)) {
        std::abort();  // a non-finite orientation would hide the cube for good
    }
    char* text = nullptr;
    size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    writeSavedState(out, first);
    std::fclose(out);
    const SavedState again = read(text, length);
    std::free(text);
    if (std::memcmp(first.stickers.data(), again.stickers.data(), sizeof first.stickers) != 0 ||
        first.motion.bContinueToRotate != again.motion.bContinueToRotate ||
        first.motion.bContinuePremultiply != again.motion.bContinuePremultiply) {
        std::abort();
    }
    expectSame(again.motion.currentRotation, first.motion.currentRotation);
    // With no spin (a zero vector part) the file repeats the orientation instead.
    const Quaternion& spin = first.motion.qdeltacontinue;
    if (spin.q[0] != 0 || spin.q[1] != 0 || spin.q[2] != 0) {
        expectSame(again.motion.qdeltacontinue, spin);
    }
    return 0;
}
