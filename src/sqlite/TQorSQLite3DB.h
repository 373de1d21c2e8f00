#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "base/Currency.h"
#include "base/DynamicLibrary.h"
#include "base/Variant.h"
#include "dataset/TComponent.h"
#include "sqlite/SQLite3Api.h"
#include "sqlite/TQorQLite3Field.h"

class TDataSet;
class TStrings;

// One value of ExecSQLArgs' argument array. Booleans (and anything the
// caller wraps as std::monostate) bind nothing: the parameter stays NULL.
using TVarRec = std::variant<std::monostate, int32_t, int64_t, double, Currency, char, std::string,
                             const char*, bool>;

// One SQLite database file: the loaded engine library, the connection handle
// and the statement executors that return no rows.
class TQorSQLite3DB : public TComponent {
public:
    using TOnFetch = std::function<void(TDataSet* dataSet, int32_t rowFetch)>;
    using TQorQLite3NotifyEvent = std::function<void(TQorSQLite3DB* sender)>;

    explicit TQorSQLite3DB(TComponent* owner = nullptr);
    ~TQorSQLite3DB() override;

    bool Trace() const { return trace_; }
    void SetTrace(bool v) { trace_ = v; }
    const std::string& TraceFile() const { return traceFile_; }
    void SetTraceFile(std::string v) { traceFile_ = std::move(v); }
    // The database's text is Windows-1251 (written by an 8-bit console):
    // statements and bound text go to the engine in that code page, and text
    // read back from it returns as UTF-8. Off: text passes unchanged.
    bool Cp1251Text() const { return cp1251Text_; }
    void SetCp1251Text(bool v) { cp1251Text_ = v; }
    // Program text as the engine is to receive it, and the engine's text as
    // the program keeps it.
    std::string ToEngineText(std::string_view text) const;
    std::string FromEngineText(std::string_view text) const;
    const std::string& TransactionType() const { return transactionType_; }
    void SetTransactionType(std::string v) { transactionType_ = std::move(v); }
    const std::string& Database() const { return database_; }
    // Blanks around the name are dropped; naming another file while
    // connected disconnects first, so the next Open connects to it.
    void SetDatabase(std::string_view v);
    const std::string& Version() const { return version_; }
    void SetVersion(std::string v) { version_ = std::move(v); }
    // Empty reads as "SQLite3.dll" (and keeps that value).
    const std::string& DLLName();
    void SetDLLName(std::string v) { dllName_ = std::move(v); }
    bool Connected() const { return connected_; }
    void SetConnected(bool v);
    bool DBMustExist() const { return dbMustExist_; }
    void SetDBMustExist(bool v) { dbMustExist_ = v; }

    TOnFetch OnFetchRows;
    TQorQLite3NotifyEvent BeforeConnect;
    TQorQLite3NotifyEvent AfterConnect;
    TQorQLite3NotifyEvent BeforeDisconnect;
    TQorQLite3NotifyEvent AfterDisconnect;

    void Open();
    void Close();
    int ExecSQL(const std::string& sql, const std::vector<std::string>* blobs = nullptr);
    int ExecSQLArgs(const std::string& sql, const std::vector<TVarRec>& args);
    // Binds one value to a prepared statement's parameter (1-based); the
    // engine's result code.
    int BindValue(sqlite3_stmt* stmt, int position, const TVarRec& value) const;
    void SelectString(const std::string& sql, const std::vector<Variant>& args, bool finalize,
                      std::string& out);
    int64_t SelectInt64(const std::string& sql, const std::vector<Variant>& args, bool finalize);
    int RowsAffected() const;
    void Interrupt();
    bool TableExists(const std::string& name);
    void GetObjectNames(const std::string& objectType, TStrings& list, bool qualify);
    void GetTableInfo(const std::string& table, std::vector<std::unique_ptr<TQorQLite3Field>>& list);
    void StartTransaction(const std::string& kind = {});
    void Commit();
    void Rollback();
    void RegisterFunctions();

    // Binding, tracing and error raising, for the query layer.
    bool LoadLibraryBindings();
    void WriteTrace(std::string_view text, bool blankLine);
    [[noreturn]] void RaiseSQLiteError();
    int PrepareStatement(const char*& sql, sqlite3_stmt*& stmt);
    void FinalizeStatement(sqlite3_stmt* stmt);
    // Raises the engine's message for a statement whose step failed: the
    // statement is reset first so that the message is the specific one, then
    // finalized.
    [[noreturn]] void RaiseStatementError(sqlite3_stmt* stmt);

    const SQLite3Api& Api() const { return api_; }
    sqlite3* Handle() const { return db_; }
    bool LibraryLoaded() const { return library_.IsLoaded(); }
    // How many symbols the last load looked up (the failing one included).
    int LastLookupCount() const { return lastLookupCount_; }

private:
    void Connect();
    void Disconnect();
    void UnloadLibrary();
    void CloseOwnerQueries();
    void RequireConnection() const;
    void FinalizeValueStatement();
    void PrepareValueStatement(const std::string& sql, const std::vector<Variant>& args);
    // Prepares the value statement and steps it once: ROW or DONE; any other
    // result raises the engine's message (the statement is finalized).
    int StepValueStatement(const std::string& sql, const std::vector<Variant>& args);
    void RunStatements(const std::string& sql,
                       const std::function<void(sqlite3_stmt*)>& bind);

    bool trace_ = false;
    std::string traceFile_;
    bool cp1251Text_ = false;
    std::string transactionType_;
    std::string database_;
    std::string version_;
    std::string dllName_;
    bool connected_ = false;
    bool dbMustExist_ = false;

    DynamicLibrary library_;
    SQLite3Api api_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* valueStmt_ = nullptr;
    int lastLookupCount_ = 0;
};
