// SPDX-License-Identifier: MIT
// The registration handshake through dlsym, with guard bytes around everything the add-in
// writes so that a stray or missing write shows.
#include <array>
#include <cstring>

#include "language.h"
#include "loaded_addin.h"

namespace {

using dfa_test::LoadedAddin;

constexpr char kGuard = 'x';
constexpr int32_t kTypeGuard = 0x5A5A5A5A;

// A text buffer with guard bytes past the 256 the add-in may touch.
struct TextBuffer {
    std::array<char, 300> bytes;
    TextBuffer() { bytes.fill(kGuard); }
    char* data() { return bytes.data(); }
    // Filled by the bounded copy of an empty text: zero up to byte 255, nothing after.
    bool filledEmpty() const { return AllOf(0, 256, '\0') && AllOf(256, 300, kGuard); }
    // Only emptied: the first byte zero, nothing else touched.
    bool onlyEmptied() const { return bytes[0] == '\0' && AllOf(1, 300, kGuard); }
    bool untouched() const { return AllOf(0, 300, kGuard); }
    bool AllOf(std::size_t from, std::size_t to, char c) const {
        for (std::size_t i = from; i < to; ++i)
            if (bytes[i] != c) return false;
        return true;
    }
};

struct Registration : testing::Test {
    LoadedAddin addin;
    dfa_GetFunctionData_fn getData = addin.get<dfa_GetFunctionData_fn>("GetFunctionData");
    dfa_GetParameterDescription_fn getParam = addin.get<dfa_GetParameterDescription_fn>("GetParameterDescription");
};

TEST_F(Registration, CountIsSeven) {
    uint16_t count = 0;
    addin.get<dfa_GetFunctionCount_fn>("GetFunctionCount")(&count);
    EXPECT_EQ(count, 7);
}

TEST_F(Registration, FunctionTable) {
    const struct { const char* entry; uint16_t params; } kTable[] = {
        {"QvDate_GetDiffWeeks", 4}, {"QvDate_GetDiffMonths", 4}, {"QvDate_GetDiffYears", 4},
        {"QvDate_IsLeapYear", 2},   {"QvDate_DaysInMonth", 2},   {"QvDate_DaysInYear", 2},
        {"QvDate_WeeksInYear", 2},
    };
    for (uint16_t index = 0; index < 7; ++index) {
        SCOPED_TRACE(index);
        TextBuffer entry, nameText;
        uint16_t count = 99;
        std::array<int32_t, 6> types;
        types.fill(kTypeGuard);
        getData(&index, entry.data(), &count, types.data(), nameText.data());
        EXPECT_STREQ(entry.data(), kTable[index].entry);
        EXPECT_TRUE(entry.AllOf(std::strlen(kTable[index].entry), 256, '\0') && entry.AllOf(256, 300, kGuard));
        EXPECT_TRUE(nameText.filledEmpty());
        EXPECT_EQ(count, kTable[index].params);
        for (std::size_t i = 0; i < types.size(); ++i) EXPECT_EQ(types[i], i < count ? 0 : kTypeGuard) << i;
    }
}

TEST_F(Registration, IndexBeyondTableNamesNoFunction) {
    for (uint16_t index : {uint16_t{7}, uint16_t{8}, uint16_t{255}, uint16_t{0xFFFF}}) {
        TextBuffer entry, nameText;
        uint16_t count = 99;
        std::array<int32_t, 4> types;
        types.fill(kTypeGuard);
        getData(&index, entry.data(), &count, types.data(), nameText.data());
        EXPECT_EQ(count, 0);
        EXPECT_TRUE(entry.onlyEmptied() && nameText.onlyEmptied()) << index;
        for (int32_t t : types) EXPECT_EQ(t, kTypeGuard);
    }
}

TEST_F(Registration, ParameterDescriptions) {
    for (uint16_t index = 0; index < 9; ++index) {
        const uint16_t inputs = index < 3 ? 3 : index < 7 ? 1 : 0;
        for (uint16_t param = 0; param < 6; ++param) {
            TextBuffer name, description;
            getParam(&index, &param, name.data(), description.data());
            const bool exists = index < 7 && param <= inputs;
            // Parameter 0 is the function itself: it has a description but no name.
            EXPECT_TRUE(exists && param > 0 ? name.filledEmpty() : name.onlyEmptied()) << index << '/' << param;
            EXPECT_TRUE(exists ? description.filledEmpty() : description.onlyEmptied()) << index << '/' << param;
        }
    }
}

TEST_F(Registration, NullPointersAreSkipped) {
    uint16_t index = 0, param = 1;
    TextBuffer entry;
    uint16_t count = 99;
    addin.get<dfa_GetFunctionCount_fn>("GetFunctionCount")(nullptr);
    getData(&index, nullptr, nullptr, nullptr, nullptr);
    getData(nullptr, entry.data(), &count, nullptr, nullptr);  // no index: no function
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(entry.onlyEmptied());
    getParam(nullptr, &param, entry.data(), nullptr);
    getParam(&index, nullptr, nullptr, entry.data());
    getParam(&index, &param, nullptr, nullptr);
    addin.get<dfa_SetLanguage_fn>("SetLanguage")(nullptr);
}

TEST(Language, Normalisation) {
    const std::pair<uint16_t, uint16_t> kTable[] = {
        {0x0409, 9},      {0x0809, 9},      {0x0C04, 4},      {0x0404, 4},      {0x0814, 20},     {0x0416, 0x0816},
        {0x0816, 0x0816}, {0x0407, 0x0407}, {0x0807, 0x0407}, {0x0000, 0x0400}, {0x0600, 0x0600}, {0xFFFF, 0xFFFF},
    };
    for (auto [in, out] : kTable) EXPECT_EQ(dfa::NormalizeLanguage(in), out) << std::hex << in;
}

}  // namespace
