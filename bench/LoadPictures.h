#pragma once
// The load benchmark's pictures, written natively with each format's own writer.
#include <string>

namespace loadbench {

// Writes every picture of kCases into `dir` that an earlier run has not written.
int Generate(const std::string& dir);
// Writes the small pictures of tests/data/pictures into `dir`.
int Samples(const std::string& dir);

}  // namespace loadbench
