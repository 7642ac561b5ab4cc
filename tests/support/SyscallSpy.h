#pragma once

// The C library calls a save makes, watched on their way (this test binary defines them
// and passes each on): recorded, failed, or the process killed at one of them.
#include <ctime>
#include <string>
#include <vector>

namespace gyrelle::testing::spy {

// While set: "fsync file", "fsync folder", "rename to <name>", "unlink <name>" in order.
extern std::vector<std::string>* calls;
// While set: the paths renamed from (a save's temporaries), in order.
extern std::vector<std::string>* renamedFrom;
// The next fsync of a folder fails with EIO.
extern bool failFolderSync;
// From now on the process is killed (SIGKILL) just before or just after one of those
// calls: at the `moment`-th of these moments; 0 never.
void killAt(int moment);
// The moments counted since killAt.
int moments();
// time() answers this while it is not 0.
extern std::time_t fixedTime;

}  // namespace gyrelle::testing::spy
