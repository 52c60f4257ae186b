// genlog RECORDS SEED FILE [cut-heavy]: writes a generated system log.
#include "bench/benchlog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char* argv[]) {
    const bool cutHeavy = argc == 5 && std::strcmp(argv[4], "cut-heavy") == 0;
    if (argc != 4 && !cutHeavy) {
        std::fprintf(stderr, "usage: genlog RECORDS SEED FILE [cut-heavy]\n");
        return 1;
    }
    std::string log;
    bench::generateLog(log, std::strtoull(argv[1], nullptr, 10),
                       std::strtoull(argv[2], nullptr, 10),
                       cutHeavy ? bench::LogProfile::CutHeavy : bench::LogProfile::Mixed);
    std::FILE* file = std::fopen(argv[3], "wb");
    if (!file || std::fwrite(log.data(), 1, log.size(), file) != log.size() || std::fclose(file)) {
        std::perror(argv[3]);
        return 1;
    }
    return 0;
}
