// Two lines as a real handset sent them in UCS2 mode, with 25 fields each: the cutter's and
// the read's tests take the same ones.
#pragma once

#include <string>

namespace quorvex::phonebook::testing {

inline const std::string kHex181 = "004400440055006600440055006600770044";
inline const std::string kLong181 =
    "+MPBR: 181,\"0800886600\",129," + kHex181 + ",0,0,255,70,1,1,255,255,0,,0,0,,,,,,,,\"\",\"\"";
inline const std::string kHex253 =
    "005700650067006C006500690074006E0065007200200053006100620069006E00650020004D0065006E007300"
    "61";
inline const std::string kLong253 =
    "+MPBR: 253,\"069912158732\",129," + kHex253 + ",3,0,255,0,1,1,255,255,0,,0,0,,,,,,,,\"\",\"\"";

}  // namespace quorvex::phonebook::testing
