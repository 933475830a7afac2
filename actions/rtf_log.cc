#include "actions/rtf_log.h"

#include <cstdio>
#include <optional>

#include "actions/cp1251.h"
#include "actions/file_io.h"
#include "actions/workbench_texts.h"
#include "dbaccess/base/utf8.h"

namespace actions {
namespace {

// The header names the code page, a font with the Cyrillic character set (204) and the
// colour table; the first colour entry is the automatic one, so \cf1..\cf3 are ours.
constexpr std::string_view kHeader =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
    "{\\fonttbl{\\f0\\fswiss\\fcharset204 MS Sans Serif;}}";
constexpr std::string_view kBodyStart = "\\viewkind4\\uc1\\pard\\f0\\fs16 ";

int ColorIndex(MessageColor color) {
  switch (color) {
    case MessageColor::kWindowText:
      return 1;
    case MessageColor::kGrayText:
      return 2;
    case MessageColor::kRed:
      return 3;
  }
  return 1;
}

void AppendUnicodeEscape(char32_t c, std::string& out) {
  auto unit = [&out](unsigned value) {
    // \u takes a signed 16-bit number; "?" is what a reader without Unicode shows.
    const int signed_value = static_cast<int>(value) - (value > 0x7FFF ? 0x10000 : 0);
    out += "\\u" + std::to_string(signed_value) + "?";
  };
  if (c >= 0xDC80 && c <= 0xDCFF) c = 0xFFFD;  // a byte that was not UTF-8
  if (c > 0xFFFF) {
    const char32_t v = c - 0x10000;
    unit(0xD800 + static_cast<unsigned>(v >> 10));
    unit(0xDC00 + static_cast<unsigned>(v & 0x3FF));
  } else {
    unit(static_cast<unsigned>(c));
  }
}

// The RTF form of a line's text: RTF's own characters escaped, a line break as \line, a
// character of the code page as its byte (\'hh above 127), any other as \uN?.
void AppendText(std::string_view utf8, std::string& out) {
  size_t i = 0;
  while (i < utf8.size()) {
    const char32_t c = dbaccess::NextCodePoint(utf8, i);
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\r') {
      if (i < utf8.size() && utf8[i] == '\n') ++i;
      out += "\\line ";
    } else if (c == '\n') {
      out += "\\line ";
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c < 0x20) {
      AppendUnicodeEscape(c, out);  // other control characters stay visible
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (const std::optional<unsigned char> byte = cp1251::EncodeChar(c);
               byte && *byte != 0x98) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\'%02x", *byte);
      out += hex;
    } else {
      AppendUnicodeEscape(c, out);
    }
  }
}

}  // namespace

RgbColor LogColorOf(MessageColor color) {
  switch (color) {
    case MessageColor::kWindowText:
      return {0, 0, 0};
    case MessageColor::kGrayText:
      return {128, 128, 128};
    case MessageColor::kRed:
      return {255, 0, 0};
  }
  return {};
}

std::string EncodeRtfLog(const MessagePane& pane) {
  std::string out(kHeader);
  out += "{\\colortbl ;";
  for (MessageColor color :
       {MessageColor::kWindowText, MessageColor::kGrayText, MessageColor::kRed}) {
    const RgbColor rgb = LogColorOf(color);
    out += "\\red" + std::to_string(rgb.red) + "\\green" + std::to_string(rgb.green) + "\\blue" +
           std::to_string(rgb.blue) + ";";
  }
  out += "}\r\n";
  out += kBodyStart;
  for (const PaneLine& line : pane) {
    out += "\\cf" + std::to_string(ColorIndex(line.color)) + " ";
    AppendText(line.text, out);
    out += "\\par\r\n";
  }
  out += "}\r\n";
  return out;
}

void WriteRtfLog(const MessagePane& pane, const std::string& path) {
  ReplaceFile(path, EncodeRtfLog(pane));
}

std::string LogFilePath(const std::string& program_path) {
  const size_t slash = program_path.rfind('/');
  const size_t dot = program_path.rfind('.');
  std::string base = program_path;
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
    base = program_path.substr(0, dot);
  }
  return base + std::string(texts::kLogExtension);
}

}  // namespace actions
