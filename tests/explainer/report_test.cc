// kestrum-explain's reports of examinations built in place: the whole text
// and JSON reports of a damaged file with every kind of field, what each
// version adds or leaves out, how a fault is placed in words, and text from
// the file written as data. JSON strings are checked by Python's parser in
// json_report_test.py.
#include <gtest/gtest.h>

#include <string>

#include "escaping.h"
#include "json_report.h"
#include "sample_examinations.h"
#include "text_report.h"

namespace {

TEST(TextReportTest, DamagedFileWithEveryKindOfField) {
  EXPECT_EQ(textReport(damagedVersion5()),
            "file:                 archive/run 7.mat\n"
            "version:              5 (versions 5, 6 and 7 share this layout)\n"
            "compressed elements:  yes\n"
            "byte order:           little-endian\n"
            "header text:          MATLAB 5.0 MAT-file, Platform: GLNXA64, Created on: Tue Dec  8 17:19:46 2026\n"
            "file size:            12100 bytes\n"
            "\n"
            "index  offset  stored bytes  storage                   name        class    size   flags                "
            "       verdict\n"
            "    0  0x80             184  deflate, inflates to 312  alpha       double   2x3x4  global, complex      "
            "       intact\n"
            "    1  0x138            400  plain                     beta        logical  10x10  logical, sparse (5 st"
            "ored)  damaged\n"
            "       damaged at offset 0x1C0: column starts not rising at column 7\n"
            "    2  0x2C8           9000  deflate                   (not read)  -        -      -                    "
            "       damaged\n"
            "       damaged at offset 0x2D0, at inflated byte 120: the compressed stream ends early\n"
            "    3  0x25F0          2384  plain                     gamma       char     1x5    -                    "
            "       intact\n"
            "\n"
            "locating stopped: the element at offset 0x2f40 runs past the end of the file; nothing from offset "
            "0x2f40 on can be located\n"
            "\n"
            "salvage:              salvaged 2 of 4 variables into saved.mat\n"
            "summary:              4 variables, 2 intact\n"
            "damaged:              beta, variable 2 (no name read)\n"
            "not located:          from offset 0x2F40 to the end of the file\n");
}

TEST(TextReportTest, EachVersionShowsItsOwnFacts) {
  const struct {
    const char *sample;
    Explanation explanation;
    std::vector<std::string> shown, notShown;
  } cases[] = {
      {"version 4", intactVersion4(),
       {"version:              4\n", "byte order:           big-endian\n",
        "    0  0x0              100  plain    x     double  3x3   -      intact\n",
        "summary:              1 variable, 1 intact\n"},
       {"compressed", "header text", "superblock", "salvage", "damaged", "located"}},
      {"version 7.3", version73WithFailedSalvage(),
       {"version:              7.3\n", "HDF5 superblock:      version 2\n",
        "  HDF5 chunked 2048x2, deflate, inflates to 32768  samples  single  4096x2  -      intact\n",
        "salvage:              /read-only/out.mat not written: cannot create /read-only/out.mat: Permission denied\n"},
       {"compressed", "damaged", "located"}},
      {"nothing located", emptyVersion5(),
       {"compressed elements:  no\n", "\nno variables located\n",
        "salvage:              nothing.mat not written: no variable is intact\n",
        "summary:              0 variables, 0 intact\n"},
       {"index", "superblock", "damaged"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.sample);
    const std::string report = textReport(c.explanation);
    for (const std::string &line : c.shown) EXPECT_NE(report.find(line), std::string::npos) << line << "\n" << report;
    for (const std::string &text : c.notShown) EXPECT_EQ(report.find(text), std::string::npos) << text << "\n" << report;
  }
}

TEST(TextReportTest, AFaultIsPlacedAsFarAsItsPlaceIsKnown) {
  const struct {
    const char *what;
    bool placed;
    bool inInflated;
    const char *text;
  } cases[] = {
      {"bad tag", true, false, "damaged at offset 0xABC: bad tag"},
      {"bad tag", true, true, "damaged at offset 0xABC, at inflated byte 77: bad tag"},
      {"bad tag", false, true, "damaged at inflated byte 77: bad tag"},
      {"bad tag", false, false, "damaged: bad tag"},
      {"", false, false, "damaged: no reason given"},
      {"name \x1b]0;owned\x07", false, false, "damaged: name \\x1b]0;owned\\x07"},
  };
  for (const auto &c : cases) {
    Fault fault;
    fault.found = true;
    fault.what = c.what;
    fault.placed = c.placed;
    fault.at = 0xABC;
    fault.inInflated = c.inInflated;
    fault.inflatedAt = 77;
    EXPECT_EQ(faultText(fault), c.text);
  }
  EXPECT_EQ(hexOffset(0), "0x0");
  EXPECT_EQ(hexOffset(UINT64_MAX), "0xFFFFFFFFFFFFFFFF");
}

// Names, header text and the engine's words are data: what could act on a
// terminal, and bytes that are not UTF-8, are shown as \xHH.
TEST(TextReportTest, TextFromTheFileIsWrittenAsData) {
  const struct {
    std::string bytes, text;
  } cases[] = {
      {"plain_name", "plain_name"},
      {"tab\there\n", "tab\\x09here\\x0a"},
      {std::string("nul\0x", 5), "nul\\x00x"},
      {"\x1b[2J\x7f", "\\x1b[2J\\x7f"},
      {"caf\xc3\xa9 \xe6\xbc\xa2 \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe6\xbc\xa2 \xf0\x9f\x98\x80"},
      {"c1 \xc2\x85 \xc2\x9f nbsp \xc2\xa0", "c1 \\xc2\\x85 \\xc2\\x9f nbsp \xc2\xa0"},
      {"\xff\xfe", "\\xff\\xfe"},
      {"\xc0\xaf overlong", "\\xc0\\xaf overlong"},
      {"\xed\xa0\x80 surrogate", "\\xed\\xa0\\x80 surrogate"},
      {"\xf4\x90\x80\x80 past U+10FFFF", "\\xf4\\x90\\x80\\x80 past U+10FFFF"},
      {"cut \xe2\x82", "cut \\xe2\\x82"},
      {"C:\\data\\%s%n", "C:\\data\\%s%n"},
  };
  for (const auto &c : cases) EXPECT_EQ(escapedText(c.bytes), c.text) << c.text;

  Explanation hostile = namedVariables({"\x1b[31mred", "\r\n", "%s%s%s%n"});
  hostile.examination.headerText = "MATLAB 5.0 MAT-file\x1b[H";
  hostile.examination.variables[1].fault.found = true;
  const std::string report = textReport(hostile);
  for (char c : report) EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << static_cast<int>(c);
  for (const char *shown : {"MATLAB 5.0 MAT-file\\x1b[H\n", "  \\x1b[31mred  ", "  %s%s%s%n  ",
                            "damaged:              \\x0d\\x0a\n"}) {
    EXPECT_NE(report.find(shown), std::string::npos) << shown << "\n" << report;
  }
  // Columns line up by characters, not bytes.
  const std::string aligned = textReport(namedVariables({"caf\xc3\xa9", "cafe"}));
  for (const char *row : {"  caf\xc3\xa9  double  ", "  cafe  double  "}) {
    EXPECT_NE(aligned.find(row), std::string::npos) << row << "\n" << aligned;
  }
}

TEST(JsonReportTest, DamagedFileWithEveryKindOfField) {
  EXPECT_EQ(jsonReport(damagedVersion5()),
            R"json({
  "file": "archive/run 7.mat",
  "version": "5",
  "compressed": true,
  "byteOrder": "little-endian",
  "headerText": "MATLAB 5.0 MAT-file, Platform: GLNXA64, Created on: Tue Dec  8 17:19:46 2026",
  "fileBytes": 12100,
  "variables": [
    {"index": 0, "offset": 128, "storedBytes": 184, "storage": "deflate", "inflatedBytes": 312, "described": true, "name": "alpha", "className": "double", "dims": [2, 3, 4], "global": true, "complex": true, "logical": false, "sparse": false, "storedValues": 0, "fault": null},
    {"index": 1, "offset": 312, "storedBytes": 400, "storage": "plain", "inflatedBytes": null, "described": true, "name": "beta", "className": "logical", "dims": [10, 10], "global": false, "complex": false, "logical": true, "sparse": true, "storedValues": 5, "fault": {"what": "column starts not rising at column 7", "at": 448, "inflatedAt": null}},
    {"index": 2, "offset": 712, "storedBytes": 9000, "storage": "deflate", "inflatedBytes": null, "described": false, "name": null, "className": null, "dims": null, "global": false, "complex": false, "logical": false, "sparse": false, "storedValues": 0, "fault": {"what": "the compressed stream ends early", "at": 720, "inflatedAt": 120}},
    {"index": 3, "offset": 9712, "storedBytes": 2384, "storage": "plain", "inflatedBytes": null, "described": true, "name": "gamma", "className": "char", "dims": [1, 5], "global": false, "complex": false, "logical": false, "sparse": false, "storedValues": 0, "fault": null}
  ],
  "stop": {"what": "the element at offset 0x2f40 runs past the end of the file; nothing from offset 0x2f40 on can be located", "at": 12096, "inflatedAt": null},
  "summary": {"variables": 4, "intact": 2, "damaged": ["beta", "variable 2 (no name read)"]},
  "salvage": {"output": "saved.mat", "written": true, "salvaged": 2, "reason": null}
}
)json");
}

}  // namespace
