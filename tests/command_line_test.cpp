// The command line: --help, --version, --position, and --stats, which reads the records
// through the store alone and writes nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/CommandLine.h"
#include "store/Folder.h"

namespace {

// The exit status; the usage on standard output after --help, errors on standard error.
int runCommandLine(std::vector<const char*> args, std::string& err, std::string* position = nullptr,
                   std::string* output = nullptr) {
    args.insert(args.begin(), "gyrelle");
    char *text = nullptr, *printed = nullptr;
    size_t length = 0, printedLength = 0;
    FILE* errors = open_memstream(&text, &length);
    FILE* out = open_memstream(&printed, &printedLength);
    std::string code;
    int status =
        gyrelle::handleCommandLine(static_cast<int>(args.size()), args.data(), out, errors, code);
    if (position) {
        *position = code;
    }
    std::fclose(out);
    std::fclose(errors);
    err.assign(text, length);
    if (output) {
        output->assign(printed, printedLength);
    }
    std::free(text);
    std::free(printed);
    return status;
}

// Each test runs in a process of its own (ctest), so the environment may be changed.
// A replay's address starts the game with it (left whole for the game to open); one that
// is no replay is refused with its line.
TEST(CommandLine, AReplaysAddressIsCheckedAndKeptForTheGame) {
    const std::string solved = "UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBB";
    const std::string afterR = "UUFUUFUUFRRRRRRRRRFFDFFDFFDDDBDDBDDBLLLLLLLLLUBBUBBUBB";
    const std::string good = "https://example.org/#replay=" + afterR + "_-_R'@0";
    std::string err, position;
    EXPECT_EQ(runCommandLine({good.c_str()}, err, &position), -1) << err;
    EXPECT_EQ(position, good);
    const std::string bad = "https://example.org/#replay=" + solved + "_-_R@0";
    EXPECT_EQ(runCommandLine({bad.c_str()}, err, &position), 2);
    EXPECT_EQ(err, "gyrelle: The replay's turns do not solve its position.\n");
}

// So is a scramble's to race on; one that is none is refused with its line.
TEST(CommandLine, AScramblesAddressIsCheckedAndKeptForTheGame) {
    const std::string good = "https://example.org/#scramble=R_U2&solved=14.27";
    std::string err, position;
    EXPECT_EQ(runCommandLine({good.c_str()}, err, &position), -1) << err;
    EXPECT_EQ(position, good);
    EXPECT_EQ(runCommandLine({"https://example.org/#scramble=R_U2&solved=x"}, err, &position), 2);
    EXPECT_EQ(err, "gyrelle: The time this scramble was solved in is no number of seconds: x\n");
}

// The stats and the export are those of the session the game shows.
TEST(CommandLine, StatsAndExportAreOfTheSessionShown) {
    char pattern[] = "/tmp/gyrelle-sessions-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = std::string(pattern) + "/gyrelle";
    setenv("XDG_DATA_HOME", pattern, 1);
    std::filesystem::create_directory(dir);
    std::ofstream(dir + "/records") << "gyrelle records 2\n"
                                       "solve 2025-12-06T23:30:17Z 57 83.412 turns\n"
                                       "solve 2025-12-07T10:00:00Z 40 95.000 turns\n"
                                       "solve 2025-12-07T11:00:00Z 30 20.500 turns\nend\n";
    std::ofstream(dir + "/sessions") << "gyrelle sessions 1\nshown 2\nsession Main\n"
                                        "session One-handed\n"
                                        "in 2 2025-12-07T10:00:00Z 95.000\n";
    std::string err, out;
    EXPECT_EQ(runCommandLine({"--stats"}, err, nullptr, &out), 0);
    EXPECT_TRUE(out.starts_with("Session: One-handed\nSolves: 1\nBest time: 1:35.0\n")) << out;
    EXPECT_EQ(runCommandLine({"--export-records", "-"}, err, nullptr, &out), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
    EXPECT_NE(out.find("2025-12-07T10:00:00Z,95.000,"), std::string::npos) << out;
    std::filesystem::remove_all(pattern);
}

TEST(CommandLine, StatsPrintsTheRecordsAndChangesNothing) {
    char pattern[] = "/tmp/gyrelle-stats-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string home = pattern, dir = home + "/gyrelle";
    setenv("XDG_DATA_HOME", pattern, 1);
    std::string err, out;
    EXPECT_EQ(runCommandLine({"--stats"}, err, nullptr, &out), 0);
    EXPECT_EQ(out, "No solves yet.\n");
    EXPECT_FALSE(std::filesystem::exists(dir));  // nothing made by looking

    std::filesystem::create_directory(dir);
    std::ofstream(dir + "/records") << "gyrelle records 1\n"
                                       "solve 2025-12-06T23:30:17Z 57 83.412\n"
                                       "solve 2025-12-07T10:00:00Z 40 95.000\n"
                                       "solving 0123456789abcdef 12 41.300\nend\n";
    EXPECT_EQ(runCommandLine({"--stats"}, err, nullptr, &out), 0);
    for (const char* line : {"Solves: 2\n", "Best time: 1:23.4\n", "Fewest moves: 40\n",
                             "Average of 5: -\n", "Under way: 12 moves, 0:41.3\n"}) {
        EXPECT_NE(out.find(line), std::string::npos) << out;
    }
    // Armed by a scramble, not yet started: nothing under way.
    std::ofstream(dir + "/records") << "gyrelle records 1\nscrambled 0123456789abcdef\nend\n";
    EXPECT_EQ(runCommandLine({"--stats"}, err, nullptr, &out), 0);
    EXPECT_EQ(out, "No solves yet.\n");

    // A save cut short is read as the game would complete it, and left for the game.
    const std::string records = "gyrelle records 1\nsolve 2025-12-06T23:30:17Z 9 9.000\nend\n";
    const std::string saving = "gyrelle saving 1\nfile records " + std::to_string(records.size()) +
                               "\n" + records + "end\n";
    std::ofstream(dir + "/saving") << saving;
    EXPECT_EQ(runCommandLine({"--stats"}, err, nullptr, &out), 0);
    EXPECT_NE(out.find("Solves: 1\nBest time: 0:09.0\n"), std::string::npos) << out;
    std::stringstream left;
    left << std::ifstream(dir + "/saving").rdbuf();
    EXPECT_EQ(left.str(), saving);
    std::filesystem::remove(dir + "/saving");

    std::ofstream(dir + "/records") << "gyrelle records 1\nsolve\nend\n";
    EXPECT_EQ(runCommandLine({"--stats"}, err, nullptr, &out), 1);
    EXPECT_EQ(err, "gyrelle: " + dir + "/records cannot be read: line 2 is malformed\n");
    EXPECT_EQ(out, "");
    std::filesystem::remove_all(home);
}

TEST(CommandLine, HelpVersionAndAPositionThatIsOne) {
    std::string err, position;
    const char* solved = "UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBB";
    EXPECT_EQ(runCommandLine({"--position", solved}, err, &position), -1);
    EXPECT_EQ(position, solved);
    EXPECT_EQ(runCommandLine({"--position", "UUU"}, err), 2);
    EXPECT_EQ(err, "gyrelle: Not a cube position: it must be 54 letters\n");
    // The address a browser's Share gives, alone or after --position.
    const std::string address = std::string("https://example.org/gyrelle/#position=") + solved;
    EXPECT_EQ(runCommandLine({address.c_str()}, err, &position), -1);
    EXPECT_EQ(position, solved);
    EXPECT_EQ(runCommandLine({"--position", address.c_str()}, err, &position), -1);
    EXPECT_EQ(position, solved);
    EXPECT_EQ(runCommandLine({"https://example.org/#position=UUX"}, err), 2);
    EXPECT_EQ(err, "gyrelle: Not a cube position: it must be 54 letters\n");
    EXPECT_EQ(runCommandLine({}, err), -1);
    EXPECT_EQ(runCommandLine({"--help"}, err), 0);
    EXPECT_EQ(runCommandLine({"--version"}, err), 0);
    EXPECT_EQ(err, "");
    for (auto args :
         {std::vector<const char*>{"-x"}, {"--help", "extra"}, {"play"}, {"--help", "--help"}}) {
        EXPECT_EQ(runCommandLine(args, err), 2);
        // one line of error, then the usage
        EXPECT_EQ(err.rfind("gyrelle: ", 0), 0u);
        EXPECT_EQ(err.substr(err.find('\n') + 1).rfind("Usage: gyrelle", 0), 0u) << err;
    }
}

// --solve prints turns that solve the position; --scramble prints scrambles that make a
// position two turns or more from solved; neither touches the data folder.
TEST(CommandLine, SolveAndScramblePrintTurns) {
    setenv("XDG_DATA_HOME", "/nonexistent/folder", 1);
    std::string err, out;
    const char* afterR = "UUFUUFUUFRRRRRRRRRFFDFFDFFDDDBDDBDDBLLLLLLLLLUBBUBBUBB";
    EXPECT_EQ(runCommandLine({"--solve", afterR}, err, nullptr, &out), 0);
    EXPECT_EQ(out, "R'\n");
    EXPECT_EQ(runCommandLine({"--solve", "UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBB"},
                             err, nullptr, &out),
              0);
    EXPECT_EQ(out, "\n");  // nothing to turn, and said so
    EXPECT_EQ(err, "gyrelle: the position is solved: no turn is needed\n");
    EXPECT_EQ(runCommandLine({"--solve", "UUU"}, err, nullptr, &out), 2);
    EXPECT_EQ(err, "gyrelle: Not a cube position: it must be 54 letters\n");

    EXPECT_EQ(runCommandLine({"--scramble"}, err, nullptr, &out), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
    EXPECT_EQ(runCommandLine({"--scramble", "100"}, err, nullptr, &out), 0);
    std::istringstream lines(out);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        std::istringstream turns(line);
        std::vector<std::string> each;
        for (std::string t; turns >> t;) {
            each.push_back(t);
        }
        EXPECT_GE(each.size(), 2u) << line;
        EXPECT_LE(each.size(), 21u) << line;
    }
    EXPECT_EQ(count, 100);
    EXPECT_EQ(runCommandLine({"--scramble", "1"}, err, nullptr, &out), 0);  // the least
    for (const char* bad : {"100001", "0", "-1", "x", "5x", " 5", "+5", ""}) {
        EXPECT_EQ(runCommandLine({"--scramble", bad}, err, nullptr, &out), 2) << bad;
        EXPECT_EQ(err, "gyrelle: --scramble takes a number from 1 to 100000\n");
        EXPECT_EQ(out, "");
    }
    EXPECT_FALSE(std::filesystem::exists("/nonexistent/folder"));
}

// The most scrambles are taken, each printed as it is found: an output that takes two
// lines and then fails ends them at once, said with its error (a full disk) or, for a
// reader that closed the pipe (| head), quietly and well.
TEST(CommandLine, TheMostScramblesArePrintedAsTheyAreFound) {
    setenv("XDG_DATA_HOME", "/nonexistent/folder", 1);
    for (int error : {ENOSPC, EPIPE}) {
        struct Taken {
            int lines = 0;
            int error;
        } taken{0, error};
        cookie_io_functions_t io{};
        io.write = [](void* cookie, const char* data, size_t size) -> ssize_t {
            auto* t = static_cast<Taken*>(cookie);
            if (t->lines == 2) {
                errno = t->error;
                return -1;
            }
            t->lines += static_cast<int>(std::count(data, data + size, '\n'));
            return static_cast<ssize_t>(size);
        };
        FILE* out = fopencookie(&taken, "w", io);
        char* text = nullptr;
        size_t length = 0;
        FILE* errors = open_memstream(&text, &length);
        const char* args[] = {"gyrelle", "--scramble", "100000"};
        std::string position;
        const int status = gyrelle::handleCommandLine(3, args, out, errors, position);
        std::fclose(errors);
        const std::string said(text, length);
        std::free(text);
        std::fclose(out);
        EXPECT_EQ(taken.lines, 2);
        if (error == EPIPE) {
            EXPECT_EQ(status, 0);
            EXPECT_EQ(said, "");
        } else {
            EXPECT_EQ(status, 1);
            EXPECT_EQ(said,
                      "gyrelle: the scrambles could not be written: No space left on device\n");
        }
    }
}

}  // namespace

namespace {

std::string fileText(const std::string& path) {
    std::stringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

// A home of the test's own for the game's files ($XDG_DATA_HOME), with its folder,
// removed at the end.
struct DataHome {
    std::string home, dir;
    DataHome() {
        char pattern[] = "/tmp/gyrelle-cli-XXXXXX";
        home = mkdtemp(pattern) ? pattern : "/nonexistent";
        dir = home + "/gyrelle";
        setenv("XDG_DATA_HOME", home.c_str(), 1);
        std::filesystem::create_directory(dir);
    }
    ~DataHome() { std::filesystem::remove_all(home); }
};

// Export, then import: nothing new. A csTimer export adds its solves, and the records as
// they were are kept aside; a bad file changes nothing; a game open on the folder is asked
// to close first.
TEST(CommandLine, RecordsGoOutAndComeBackIn) {
    char pattern[] = "/tmp/gyrelle-exchange-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string home = pattern, dir = home + "/gyrelle";
    setenv("XDG_DATA_HOME", pattern, 1);
    std::filesystem::create_directory(dir);
    const std::string records =
        "gyrelle records 2\n"
        "solve 2025-12-06T23:30:17Z 57 83.412 turns\n"
        "solve 2025-12-07T10:00:00Z 40 95.000 competition +2 R U2\nend\n";
    std::ofstream(dir + "/records") << records;
    std::string err, out;
    const std::string csv = home + "/solves.csv";
    EXPECT_EQ(runCommandLine({"--export-records", csv.c_str()}, err, nullptr, &out), 0) << err;
    EXPECT_EQ(out, "Wrote 2 solves to " + csv + ".\n");
    EXPECT_NE(fileText(csv).find(
                  "\n2025-12-07T10:00:00Z,95.000,+2,97.000,40,0.42,competition,R U2,no,\n"),
              std::string::npos)
        << fileText(csv);
    EXPECT_EQ(runCommandLine({"--export-records", "-"}, err, nullptr, &out), 0);
    EXPECT_EQ(out, fileText(csv));

    EXPECT_EQ(runCommandLine({"--import-records", csv.c_str()}, err, nullptr, &out), 0) << err;
    EXPECT_EQ(out, "Took 0 solves (Gyrelle CSV). Passed over: 2 already kept.\n");
    EXPECT_EQ(fileText(dir + "/records"), records) << "nothing new, nothing written";
    EXPECT_FALSE(std::filesystem::exists(dir + "/records.before-import"));

    const std::string cstimer = home + "/cstimer.txt";
    std::ofstream(cstimer) << R"({"session1":[[[0,12345],"R U2 F'","",1765100000]]})";
    EXPECT_EQ(runCommandLine({"--import-records", cstimer.c_str()}, err, nullptr, &out), 0) << err;
    EXPECT_EQ(out, "Took 1 solve (csTimer).\n");
    EXPECT_EQ(fileText(dir + "/records.before-import"), records);
    EXPECT_NE(fileText(dir + "/records")
                  .find("\nsolve 2025-12-07T09:33:20Z 0 12.345 competition R U2 F'\n"),
              std::string::npos)
        << fileText(dir + "/records");
    const std::string after = fileText(dir + "/records");

    const std::string bad = home + "/bad.csv";
    std::ofstream(bad) << fileText(csv) << "2025-12-08T00:00:00Z,fast,,,1,,turns,,no,\n";
    EXPECT_EQ(runCommandLine({"--import-records", bad.c_str()}, err, nullptr, &out), 2);
    EXPECT_EQ(err,
              "gyrelle: " + bad +
                  ": line 4: the time \"fast\" is not a number of seconds; nothing was imported\n");
    EXPECT_EQ(runCommandLine({"--import-records", home.c_str()}, err), 2);
    EXPECT_EQ(err,
              "gyrelle: " + home + ": it is a folder, not a regular file; nothing was imported\n");
    EXPECT_EQ(fileText(dir + "/records"), after);
    {
        gyrelle::store::Folder game(dir);  // a game open on the folder
        ASSERT_TRUE(game.lock());
        EXPECT_EQ(runCommandLine({"--import-records", cstimer.c_str()}, err), 1);
        EXPECT_EQ(err, "gyrelle: Gyrelle is open with " + dir +
                           ": close it, then import; nothing was imported\n");
    }
    EXPECT_EQ(runCommandLine({"--import-records"}, err), 2);
    EXPECT_EQ(err.substr(0, err.find('\n')), "gyrelle: --import-records needs a FILE");
    std::filesystem::remove_all(home);
}

// An import never waits: a FIFO is refused at once (before, the open waited for a
// writer, and no signal ended it). A signal that comes before the solves are written ends
// the real program's import with nothing changed.
TEST(CommandLine, AnImportNeverWaitsAndASignalEndsItWithNothingChanged) {
    const DataHome data;
    const std::string &home = data.home, &dir = data.dir;
    const std::string records =
        "gyrelle records 2\nsolve 2025-12-06T23:30:17Z 57 83.412 turns\nend\n";
    std::ofstream(dir + "/records") << records;
    const std::string fifo = home + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string err, out;
    EXPECT_EQ(runCommandLine({"--import-records", fifo.c_str()}, err, nullptr, &out), 2);
    EXPECT_EQ(err,
              "gyrelle: " + fifo + ": it is a FIFO, not a regular file; nothing was imported\n");

    const std::string csv = home + "/solves.csv";
    std::ofstream(csv) << "date,seconds,penalty,result,moves,turns_per_second,scramble_kind,"
                          "scramble,assisted\n2025-12-08T00:00:00Z,9.000,,9.000,,,turns,,no\n";
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        int errors[2];
        ASSERT_EQ(pipe(errors), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            // The signal is there before the program's first line: it comes the moment
            // the program can take it.
            sigset_t mask;
            sigemptyset(&mask);
            sigaddset(&mask, signal);
            sigprocmask(SIG_BLOCK, &mask, nullptr);
            raise(signal);
            dup2(errors[1], 2);
            execl(GYRELLE_BINARY, GYRELLE_BINARY, "--import-records", csv.c_str(), nullptr);
            _exit(127);
        }
        close(errors[1]);
        std::string said;
        char buffer[256];
        for (ssize_t n; (n = read(errors[0], buffer, sizeof buffer)) > 0;) {
            said.append(buffer, static_cast<size_t>(n));
        }
        close(errors[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << signal;
        EXPECT_EQ(WEXITSTATUS(status), 1) << signal;
        EXPECT_EQ(said, std::string("gyrelle: stopped by ") +
                            (signal == SIGTERM  ? "SIGTERM"
                             : signal == SIGINT ? "SIGINT"
                                                : "SIGHUP") +
                            "; nothing was imported\n");
        EXPECT_EQ(fileText(dir + "/records"), records);
        EXPECT_FALSE(std::filesystem::exists(dir + "/records.before-import"));
    }
}

// The largest file an import takes is taken (here a csTimer export of one solve, padded
// with spaces); one byte more is refused before anything is read from it.
TEST(CommandLine, AnImportOfExactlyTheLargestSizeIsTakenAndOneByteMoreIsNot) {
    const DataHome data;
    const std::string& home = data.home;
    const std::string file = home + "/cstimer.txt";
    const std::string solve = R"({"session1":[[[0,12345],"R U2 F'","",1765100000]])";
    const long largest = 100L * 1024 * 1024;
    for (long size : {largest, largest + 1}) {
        {
            std::ofstream out(file, std::ios::binary);
            out << solve << std::string(static_cast<size_t>(size) - solve.size() - 1, ' ') << "}";
        }
        ASSERT_EQ(static_cast<long>(std::filesystem::file_size(file)), size);
        std::filesystem::remove_all(home + "/gyrelle");
        std::string err, out;
        if (size == largest) {
            EXPECT_EQ(runCommandLine({"--import-records", file.c_str()}, err, nullptr, &out), 0)
                << err;
            EXPECT_EQ(out, "Took 1 solve (csTimer).\n");
        } else {
            EXPECT_EQ(runCommandLine({"--import-records", file.c_str()}, err, nullptr, &out), 2);
            EXPECT_EQ(err, "gyrelle: " + file +
                               ": it is larger than any records (100 MB); nothing was imported\n");
        }
    }
}

// Records that cannot be read are not exported: said, status 1, and no file written.
TEST(CommandLine, RecordsThatCannotBeReadAreNotExported) {
    const DataHome data;
    const std::string &home = data.home, &dir = data.dir;
    std::ofstream(dir + "/records") << "gyrelle records 2\nsolve yesterday\nend\n";
    std::string err, out;
    const std::string csv = home + "/out.csv";
    EXPECT_EQ(runCommandLine({"--export-records", csv.c_str()}, err, nullptr, &out), 1);
    EXPECT_EQ(err, "gyrelle: " + dir +
                       "/records cannot be read: line 2 is malformed; nothing was exported\n");
    EXPECT_EQ(out, "");
    EXPECT_FALSE(std::filesystem::exists(csv));
    EXPECT_EQ(runCommandLine({"--export-records", "-"}, err, nullptr, &out), 1);
    EXPECT_EQ(out, "");
}

}  // namespace
