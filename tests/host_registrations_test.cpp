// SPDX-License-Identifier: MIT
// What the hosts register comes from one catalog: it names the add-in's own functions, with
// their arities, and the SQLite extension registers exactly those (the differences with and
// without their mode). The other engines hold their registrations to dfa-host's list in their
// own tests.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cctype>
#include <set>
#include <string>
#include <utility>

#include "addin_loader.h"
#include "function_catalog.h"
#include "library_file.h"

namespace {

using Registration = std::set<std::pair<std::string, int>>;  // lower-case name, argument count

Registration FromTheAddin() {
    const dfa_host::Addin addin(dfa_host::LibraryFile(DFA_LIBRARY_PATH), 0x0409);
    EXPECT_TRUE(addin.ok()) << addin.error();
    Registration names;
    for (const dfa_host::FunctionInfo& f : addin.functions()) {
        std::string name = f.entryName;
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        names.insert({name, static_cast<int>(f.inputs)});
        if (f.inputs == 3) names.insert({name, 2});  // a mode left out
    }
    return names;
}

TEST(HostRegistrations, TheCatalogIsTheAddinsList) {
    const dfa_host::Addin addin(dfa_host::LibraryFile(DFA_LIBRARY_PATH), 0x0409);
    ASSERT_EQ(addin.functions().size(), dfa_host::Catalog().size());
    for (std::size_t i = 0; i < addin.functions().size(); ++i) {
        EXPECT_EQ(addin.functions()[i].entryName, dfa_host::Catalog()[i].entryName);
        EXPECT_EQ(addin.functions()[i].inputs == 3, !dfa_host::Catalog()[i].arguments[2].name.empty())
            << addin.functions()[i].entryName;
    }
}

#ifdef DFA_SQLITE_EXTENSION
TEST(HostRegistrations, SqliteRegistersTheAddinsFunctions) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    sqlite3_enable_load_extension(db, 1);
    ASSERT_EQ(sqlite3_load_extension(db, DFA_SQLITE_EXTENSION, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT name, narg FROM pragma_function_list WHERE name LIKE 'qvdate%'", -1, &statement, nullptr),
              SQLITE_OK);
    Registration registered;
    while (sqlite3_step(statement) == SQLITE_ROW)
        registered.insert({reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), sqlite3_column_int(statement, 1)});
    sqlite3_finalize(statement);
    sqlite3_close(db);
    EXPECT_EQ(registered, FromTheAddin());
}
#endif

}  // namespace
