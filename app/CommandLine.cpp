#include "app/CommandLine.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <mutex>
#include <random>
#include <thread>

#include "cube/Position.h"
#include "platform/Files.h"
#include "platform/Signals.h"
#include "solver/Preparation.h"
#include "solver/Scramble.h"
#include "solver/Solver.h"
#include "store/DepthsFile.h"
#include "store/Exchange.h"
#include "store/Folder.h"
#include "store/Keeper.h"
#include "store/RecordsFile.h"

namespace gyrelle {

namespace {

const char kUsage[] =
    "Usage: gyrelle [--help | --version | --stats | --position CODE | --solve CODE |\n"
    "                --scramble [N] | --export-records FILE | --import-records FILE |\n"
    "                ADDRESS#position=CODE | ADDRESS#replay=... |\n"
    "                ADDRESS#scramble=...]\n"
    "A 3x3x3 twisty-cube puzzle. Drag from a sticker onto the next to turn a slice, drag\n"
    "the background (or right-drag, or Ctrl-drag to twist) to turn the whole cube,\n"
    "double-click a face to bring it up; or type F B U D R L M E S X Y Z (F1 lists the\n"
    "keys); Ctrl+N for a new game. The cube is saved as you play and on quitting in\n"
    "$XDG_DATA_HOME/gyrelle/cube_state.dat (~/.local/share/gyrelle by default).\n"
    "--position CODE starts with the position CODE names: 54 letters U R F D L B, as\n"
    "Ctrl+C copies them.\n"
    "--stats prints your records (F2 in the game shows them): best time, fewest moves,\n"
    "averages of 5 and 12, the last 12 solves, of the session the game shows.\n"
    "--solve CODE prints turns that solve that position (at most 21; R U2 F' ...).\n"
    "--scramble [N] prints N competition scrambles (default 1, at most 100000), one a line\n"
    "as each is found: each makes a position drawn fairly from all that need two turns or\n"
    "more.\n"
    "--export-records FILE writes the solves of the session shown to FILE as CSV (- for\n"
    "standard output).\n"
    "--import-records FILE adds the solves of FILE (Gyrelle's CSV or csTimer's export)\n"
    "that are not kept yet; the records as they were are kept as records.before-import.\n"
    "CODE may also be an address ending in #position=CODE, as the browser's Share gives;\n"
    "an address with #replay=... (a solve's replay, as Share in a replay gives) opens it;\n"
    "one with #scramble=... (as Share on a competition scramble gives) sets that scramble\n"
    "to race on, with the time to beat where it has one (&solved=14.27).\n";

// The most scrambles one --scramble prints.
constexpr long kMostScrambles = 100000;
// Searches at once for many scrambles: the machine's cores, within reason.
constexpr unsigned kMostSearches = 8;

// The solver's tables, and its largest where the game has kept it (never built here: it
// takes seconds, and the game builds it).
const solver::Tables& preparedSolver() {
    std::string problem;
    if (const std::string dir = platform::userDataDirectory(problem, false); !dir.empty()) {
        store::Folder folder(dir, store::Folder::Access::Read);
        solver::Preparation::Keeping keeping;
        keeping.read = [path = folder.path(store::Folder::kDepths)](solver::Phase1Depths& depths) {
            std::string ignored;  // the game says what is wrong with the file, and mends it
            return store::readDepths(path, depths, ignored);
        };
        solver::Preparation::shared().keepDepths(std::move(keeping));
    }
    return solver::Preparation::shared().wait();
}

int printSolution(const char* code, std::FILE* out, std::FILE* err) {
    MagicCube::Stickers stickers;
    std::string problem;
    solver::Cubies cube;
    if (!stickersOfCode(code, stickers, problem) || !cube.fromCode(positionCode(stickers))) {
        std::fprintf(err, "gyrelle: %s\n", problem.c_str());
        return 2;
    }
    const solver::Tables& tables = preparedSolver();
    solver::Solver solver(tables, solver::Preparation::shared().depths());
    const solver::Turns turns = *solver.solve(cube, solver::Solver::kMostTurns, true);
    if (turns.empty()) {  // the line of turns stays, empty, for whoever reads it
        std::fprintf(err, "gyrelle: the position is solved: no turn is needed\n");
    }
    std::fprintf(out, "%s\n", solver::notation(turns).c_str());
    return 0;
}

int printScrambles(const char* count, std::FILE* out, std::FILE* err) {
    char* end = nullptr;
    const long n = count ? std::strtol(count, &end, 10) : 1;
    // Digits alone: strtol would pass over spaces and take a sign.
    if (count && (!std::isdigit(static_cast<unsigned char>(count[0])) || *end != '\0' || n < 1 ||
                  n > kMostScrambles)) {
        std::fprintf(err, "gyrelle: --scramble takes a number from 1 to %ld\n", kMostScrambles);
        return 2;
    }
    // Each scramble printed as soon as it is found, by as many searches as there are
    // cores; the reader closing the output ends them.
    const solver::Tables& tables = preparedSolver();
    const solver::Phase1Depths* depths = solver::Preparation::shared().depths();
    std::atomic<long> next{0};
    std::mutex printing;
    bool failed = false;
    int error = 0;  // the write's, from whichever search made it
    auto search = [&] {
        solver::Solver solver(tables, depths);
        std::random_device device;
        const std::function<std::uint32_t()> random = [&] { return device(); };
        while (next.fetch_add(1) < n) {
            const solver::Turns turns = *solver.solve(solver::competitionPosition(random));
            const std::string line = solver::notation(solver::inverse(turns)) + "\n";
            const std::lock_guard<std::mutex> hold(printing);
            if (failed) {
                return;
            }
            if (std::fputs(line.c_str(), out) == EOF || std::fflush(out) == EOF) {
                failed = true;
                error = errno;
                next = n;
                return;
            }
        }
    };
    const unsigned searches = static_cast<unsigned>(
        std::min<long>(n, std::clamp(std::thread::hardware_concurrency(), 1u, kMostSearches)));
    std::vector<std::thread> others;
    for (unsigned i = 1; i < searches; ++i) {
        others.emplace_back(search);
    }
    search();
    for (std::thread& t : others) {
        t.join();
    }
    // A reader that has what it wanted (| head) closed the pipe: that is no failure.
    if (failed && error != EPIPE) {
        std::fprintf(err, "gyrelle: the scrambles could not be written: %s\n",
                     std::strerror(error));
        return 1;
    }
    return 0;
}

// The records beside the saved cube, only looked at (a save cut short is seen, not
// completed), those of the session shown alone (its name in `session` where there are
// several); false, said on `err` with `after` ("" or "; nothing was exported"), when they
// cannot be read. None when there is no folder.
bool lookAtRecords(store::SavedRecords& records, std::FILE* err, const char* after,
                   std::string* session = nullptr) {
    std::string problem;
    const std::string dir = platform::userDataDirectory(problem, false);
    if (dir.empty()) {
        return true;
    }
    store::Folder folder(dir, store::Folder::Access::Read);
    folder.recover();
    store::Reading reading;
    if (std::FILE* in = folder.open(store::Folder::kRecords, store::kLargestRecordsFile,
                                    "any records", reading)) {
        reading = store::readRecords(in, records);
        std::fclose(in);
    }
    if (!reading.whole()) {
        std::fprintf(err, "gyrelle: %s cannot be read: %s%s\n",
                     folder.path(store::Folder::kRecords).c_str(), reading.problem.c_str(), after);
        return false;
    }
    // A sessions file that cannot be read leaves the solves in one, as the game does.
    store::SavedSessions sessions;
    if (std::FILE* in = folder.open(store::Folder::kSessions, store::kLargestSessionsFile,
                                    "any sessions", reading)) {
        if (store::readSessions(in, records.done, sessions).whole()) {
            std::vector<Solve> shown;
            for (size_t i = 0; i < records.done.size(); ++i) {
                if (sessions.sessionOf[i] == sessions.shown) {
                    shown.push_back(std::move(records.done[i]));
                }
            }
            records.done = std::move(shown);
            if (session && sessions.names.size() > 1) {
                *session = sessions.names[sessions.shown];
            }
        }
        std::fclose(in);
    }
    return true;
}

// The records beside the saved cube, as F2 shows them; nothing is written.
int printRecords(std::FILE* out, std::FILE* err) {
    std::string problem;
    if (platform::userDataDirectory(problem, false).empty()) {
        std::fprintf(err, "gyrelle: no records: %s\n", problem.c_str());
        return 1;
    }
    store::SavedRecords records;
    std::string session;
    if (!lookAtRecords(records, err, "", &session)) {
        return 1;
    }
    if (!session.empty()) {
        std::fprintf(out, "Session: %s\n", session.c_str());
    }
    std::fputs(recordsText(records.done).c_str(), out);
    if (records.solve.phase == Solves::Phase::Running) {
        std::fprintf(out, "Under way: %s, %s\n", movesText(records.solve.moves).c_str(),
                     clockText(records.solve.seconds).c_str());
    }
    return 0;
}

// The solves kept, as CSV, into `path` (replaced whole) or standard output for "-".
int exportRecords(const char* path, std::FILE* out, std::FILE* err) {
    store::SavedRecords records;
    if (!lookAtRecords(records, err, "; nothing was exported")) {
        return 1;
    }
    const std::string csv = store::recordsCsv(records.done);
    if (std::strcmp(path, "-") == 0) {
        std::fputs(csv.c_str(), out);
        return 0;
    }
    std::string error;
    if (!platform::replaceFileWith(path, csv, error)) {
        std::fprintf(err, "gyrelle: could not write %s: %s\n", path, error.c_str());
        return 1;
    }
    std::fprintf(out, "Wrote %zu solves to %s.\n", records.done.size(), path);
    return 0;
}

// The solves of `path` not kept yet, added to the records of the game's folder, as the
// game would keep them; nothing changes for a file that is not wholly solves, nor when a
// signal comes before they are saved.
int importRecords(const char* path, std::FILE* out, std::FILE* err) {
    platform::FileSource source;
    std::string problem;
    if (!source.open(path, store::kLargestImport, "any records", problem)) {
        std::fprintf(err, "gyrelle: %s: %s; nothing was imported\n", path, problem.c_str());
        return 2;
    }
    std::string why;
    const std::string dir = platform::userDataDirectory(why);
    if (dir.empty()) {
        std::fprintf(err, "gyrelle: no records can be kept: %s\n", why.c_str());
        return 1;
    }
    Game game;
    platform::RunLoop loop;
    store::Keeper keeper(game, loop, dir, "");
    keeper.restore();
    if (keeper.lockedElsewhere()) {
        std::fprintf(err,
                     "gyrelle: Gyrelle is open with %s: close it, then import; nothing was "
                     "imported\n",
                     dir.c_str());
        return 1;
    }
    std::string words;
    const auto stop = [] { return platform::terminationRequested() != 0; };
    switch (keeper.importFrom(source, std::time(nullptr), words, stop)) {
        case store::Keeper::Import::Saved:
            std::fprintf(out, "%s\n", words.c_str());
            return 0;
        case store::Keeper::Import::Unfinished:  // taken all the same: the next start ends it
            std::fprintf(out, "%s\n", words.c_str());
            return 0;
        case store::Keeper::Import::BadFile:
            std::fprintf(err, "gyrelle: %s: %s; nothing was imported\n", path, words.c_str());
            return 2;
        case store::Keeper::Import::NotSaved:  // and the game that has them ends here
            std::fprintf(err, "gyrelle: nothing was imported: the records could not be saved\n");
            return 1;
        case store::Keeper::Import::NotMade:
            break;
    }
    if (const int signal = platform::terminationRequested()) {
        std::fprintf(err, "gyrelle: stopped by %s; nothing was imported\n",
                     signal == SIGINT   ? "SIGINT"
                     : signal == SIGHUP ? "SIGHUP"
                                        : "SIGTERM");
    } else {
        std::fprintf(err, "gyrelle: nothing was imported: %s\n", words.c_str());
    }
    return 1;
}

}  // namespace

int handleCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err,
                      std::string& position) {
    if (argc <= 1) {
        return -1;
    }
    // A replay's address, or a scramble's to race on: refused here with its line, or
    // opened by the game.
    if (argc == 2 && std::strstr(argv[1], "#replay=") != nullptr) {
        SolveTurns turns;
        std::string scramble, problem;
        if (!store::readReplayAddress(argv[1], turns, scramble, problem)) {
            std::fprintf(err, "gyrelle: %s\n", problem.c_str());
            return 2;
        }
        position = argv[1];
        return -1;
    }
    if (argc == 2 && std::strstr(argv[1], "#scramble=") != nullptr) {
        std::string scramble, problem;
        double seconds = -1;
        if (!store::readScrambleAddress(argv[1], scramble, seconds, problem)) {
            std::fprintf(err, "gyrelle: %s\n", problem.c_str());
            return 2;
        }
        position = argv[1];
        return -1;
    }
    // An address a browser's Share gave is a position too.
    const bool address = argc == 2 && std::strstr(argv[1], "#position=") != nullptr;
    if ((argc == 3 && std::strcmp(argv[1], "--position") == 0) || address) {
        const std::string code = codeOfAddress(argv[argc - 1]);
        MagicCube::Stickers stickers;
        std::string problem;
        if (!stickersOfCode(code, stickers, problem)) {
            std::fprintf(err, "gyrelle: %s\n", problem.c_str());
            return 2;
        }
        position = code;
        return -1;
    }
    if (argc == 3 && std::strcmp(argv[1], "--export-records") == 0) {
        return exportRecords(argv[2], out, err);
    }
    if (argc == 3 && std::strcmp(argv[1], "--import-records") == 0) {
        return importRecords(argv[2], out, err);
    }
    if (argc == 2 && std::strcmp(argv[1], "--stats") == 0) {
        return printRecords(out, err);
    }
    if (argc == 3 && std::strcmp(argv[1], "--solve") == 0) {
        return printSolution(argv[2], out, err);
    }
    if ((argc == 2 || argc == 3) && std::strcmp(argv[1], "--scramble") == 0) {
        return printScrambles(argc == 3 ? argv[2] : nullptr, out, err);
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, out);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::fprintf(out, "gyrelle %s\n", GYRELLE_VERSION);
        return 0;
    }
    bool known = false;
    for (const char* option : {"--help", "--version", "--stats", "--position", "--solve",
                               "--scramble", "--export-records", "--import-records"}) {
        known = known || std::strcmp(argv[1], option) == 0;
    }
    if (!known) {
        std::fprintf(err, "gyrelle: unknown option '%s'\n", argv[1]);
    } else if (argc == 2) {
        std::fprintf(err, "gyrelle: %s needs %s\n", argv[1],
                     std::strstr(argv[1], "records") ? "a FILE" : "a CODE");
    } else {
        std::fprintf(err, "gyrelle: too many arguments\n");
    }
    std::fputs(kUsage, err);
    return 2;
}

}  // namespace gyrelle
