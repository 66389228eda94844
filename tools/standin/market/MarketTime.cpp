#include "tools/standin/market/MarketTime.h"

#include <cstdio>

namespace kiv::standin {

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Floor division, so that instants before 1970 fall on the right day.
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

int64_t DaysFromCivil(int year, int month, int day) {
  // Counting years from March puts the leap day last, so each era of 400
  // years has the same shape.
  int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
  const int64_t era = FloorDiv(y, 400);
  const int64_t yearOfEra = y - era * 400;
  const int64_t monthFromMarch = (month + 9) % 12;
  const int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int64_t BeijingTime(int year, int month, int day, int hour, int minute, int second) {
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second -
         kBeijingOffsetSeconds;
}

BeijingDateTime ToBeijing(int64_t utcSeconds) {
  const int64_t local = utcSeconds + kBeijingOffsetSeconds;
  const int64_t days = FloorDiv(local, 86400);
  const int64_t secondOfDay = local - days * 86400;

  // Inverse of DaysFromCivil.
  const int64_t z = days + 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;

  BeijingDateTime out;
  out.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  out.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  out.year = static_cast<int>(yearOfEra + era * 400 + (out.month <= 2 ? 1 : 0));
  out.hour = static_cast<int>(secondOfDay / 3600);
  out.minute = static_cast<int>(secondOfDay / 60 % 60);
  out.second = static_cast<int>(secondOfDay % 60);
  out.weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
  return out;
}

std::optional<int64_t> ParseBeijingTime(const std::string& text) {
  // Fixed shape: digits at fixed places, separators between.
  static const char kShape[] = "dddd-dd-dd dd:dd:dd";
  if (text.size() != sizeof(kShape) - 1) return std::nullopt;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool wantDigit = kShape[i] == 'd';
    const bool isDigit = text[i] >= '0' && text[i] <= '9';
    if (wantDigit != isDigit || (!wantDigit && text[i] != kShape[i])) return std::nullopt;
  }
  auto number = [&text](size_t at, size_t width) {
    int value = 0;
    for (size_t i = at; i < at + width; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
  const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
  if (year < 1970 || year > 2999 || month < 1 || month > 12) return std::nullopt;
  if (day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
  if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
  return BeijingTime(year, month, day, hour, minute, second);
}

std::string FormatBeijingTime(int64_t utcSeconds) {
  const BeijingDateTime t = ToBeijing(utcSeconds);
  char text[32];
  std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

}  // namespace kiv::standin
