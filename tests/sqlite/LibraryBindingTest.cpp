#include <dlfcn.h>

#include "TestDatabase.h"
#include "base/Exception.h"

using LibraryBinding = TempFolderTest;

TEST_F(LibraryBinding, AnEngineWithoutCreateFunctionIsRefusedAndNeverCalled) {
    // Held open here so that its call counter survives the connection's
    // loads and unloads.
    void* fake = dlopen(FAKE_SQLITE_LIBRARY, RTLD_NOW);
    ASSERT_NE(fake, nullptr) << dlerror();
    const int* calls = static_cast<const int*>(dlsym(fake, "fake_sqlite_calls"));
    ASSERT_NE(calls, nullptr);

    TQorSQLite3DB db;
    db.SetDLLName(FAKE_SQLITE_LIBRARY);
    db.SetDatabase(":memory:");
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(ErrorOf<SLError>([&] { db.Open(); }),
                  std::string("Could not load \"") + FAKE_SQLITE_LIBRARY + "\" SQLite library");
        EXPECT_EQ(db.LastLookupCount(), 38);  // sqlite3_create_function is the 38th
        EXPECT_FALSE(db.Connected());
        EXPECT_FALSE(db.LibraryLoaded());
    }
    db.Interrupt();
    db.Close();
    EXPECT_EQ(*calls, 0);
    dlclose(fake);

    db.SetDLLName(Path("no-such-library.so"));
    EXPECT_THROW(db.Open(), SLError);
    EXPECT_EQ(db.LastLookupCount(), 0);

    // The default name binds all fifty entry points of the real engine.
    db.SetDLLName("");
    db.Open();
    EXPECT_TRUE(db.Connected());
    EXPECT_EQ(db.LastLookupCount(), 50);
}
