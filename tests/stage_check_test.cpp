#include <gtest/gtest.h>

#include <string>

#include "StageCheck.h"

namespace {

std::vector<StageProblem> Check(const std::string& text) {
  return CheckStageBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

}  // namespace

TEST(StageCheck, ReportsWhatGoesWrongInPlay) {
  const std::string longToken(300, '1');
  struct Case {
    std::string text;
    int line;             // -1: no problem expected
    const char* message;  // a part of the expected message
  } const cases[] = {
      {"// fine\r\ne1 1 0 0 0 0 0 m0 1 p255 2 n3\r\ng2 1 10 3 5 < 100 0 12 3 0 X4 b0 1\r\ns20 2\r\n", -1, ""},
      // LF line ends and a last line without one read like CR LF: the phase 2 is there.
      {"e1 1 0 0 0 0 0\ns2 2\n", -1, ""},
      {"e1 1 0 0 0 0 0\r\ns2 2", -1, ""},
      {"e1 1 0 0 0 0 0 m0 1\ns2 2 z", 2, "unknown option letter 'z'"},
      {"enemy wave two\r\ns2 2\r\n", 1, "event letter"},
      {"e 1 1 0 0 0 0 0\r\ns2 2\r\n", 1, "event letter"},
      {"e5 1 0 0 0 0 0\r\ne3 1 0 0 0 0 0\r\ns9 2\r\n", 2, "before the previous"},
      {"e0 1 0 0 0 0 0\r\ns2 2\r\n", 1, "below 1"},
      {"e1 1 0 0 0 0 0 z4\r\ns2 2\r\n", 1, "unknown option letter 'z'"},
      {"e1 1 0 0 0 0 0 m300 1\r\ns2 2\r\n", 1, "m id 300"},
      {"e1 1 0 0 0 0 0 p-1 1\r\ns2 2\r\n", 1, "p id -1"},
      {"e1 1 0 0 0 0 0 b16 1\r\ns2 2\r\n", 1, "flag id 16"},
      {"e1 1 0 0 0 0 0 m0 1 m1 1 m2 1 m3 1\r\ns2 2\r\n", 1, "more than three m"},
      {"e1 1 0 0 0 0 0 p0 1 p1 1 X1 A2\r\ns2 2\r\n", 1, "more than three p"},
      {"e1 1 0 0 0 0 0 X4\r\ns2 2\r\n", 1, "only on g lines"},
      {"e1 1 0 " + longToken + " 0 0 0\r\ns2 2\r\n", 1, "longer than 255"},
      {"b1 16 1\r\ns2 2\r\n", 1, "flag index"},
      {"e1 40 0 0 0 0 0\r\ns2 2\r\n", 1, "no catalogue row"},
      {"e1 103 0 0 0 0 0\r\ns2 2\r\n", 1, "no catalogue row"},
      {"e1 14 1 0 0 0 0\r\ns2 2\r\n", 1, "fires nothing"},
      {"e1 23 2 0 0 0 0\r\ns2 2\r\n", 1, "fires nothing"},
      {"e1 11 0 0 0 0 0\r\ns2 2\r\n", 1, "from its launcher"},
      {"e1 7 0 0 0 0 0\r\ns2 2\r\n", 1, "is a part"},
      {"e1 1 -1 0 0 0 0\r\ns2 2\r\n", 1, "reserved"},
      {"g1 1 0 10 10 0 0 0 0 0 0\r\ns50 2\r\n", 1, "still running"},
      {"g1 1 0 3 0 0 0 0 0 0 0\r\ns50 2\r\n", 1, "interval below 1"},
      {"e1 1 0 0 0 0 0\r\ns5 0\r\n", 0, "not 2 or 3"},
      {"e1 1 0 0 0 0 0\r\n", 0, "no s event"},
      {"e1 1 0 0 0 0 0\r\n\xFFs2 2\r\n", 0, "0xFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    const std::vector<StageProblem> problems = Check(c.text);
    if (c.line < 0) {
      for (const StageProblem& p : problems) ADD_FAILURE() << p.line << ": " << p.message;
      continue;
    }
    bool found = false;
    for (const StageProblem& p : problems) found |= p.line == c.line && p.message.find(c.message) != std::string::npos;
    EXPECT_TRUE(found) << "expected line " << c.line << ": " << c.message;
  }
}
