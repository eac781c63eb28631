#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The commands of corvane-cvx. Each returns the exit status: 0 clean, 1 something was refused
// or reported, 2 usage or I/O error (with a one-line message on standard error).
namespace cvx {

enum Status { Clean = 0, Reported = 1, Failed = 2 };

// The status once standard output is flushed: Failed, with a message naming the error of the
// write that failed, when any did.
int Finish(int status);

int List(const std::string &file);
// Readable: the values by the names the editor shows instead of the file's keys.
int Decode(const std::string &file, bool compact, bool readable = false);
// OUTPUT is replaced only when INPUT was read whole, parsed, and gave at least one material.
int Encode(const std::string &input, const std::string &output);
// With advice, each value MaterialAdvice finds as an "advice:" line; it leaves the status as it is.
int Check(const std::string &file, bool advice = false);
// Materials only in A, only in B, and changed (matched by material ID): 0 equal, 1 different or
// a line of either file that is not a material (reported on standard error).
// With values, each changed material lists its differing values by the names the editor shows.
int Diff(const std::string &fileA, const std::string &fileB, bool values = false);
// Material ID_A of A against ID_B of B, as the vendor marks compare (IDs aside): the differing
// values by name, the material's first, then per print set, then the sets only one side has.
// 0 the same, 1 different, 2 an input that cannot be read or holds no material with the ID.
int Compare(const std::string &fileA, int32_t idA, const std::string &fileB, int32_t idB);

} // namespace cvx
