#pragma once
// In a folder's test program every tst_*.cpp is one test among several: the
// file's QTEST_MAIN (or QTEST_GUILESS_MAIN, QTEST_APPLESS_MAIN) gives no
// main() of its own but enters the test under the file's name, and the
// program's main (run_folder_test.cpp) runs the one named on its command line.
// Included after the Qt Test headers, ahead of every test file (through the
// precompiled header, or -include without one).
#include <QtTest/qtest.h>

// Enters a test's entry point under its file's name (tst_name.cpp: "tst_name").
struct FolderTestEntry {
    FolderTestEntry(const char* file, int (*run)(int argc, char** argv));
};

#undef QTEST_MAIN_WRAPPER
#define QTEST_MAIN_WRAPPER(TestObject, ...)                                       \
    static int RunFolderTest(int argc, char* argv[])                              \
    {                                                                             \
        QT_PREPEND_NAMESPACE(QTest::Internal::callInitMain)<TestObject>();        \
        __VA_ARGS__                                                               \
        TestObject tc;                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                \
        return QTest::qExec(&tc, argc, argv);                                     \
    }                                                                             \
    static const FolderTestEntry folderTestEntry(__FILE__, &RunFolderTest);
