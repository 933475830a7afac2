#include "actions/local_time.h"

#include <clocale>
#include <ctime>
#include <mutex>

namespace actions {
namespace {

std::tm LocalTm(std::chrono::system_clock::time_point moment) {
  const std::time_t t = std::chrono::system_clock::to_time_t(moment);
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

}  // namespace

Clock SystemClock() {
  return [] { return std::chrono::system_clock::now(); };
}

std::string LocalTimeStamp(std::chrono::system_clock::time_point moment) {
  static std::once_flag locale_once;
  std::call_once(locale_once, [] { std::setlocale(LC_TIME, ""); });
  const std::tm local = LocalTm(moment);
  char text[128];
  const size_t length = std::strftime(text, sizeof text, "%x %X", &local);
  return std::string(text, length);
}

CalendarDay LocalDay(std::chrono::system_clock::time_point moment) {
  const std::tm local = LocalTm(moment);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace actions
