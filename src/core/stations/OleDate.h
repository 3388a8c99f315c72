// Local date-times as OLE automation dates: days since 30 December 1899 00:00, the fraction
// being the time of day. This is how track points keep their time, in memory and on disk.
#pragma once

namespace vireo {

struct LocalDateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    bool operator==(const LocalDateTime&) const = default;
};

double ToOleDate(const LocalDateTime& t);
// The nearest millisecond; values outside years 100-9999 are clamped to that range.
LocalDateTime FromOleDate(double date);

}  // namespace vireo
