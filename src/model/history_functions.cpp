#include "model/history_functions.h"

#include "model/history_text.h"

#include <QByteArray>

#include <string>
#include <utility>
#include <vector>

namespace {

void PlainText(sqlite3_context* context, int, sqlite3_value** values)
{
    const void* data = sqlite3_value_blob(values[0]);
    const int size = sqlite3_value_bytes(values[0]);
    const QByteArray utf8 = HistoryPlainText(QByteArray(static_cast<const char*>(data), data ? size : 0)).toUtf8();
    sqlite3_result_text64(context, utf8.constData(), static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT,
                          SQLITE_UTF8);
}

using TokenSpans = std::vector<std::pair<int, int>>;

int KeepTokenSpan(void* spans, int flags, const char*, int, int start, int end)
{
    if (!(flags & FTS5_TOKEN_COLOCATED)) static_cast<TokenSpans*>(spans)->emplace_back(start, end);
    return SQLITE_OK;
}

// The index knows each match as a phrase starting at a token number; the
// text, split again by the same tokenizer, gives that token's bytes.
void MatchOffsets(const Fts5ExtensionApi* api, Fts5Context* fts, sqlite3_context* context, int count,
                  sqlite3_value** values)
{
    if (count != 1) {
        sqlite3_result_error(context, "match_offsets(line_words, text) takes the text", -1);
        return;
    }
    const char* text = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
    const int size = sqlite3_value_bytes(values[0]);
    TokenSpans tokens;
    if (text && api->xTokenize(fts, text, size, &tokens, KeepTokenSpan) != SQLITE_OK) tokens.clear();
    int hits = 0;
    if (api->xInstCount(fts, &hits) != SQLITE_OK) hits = 0;
    std::string offsets;
    for (int i = 0; i < hits; ++i) {
        int phrase = 0;
        int column = 0;
        int first = 0;
        if (api->xInst(fts, i, &phrase, &column, &first) != SQLITE_OK) continue;
        const int length = api->xPhraseSize(fts, phrase);
        if (first < 0 || length <= 0 || static_cast<std::size_t>(first + length) > tokens.size()) continue;
        offsets += std::to_string(tokens[first].first) + ' ' +
                   std::to_string(tokens[static_cast<std::size_t>(first + length - 1)].second) + ' ';
    }
    sqlite3_result_text(context, offsets.data(), static_cast<int>(offsets.size()), SQLITE_TRANSIENT);
}

fts5_api* FullTextApi(sqlite3* db)
{
    fts5_api* api = nullptr;
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &query, nullptr) == SQLITE_OK) {
        sqlite3_bind_pointer(query, 1, &api, "fts5_api_ptr", nullptr);
        sqlite3_step(query);
    }
    sqlite3_finalize(query);
    return api;
}

}  // namespace

bool AddHistoryFunctions(sqlite3* db)
{
    if (sqlite3_create_function_v2(db, "plain_text", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, PlainText,
                                   nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    fts5_api* api = FullTextApi(db);
    return api && api->xCreateFunction(api, "match_offsets", nullptr, MatchOffsets, nullptr) == SQLITE_OK;
}
