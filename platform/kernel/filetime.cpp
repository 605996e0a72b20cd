// File time conversions: FILETIME (100 ns steps since 1601-01-01 UTC), the
// calendar, local time and the DOS date and time of FAT and zip. Local time
// follows the host's time zone (TZ) with the offset in force at the moment
// converted, so a summer date gets the summer offset.
#include <stdlib.h>
#include <time.h>

#include <windows.h>

namespace {

const long long kTicksPerSecond = 10000000LL;
const long long kEpochDifference = 11644473600LL; // 1601 to 1970, seconds

long long Ticks(const FILETIME* t)
{
    return (long long)(((unsigned long long)t->dwHighDateTime << 32) | t->dwLowDateTime);
}

void SetTicks(FILETIME* t, long long ticks)
{
    t->dwLowDateTime = (DWORD)(unsigned long long)ticks;
    t->dwHighDateTime = (DWORD)((unsigned long long)ticks >> 32);
}

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = (unsigned)(y - era * 400);
    unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + (long long)doe - 719468;
}

void CivilFromDays(long long z, long long* y, unsigned* m, unsigned* d)
{
    z += 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    unsigned doe = (unsigned)(z - era * 146097);
    unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = (long long)yoe + era * 400 + (*m <= 2);
}

unsigned DaysInMonth(long long y, unsigned m)
{
    static const unsigned days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0))
        return 29;
    return days[m - 1];
}

// Offset of local time from UTC, in seconds, at a host time.
long long OffsetAt(long long unixSeconds)
{
    time_t t = (time_t)unixSeconds;
    struct tm local;
    if (!localtime_r(&t, &local))
        return 0;
    return local.tm_gmtoff;
}

long long FloorDiv(long long a, long long b)
{
    long long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

extern "C" BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime)
{
    if (!fileTime || !localFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    tzset();
    long long ticks = Ticks(fileTime);
    long long seconds = FloorDiv(ticks, kTicksPerSecond) - kEpochDifference;
    SetTicks(localFileTime, ticks + OffsetAt(seconds) * kTicksPerSecond);
    return TRUE;
}

extern "C" BOOL WINAPI LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime)
{
    if (!localFileTime || !fileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    tzset();
    long long ticks = Ticks(localFileTime);
    long long local = FloorDiv(ticks, kTicksPerSecond) - kEpochDifference;
    // The offsets a day before and after bracket any change of offset; an
    // offset fits when the UTC time it gives shows that offset itself.
    // Where two fit (the hour repeated when summer time ends), the earlier
    // moment is taken. In the hour skipped when summer time begins none
    // fits, and the offset in force before the change is used.
    long long candidates[3] = {OffsetAt(local - 86400), OffsetAt(local), OffsetAt(local + 86400)};
    long long chosen = 0;
    int found = 0;
    for (int i = 0; i < 3; i++) {
        long long offset = candidates[i];
        if (OffsetAt(local - offset) != offset)
            continue;
        if (!found || offset > chosen)
            chosen = offset;
        found = 1;
    }
    if (!found)
        chosen = candidates[0];
    SetTicks(fileTime, ticks - chosen * kTicksPerSecond);
    return TRUE;
}

extern "C" BOOL WINAPI FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime)
{
    long long ticks = Ticks(fileTime);
    if (ticks < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    long long seconds = ticks / kTicksPerSecond - kEpochDifference;
    long long days = FloorDiv(seconds, 86400);
    long long rest = seconds - days * 86400;
    long long y;
    unsigned m, d;
    CivilFromDays(days, &y, &m, &d);
    systemTime->wYear = (WORD)y;
    systemTime->wMonth = (WORD)m;
    systemTime->wDay = (WORD)d;
    systemTime->wDayOfWeek = (WORD)(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
    systemTime->wHour = (WORD)(rest / 3600);
    systemTime->wMinute = (WORD)(rest / 60 % 60);
    systemTime->wSecond = (WORD)(rest % 60);
    systemTime->wMilliseconds = (WORD)(ticks % kTicksPerSecond / 10000);
    return TRUE;
}

extern "C" BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* s, LPFILETIME fileTime)
{
    if (s->wYear < 1601 || s->wYear > 30827 || s->wMonth < 1 || s->wMonth > 12 || s->wDay < 1 ||
        s->wDay > DaysInMonth(s->wYear, s->wMonth) || s->wHour > 23 || s->wMinute > 59 || s->wSecond > 59 ||
        s->wMilliseconds > 999) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    long long days = DaysFromCivil(s->wYear, s->wMonth, s->wDay);
    long long seconds = days * 86400 + s->wHour * 3600LL + s->wMinute * 60LL + s->wSecond + kEpochDifference;
    SetTicks(fileTime, seconds * kTicksPerSecond + s->wMilliseconds * 10000LL);
    return TRUE;
}

extern "C" BOOL WINAPI FileTimeToDosDateTime(const FILETIME* fileTime, LPWORD dosDate, LPWORD dosTime)
{
    SYSTEMTIME s;
    if (!fileTime || !FileTimeToSystemTime(fileTime, &s))
        return FALSE;
    // DOS dates cover 1980 to 2107.
    if (s.wYear < 1980 || s.wYear > 2107) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (dosDate)
        *dosDate = (WORD)(((s.wYear - 1980) << 9) | (s.wMonth << 5) | s.wDay);
    if (dosTime)
        *dosTime = (WORD)((s.wHour << 11) | (s.wMinute << 5) | (s.wSecond / 2));
    return TRUE;
}

extern "C" BOOL WINAPI DosDateTimeToFileTime(WORD dosDate, WORD dosTime, LPFILETIME fileTime)
{
    SYSTEMTIME s;
    s.wYear = (WORD)(1980 + (dosDate >> 9));
    s.wMonth = (WORD)((dosDate >> 5) & 15);
    s.wDay = (WORD)(dosDate & 31);
    s.wHour = (WORD)(dosTime >> 11);
    s.wMinute = (WORD)((dosTime >> 5) & 63);
    s.wSecond = (WORD)((dosTime & 31) * 2);
    s.wMilliseconds = 0;
    s.wDayOfWeek = 0;
    if (!fileTime)
        return FALSE;
    return SystemTimeToFileTime(&s, fileTime);
}

extern "C" void WINAPI GetSystemTimeAsFileTime(LPFILETIME fileTime)
{
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    SetTicks(fileTime, ((long long)now.tv_sec + kEpochDifference) * kTicksPerSecond + now.tv_nsec / 100);
}

extern "C" LONG WINAPI CompareFileTime(const FILETIME* a, const FILETIME* b)
{
    unsigned long long x = (unsigned long long)Ticks(a);
    unsigned long long y = (unsigned long long)Ticks(b);
    return x < y ? -1 : x > y;
}
