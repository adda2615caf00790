#include <ctime>

#include <gtest/gtest.h>

#include "datafile/time_format.h"

using namespace trelm;

TEST(BreakDownTime, AgreesWithTheCivilCalendarFrom1970To2038) {
    // Step of a little over a day and a half so every hour, weekday and
    // month boundary region is met; gmtime is the independent reference.
    for (std::int64_t t = 0; t <= INT32_MAX; t += 131071) {
        const time_t stamp = static_cast<time_t>(t);
        std::tm expected{};
        gmtime_r(&stamp, &expected);
        const BrokenDownTime bt = BreakDownTime(static_cast<std::int32_t>(t));
        ASSERT_EQ(bt.year, expected.tm_year) << t;
        ASSERT_EQ(bt.month, expected.tm_mon) << t;
        ASSERT_EQ(bt.day, expected.tm_mday) << t;
        ASSERT_EQ(bt.dayOfYear, expected.tm_yday) << t;
        ASSERT_EQ(bt.weekday, expected.tm_wday) << t;
        ASSERT_EQ(bt.hour * 3600 + bt.minute * 60 + bt.second,
                  expected.tm_hour * 3600 + expected.tm_min * 60 + expected.tm_sec)
            << t;
    }
}

TEST(BreakDownTime, LeapDaysAndYearEnds) {
    const BrokenDownTime leapDay = BreakDownTime(951782400); // 2000-02-29
    EXPECT_EQ(leapDay.month, 1);
    EXPECT_EQ(leapDay.day, 29);
    const BrokenDownTime lastOfLeapYear = BreakDownTime(978307199); // 2000-12-31 23:59:59
    EXPECT_EQ(lastOfLeapYear.dayOfYear, 365);
    EXPECT_EQ(lastOfLeapYear.month, 11);
    EXPECT_EQ(lastOfLeapYear.day, 31);
    const BrokenDownTime march1972 = BreakDownTime(68256000); // 1972-03-01
    EXPECT_EQ(march1972.month, 2);
    EXPECT_EQ(march1972.day, 1);
    EXPECT_EQ(BreakDownTime(86399).weekday, 4);
}

TEST(BreakDownTime, NegativeStampsShowTheEpochWithTheirOwnWeekday) {
    const BrokenDownTime bt = BreakDownTime(-1);
    EXPECT_EQ(bt.year, 70);
    EXPECT_EQ(bt.month, 0);
    EXPECT_EQ(bt.day, 1);
    EXPECT_EQ(bt.hour, 0);
    EXPECT_EQ(bt.second, 0);
    EXPECT_EQ(bt.weekday, 3); // 1969-12-31 was a Wednesday
    EXPECT_EQ(BreakDownTime(-86400 * 5).weekday, 6);
    EXPECT_EQ(BreakDownTime(INT32_MIN).year, 70);
    EXPECT_GE(BreakDownTime(INT32_MIN).weekday, 0);
}

TEST(TextForms, ShortAndNameForms) {
    EXPECT_EQ(FormatDateTimeShort(0), "01/01/00 00:00:00");
    EXPECT_EQ(FormatDateTimeForName(0), "2000/01/01 00:00:00");
    EXPECT_EQ(FormatDateTimeShort(951782400), "02/29/00 00:00:00");
    EXPECT_EQ(FormatDateTimeShort(978307199), "12/31/00 23:59:59");
    EXPECT_EQ(FormatDateTimeShort(86399), "01/01/00 23:59:59");
    EXPECT_EQ(FormatDateTimeShort(1118838605), "06/15/05 12:30:05");
    EXPECT_EQ(FormatDateTimeForName(1118838605), "2005/06/15 12:30:05");
    EXPECT_EQ(FormatDateTimeForName(INT32_MAX), "2038/01/19 03:14:07");
}

TEST(TextForms, The1970SubstitutionAndTheYearsBefore2000) {
    EXPECT_EQ(FormatDateTimeShort(-5), "01/01/00 00:00:00");
    EXPECT_EQ(FormatDateTimeShort(31535999), "12/31/00 23:59:59"); // last second of 1970
    EXPECT_EQ(FormatDateTimeShort(31536000), "01/01/-29 00:00:00"); // 1971
    EXPECT_EQ(FormatDateTimeShort(946684799), "12/31/-01 23:59:59"); // 1999
    EXPECT_EQ(FormatDateTimeForName(946684799), "-2001/12/31 23:59:59");
    EXPECT_EQ(FormatDateTimeForName(31535999), "2000/12/31 23:59:59");
}

TEST(TextForms, TimeOfDayAndElapsed) {
    EXPECT_EQ(FormatTimeOfDay(1118838605), "12:30:05");
    EXPECT_EQ(FormatTimeOfDay(-100), "00:00:00");
    EXPECT_EQ(FormatElapsed(90061), "25:01:01");
    EXPECT_EQ(FormatElapsed(59), "00:00:59");
    EXPECT_EQ(FormatElapsed(360000), "100:00:00");
    EXPECT_EQ(FormatElapsed(0), "00:00:00");
    EXPECT_EQ(FormatElapsed(-3661), "-01:-01:-01");
}

TEST(DateOnly, MonthDayFourDigitYearInTheCLocale) {
    EXPECT_EQ(DateOnly("06/15/05 12:30:05"), "6/15/2005");
    EXPECT_EQ(DateOnly(FormatDateTimeShort(0)), "1/1/2000");
    EXPECT_EQ(DateOnly("12/31/38 00:00:00"), "12/31/2038");
}

TEST(DateOnly, NegativeTwoDigitYearsGiveTheirTrueYear) {
    EXPECT_EQ(DateOnly(FormatDateTimeShort(946684799)), "12/31/1999");
    EXPECT_EQ(DateOnly(FormatDateTimeShort(31536000)), "1/1/1971");
}

TEST(DateOnly, TextNotOfTheShortFormGivesNothing) {
    EXPECT_EQ(DateOnly(""), "");
    EXPECT_EQ(DateOnly("13/01/05 00:00:00"), "");
    EXPECT_EQ(DateOnly("06-15-05"), "");
    EXPECT_EQ(DateOnly("06/15/05x"), "");
}

// Short-date formats as locales give them: their order and their whole
// texts are kept; a format whose order cannot be read gives M/D/YYYY.
TEST(DateOnly, OtherLocalesKeepTheirOrderAndSeparators) {
    const struct {
        const char *format;
        const char *date;
    } cases[] = {
        {"%d.%m.%Y", "5.6.2005"},
        {"%F", "2005-6-5"},
        {"%D", "6/5/2005"},
        {"%d/%m/%y", "5/6/2005"},
        {"%Y\u5e74%m\u6708%d\u65e5", "2005\u5e746\u67085\u65e5"}, // multi-byte, and a text after the day
        {"%Y. %m. %d.", "2005. 6. 5."},
        {"%d/%Om/%Ey", "5/6/2005"},
        {"%d%%%m%%%Y", "5%6%2005"},
        // Orders that cannot be read.
        {"%A", "6/5/2005"},
        {"", "6/5/2005"},
        {"%Y%m%d", "6/5/2005"},
        {"%d %B %Y", "6/5/2005"},
        {"%d/%d/%Y", "6/5/2005"},
        {"%d/%m/%Y/%", "6/5/2005"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DateOnly("06/05/05 00:00:00", c.format), c.date) << c.format;
}

TEST(DateOnly, FromAStampMatchesTheTextRoundTripInEveryOrder) {
    const char *formats[] = {"%m/%d/%y", "%d.%m.%Y", "%F", "%D", "%d/%m/%y", "%Y. %m. %d.", "%Y\u5e74%m\u6708%d\u65e5",
                             "%A", ""};
    std::vector<std::int32_t> stamps = {0, -1, -86400, 31535999, 31536000, 946684799, 946684800,
                                        1118838605, 2147483647, -2147483647 - 1};
    for (std::int64_t t = 0; t <= INT32_MAX; t += 86400 * 97 + 3607)
        stamps.push_back(static_cast<std::int32_t>(t));
    for (const char *format : formats) {
        const DateOrder order = DateOrderOf(format);
        for (std::int32_t t : stamps)
            ASSERT_EQ(FormatDateOnly(t, order), DateOnly(FormatDateTimeShort(t), format)) << format << " " << t;
    }
}

TEST(DateOnly, TheLocaleOrderIsTheOneDateOnlyUses) {
    // Both read nl_langinfo(D_FMT) of the current LC_TIME (here the C locale).
    const DateOrder order = LocaleDateOrder();
    EXPECT_EQ(FormatDateOnly(1118838605, order), DateOnly(FormatDateTimeShort(1118838605)));
}
