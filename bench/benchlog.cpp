#include "bench/benchlog.h"

#include <array>
#include <cstdio>
#include <random>

namespace bench {

namespace {

constexpr std::array<const char*, 6> kFolders = {"Brackets", "Panels",  "Gaskets",
                                                 "Signs",    "Flanges", "Covers"};
constexpr std::array<const char*, 4> kOtherModes = {"DRY", "TRACE", "SIM", "ABORT"};
constexpr std::array<const char*, 5> kMaterials = {"Steel S235 3mm", "Alu 5754 2mm", "Rubber 4mm",
                                                   "Acrylic 6mm", "Steel 1.4301 1.5mm"};

// Deterministic everywhere: the engine's output is fixed by the standard, and values are taken
// from it by plain arithmetic rather than by a library distribution.
class Dice {
public:
    explicit Dice(std::uint64_t seed) : engine_(seed) {}
    unsigned below(unsigned n) { return static_cast<unsigned>(engine_() % n); }

private:
    std::mt19937_64 engine_;
};

void appendf(std::string& out, const char* format, auto... values) {
    char line[256];
    const int size = std::snprintf(line, sizeof line, format, values...);
    out.append(line, static_cast<size_t>(size));
}

} // namespace

void generateLog(std::string& out, std::uint64_t records, std::uint64_t seed, LogProfile profile) {
    const bool cutHeavy = profile == LogProfile::CutHeavy;
    Dice dice(seed);
    unsigned day = 0;
    std::uint64_t leftToday = 0;
    for (std::uint64_t i = 0; i < records; ++i) {
        if (leftToday == 0) {
            ++day;
            leftToday = cutHeavy ? 4000 + dice.below(1600) : 200 + dice.below(200);
            appendf(out,
                    "*** Milvane control software 3.6.2: system log started %02u/%02u/%04u "
                    "06:5%u:00 ***\r\n",
                    1 + day / 28 % 12, 1 + day % 28, 2020 + day / 336, dice.below(10));
        }
        --leftToday;
        const bool cut = cutHeavy ? dice.below(100) < 73 : dice.below(4) != 0;
        const char* mode = cut ? (dice.below(50) == 0 ? "Cut" : "CUT") : kOtherModes[dice.below(4)];
        if (cutHeavy) {
            appendf(out,
                    "C:\\Jobs\\%s\\Order_%05u\\job_%05u.mvc,%s,0:%02u:%02u:%02u,%s,%02u:%02u:%02u,"
                    "%02u/%02u/%04u\r\n",
                    kFolders[dice.below(kFolders.size())], dice.below(100000), dice.below(100000),
                    mode, dice.below(3), dice.below(60), dice.below(60),
                    kMaterials[dice.below(kMaterials.size())], 6 + dice.below(14), dice.below(60),
                    dice.below(60), 1 + day / 28 % 12, 1 + day % 28, 2020 + day / 336);
            continue;
        }
        appendf(out,
                "C:\\Milvane\\Jobs\\%s\\part_%04u.mvc,%s,0:%02u:%02u:%02u,%s,%02u:%02u:%02u,"
                "%02u/%02u/%04u\r\n",
                kFolders[dice.below(kFolders.size())], dice.below(10000), mode, dice.below(3),
                dice.below(60), dice.below(60), kMaterials[dice.below(kMaterials.size())],
                6 + dice.below(14), dice.below(60), dice.below(60), 1 + day / 28 % 12, 1 + day % 28,
                2020 + day / 336);
    }
}

} // namespace bench
