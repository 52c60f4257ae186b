// Any log, read in any sizes of reads: the outputs are those of one read. A CR LF split across
// two reads must not make an extra line.
#include "fuzz/fuzzscan.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<size_t> readSizes(input.ConsumeIntegralInRange<size_t>(1, 8));
    for (size_t& readSize : readSizes)
        readSize = input.ConsumeIntegralInRange<size_t>(1, 64);
    const std::string log = input.ConsumeRemainingBytesAsString();
    fuzz::require(fuzz::scanBytes(log, readSizes) == fuzz::scanBytes(log),
                  "the sizes of the reads do not change the outputs");
    return 0;
}
