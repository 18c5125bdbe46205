// SPDX-License-Identifier: MIT
// The README's table shows each function's example and result as the hosts' catalog has them
// (the Gnumeric tests compute the catalog's examples in Gnumeric itself).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "function_catalog.h"

namespace {

TEST(ReadmeExamples, AreTheCatalogsWithTheirResults) {
    std::ifstream in(DFA_README);
    const std::string readme{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(readme.empty()) << DFA_README;
    for (const dfa_host::CatalogEntry& known : dfa_host::Catalog()) {
        std::ostringstream cell;
        cell << "| `" << known.example << "` | " << known.exampleResult;
        EXPECT_NE(readme.find(cell.str()), std::string::npos) << "README.md has no row with " << cell.str();
    }
}

}  // namespace
