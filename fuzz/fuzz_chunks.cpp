// Any log, read in reads and blocks of any sizes, so that its blocks start and end anywhere: the
// outputs are those of the plain reading. A CR LF split across two reads must not make an extra
// line, and a date block cut between two read blocks must stay one block.
#include "fuzz/differential.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<size_t> readSizes(input.ConsumeIntegralInRange<size_t>(1, 8));
    for (size_t& readSize : readSizes)
        readSize = input.ConsumeIntegralInRange<size_t>(1, 64);
    const size_t blockSize = input.ConsumeIntegralInRange<size_t>(1, 256);
    const std::string log = input.ConsumeRemainingBytesAsString();
    fuzz::require(fuzz::pipelineScan(log, readSizes, blockSize) == fuzz::plainScan(log),
                  "the threaded reading, in reads and blocks of any sizes, gives what the plain "
                  "reading gives");
    return 0;
}
