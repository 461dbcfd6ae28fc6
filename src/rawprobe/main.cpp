// tetrafot-rawprobe: LibRaw's parse of a RAW camera file, run apart from
// the viewer. LibRaw's header parsers trust the file more than a hostile
// one deserves; here a file that breaks them ends this small process, and
// the viewer reports the file as damaged and goes on.
//
// The viewer starts it with the file open as descriptor 3 (the very file it
// checked, never opened again by name) and reads one line from standard
// output: the answer of LocateRawPreview.
#include "rawlocate.h"

#include <cstdio>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>

namespace tetrafot {

namespace {

void Limit(int resource, rlim_t value)
{
    const rlimit limit{value, value};
    setrlimit(resource, &limit);
}

} // namespace

} // namespace tetrafot

using namespace tetrafot;

int main()
{
    // Before the file is touched: a parse that runs away in memory or time
    // is stopped by the kernel, and a crash leaves no core file behind.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // A sanitizer's shadow memory takes terabytes of address space, so a
    // sanitized build (the tests' own) goes without this one limit.
    Limit(RLIMIT_AS, rlim_t(1) << 30);
#endif
    Limit(RLIMIT_CPU, 5);
    Limit(RLIMIT_CORE, 0);
    Limit(RLIMIT_FSIZE, 0);
    constexpr int kFile = 3;
    struct stat st {};
    if (fstat(kFile, &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fputs("damaged\n", stdout);
        return 2;
    }
    const std::string answer = LocateRawPreview(kFile, st.st_size) + '\n';
    std::fputs(answer.c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
