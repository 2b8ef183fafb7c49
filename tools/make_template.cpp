// Builds a template database from a schema script: make_template <schema.sql> <output.db>.
// The output is written to a temporary file first and renamed into place, so an interrupted
// build never leaves a half-made template behind.
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <schema.sql> <output.db>\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream script;
    script << in.rdbuf();

    const std::string output = argv[2];
    const std::string temporary = output + ".tmp";
    std::remove(temporary.c_str());

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(temporary.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot create %s: %s\n", temporary.c_str(), db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return 1;
    }
    char* error = nullptr;
    const std::string wrapped = "BEGIN;\n" + script.str() + "\nCOMMIT;";
    if (sqlite3_exec(db, wrapped.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "schema %s failed: %s\n", argv[1], error ? error : "unknown error");
        sqlite3_free(error);
        sqlite3_close(db);
        std::remove(temporary.c_str());
        return 1;
    }
    if (sqlite3_exec(db, "VACUUM;", nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "vacuum failed: %s\n", error ? error : "unknown error");
        sqlite3_free(error);
    }
    if (sqlite3_close(db) != SQLITE_OK) {
        std::fprintf(stderr, "cannot close %s\n", temporary.c_str());
        return 1;
    }
    if (std::rename(temporary.c_str(), output.c_str()) != 0) {
        std::fprintf(stderr, "cannot move %s into place\n", temporary.c_str());
        return 1;
    }
    return 0;
}
