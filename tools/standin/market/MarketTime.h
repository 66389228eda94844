// The market's clock: the exchange keeps Beijing time (UTC+8, no daylight
// saving), and every time the stand-in sends is seconds since 1970 UTC.
// These helpers convert between the two without the machine's time zone, so
// the stand-in's data does not depend on where it runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kiv::standin {

constexpr int64_t kBeijingOffsetSeconds = 8 * 3600;

// A calendar date and wall time in Beijing.
struct BeijingDateTime {
  int year = 1970;
  int month = 1;   // 1..12
  int day = 1;     // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int weekday = 4; // 0 Sunday .. 6 Saturday
};

// Days since 1970-01-01 of a proleptic Gregorian date (negative before).
int64_t DaysFromCivil(int year, int month, int day);

// Seconds since 1970 UTC of a Beijing wall time (fields are not checked).
int64_t BeijingTime(int year, int month, int day, int hour, int minute, int second);

// The Beijing wall time of an instant.
BeijingDateTime ToBeijing(int64_t utcSeconds);

// Parses exactly "YYYY-MM-DD HH:MM:SS" (Beijing time) into seconds since 1970
// UTC; nullopt when the text has another shape or names no real instant
// (month 13, 30 February, 24:00:00, a year before 1970 or after 2999).
std::optional<int64_t> ParseBeijingTime(const std::string& text);

// "YYYY-MM-DD HH:MM:SS" in Beijing time.
std::string FormatBeijingTime(int64_t utcSeconds);

}  // namespace kiv::standin
