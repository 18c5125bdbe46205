// SPDX-License-Identifier: MIT
// The version record and the component description, fetched as the component loader does.
#include <cstdio>
#include <regex>
#include <string>

#include "loaded_addin.h"

#ifdef DFA_HAVE_EXPAT
#include <expat.h>
#endif

namespace {

using dfa_test::LoadedAddin;

// The system's own constant text, byte for byte.
constexpr char kDescription[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE module-description PUBLIC \"-//Quellora//DTD ComponentDescription 1.0//EN\" \"module-description.dtd\">\n"
    "<module-description xmlns:xlink=\"http://www.w3.org/1999/xlink\">\n"
    "    <module-name> XXX </module-name>\n"
    "    <component-description>\n"
    "        <author> automatic generated </author>\n"
    "        <name> XXX </name>\n"
    "        <description> no description yet. </description>\n"
    "        <loader-name> com.vexon.orrin.loader.SharedLibrary\t</loader-name>\n"
    "        <language> c++\t</language>\n"
    "        <status value=\"under_construction\"/>\n"
    "        <supported-service>\tXXX </supported-service>\n"
    "\t</component-description>\n"
    "</module-description>\n"
    "\n";

// The release number is the version's major part followed by minor and patch as two digits
// each: 1.2.3 is 10203.
std::string ReleaseNumber(const std::string& version) {
    unsigned major = 0, minor = 0, patch = 0;
    std::sscanf(version.c_str(), "%u.%u.%u", &major, &minor, &patch);
    char digits[32];
    std::snprintf(digits, sizeof digits, "%u%02u%02u", major, minor, patch);
    return digits;
}

// The processor this test was compiled for, in the names the build gives them.
constexpr const char* kTargetOutputDir =
#if defined(__x86_64__)
    "linux-x86_64";
#elif defined(__i386__)
    "linux-i386";
#elif defined(__aarch64__)
    "linux-aarch64";
#elif defined(__arm__) && defined(__ARM_PCS_VFP)
    "linux-armv7l";
#elif defined(__arm__)
    "linux-armv5tel";
#elif defined(__mips__) && defined(__mips64)
    "linux-mips64el";
#elif defined(__mips__)
    "linux-mipsel";
#elif defined(__powerpc64__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    "linux-ppc64le";
#elif defined(__s390x__)
    "linux-s390x";
#elif defined(__riscv) && __riscv_xlen == 64
    "linux-riscv64";
#else
#error "no output directory name known for this processor"
#endif

struct Metadata : testing::Test {
    LoadedAddin addin;
    const char* description = addin.get<dfa_GetDescription_fn>("component_getDescriptionFunc")();
    const char* const* record = addin.get<dfa_GetVersionInfo_fn>("GetVersionInfo")();
};

TEST_F(Metadata, DescriptionIsTheFixedText) {
    EXPECT_EQ(std::string(description), kDescription);
    EXPECT_EQ(addin.get<dfa_GetDescription_fn>("component_getDescriptionFunc")(), description);
}

#ifdef DFA_HAVE_EXPAT
TEST_F(Metadata, DescriptionIsWellFormedXml) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    const auto status = XML_Parse(parser, description, static_cast<int>(std::string(description).size()), 1);
    EXPECT_EQ(status, XML_STATUS_OK) << XML_ErrorString(XML_GetErrorCode(parser)) << " at line "
                                     << XML_GetCurrentLineNumber(parser);
    XML_ParserFree(parser);
}
#endif

TEST_F(Metadata, VersionRecord) {
    EXPECT_EQ(addin.get<dfa_GetVersionInfo_fn>("GetVersionInfo")(), record);
    const char* const kForms[DFA_VERSION_INFO_COUNT] = {
        "[0-2][0-9]:[0-5][0-9]:[0-6][0-9]",
        "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) ( [1-9]|[1-3][0-9]) [0-9]{4}",
        "[0-9]+", "m[0-9]+", "[0-9]+", "[^\"\\\\\\x01-\\x1f]+"};
    for (int i = 0; i < DFA_VERSION_INFO_COUNT; ++i)
        EXPECT_TRUE(std::regex_match(record[i], std::regex(kForms[i]))) << i << ": " << record[i];
    // The build configuration's values arrive unchanged; where it leaves them empty, the
    // release number follows the project version and the output directory names the target.
    EXPECT_EQ(std::string(record[2]), *DFA_RELEASE_NUMBER ? DFA_RELEASE_NUMBER : ReleaseNumber(DFA_PROJECT_VERSION));
    EXPECT_STREQ(record[3], DFA_MILESTONE);
    EXPECT_STREQ(record[4], DFA_BUILD_NUMBER);
    EXPECT_EQ(std::string(record[5]), *DFA_OUTPUT_DIR ? DFA_OUTPUT_DIR : kTargetOutputDir);
}

}  // namespace
