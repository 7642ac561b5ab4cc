// The memory of an import: the real program's peak resident size (from the kernel's
// count at its end) over hostile files of about 100 MB and a real one of a million solves,
// against the same program doing nothing (--version). An import reads a piece at a time:
// what it holds grows with what it keeps (at most the records' 64 MB), never with the
// file.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr long kMiB = 1 << 20;

// Peak resident kilobytes of `binary` run with `args`, its data in a folder of its own.
long peakKilobytes(const std::string& binary, const std::vector<std::string>& args,
                   const std::string& home, int& status) {
    std::filesystem::remove_all(home + "/gyrelle");
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_DATA_HOME", home.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(binary.c_str())};
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        std::freopen("/dev/null", "w", stdout);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return usage.ru_maxrss;
}

// `head`, then `repeated` as often as it fits, then `pad` up to `bytes` with `tail`.
void write(const std::string& path, const std::string& head, const std::string& repeated,
           long bytes, const std::string& tail, char pad = ' ') {
    std::ofstream out(path, std::ios::binary);
    out << head;
    long written = static_cast<long>(head.size() + tail.size());
    for (; written + static_cast<long>(repeated.size()) <= bytes; written += repeated.size()) {
        out << repeated;
    }
    out << std::string(static_cast<size_t>(bytes - written), pad) << tail;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string binary = argc > 1 ? argv[1] : "build/app/gyrelle";
    char pattern[] = "/tmp/gyrelle-import-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        return 1;
    }
    const std::string home = pattern;
    const std::string header =
        "date,seconds,penalty,result,moves,turns_per_second,scramble_kind,scramble,assisted\n";
    struct Input {
        const char* name;
        std::string file;
        double allowedMb;  // over the program at rest
    };
    std::vector<Input> inputs;
    // 100 MB of line feeds after the CSV's header: nothing to keep.
    write(home + "/feeds.csv", header, std::string(4096, '\n'), 100 * kMiB, "", '\n');
    inputs.push_back({"100 MB of line feeds", home + "/feeds.csv", 16});
    // A csTimer export of 99 MB of solves of no time: nothing to keep.
    write(home + "/zeros.txt", "{\"session1\":[", "[[0,0],\"\",\"\",0],", 99 * kMiB,
          "[[0,0],\"\",\"\",0]]}");
    inputs.push_back({"99 MB csTimer, all zeros", home + "/zeros.txt", 16});
    // 99 MB of solves, each another: taken until the records would be full, then refused.
    {
        std::ofstream out(home + "/many.txt", std::ios::binary);
        out << "{\"session1\":[";
        long written = 13;
        for (long i = 1; written < 99 * kMiB; ++i) {
            const std::string solve = "[[0," + std::to_string(i) + "],\"\",\"\",1700000000],";
            out << solve;
            written += static_cast<long>(solve.size());
        }
        out << "[[0,1],\"\",\"\",0]]}";
    }
    inputs.push_back({"99 MB csTimer, every solve new", home + "/many.txt", 4.0 * 64});
    // A real export of a million solves, 50 MB: about 42 MB of records kept.
    {
        std::ofstream out(home + "/million.csv", std::ios::binary);
        out << header;
        for (long i = 0; i < 1000000; ++i) {
            const long t = 1700000000 + i * 60;
            char row[160];
            const std::time_t when = t;
            std::tm utc{};
            gmtime_r(&when, &utc);
            char date[32];
            std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%SZ", &utc);
            std::snprintf(row, sizeof row, "%s,%ld.%03ld,,%ld.%03ld,%ld,,turns,,no\n", date,
                          10 + i % 50, i % 1000, 10 + i % 50, i % 1000, 40 + i % 30);
            out << row;
        }
    }
    inputs.push_back({"a real CSV of a million solves", home + "/million.csv", 4.0 * 42});
    std::fprintf(stderr, "import_bench: the files are written\n");

    int status = 0;
    const double restMb = peakKilobytes(binary, {"--version"}, home, status) / 1024.0;
    std::printf("peak resident memory of an import, over the program at rest (%.1f MB)\n\n",
                restMb);
    std::printf("| %-32s | %-9s | %-8s | %-10s | %-6s | |\n", "input", "file, MB", "status",
                "peak, MB", "target");
    std::printf("|---|---|---|---|---|---|\n");
    for (const Input& in : inputs) {
        const double fileMb =
            static_cast<double>(std::filesystem::file_size(in.file)) / static_cast<double>(kMiB);
        const double peak =
            peakKilobytes(binary, {"--import-records", in.file}, home, status) / 1024.0 - restMb;
        std::printf("| %-32s | %9.1f | %8d | %10.1f | <= %.0f | %s |\n", in.name, fileMb, status,
                    peak, in.allowedMb, peak <= in.allowedMb ? "met" : "MISSED");
    }
    std::filesystem::remove_all(home);
    return 0;
}
