#include "actions/rtf_log.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>
#include <memory>

#include "actions/file_io.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/base/utf8.h"

namespace actions {
namespace {

// What Debian's unrtf makes of a file, as HTML (keeps the colours) or plain text.
std::string Unrtf(const std::string& path, const char* format) {
  const std::string command = std::string("unrtf --quiet ") + format + " '" + path + "' 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  if (!pipe) return "";
  std::string out;
  std::array<char, 4096> buffer{};
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0)
    out.append(buffer.data(), n);
  return out;
}

// The text of unrtf's HTML (the reader's plain-text output ignores the code page): tags
// dropped, <br> as a line break, character references decoded.
std::string HtmlText(const std::string& html) {
  static const std::map<std::string, char32_t> kNamed = {
      {"amp", '&'},     {"lt", '<'},   {"gt", '>'},      {"quot", '"'},   {"nbsp", 0xA0},
      {"Omega", 0x3A9}, {"mu", 0x3BC}, {"gamma", 0x3B3}, {"alpha", 0x3B1}};
  const size_t body = html.find("<body>");
  std::string out;
  char32_t high_surrogate = 0;
  for (size_t i = body == std::string::npos ? 0 : body; i < html.size();) {
    if (html.compare(i, 4, "<br>") == 0) {
      out += '\n';
      i += 4;
    } else if (html[i] == '<') {
      i = html.find('>', i) + 1;
    } else if (html[i] == '\n') {
      ++i;
    } else if (html[i] == '&') {
      const size_t end = html.find(';', i);
      const std::string name = html.substr(i + 1, end - i - 1);
      char32_t c = name[0] == '#'       ? static_cast<char32_t>(std::stoul(name.substr(1)))
                   : kNamed.count(name) ? kNamed.at(name)
                                        : U'?';
      if (c >= 0xD800 && c < 0xDC00) {
        high_surrogate = c;
      } else {
        if (c >= 0xDC00 && c < 0xE000 && high_surrogate != 0) {
          c = 0x10000 + ((high_surrogate - 0xD800) << 10) + (c - 0xDC00);
        }
        high_surrogate = 0;
        dbaccess::AppendUtf8(out, c);
      }
      i = end + 1;
    } else {
      out += html[i++];
    }
  }
  return out;
}

const MessagePane kPane = {
    {"Готово: ALTER TABLE [Заказы] ADD COLUMN [Сумма] INTEGER", MessageColor::kWindowText},
    {"Серая строка 08.12.2026 10:00:00", MessageColor::kGrayText},
    {"Сбой: DROP X\r\n;\r\nADD {Y} C:\\users\\путь", MessageColor::kRed},
    {"Ωμέγα 😀 №", MessageColor::kWindowText},
};

TEST(RtfLogTest, DocumentIsWindows1251RtfWithColourTable) {
  const std::string rtf = EncodeRtfLog(kPane);
  EXPECT_TRUE(rtf.starts_with("{\\rtf1\\ansi\\ansicpg1251"));
  EXPECT_NE(rtf.find("{\\colortbl ;\\red0\\green0\\blue0;\\red128\\green128\\blue128;"
                     "\\red255\\green0\\blue0;}"),
            std::string::npos);
  // Cyrillic as code-page bytes, nothing else above 127 in the file.
  EXPECT_NE(rtf.find("\\'c3\\'ee\\'f2\\'ee\\'e2\\'ee"), std::string::npos);  // Готово
  for (unsigned char c : rtf) EXPECT_LT(c, 0x80);
  // One paragraph per line, each in its colour.
  size_t paragraphs = 0;
  for (size_t at = rtf.find("\\par\r\n"); at != std::string::npos;
       at = rtf.find("\\par\r\n", at + 1)) {
    ++paragraphs;
  }
  EXPECT_EQ(paragraphs, kPane.size());
  EXPECT_NE(rtf.find("\\cf3 "), std::string::npos);
  EXPECT_NE(rtf.find("\\cf2 "), std::string::npos);
  // Characters outside the code page as \u escapes: omega, the emoji as a surrogate pair.
  EXPECT_NE(rtf.find("\\u937?"), std::string::npos);
  EXPECT_NE(rtf.find("\\u-10179?\\u-8704?"), std::string::npos);
}

TEST(RtfLogTest, AnIndependentReaderGetsTheLinesAndColoursBack) {
  dbaccess::testing::TempFolder folder;
  const std::string log = folder.File("skarnvel.log");
  WriteRtfLog(kPane, log);
  const std::string html = Unrtf(log, "--html");
  EXPECT_EQ(HtmlText(html),
            "Готово: ALTER TABLE [Заказы] ADD COLUMN [Сумма] INTEGER\n"
            "Серая строка 08.12.2026 10:00:00\n"
            "Сбой: DROP X\n;\nADD {Y} C:\\users\\путь\n"
            "Ωμέγα 😀 №\n")
      << html;
  EXPECT_NE(html.find("#ff0000"), std::string::npos) << html;
  EXPECT_NE(html.find("#808080"), std::string::npos) << html;

  // A second write replaces the first.
  WriteRtfLog({{"одна строка", MessageColor::kRed}}, log);
  EXPECT_EQ(HtmlText(Unrtf(log, "--html")), "одна строка\n");
}

}  // namespace
}  // namespace actions
