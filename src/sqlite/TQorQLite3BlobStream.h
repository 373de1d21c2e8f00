#pragma once
#include "dataset/TDataSet.h"
#include "dataset/TStream.h"

class TQorSQLite3BaseQuery;

// A copy of one blob field of the query's active record; what is written to
// it goes back into the record when the stream is destroyed.
class TQorQLite3BlobStream : public TMemoryStream {
public:
    TQorQLite3BlobStream(TField* field, TBlobStreamMode mode);
    ~TQorQLite3BlobStream() override;

    int64_t Write(const void* buffer, int64_t count) override;
    void SetSize(int64_t size) override;

private:
    TField* field_;
    TQorSQLite3BaseQuery* query_;
    TBlobStreamMode mode_;
    bool modified_ = false;
};
