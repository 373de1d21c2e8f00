/* An engine library of an older generation: every entry point the layer
   binds except sqlite3_create_function. Each call is counted so that a test
   can tell that nothing was called. */
int fake_sqlite_calls = 0;

#define ENTRY(name) \
    int name(void) { return ++fake_sqlite_calls, 0; }

ENTRY(sqlite3_open) ENTRY(sqlite3_close) ENTRY(sqlite3_exec) ENTRY(sqlite3_libversion)
ENTRY(sqlite3_errmsg) ENTRY(sqlite3_get_table) ENTRY(sqlite3_free_table) ENTRY(sqlite3_free)
ENTRY(sqlite3_complete) ENTRY(sqlite3_last_insert_rowid) ENTRY(sqlite3_interrupt)
ENTRY(sqlite3_busy_timeout) ENTRY(sqlite3_busy_handler) ENTRY(sqlite3_changes)
ENTRY(sqlite3_prepare) ENTRY(sqlite3_finalize) ENTRY(sqlite3_reset) ENTRY(sqlite3_step)
ENTRY(sqlite3_column_blob) ENTRY(sqlite3_column_bytes) ENTRY(sqlite3_column_count)
ENTRY(sqlite3_column_decltype) ENTRY(sqlite3_column_double) ENTRY(sqlite3_column_int)
ENTRY(sqlite3_column_int64) ENTRY(sqlite3_column_name) ENTRY(sqlite3_column_text)
ENTRY(sqlite3_column_text16) ENTRY(sqlite3_column_type) ENTRY(sqlite3_bind_double)
ENTRY(sqlite3_bind_int) ENTRY(sqlite3_bind_int64) ENTRY(sqlite3_bind_null) ENTRY(sqlite3_bind_text)
ENTRY(sqlite3_bind_blob) ENTRY(sqlite3_bind_text16) ENTRY(sqlite3_bind_parameter_count)
ENTRY(sqlite3_value_blob) ENTRY(sqlite3_value_bytes) ENTRY(sqlite3_value_double)
ENTRY(sqlite3_value_int) ENTRY(sqlite3_value_int64) ENTRY(sqlite3_value_text)
ENTRY(sqlite3_value_type) ENTRY(sqlite3_result_double) ENTRY(sqlite3_result_int)
ENTRY(sqlite3_result_int64) ENTRY(sqlite3_result_text) ENTRY(sqlite3_result_value)
