#pragma once

// Vocabulary texts for tests, in the exact form of the shipped files.

#include <string>

namespace quillon::testing {

inline const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"gb2312\" ?> \r\n<GRAMMAR LANGID=\"804\">\r\n<DEFINE>\r\n"
    "<ID NAME=\"RID_Game1\" VAL=\"1001\"/>\r\n</DEFINE>\r\n"
    "<RULE NAME=\"Game1\" ID=\"RID_Game1\" TOPLEVEL=\"ACTIVE\">\r\n<L PROPNAME=\"Game1\" PROPID=\"RID_Game1\">\r\n";
inline const std::string kTail = "</L>\r\n</RULE>\r\n</GRAMMAR>\r\n";

inline std::string entry(const std::string& action, const std::string& phrase) {
  return "<P VALSTR=\"" + action + "\">+" + phrase + "</P>\r\n";
}

inline std::string vocabulary(const std::string& entries) { return kHead + entries + kTail; }

}  // namespace quillon::testing
