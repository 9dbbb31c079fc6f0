#include "results/TimeText.h"

#include <cctype>
#include <vector>

namespace results {

namespace {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The numbers of a text and the first separator between them.
bool Numbers(const std::string& text, std::vector<long>& numbers, std::vector<size_t>& digits, char& separator)
{
    numbers.clear();
    digits.clear();
    separator = 0;
    size_t at = 0;
    while (at < text.size()) {
        if (std::isdigit(static_cast<unsigned char>(text[at]))) {
            long value = 0;
            size_t count = 0;
            for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at, ++count)
                if (value < 100000)
                    value = value * 10 + (text[at] - '0');
            numbers.push_back(value);
            digits.push_back(count);
        } else {
            if (numbers.size() == 1 && separator == 0)
                separator = text[at];
            ++at;
        }
    }
    return true;
}

} // namespace

bool ParseTimeText(const std::string& text, int64_t& seconds)
{
    size_t dash = text.find(" - ");
    if (dash == std::string::npos)
        return false;
    std::vector<long> date, time;
    std::vector<size_t> dateDigits, timeDigits;
    char separator = 0, timeSeparator = 0;
    Numbers(text.substr(0, dash), date, dateDigits, separator);
    Numbers(text.substr(dash + 3), time, timeDigits, timeSeparator);
    if (date.size() != 3 || (time.size() != 3 && time.size() != 2) || timeSeparator != ':')
        return false;
    long year = 0, month = 0, day = 0;
    if (dateDigits[0] == 4) {
        year = date[0], month = date[1], day = date[2];
    } else if (separator == '/') {
        month = date[0], day = date[1], year = date[2];
        if (month > 12 && day <= 12)
            std::swap(month, day);
    } else if (separator == '.' || separator == '-') {
        day = date[0], month = date[1], year = date[2];
    } else {
        return false;
    }
    if (dateDigits[2] <= 2 && dateDigits[0] != 4)
        year += year < 70 ? 2000 : 1900;
    long hour = time[0], minute = time[1], second = time.size() == 3 ? time[2] : 0;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return false;
    seconds = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return true;
}

bool SecondsBetween(const std::string& start, const std::string& end, int64_t& seconds)
{
    int64_t from = 0, to = 0;
    if (!ParseTimeText(start, from) || !ParseTimeText(end, to) || to < from)
        return false;
    seconds = to - from;
    return true;
}

} // namespace results
