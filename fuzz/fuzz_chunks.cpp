// Any log, read in any sizes of reads, so that its batches start and end anywhere: the outputs
// are those of the plain record-by-record scan. A CR LF split across two reads must not make an
// extra line, and a date block cut between two batches must stay one block.
#include "fuzz/differential.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<size_t> readSizes(input.ConsumeIntegralInRange<size_t>(1, 8));
    for (size_t& readSize : readSizes)
        readSize = input.ConsumeIntegralInRange<size_t>(1, 64);
    const std::string log = input.ConsumeRemainingBytesAsString();
    fuzz::require(fuzz::pipelineScan(log, readSizes) == fuzz::plainScan(log),
                  "the scan in batches of any sizes gives what the plain scan gives");
    return 0;
}
