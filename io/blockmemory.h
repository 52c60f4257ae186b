#pragma once

#include <cstddef>
#include <memory>

namespace io {

// Memory for a large block that is about to be filled (a block of the log, a block of a file):
// where the system allows it, its pages are mapped in one call instead of one fault at a time
// as they are first written. A fault costs microseconds in a virtual machine, and a scan fills
// thousands of fresh pages. The contents are left unset, as with new char[].
std::unique_ptr<char[]> newBlock(std::size_t size);

} // namespace io
