#include "sample_track.h"

#include <chrono>
#include <cstdio>  // snprintf, sscanf

#include "track/local_time.h"

namespace geoframe::tools {

namespace {

using namespace std::chrono;

// The XOR of the characters between "$" and "*".
unsigned Checksum(const std::string& body) {
  unsigned sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  return sum;
}

std::string Sentence(sys_seconds utc, int index) {
  year_month_day date{floor<days>(utc)};
  hh_mm_ss<seconds> time{utc - floor<days>(utc)};
  char body[128];
  std::snprintf(body, sizeof body, "GPRMC,%02d%02d%02d.00,A,30%07.4f,N,120%07.4f,E,1.5,45.0,%02u%02u%02d,,,A",
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()), 15.0 + index * 0.0100, 8.0 + index * 0.0150,
                static_cast<unsigned>(date.day()), static_cast<unsigned>(date.month()),
                static_cast<int>(date.year()) % 100);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", Checksum(body));
  std::string sentence = "$";
  sentence.append(body).append(tail);
  return sentence;
}

}  // namespace

std::string MakeSampleTrack(const std::string& firstLocalTime, int points, int stepSeconds) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (std::sscanf(firstLocalTime.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6) return "";
  year_month_day date{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
  if (!date.ok()) return "";
  // Receivers log UTC; the program shows it kLocalOffset later.
  sys_seconds utc = sys_days{date} + hours{h} + minutes{mi} + seconds{s} - kLocalOffset;
  std::string log;
  for (int i = 0; i < points; ++i) log += Sentence(utc + seconds{i * stepSeconds}, i);
  return log;
}

}  // namespace geoframe::tools
