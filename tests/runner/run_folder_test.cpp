// The main of a folder's test program: `tests_<folder> tst_name [Qt Test
// arguments]` runs the test tst_name.cpp of that folder alone in this
// process, as its own program would; without a known name it lists the names.
#include "folder_test_entry.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using Entries = std::map<std::string, int (*)(int, char**)>;

// Filled while the program's statics are made, so made on first use.
Entries& entries()
{
    static Entries all;
    return all;
}

std::string TestName(const char* file)
{
    std::string name = file;
    const auto slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const auto dot = name.find('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

}  // namespace

FolderTestEntry::FolderTestEntry(const char* file, int (*run)(int, char**))
{
    entries()[TestName(file)] = run;
}

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--list") == 0) {
        for (const auto& [name, run] : entries()) std::printf("%s\n", name.c_str());
        return 0;
    }
    const auto found = argc > 1 ? entries().find(argv[1]) : entries().end();
    if (found == entries().end()) {
        std::fprintf(stderr, "usage: %s TEST [Qt Test arguments], TEST one of:\n", argv[0]);
        for (const auto& [name, run] : entries()) std::fprintf(stderr, "  %s\n", name.c_str());
        return 2;
    }
    // The test sees the program's name and its own arguments, not its name.
    std::vector<char*> args{argv[0]};
    args.insert(args.end(), argv + 2, argv + argc);
    args.push_back(nullptr);
    return found->second(argc - 1, args.data());
}
