#include "scan/linesplitter.h"

#include <cstring>

namespace scan {

// The first CR or LF in [from, end), or end. The next LF is remembered across calls within one
// block, so a block without any LF (a CR-only log) is searched for it once, not once per line;
// the CR search only runs up to that LF, which in a CR LF log is one line away.
const char* LineSplitter::findLineEnd(const char* from, const char* end, const char*& nextLf) {
    if (nextLf == nullptr || nextLf < from) {
        const void* hit = std::memchr(from, '\n', static_cast<size_t>(end - from));
        nextLf = hit ? static_cast<const char*>(hit) : end;
    }
    const void* cr = std::memchr(from, '\r', static_cast<size_t>(nextLf - from));
    return cr ? static_cast<const char*>(cr) : nextLf;
}

void LineSplitter::keepPartial(std::string_view piece) {
    if (skipping_) return;
    if (partial_.size() + piece.size() > kMaxLineLength) {
        ++overlongLines_;
        skipping_ = true;
        hasPartial_ = false;
        partial_.clear();
        partial_.shrink_to_fit();
        return;
    }
    partial_.append(piece);
    hasPartial_ = true;
}

} // namespace scan
