// The server's local wall-clock time, broken down, as the pages print it.
#pragma once

namespace zelvon::quotepages {

struct LocalClock {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    static LocalClock Now();
};

}  // namespace zelvon::quotepages
