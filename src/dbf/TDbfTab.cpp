#include "TDbfTab.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <new>

#include "EDBFError.h"
#include "dbf/DbfText.h"
#include "base/AnsiString.h"
#include "base/Platform.h"
#include "base/SingleByteCodePage.h"
#include "base/Utf8.h"
#include "dataset/TField.h"

namespace {

uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void PutLe32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void PutLe16(unsigned char* p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The field's text: up to its first NUL, without blanks and control
// characters on either side.
std::string_view FieldText(const char* p, int length) {
    std::string_view s(p, static_cast<size_t>(length));
    size_t nul = s.find('\0');
    if (nul != s.npos) s = s.substr(0, nul);
    while (!s.empty() && IsBlankOrControl(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlankOrControl(s.back())) s.remove_suffix(1);
    return s;
}

bool AllDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Digits(std::string_view s) {
    int v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    return v;
}

// The name upper-cased, cut to `limit` characters (a descriptor holds 10,
// one byte each), and changed by a digit suffix while another field already
// has it.
std::string UniqueName(std::string_view wanted, const std::vector<TDbfField>& fields, size_t limit) {
    std::string base = AnsiUpperCase(wanted);
    base.resize(CharOffset(base, limit));
    if (base.empty()) base = "FIELD";
    auto taken = [&](const std::string& n) {
        return std::any_of(fields.begin(), fields.end(), [&](const TDbfField& f) { return AnsiSameText(f.Name, n); });
    };
    if (!taken(base)) return base;
    for (int i = 1;; ++i) {
        std::string suffix = std::to_string(i);
        std::string n = base.substr(0, CharOffset(base, limit - suffix.size())) + suffix;
        if (!taken(n)) return n;
    }
}

// The framework's day number (0001-01-01 is day 1) of a valid date, by
// integer arithmetic on the proleptic Gregorian calendar: reading dates is
// on the import's hot path.
int32_t NativeDay(int y, int m, int d) {
    y -= m <= 2;
    const int era = y / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    // Days since 0000-03-01, shifted so that 0001-01-01 is 1.
    return era * 146097 + doe - 305;
}

}  // namespace

TDbfTab::TDbfTab(TComponent* owner) : TDataSet(owner) {}

TDbfTab::~TDbfTab() {
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; the file is closed below regardless.
    }
    CloseFile();
}

// ---- Code pages ----

const SingleByteCodePage* TDbfTab::CodePageOfDriver(unsigned char driver) {
    switch (driver) {
        case 0x01: return SingleByteCodePage::Find(437);
        case 0x02: return SingleByteCodePage::Find(850);
        case 0x03:
        case 0x57: return SingleByteCodePage::Find(1252);
        case 0x26:
        case 0x65: return SingleByteCodePage::Find(866);
        case 0xC9: return SingleByteCodePage::Find(1251);
        default: return nullptr;
    }
}

const SingleByteCodePage& TDbfTab::FileCodePage(unsigned char driver, bool oemAnsi) {
    const SingleByteCodePage* cp = oemAnsi ? CodePageOfDriver(driver) : SingleByteCodePage::Find(1251);
    return cp ? *cp : *SingleByteCodePage::Find(866);
}

unsigned char TDbfTab::DriverOfCodePage(int number) {
    switch (number) {
        case 437: return 0x01;
        case 850: return 0x02;
        case 866: return 0x65;
        case 1251: return 0xC9;
        case 1252: return 0x03;
        default: return 0;
    }
}

const SingleByteCodePage& TDbfTab::CodePage() const {
    return codePage_ ? *codePage_ : *SingleByteCodePage::Find(oemAnsi_ ? 866 : 1251);
}

void TDbfTab::Fail(std::string_view what) const {
    throw EDBFError("Файл DBF " + fileName_ + ": " + std::string(what));
}

void TDbfTab::SetFilterText(std::string value) {
    calc_.ClearErrorText();
    const bool on = !value.empty();
    TDataSet::SetFilterText(std::move(value));
    SetFiltered(on);
}

// ---- Fields for a new table ----

void TDbfTab::AddField(std::string_view name, char type, int decimals, int length) {
    // While open the list describes the file's own records.
    CheckInactive();
    if (type != 'C' && type != 'D' && type != 'N' && type != 'L')
        throw EDBFError("Неопределенный тип: " + std::string(1, type));
    TDbfField f;
    // The name as the file will hold it and give it back.
    const SingleByteCodePage& cp = CodePage();
    const std::string upper = AnsiUpperCase(name);
    char bytes[10];
    const size_t n = EncodeDbfText(cp, upper, sizeof bytes, bytes);
    f.Name = UniqueName(cp.Decode(std::string_view(bytes, n)), dbfFields_, 10);
    f.Type = type;
    switch (type) {
        case 'D': f.Length = 8; break;
        case 'L': f.Length = 1; break;
        default: f.Length = length; f.Decimals = type == 'N' ? decimals : 0;
    }
    if (f.Length < 1 || f.Length > 255)
        throw EDBFError("Неверная длина поля " + f.Name + ": " + std::to_string(length));
    if (f.Decimals < 0 || (f.Decimals > 0 && f.Decimals >= f.Length))
        throw EDBFError("Неверное число десятичных знаков поля " + f.Name + ": " + std::to_string(decimals));
    dbfFields_.push_back(std::move(f));
}

void TDbfTab::ClearDbfFields() {
    CheckInactive();
    dbfFields_.clear();
}

void TDbfTab::CreateTable() {
    CheckInactive();
    if (dbfFields_.empty()) Fail("нет полей для создания таблицы");
    struct stat st;
    if (!reCreate_ && ::stat(fileName_.c_str(), &st) == 0) {
        if (!OnConfirm || !OnConfirm("File " + fileName_ + " already exists. OK to override?")) return;
    }
    const size_t n = dbfFields_.size();
    int sum = 0;
    for (const TDbfField& f : dbfFields_) sum += f.Length;
    // Both lengths are 16-bit on file; larger ones would wrap into a file
    // whose header lies.
    if (HeaderSize + DescriptorSize * n + 1 > 0xFFFF || sum + 1 > 0xFFFF)
        Fail("слишком много полей для одной таблицы");

    std::vector<unsigned char> head(HeaderSize + DescriptorSize * n + 1, 0);
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    head[0] = 3;
    head[1] = static_cast<unsigned char>(local.tm_year);
    head[2] = static_cast<unsigned char>(local.tm_mon + 1);
    head[3] = static_cast<unsigned char>(local.tm_mday);
    const SingleByteCodePage& cp = CodePage();
    head[29] = DriverOfCodePage(cp.Number());
    PutLe16(&head[8], static_cast<uint16_t>(HeaderSize + DescriptorSize * n + 1));
    PutLe16(&head[10], static_cast<uint16_t>(sum + 1));
    for (size_t i = 0; i < n; ++i) {
        const TDbfField& f = dbfFields_[i];
        unsigned char* d = &head[HeaderSize + DescriptorSize * i];
        EncodeDbfText(cp, f.Name, 10, reinterpret_cast<char*>(d));
        d[11] = static_cast<unsigned char>(f.Type);
        d[16] = static_cast<unsigned char>(f.Length);
        d[17] = static_cast<unsigned char>(f.Decimals);
    }
    head.back() = 0x0D;

    if (::unlink(fileName_.c_str()) != 0 && errno != ENOENT) Fail(std::string("не удалось удалить: ") + std::strerror(errno));
    int fd = ::open(fileName_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) Fail(std::string("не удалось создать: ") + std::strerror(errno));
    size_t done = 0;
    while (done < head.size()) {
        ssize_t w = ::write(fd, head.data() + done, head.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            int err = errno;
            ::close(fd);
            Fail(std::string("ошибка записи: ") + std::strerror(err));
        }
        done += static_cast<size_t>(w);
    }
    if (::close(fd) != 0) Fail(std::string("ошибка записи: ") + std::strerror(errno));
}

// ---- Opening and closing ----

void TDbfTab::InternalOpen() {
    calc_.ClearErrorText();
    struct stat st;
    if (::stat(fileName_.c_str(), &st) != 0)
        throw EDBFError("Открытие DBF: Файл не найден: " + fileName_);
    writable_ = !readOnly_;
    fd_ = ::open(fileName_.c_str(), (writable_ ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd_ < 0) Fail(std::string("не удалось открыть: ") + std::strerror(errno));
    // Other programs may read the file while we write it, but not write.
    if (writable_ && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) Fail("файл открыт для записи другой программой");
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) Fail("это не обычный файл");
    const int64_t fileSize = st.st_size;
    CheckHeader(fileSize);
    codePage_ = &FileCodePage(header_[29], oemAnsi_);
    unmappedValues_ = 0;
    current_ = -1;
    SetBookmarkSize(4);
    InternalInitFieldDefs();
    ReadDescriptors(fileSize);

    if (DefaultFields()) {
        for (const TDbfField& f : dbfFields_)
            if (FieldDefs().Find(f.Name)->DataType() == ftUnknown)
                Fail("поле " + f.Name + " имеет неподдерживаемый тип " + std::string(1, f.Type));
        CreateFields();
    }
    BindFields(true);
    for (const auto& field : Fields()) {
        if (field->DataType() != ftFloat || field->FieldNo() < 1) continue;
        int d = dbfFields_[static_cast<size_t>(field->FieldNo() - 1)].Decimals;
        if (d > 0) field->SetDisplayFormat("0." + std::string(static_cast<size_t>(d), '0'));
    }
    oldRecord_.assign(static_cast<size_t>(recordSize_), ' ');
    hasOldRecord_ = false;
    windowCount_ = 0;
    recordCount_ = static_cast<int>(Le32(&header_[4]));
    cursorOpen_ = true;
}

void TDbfTab::CheckHeader(int64_t fileSize) {
    if (fileSize < HeaderSize) Fail("файл короче заголовка (" + std::to_string(fileSize) + " байт)");
    ReadAt(0, reinterpret_cast<char*>(header_.data()), HeaderSize, "заголовок");
    if (header_[0] != 3 && header_[0] != 4)
        throw EDBFError("Версия DBF файла не поддерживается программой: " + fileName_ + " (версия " +
                        IntToHex(header_[0], 2) + ")");
    const int headerLength = Le16(&header_[8]);
    if (headerLength > fileSize)
        Fail("длина заголовка " + std::to_string(headerLength) + " больше файла (" + std::to_string(fileSize) +
             " байт)");
    if (headerLength < HeaderSize + DescriptorSize + 1)
        Fail("длина заголовка " + std::to_string(headerLength) + " не оставляет места ни для одного поля");
}

void TDbfTab::InternalInitFieldDefs() {
    FieldDefs().Clear();
    dbfFields_.clear();
}

void TDbfTab::ReadDescriptors(int64_t fileSize) {
    const int headerLength = Le16(&header_[8]);
    const int n = (headerLength - HeaderSize) / DescriptorSize;
    std::vector<char> raw(static_cast<size_t>(n) * DescriptorSize);
    ReadAt(HeaderSize, raw.data(), static_cast<int>(raw.size()), "описания полей");
    int offset = 0;
    for (int i = 0; i < n; ++i) {
        const char* d = &raw[static_cast<size_t>(i) * DescriptorSize];
        if (d[0] == '\r')
            Fail("длина заголовка " + std::to_string(headerLength) + " обещает " + std::to_string(n) +
                 " полей, а описаний только " + std::to_string(i));
        TDbfField f;
        const std::string name = codePage_->Decode(std::string_view(d, strnlen(d, 11)));
        f.Name = name.empty() || std::any_of(dbfFields_.begin(), dbfFields_.end(),
                                             [&](const TDbfField& o) { return AnsiSameText(o.Name, name); })
                     ? UniqueName(name, dbfFields_, 11)
                     : name;
        f.Type = d[11];
        f.Length = static_cast<unsigned char>(d[16]);
        f.Decimals = static_cast<unsigned char>(d[17]);
        f.Offset = offset;
        if (f.Type == 'D' && f.Length < 8)
            Fail("поле " + f.Name + " типа D длиной " + std::to_string(f.Length) + " (нужно 8)");
        if (f.Type == 'L' && f.Length < 1) Fail("поле " + f.Name + " типа L нулевой длины");
        TFieldType type = ftUnknown;
        int size = 0;
        switch (f.Type) {
            case 'C': type = ftString; size = f.Length; break;
            case 'D': type = ftDate; break;
            case 'N':
            case 'F': type = ftFloat; break;
            case 'L': type = ftBoolean; break;
            default: break;
        }
        TFieldDef& def = FieldDefs().Add(f.Name, type, size, false);
        if (type == ftFloat) def.SetPrecision(f.Decimals);
        offset += f.Length;
        dbfFields_.push_back(std::move(f));
    }
    recordSize_ = offset + 1;
    firstRecord_ = headerLength;

    const int recordLength = Le16(&header_[10]);
    // 0 is left by writers that never filled it in; Close repairs it.
    if (recordLength != 0 && recordLength != recordSize_)
        Fail("длина записи в заголовке " + std::to_string(recordLength) + " не равна сумме длин полей + 1 (" +
             std::to_string(recordSize_) + ")");
    const uint32_t count = Le32(&header_[4]);
    if (count > static_cast<uint32_t>(INT32_MAX - 1)) Fail("число записей " + std::to_string(count) + " недопустимо");
    const int64_t needed = firstRecord_ + static_cast<int64_t>(count) * recordSize_;
    if (needed > fileSize)
        Fail("заголовок обещает " + std::to_string(count) + " записей по " + std::to_string(recordSize_) +
             " байт (" + std::to_string(needed) + " байт), а в файле " + std::to_string(fileSize) +
             " байт: последняя запись обрезана");
}

void TDbfTab::InternalClose() {
    try {
        if (cursorOpen_ && writable_) FlushAppended();
        if (cursorOpen_ && writable_ &&
            (Le32(&header_[4]) != static_cast<uint32_t>(recordCount_) || Le16(&header_[10]) == 0)) {
            PutLe16(&header_[10], static_cast<uint16_t>(recordSize_));
            PutLe32(&header_[4], static_cast<uint32_t>(recordCount_));
            WriteHeader();
        }
    } catch (...) {
        appended_.clear();
        appendedCount_ = 0;
        CloseFile();
        cursorOpen_ = false;
        throw;
    }
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    dbfFields_.clear();
    calc_.ClearVariables();
    current_ = -1;
    recordCount_ = 0;
    cursorOpen_ = false;
    CloseFile();
    FieldDefs().Clear();
    window_.clear();
    window_.shrink_to_fit();
    windowCount_ = 0;
    appended_.shrink_to_fit();
}

void TDbfTab::CloseFile() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    writable_ = false;
    codePage_ = nullptr;
}

// ---- File access ----

void TDbfTab::ReadAt(int64_t offset, char* data, int size, std::string_view what) {
    int done = 0;
    while (done < size) {
        ssize_t r = ::pread(fd_, data + done, static_cast<size_t>(size - done), offset + done);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) Fail(std::string("ошибка чтения: ") + std::strerror(errno));
        if (r == 0) Fail(std::string(what) + " обрезан(ы) (файл изменён снаружи?)");
        done += static_cast<int>(r);
    }
}

void TDbfTab::WriteAt(int64_t offset, const char* data, int size) {
    int done = 0;
    while (done < size) {
        ssize_t w = ::pwrite(fd_, data + done, static_cast<size_t>(size - done), offset + done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) Fail(std::string("ошибка записи: ") + std::strerror(errno));
        done += static_cast<int>(w);
    }
}

void TDbfTab::ReadRecord(int index, char* buffer) {
    const int onDisk = RecordsOnDisk();
    if (index >= onDisk) {
        std::memcpy(buffer, &appended_[static_cast<size_t>(index - onDisk) * static_cast<size_t>(recordSize_)],
                    static_cast<size_t>(recordSize_));
        return;
    }
    if (index < windowFirst_ || index >= windowFirst_ + windowCount_) {
        const int span = std::max(1, ReadAheadBytes / recordSize_);
        const bool backwards = windowCount_ > 0 && index < windowFirst_;
        int first = backwards ? std::max(0, index - span + 1) : index;
        // The window never covers appended records: their bytes are not in
        // the file yet, and they would go stale in it once edited.
        int count = std::min(span, onDisk - first);
        window_.resize(static_cast<size_t>(count) * static_cast<size_t>(recordSize_));
        windowCount_ = 0;
        ReadAt(firstRecord_ + static_cast<int64_t>(first) * recordSize_, window_.data(), static_cast<int>(window_.size()),
               "записи");
        windowFirst_ = first;
        windowCount_ = count;
    }
    std::memcpy(buffer, &window_[static_cast<size_t>(index - windowFirst_) * static_cast<size_t>(recordSize_)],
                static_cast<size_t>(recordSize_));
}

void TDbfTab::WriteRecord(int index, const char* buffer) {
    // Records reach the file in the order they were made.
    FlushAppended();
    WriteAt(firstRecord_ + static_cast<int64_t>(index) * recordSize_, buffer, recordSize_);
    const size_t size = static_cast<size_t>(recordSize_);
    if (index >= windowFirst_ && index < windowFirst_ + windowCount_) {
        std::memcpy(&window_[static_cast<size_t>(index - windowFirst_) * size], buffer, size);
    } else if (index == RecordsOnDisk()) {
        // A record just appended joins the window (or starts a new one when
        // the window is full or elsewhere), so that reading it back after
        // Post costs no read of the file.
        if (windowCount_ == 0 || index != windowFirst_ + windowCount_ ||
            window_.size() + size > static_cast<size_t>(std::max(ReadAheadBytes, recordSize_))) {
            window_.clear();
            windowCount_ = 0;
            windowFirst_ = index;
        }
        window_.insert(window_.end(), buffer, buffer + size);
        ++windowCount_;
    }
}

void TDbfTab::WriteHeader() {
    // The count in the header never promises records the file lacks.
    FlushAppended();
    WriteAt(0, reinterpret_cast<const char*>(header_.data()), HeaderSize);
}

void TDbfTab::FlushAppended() {
    if (appendedCount_ == 0) return;
    const int first = appendedFirst_;
    // Cleared first, so that a failed write is not tried again by Close.
    appendedCount_ = 0;
    try {
        // A block is at most AppendBlockBytes plus one record: it fits an int.
        WriteAt(firstRecord_ + static_cast<int64_t>(first) * recordSize_, appended_.data(),
                static_cast<int>(appended_.size()));
    } catch (...) {
        appended_.clear();
        recordCount_ = first;
        if (current_ >= recordCount_) current_ = recordCount_ - 1;
        throw;
    }
    appended_.clear();
}

// ---- Record buffers ----

TRecordBuffer TDbfTab::AllocRecordBuffer() {
    auto* b = new (std::nothrow) char[static_cast<size_t>(recordSize_ + TrailerSize + 1)]();
    if (!b) throw EDBFError("Невозможно зарезервировать память...");
    return b;
}

void TDbfTab::FreeRecordBuffer(TRecordBuffer& buffer) {
    delete[] buffer;
    buffer = nullptr;
}

void TDbfTab::InternalInitRecord(TRecordBuffer buffer) {
    std::memset(buffer, ' ', static_cast<size_t>(recordSize_ + TrailerSize));
}

void TDbfTab::GetBookmarkData(TRecordBuffer buffer, void* data) { std::memcpy(data, buffer + recordSize_, 4); }

void TDbfTab::SetBookmarkData(TRecordBuffer buffer, const void* data) { std::memcpy(buffer + recordSize_, data, 4); }

TBookmarkFlag TDbfTab::GetBookmarkFlag(TRecordBuffer buffer) {
    return static_cast<TBookmarkFlag>(buffer[recordSize_ + 4]);
}

void TDbfTab::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) {
    buffer[recordSize_ + 4] = static_cast<char>(flag);
}

// ---- Cursor ----

TGetResult TDbfTab::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) {
    if (recordCount_ == 0) return grEOF;
    for (;;) {
        TGetResult result = grOK;
        switch (mode) {
            case gmCurrent:
                if (current_ < 0 || current_ >= recordCount_) result = grError;
                break;
            case gmNext:
                if (current_ < 0) current_ = 0;
                else if (current_ < recordCount_ - 1) ++current_;
                else result = grEOF;
                break;
            case gmPrior:
                if (current_ > recordCount_) current_ = recordCount_;
                if (current_ > 0) --current_;
                else result = grBOF;
                break;
        }
        if (result == grError && doCheck) throw EDBFError("GetRecord: Invalid record");
        if (result != grOK) return result;
        ReadRecord(current_, buffer);
        GetCalcFields(buffer);
        SetBookmarkFlag(buffer, bfCurrent);
        const int32_t index = current_;
        SetBookmarkData(buffer, &index);
        bool accepted = buffer[0] != '*';
        // The current record is answered as it is: a filter changed after it
        // was read does not make it vanish under the caller.
        if (mode == gmCurrent) return accepted ? grOK : grError;
        if (accepted && Filtered()) accepted = FilterAccepts(buffer) && FilterRecord(buffer);
        if (accepted) return grOK;
    }
}

bool TDbfTab::FilterAccepts(TRecordBuffer buffer) {
    if (Filter().empty()) return true;
    std::vector<TFldObj>& vars = calc_.Variables();
    const TFields& fields = Fields();
    if (vars.size() != static_cast<size_t>(fields.Count())) {
        vars.clear();
        for (const auto& f : fields) vars.push_back({f->FieldName(), Variant::Null()});
    }
    // Large enough for the longest character field and every native value.
    char scratch[kMaxUtf8Bytes * 255 + 8];
    for (int i = 0; i < fields.Count(); ++i) {
        TField* f = fields[i];
        Variant& value = vars[static_cast<size_t>(i)].Value;
        const int index = f->FieldNo() - 1;
        if (f->FieldKind() != TFieldKind::fkData || index < 0 || index >= DbfFieldCount() ||
            !DecodeField(buffer, index, scratch, sizeof scratch)) {
            value = f->DataType() == ftString ? Variant("") : Variant::Null();
            continue;
        }
        switch (f->DataType()) {
            case ftString: value = Variant(std::string_view(scratch)); break;
            case ftBoolean: {
                int16_t b;
                std::memcpy(&b, scratch, 2);
                value = Variant(int32_t{b != 0 ? 1 : 0});
                break;
            }
            case ftFloat: {
                double d;
                std::memcpy(&d, scratch, 8);
                // Beyond the currency range the evaluator still compares the
                // double; money arithmetic is for values that fit.
                if (std::fabs(d) < 9.2e14) value = Variant(Currency::FromScaled(std::llround(d * 10000.0)));
                else value = Variant(d);
                break;
            }
            case ftDate: {
                int32_t days;
                std::memcpy(&days, scratch, 4);
                value = Variant::FromDate(NativeDateToDateTime(days));
                break;
            }
            default: value = Variant(f->AsString());
        }
    }
    calc_.ClearErrorText();
    calc_.SetRecordNumber(RecordNumberOf(buffer));
    const bool verdict = calc_.Evaluate(Filter());
    if (!calc_.ErrorText().empty()) throw EDBFError(calc_.ErrorText());
    return verdict;
}

int TDbfTab::RecordNumberOf(const char* record) const {
    if (static_cast<TBookmarkFlag>(record[recordSize_ + 4]) != bfCurrent) return recordCount_ + 1;
    int32_t index;
    std::memcpy(&index, record + recordSize_, 4);
    return index + 1;
}

void TDbfTab::InternalGotoBookmark(const void* bookmark) {
    int32_t index;
    std::memcpy(&index, bookmark, 4);
    if (index < 0 || index >= recordCount_) throw EDBFError("Bookmark " + std::to_string(index) + " not found");
    current_ = index;
}

bool TDbfTab::BookmarkValid(const TBookmark& bookmark) {
    if (!cursorOpen_ || bookmark.size() != 4) return false;
    int32_t index;
    std::memcpy(&index, bookmark.data(), 4);
    return index >= 0 && index < recordCount_;
}

int TDbfTab::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
    if (a.size() != 4 || b.size() != 4) return TDataSet::CompareBookmarks(a, b);
    int32_t x, y;
    std::memcpy(&x, a.data(), 4);
    std::memcpy(&y, b.data(), 4);
    return x < y ? -1 : x > y ? 1 : 0;
}

int TDbfTab::GetRecNo() {
    UpdateCursorPos();
    return current_ < 0 ? 1 : current_ + 1;
}

void TDbfTab::SetRecNo(int value) {
    if (value < 1 || value > recordCount_) return;
    CheckBrowseMode();
    DoBeforeScroll();
    current_ = value - 1;
    Resync();
    DoAfterScroll();
}

int TDbfTab::GetRecordCount() {
    CheckActive();
    return recordCount_;
}

// ---- Searching ----

bool TDbfTab::KeyMatches(TField* field, const Variant& key, TLocateOptions options, bool lastKey) {
    if (!IsStringType(field->DataType()))
        return key.IsEmptyOrNull() ? field->IsNull() : !field->IsNull() && field->Value() == key;
    // A blank character field reads as NULL, so a Null key and an empty
    // text ask for the same thing.
    const std::string text = field->AsString();
    const std::string want = key.IsEmptyOrNull() ? std::string() : key.ToString();
    std::string_view have = text;
    if ((options & loPartialKey) && lastKey) have = have.substr(0, CharOffset(have, CharCount(want)));
    return (options & loCaseInsensitive) ? AnsiSameText(have, want) : have == want;
}

// ---- Field values ----

bool TDbfTab::GetFieldData(TField* field, void* buffer) {
    const char* record = ActiveRecordBuffer();
    if (State() == dsOldValue && hasOldRecord_) record = oldRecord_.data();
    const int index = field->FieldNo() - 1;
    if (!record || index < 0 || index >= DbfFieldCount()) return false;
    return DecodeField(record, index, buffer, field->DataSize());
}

bool TDbfTab::DecodeField(const char* record, int index, void* out, int outSize) {
    const TDbfField& f = dbfFields_[static_cast<size_t>(index)];
    const char* p = record + 1 + f.Offset;
    auto bad = [&](std::string_view what, std::string_view text) {
        Fail("поле " + f.Name + " записи " + std::to_string(RecordNumberOf(record)) + ": " + std::string(what) +
             " <" + codePage_->Decode(text) + ">");
    };
    switch (f.Type) {
        case 'C': {
            std::string_view text = FieldText(p, f.Length);
            if (text.empty()) return false;
            if (!out) return true;
            char* o = static_cast<char*>(out);
            // The caller's buffer holds kMaxUtf8Bytes per character of the
            // field, more than the code page's characters need.
            const size_t n = DecodeDbfText(*codePage_, text, o, static_cast<size_t>(std::max(outSize - 1, 0)));
            o[n] = '\0';
            return true;
        }
        case 'L': {
            const char c = p[0];
            // '?' is how dBase marks a logical that was never set.
            if (c == ' ' || c == '?' || c == '\0') return false;
            if (out) {
                const bool yes = c == 'T' || c == 'Y' || c == 'S' || c == 't' || c == 'y' || c == 's';
                const int16_t v = yes ? int16_t(-1) : int16_t(0);
                std::memcpy(out, &v, 2);
            }
            return true;
        }
        case 'N':
        case 'F': {
            std::string_view text = FieldText(p, f.Length);
            // dBase fills a field with '*' when the number did not fit: the
            // value is unknown.
            if (text.find_first_not_of('*') == text.npos) return false;
            if (!out) return true;
            // Numbers on file use '.'; a ',' written by a program that
            // followed its locale reads as well.
            char digits[256];
            std::memcpy(digits, text.data(), text.size());
            char* end = digits + text.size();
            char* comma = std::find(digits, end, ',');
            if (comma != end) *comma = '.';
            const char* first = digits;
            if (*first == '+') ++first;
            double v = 0;
            auto [ptr, ec] = std::from_chars(first, static_cast<const char*>(end), v);
            if (ec != std::errc() || ptr != end || first == end) bad("неверное число", text);
            std::memcpy(out, &v, 8);
            return true;
        }
        case 'D': {
            std::string_view text = FieldText(p, 8);
            if (text.empty() || text == "00000000") return false;
            if (!out) return true;
            int y = 0, m = 0, d = 0;
            if (text.size() == 8 && AllDigits(text)) {
                y = Digits(text.substr(0, 4));
                m = Digits(text.substr(4, 2));
                d = Digits(text.substr(6, 2));
            }
            if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) bad("неверная дата", text);
            const int32_t days = NativeDay(y, m, d);
            std::memcpy(out, &days, 4);
            return true;
        }
        default: return false;
    }
}

void TDbfTab::SetFieldData(TField* field, const void* buffer) {
    char* record = ActiveRecordBuffer();
    const int index = field->FieldNo() - 1;
    if (!record || index < 0 || index >= DbfFieldCount()) return;
    EncodeField(record, index, buffer, field->DataSize());
}

void TDbfTab::EncodeField(char* record, int index, const void* value, int valueSize) {
    const TDbfField& f = dbfFields_[static_cast<size_t>(index)];
    char* p = record + 1 + f.Offset;
    const size_t length = static_cast<size_t>(f.Length);
    if (!value) {
        std::memset(p, ' ', length);
        return;
    }
    switch (f.Type) {
        case 'C': {
            const char* text = static_cast<const char*>(value);
            const std::string_view utf8(text, strnlen(text, static_cast<size_t>(std::max(valueSize, 0))));
            std::memset(p, ' ', length);
            size_t lost = 0;
            EncodeDbfText(*codePage_, utf8, length, p, &lost);
            if (lost > 0) ++unmappedValues_;
            break;
        }
        case 'L': {
            int16_t v;
            std::memcpy(&v, value, 2);
            p[0] = v != 0 ? 'T' : 'F';
            break;
        }
        case 'N':
        case 'F': {
            double v;
            std::memcpy(&v, value, 8);
            char text[1024];
            auto [end, ec] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, f.Decimals);
            size_t n = ec == std::errc() && std::isfinite(v) ? static_cast<size_t>(end - text) : SIZE_MAX;
            // "-0.00" would read back as a negative zero that prints oddly.
            if (n != SIZE_MAX && text[0] == '-' &&
                std::all_of(text + 1, end, [](char c) { return c == '0' || c == '.'; })) {
                std::memmove(text, text + 1, --n);
            }
            // Storing only the first characters would store another number.
            if (n == SIZE_MAX || n > length) {
                char shown[64];
                auto r = std::to_chars(shown, shown + sizeof shown, v);
                Fail("число " + std::string(shown, r.ptr) + " не помещается в поле " + f.Name + " N(" +
                     std::to_string(f.Length) + "," + std::to_string(f.Decimals) + ") записи " +
                     std::to_string(RecordNumberOf(record)));
            }
            std::memset(p, ' ', length - n);
            std::memcpy(p + (length - n), text, n);
            break;
        }
        case 'D': {
            int32_t days;
            std::memcpy(&days, value, 4);
            int y, m, d;
            DecodeDate(NativeDateToDateTime(days), y, m, d);
            if (y < 1 || y > 9999)
                Fail("дата вне 0001-9999 в поле " + f.Name + " записи " + std::to_string(RecordNumberOf(record)));
            char text[9];
            std::snprintf(text, sizeof text, "%04d%02d%02d", y, m, d);
            std::memcpy(p, text, 8);
            break;
        }
        default: break;
    }
}

// ---- Writing ----

void TDbfTab::InternalEdit() {
    std::memcpy(oldRecord_.data(), ActiveRecordBuffer(), static_cast<size_t>(recordSize_));
    hasOldRecord_ = true;
}

void TDbfTab::StoreNewRecord(TRecordBuffer buffer) {
    if (recordCount_ >= INT32_MAX - 1) Fail("таблица заполнена");
    buffer[0] = ' ';
    if (!bufferAppends_) {
        WriteRecord(recordCount_, buffer);
        current_ = recordCount_++;
        return;
    }
    if (appendedCount_ == 0) appendedFirst_ = recordCount_;
    appended_.insert(appended_.end(), buffer, buffer + recordSize_);
    ++appendedCount_;
    current_ = recordCount_++;
    // One write per block instead of one per record.
    if (appended_.size() >= static_cast<size_t>(AppendBlockBytes)) FlushAppended();
}

void TDbfTab::InternalPost() {
    CheckActive();
    if (State() == dsInsert) {
        StoreNewRecord(ActiveRecordBuffer());
    } else {
        WriteRecord(current_, ActiveRecordBuffer());
    }
    hasOldRecord_ = false;
}

void TDbfTab::InternalAddRecord(TRecordBuffer buffer, bool) { StoreNewRecord(buffer); }

void TDbfTab::InternalDelete() {
    CheckActive();
    char* record = ActiveRecordBuffer();
    record[0] = '*';
    WriteRecord(current_, record);
    PutLe32(&header_[4], static_cast<uint32_t>(recordCount_));
    WriteHeader();
}
