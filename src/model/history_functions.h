#pragma once
// The SQL functions the history's queries use, added to each connection:
//   plain_text(bytes)               a line's searchable text (HistoryPlainText), UTF-8
//   match_offsets(line_words, text) where the search matched in text: "start end "
//                                   byte pairs, for the full-text table's current row
#include <sqlite3.h>

// Adds both functions to the connection; false when either cannot be added.
bool AddHistoryFunctions(sqlite3* db);
