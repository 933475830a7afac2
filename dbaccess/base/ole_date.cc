#include "dbaccess/base/ole_date.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace dbaccess {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t year_of_era = y - era * 400;
  const int64_t day_of_year = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t day_of_era = z - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t mp = (5 * day_of_year + 2) / 153;
  day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
}

const int64_t kOleEpoch = DaysFromCivil(1899, 12, 30);

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2) {
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 29 : 28;
  }
  return kDays[month - 1];
}

// A small cursor over the text of a date.
class Scanner {
 public:
  explicit Scanner(std::string_view s) : s_(s) {}
  void SkipBlanks() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
  }
  bool Number(int& out, int& digits) {
    digits = 0;
    int value = 0;
    while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9' && digits < 9) {
      value = value * 10 + (s_[i_++] - '0');
      ++digits;
    }
    out = value;
    return digits > 0;
  }
  bool Take(char c) {
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  bool TakeWord(const char* upper) {
    size_t j = i_;
    for (const char* p = upper; *p != 0; ++p, ++j) {
      if (j >= s_.size()) return false;
      char c = s_[j];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (c != *p) return false;
    }
    i_ = j;
    return true;
  }
  bool AtEnd() const { return i_ == s_.size(); }
  size_t pos() const { return i_; }
  void set_pos(size_t p) { i_ = p; }

 private:
  std::string_view s_;
  size_t i_ = 0;
};

// [H]H:MM[:SS] [AM|PM]
bool ParseTime(Scanner& sc, DateTimeParts& parts) {
  int h, m, s = 0, digits;
  if (!sc.Number(h, digits) || digits > 2 || !sc.Take(':')) return false;
  if (!sc.Number(m, digits) || digits != 2) return false;
  if (sc.Take(':') && (!sc.Number(s, digits) || digits != 2)) return false;
  sc.SkipBlanks();
  if (sc.TakeWord("AM")) {
    if (h < 1 || h > 12) return false;
    if (h == 12) h = 0;
  } else if (sc.TakeWord("PM")) {
    if (h < 1 || h > 12) return false;
    if (h != 12) h += 12;
  }
  parts.hour = h;
  parts.minute = m;
  parts.second = s;
  return true;
}

bool ParseDate(Scanner& sc, DateTimeParts& parts) {
  int a, b, c, da, db, dc;
  if (!sc.Number(a, da)) return false;
  if (da == 4 && sc.Take('-')) {  // ISO: Y-M-D
    if (!sc.Number(b, db) || db > 2 || !sc.Take('-') || !sc.Number(c, dc) || dc > 2) return false;
    parts.year = a;
    parts.month = b;
    parts.day = c;
    return true;
  }
  if (da <= 2 && sc.Take('/')) {  // U.S.: M/D/Y
    if (!sc.Number(b, db) || db > 2 || !sc.Take('/') || !sc.Number(c, dc)) return false;
    if (dc == 2) {
      c += c < 30 ? 2000 : 1900;
    } else if (dc != 4) {
      return false;
    }
    parts.year = c;
    parts.month = a;
    parts.day = b;
    return true;
  }
  return false;
}

}  // namespace

bool OleDateFromParts(const DateTimeParts& p, double& out) {
  if (p.year < 100 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
      p.day > DaysInMonth(p.year, p.month) || p.hour < 0 || p.hour > 23 || p.minute < 0 ||
      p.minute > 59 || p.second < 0 || p.second > 59) {
    return false;
  }
  const int64_t days = DaysFromCivil(p.year, p.month, p.day) - kOleEpoch;
  const double fraction =
      static_cast<double>(p.hour * 3600 + p.minute * 60 + p.second) / kSecondsPerDay;
  out = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
  return true;
}

bool PartsFromOleDate(double value, DateTimeParts& out) {
  if (!(value >= kMinOleDate && value < kMaxOleDate + 0.5 / kSecondsPerDay)) return false;
  const double whole = std::trunc(value);
  int64_t days = static_cast<int64_t>(whole);
  int64_t seconds = std::llround(std::fabs(value - whole) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {
    seconds -= kSecondsPerDay;
    ++days;
  }
  CivilFromDays(days + kOleEpoch, out.year, out.month, out.day);
  if (out.year > 9999) return false;
  out.hour = static_cast<int>(seconds / 3600);
  out.minute = static_cast<int>(seconds / 60 % 60);
  out.second = static_cast<int>(seconds % 60);
  return true;
}

bool ParseDateText(std::string_view text, double& out) {
  Scanner sc(text);
  sc.SkipBlanks();
  DateTimeParts parts;
  const size_t start = sc.pos();
  if (ParseDate(sc, parts)) {
    sc.SkipBlanks();
    if (!sc.AtEnd()) {
      sc.Take('T');
      sc.SkipBlanks();
      if (!ParseTime(sc, parts)) return false;
    }
  } else {
    sc.set_pos(start);
    if (!ParseTime(sc, parts)) return false;
  }
  sc.SkipBlanks();
  return sc.AtEnd() && OleDateFromParts(parts, out);
}

std::string FormatDateText(double value) {
  DateTimeParts p;
  if (!PartsFromOleDate(value, p)) return std::string();
  char buffer[32];
  const bool no_date = p.year == 1899 && p.month == 12 && p.day == 30;
  const bool no_time = p.hour == 0 && p.minute == 0 && p.second == 0;
  if (no_date) {
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", p.hour, p.minute, p.second);
  } else if (no_time) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", p.year, p.month, p.day);
  } else {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day,
                  p.hour, p.minute, p.second);
  }
  return buffer;
}

double OleDateNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  DateTimeParts p;
  p.year = local.tm_year + 1900;
  p.month = local.tm_mon + 1;
  p.day = local.tm_mday;
  p.hour = local.tm_hour;
  p.minute = local.tm_min;
  p.second = local.tm_sec > 59 ? 59 : local.tm_sec;
  double value = 0;
  OleDateFromParts(p, value);
  return value;
}

}  // namespace dbaccess
