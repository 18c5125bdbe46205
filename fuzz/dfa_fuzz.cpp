// SPDX-License-Identifier: MIT
// Drives every export of the add-in, loaded as a host loads it, with fuzzer-chosen doubles,
// indexes, languages and null pointers, in any order. Every worksheet call is made on the
// step-by-step reference build too (tests/reference), in the same state of the handshake, and
// the two results must be the same bits; the registration exports are held against what the
// add-in registers. Any difference, stray write or crash is a finding.
#include <dlfcn.h>
#include <FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <bit>
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


// ---- The add-in and its reference, each loaded twice ------------------------------------------

constexpr const char* kEntries[DFA_FUNCTION_COUNT] = {
    "QvDate_GetDiffWeeks", "QvDate_GetDiffMonths", "QvDate_GetDiffYears", "QvDate_IsLeapYear",
    "QvDate_DaysInMonth",  "QvDate_DaysInYear",    "QvDate_WeeksInYear"};

void* Open(const char* path, bool fresh) {
    void* handle = dfa_test::OpenAddin(path, fresh);
    if (!handle) {
        std::fprintf(stderr, "%s\n", dlerror());
        std::abort();
    }
    return handle;
}

void* Symbol(void* handle, const char* name) {
    void* p = dlsym(handle, name);
    CHECK(p != nullptr);
    return p;
}

struct Instance {
    dfa_GetFunctionCount_fn getCount, referenceGetCount;
    dfa_GetFunctionData_fn getData;
    dfa_GetParameterDescription_fn getParam;
    dfa_SetLanguage_fn setLanguage;
    void* entries[DFA_FUNCTION_COUNT];
    void* reference[DFA_FUNCTION_COUNT];  // the same function of the reference build
    dfa_GetVersionInfo_fn getVersion;
    dfa_GetDescription_fn getDescription;

    void load(bool fresh) {
        void* h = Open(DFA_LIBRARY_PATH, fresh);
        void* r = Open(DFA_REFERENCE_LIBRARY_PATH, fresh);
        getCount = reinterpret_cast<dfa_GetFunctionCount_fn>(Symbol(h, "GetFunctionCount"));
        referenceGetCount = reinterpret_cast<dfa_GetFunctionCount_fn>(Symbol(r, "GetFunctionCount"));
        getData = reinterpret_cast<dfa_GetFunctionData_fn>(Symbol(h, "GetFunctionData"));
        getParam = reinterpret_cast<dfa_GetParameterDescription_fn>(Symbol(h, "GetParameterDescription"));
        setLanguage = reinterpret_cast<dfa_SetLanguage_fn>(Symbol(h, "SetLanguage"));
        for (int i = 0; i < DFA_FUNCTION_COUNT; ++i) {
            entries[i] = Symbol(h, kEntries[i]);
            reference[i] = Symbol(r, kEntries[i]);
        }
        getVersion = reinterpret_cast<dfa_GetVersionInfo_fn>(Symbol(h, "GetVersionInfo"));
        getDescription = reinterpret_cast<dfa_GetDescription_fn>(Symbol(h, "component_getDescriptionFunc"));
    }
};

// The second instances are copies of the files, so they have state of their own: the fuzzer
// never handshakes with them, and every worksheet call on them comes before GetFunctionCount.
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
    double result = NAN, expected = NAN;
    const double* a[3] = {nulls & 2 ? nullptr : &args[0], nulls & 4 ? nullptr : &args[1], nulls & 8 ? nullptr : &args[2]};
    if (entry < 3) {
        reinterpret_cast<dfa_DiffFunction_fn>(addin.entries[entry])(nullResult ? nullptr : &result, a[0], a[1], a[2]);
        reinterpret_cast<dfa_DiffFunction_fn>(addin.reference[entry])(&expected, a[0], a[1], a[2]);
    } else {
        reinterpret_cast<dfa_DateFunction_fn>(addin.entries[entry])(nullResult ? nullptr : &result, a[0]);
        reinterpret_cast<dfa_DateFunction_fn>(addin.reference[entry])(&expected, a[0]);
    }
    if (nullResult) CHECK(std::isnan(result));
    else CHECK(std::bit_cast<uint64_t>(result) == std::bit_cast<uint64_t>(expected));
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
                addin.referenceGetCount(nullptr);
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
