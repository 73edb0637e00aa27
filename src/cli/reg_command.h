#pragma once

// `tessivar-cli reg ...`: query, add, delete and export with the syntax, output and exit codes
// of reg.exe as Wine implements it. Results go to `out` (LF line ends), errors to `err` as one
// line each; questions are asked on `out` and answered on `in` (end of input answers No).
//
// Where reg.exe loses or hides data this command does not: it refuses to delete a whole hive,
// checks the data of `add` before it creates anything, shows REG_QWORD and unknown types,
// exports a string that has no terminating zero (or holds an inner zero) in its hex(1) form,
// and never descends through a second registry link below a link it already followed (links can
// form loops).

#include "platform/registry.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace tessivar::cli {

struct RegStreams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

// `args` are the words after "reg". Returns the process exit code.
int runRegCommand(const std::vector<std::string>& args, Registry& registry, RegStreams streams);

// The command-table entry: the same against the Wine prefix, on the standard streams.
int regCommand(const std::vector<std::string>& args);

} // namespace tessivar::cli
