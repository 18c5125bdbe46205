// SPDX-License-Identifier: MIT
// Drives every export of the add-in, loaded as a host loads it, with fuzzer-chosen doubles,
// indexes, languages and null pointers, in any order, and checks what comes back against an
// independent model: std::chrono's calendar (stretched beyond its years by the 400-year cycle)
// and the defined reading of serials. Any difference, stray write or crash is a finding.
#include <dlfcn.h>
#include <FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dfa.h"
#include "open_addin.h"

namespace {

#define CHECK(...)                                                                          \
    do {                                                                                    \
        if (!(__VA_ARGS__)) {                                                               \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #__VA_ARGS__); \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

using namespace std::chrono;

// ---- The model -------------------------------------------------------------------------------

constexpr int64_t kCycleDays = 146097;  // days in 400 Gregorian years

// std::chrono reaches year 32767; beyond, the date of a day 400 years earlier, 400 years on.
year_month_day ChronoDate(int64_t proleptic, int& cycles) {
    cycles = proleptic > 10'000'000 ? static_cast<int>((proleptic - 10'000'000) / kCycleDays + 1) : 0;
    return year_month_day{sys_days{days{proleptic - cycles * kCycleDays - 719163}}};
}

struct Date {
    int d, m, y;
};

// The add-in's calendar: clamped to 1 January 0 .. 31 December 65535; day numbers up to 1 run
// one day ahead of the plain count.
Date ModelDate(int64_t n) {
    n = std::clamp<int64_t>(n, -364, 23936166);
    int cycles = 0;
    const year_month_day ymd = ChronoDate(n - (n <= 1), cycles);
    return {static_cast<int>(unsigned{ymd.day()}), static_cast<int>(unsigned{ymd.month()}),
            int{ymd.year()} + 400 * cycles};
}

int64_t ModelDayNumber(int y, unsigned m, unsigned d) {
    const int cycles = y > 20000 ? (y - 20000) / 400 + 1 : 0;
    const sys_days date{year{y - 400 * cycles} / month{m} / day{d}};
    return (date - sys_days{year{1} / 1 / 1}).count() + 1 + cycles * kCycleDays + (y == 0);
}

bool ModelLeap(int y) { return year{y % 400}.is_leap(); }

// The serial's whole days as an int32 (NaN is 0, anything beyond int32 its nearest limit), then
// the null date added, again saturating.
int64_t ModelSerialToDay(double x, bool floorIt, int32_t nullDate) {
    const long double whole = std::isnan(x) ? 0.0L : floorIt ? std::floor(static_cast<long double>(x)) : std::trunc(static_cast<long double>(x));
    const int64_t days = whole <= INT32_MIN ? INT32_MIN : whole >= INT32_MAX ? INT32_MAX : static_cast<int64_t>(whole);
    const int64_t shifted = days + nullDate;
    return shifted < INT32_MIN ? INT32_MIN : shifted > INT32_MAX ? INT32_MAX : shifted;
}

int64_t ModelWeeks(int64_t n1, int64_t n2, bool iso) {
    if (!iso) return (n2 - n1) / 7;
    const int64_t jan4 = ModelDayNumber(ModelDate(n1).y, 1, 4);
    const int64_t monday = jan4 - (jan4 - 1) % 7;
    return (n2 - monday) / 7 - (n1 - monday) / 7;
}

// Calendar months; outside ISO mode the last month counts only once its day of the month is
// reached again, going forward or back.
int64_t ModelMonths(int64_t n1, int64_t n2, bool iso) {
    const Date a = ModelDate(n1), b = ModelDate(n2);
    const int64_t calendarMonths = 12 * (int64_t{b.y} - a.y) + b.m - a.m;
    if (iso) return calendarMonths;
    if (n1 < n2 && b.d < a.d) return calendarMonths - 1;
    if (n1 > n2 && b.d > a.d) return calendarMonths + 1;
    return calendarMonths;
}

int64_t ModelYears(int64_t n1, int64_t n2, bool iso) {
    return iso ? ModelDate(n2).y - ModelDate(n1).y : ModelMonths(n1, n2, false) / 12;
}

double ModelOneDate(int entry, int64_t n) {
    const Date date = ModelDate(n);
    const bool leap = ModelLeap(date.y);
    switch (entry) {
        case 3: return leap;
        case 4: return static_cast<double>(unsigned{(year{2000 + leap - 1} / month(static_cast<unsigned>(date.m)) / last).day()});
        case 5: return leap ? 366 : 365;
        default: {
            const int64_t weekday = (ModelDayNumber(date.y, 1, 1) - 1) % 7;
            return weekday == 3 || (weekday == 2 && leap) ? 53 : 52;
        }
    }
}

// ---- The add-in, loaded twice ----------------------------------------------------------------

constexpr const char* kEntries[DFA_FUNCTION_COUNT] = {
    "QvDate_GetDiffWeeks", "QvDate_GetDiffMonths", "QvDate_GetDiffYears", "QvDate_IsLeapYear",
    "QvDate_DaysInMonth",  "QvDate_DaysInYear",    "QvDate_WeeksInYear"};

struct Instance {
    dfa_GetFunctionCount_fn getCount;
    dfa_GetFunctionData_fn getData;
    dfa_GetParameterDescription_fn getParam;
    dfa_SetLanguage_fn setLanguage;
    void* entries[DFA_FUNCTION_COUNT];
    dfa_GetVersionInfo_fn getVersion;
    dfa_GetDescription_fn getDescription;
    bool handshaken = false;  // whether GetFunctionCount has set the null date

    void load(bool fresh) {
        void* h = dfa_test::OpenAddin(DFA_LIBRARY_PATH, fresh);
        if (!h) {
            std::fprintf(stderr, "%s\n", dlerror());
            std::abort();
        }
        auto sym = [h](const char* name) {
            void* p = dlsym(h, name);
            CHECK(p != nullptr);
            return p;
        };
        getCount = reinterpret_cast<dfa_GetFunctionCount_fn>(sym("GetFunctionCount"));
        getData = reinterpret_cast<dfa_GetFunctionData_fn>(sym("GetFunctionData"));
        getParam = reinterpret_cast<dfa_GetParameterDescription_fn>(sym("GetParameterDescription"));
        setLanguage = reinterpret_cast<dfa_SetLanguage_fn>(sym("SetLanguage"));
        for (int i = 0; i < DFA_FUNCTION_COUNT; ++i) entries[i] = sym(kEntries[i]);
        getVersion = reinterpret_cast<dfa_GetVersionInfo_fn>(sym("GetVersionInfo"));
        getDescription = reinterpret_cast<dfa_GetDescription_fn>(sym("component_getDescriptionFunc"));
    }
};

// The second instance is a copy of the file, so it has state of its own: the fuzzer never
// handshakes with it, and every worksheet call on it comes before GetFunctionCount.
Instance g_instances[2];

// ---- Inputs ----------------------------------------------------------------------------------

double ConsumeSerial(FuzzedDataProvider& in) {
    static constexpr double kSpecial[] = {
        0.0, -0.0, INFINITY, -INFINITY, NAN, -NAN, 1e300, -1e300, 2147483647.5, -2147483648.5,
        2147483648.0, -2147483649.0, 23242572.0, 23242573.0, -693958.0, -693959.0, 4.9e-324, -4.9e-324};
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: return std::bit_cast<double>(in.ConsumeIntegral<uint64_t>());  // any bit pattern
        case 1: return kSpecial[in.ConsumeIntegralInRange<size_t>(0, std::size(kSpecial) - 1)];
        default:  // a date of the calendar or near its ends, with a time of day
            return in.ConsumeIntegralInRange<int32_t>(-700000, 23300000) +
                   in.ConsumeIntegralInRange<int>(-3, 3) * 0.25;
    }
}

struct Text {
    std::array<char, DFA_TEXT_BUFFER_SIZE + 16> bytes;
    Text() { bytes.fill('\x7f'); }
    // The add-in writes within 256 bytes and leaves a terminated text there.
    void checkBounded() const {
        CHECK(std::memchr(bytes.data(), 0, DFA_TEXT_BUFFER_SIZE) != nullptr);
        for (size_t i = DFA_TEXT_BUFFER_SIZE; i < bytes.size(); ++i) CHECK(bytes[i] == '\x7f');
    }
    bool onlyEmptied() const {
        return bytes[0] == 0 && std::all_of(bytes.begin() + 1, bytes.end(), [](char c) { return c == '\x7f'; });
    }
};

// ---- Operations ------------------------------------------------------------------------------

void Worksheet(FuzzedDataProvider& in, Instance& addin) {
    const int entry = in.ConsumeIntegralInRange(0, DFA_FUNCTION_COUNT - 1);
    // Bits 1-3 make an input pointer null, bits 4-7 all set the result pointer: one call in 16,
    // whatever its inputs.
    const uint8_t nulls = in.ConsumeIntegral<uint8_t>();
    const bool nullResult = (nulls & 0xF0) == 0xF0;
    double args[3] = {ConsumeSerial(in), ConsumeSerial(in), in.ConsumeBool() ? 1.0 : ConsumeSerial(in)};
    const auto before = std::bit_cast<std::array<uint64_t, 3>>(args);
    double result = NAN;
    const double* a[3] = {nulls & 2 ? nullptr : &args[0], nulls & 4 ? nullptr : &args[1], nulls & 8 ? nullptr : &args[2]};
    double* r = nullResult ? nullptr : &result;
    const int32_t nullDate = addin.handshaken ? 693594 : 0;
    if (entry < 3) {
        reinterpret_cast<dfa_DiffFunction_fn>(addin.entries[entry])(r, a[0], a[1], a[2]);
        const int64_t n1 = a[0] ? ModelSerialToDay(args[0], true, nullDate) : 0;
        const int64_t n2 = a[1] ? ModelSerialToDay(args[1], true, nullDate) : 0;
        const bool iso = a[2] && !std::isnan(args[2]) && std::trunc(args[2]) == 1.0;
        const int64_t expected = entry == 0 ? ModelWeeks(n1, n2, iso) : entry == 1 ? ModelMonths(n1, n2, iso) : ModelYears(n1, n2, iso);
        if (!nullResult) CHECK(result == static_cast<double>(expected));
    } else {
        reinterpret_cast<dfa_DateFunction_fn>(addin.entries[entry])(r, a[0]);
        const int64_t n = ModelSerialToDay(a[0] ? args[0] : 0.0, false, nullDate);
        if (!nullResult) {
            static constexpr double kRange[7][2] = {{}, {}, {}, {0, 1}, {28, 31}, {365, 366}, {52, 53}};
            CHECK(result == std::trunc(result) && result >= kRange[entry][0] && result <= kRange[entry][1]);
            CHECK(result == ModelOneDate(entry, n));
        }
    }
    if (nullResult) CHECK(std::isnan(result));
    CHECK(std::bit_cast<std::array<uint64_t, 3>>(args) == before);  // inputs are read only
}

void FunctionData(FuzzedDataProvider& in, Instance& addin) {
    const uint16_t index = in.ConsumeBool() ? in.ConsumeIntegralInRange<uint16_t>(0, 8) : in.ConsumeIntegral<uint16_t>();
    const uint8_t nulls = in.ConsumeIntegral<uint8_t>();
    Text entry, nameText;
    uint16_t count = 0xBEEF;
    std::array<int32_t, 8> types;
    types.fill(0x5A5A5A5A);
    addin.getData(nulls & 1 ? nullptr : &index, nulls & 2 ? nullptr : entry.bytes.data(),
                  nulls & 4 ? nullptr : &count, nulls & 8 ? nullptr : types.data(), nulls & 16 ? nullptr : nameText.bytes.data());
    const bool exists = !(nulls & 1) && index < DFA_FUNCTION_COUNT;
    const uint16_t params = exists ? (index < 3 ? 4 : 2) : 0;
    if (!(nulls & 4)) CHECK(count == params);
    if (!(nulls & 2)) {
        entry.checkBounded();
        CHECK(exists ? std::strcmp(entry.bytes.data(), kEntries[index]) == 0 : entry.onlyEmptied());
    }
    if (!(nulls & 16)) {
        nameText.checkBounded();
        CHECK(exists ? nameText.bytes[0] == 0 : nameText.onlyEmptied());
    }
    for (size_t i = 0; i < types.size(); ++i) CHECK(types[i] == (i < params && !(nulls & 8) ? 0 : 0x5A5A5A5A));
}

void ParameterDescription(FuzzedDataProvider& in, Instance& addin) {
    const uint16_t index = in.ConsumeIntegralInRange<uint16_t>(0, 9);
    const uint16_t param = in.ConsumeBool() ? in.ConsumeIntegralInRange<uint16_t>(0, 5) : in.ConsumeIntegral<uint16_t>();
    const uint8_t nulls = in.ConsumeIntegral<uint8_t>();
    Text name, description;
    addin.getParam(nulls & 1 ? nullptr : &index, nulls & 2 ? nullptr : &param,
                   nulls & 4 ? nullptr : name.bytes.data(), nulls & 8 ? nullptr : description.bytes.data());
    for (const Text* text : {nulls & 4 ? nullptr : &name, nulls & 8 ? nullptr : &description}) {
        if (!text) continue;
        text->checkBounded();
        CHECK(text->bytes[0] == 0);
    }
}

void Metadata(Instance& addin) {
    static const char* const description = g_instances[0].getDescription();
    CHECK(addin.getDescription() != nullptr && std::strcmp(addin.getDescription(), description) == 0);
    const char* const* record = addin.getVersion();
    for (int i = 0; i < DFA_VERSION_INFO_COUNT; ++i) CHECK(record[i] != nullptr && strnlen(record[i], 256) < 256);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_instances[0].load(false);
    g_instances[1].load(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    while (in.remaining_bytes() > 0) {
        const bool fresh = in.ConsumeBool();
        Instance& addin = g_instances[fresh];
        switch (in.ConsumeIntegralInRange(0, 6)) {
            case 0: {
                if (fresh) break;  // the fresh copy is never handshaken
                uint16_t count = 0;
                const bool null = in.ConsumeBool();
                addin.getCount(null ? nullptr : &count);
                addin.handshaken = true;
                if (!null) CHECK(count == DFA_FUNCTION_COUNT);
                break;
            }
            case 1: FunctionData(in, addin); break;
            case 2: ParameterDescription(in, addin); break;
            case 3: {
                const uint16_t language = in.ConsumeIntegral<uint16_t>();
                addin.setLanguage(in.ConsumeBool() ? nullptr : &language);
                break;
            }
            case 4: Metadata(addin); break;
            default: Worksheet(in, addin); break;
        }
    }
    return 0;
}
