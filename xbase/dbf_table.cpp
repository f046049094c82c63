// The DBF table file: header validation, record reads through the block
// cache, writes in place and batched appends.
//
// Design note. Invariants:
//  1. Records 1 .. headerCount_ are valid table records; the header on disk
//     never names more records than the file holds, because records are
//     written before the header count that covers them.
//  2. Records headerCount_+1 .. fileRecords_ are in the file but not yet
//     counted by the header (a crash here leaves a file longer than its count,
//     which open accepts and trusts the count).
//  3. Records after fileRecords_ live only in pending_, in order; recordCount()
//     = fileRecords_ + the pending ones.
//  4. The block cache only ever holds records 1 .. fileRecords_, and every
//     write of such a record goes to the file and to the cache together.
//  5. Each batch of records written at the end is followed by the end marker
//     0x1A, so the file always ends as other readers expect.
#include "xbase/dbf_table.h"

#include <cstring>
#include <ctime>

#include "xbase/return_codes.h"

namespace xbase {
namespace {

constexpr unsigned char kVersionPlain = 0x03;
constexpr unsigned char kVersionMemo = 0xF5;
constexpr unsigned char kCodePage1252 = 0x03;
constexpr std::size_t kSpillBytes = 1u << 20;  // write appended records at this batch size

std::uint32_t le32(const char* p) {
    auto b = reinterpret_cast<const unsigned char*>(p);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t(b[3]) << 24);
}
std::uint16_t le16(const char* p) {
    auto b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}
void putLe32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void putLe16(char* p, std::uint16_t v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
}

// Date of last update, year written modulo 100 as FoxPro does.
void putToday(char* p) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    p[0] = static_cast<char>(tm.tm_year % 100);
    p[1] = static_cast<char>(tm.tm_mon + 1);
    p[2] = static_cast<char>(tm.tm_mday);
}

bool validFieldName(const std::string& name) {
    if (name.empty() || name.size() > 10) return false;
    for (char c : name) {
        bool ok = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok) return false;
    }
    return !(name[0] >= '0' && name[0] <= '9');
}

// A field that FoxPro 2.x can store: known type with a length that suits it.
bool validField(const FieldDesc& f) {
    switch (f.type) {
        case 'C':
            return f.length >= 1 && f.length <= 254 && f.decimals == 0;
        case 'N':
        case 'F':
            return f.length >= 1 && f.length <= 20 && f.decimals >= 0 &&
                   (f.decimals == 0 || f.decimals <= f.length - 2);
        case 'D':
            return f.length == 8;
        case 'L':
            return f.length == 1;
        case 'M':
            return f.length == 10;
        default:
            return false;
    }
}

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace

DbfTable::~DbfTable() = default;

int DbfTable::findField(std::string_view name) const {
    std::string upper = upperAscii(name);
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].name == upper) return static_cast<int>(i);
    return -1;
}

bool DbfTable::hasMemoFields() const {
    for (const FieldDesc& f : fields_)
        if (f.type == 'M') return true;
    return false;
}

short DbfTable::parseHeader(const std::vector<char>& head, long long fileSize) {
    const char* h = head.data();
    // Descriptors run from offset 32 until a slot starting with 0x0D.
    std::size_t pos = 32;
    int offset = 1;
    while (true) {
        if (pos >= head.size()) return rc::kData;  // no terminator inside the header
        if (h[pos] == 0x0D) break;
        if (pos + 32 > head.size()) return rc::kData;
        const char* d = h + pos;
        std::size_t nameLen = 0;
        while (nameLen < 11 && d[nameLen] != '\0')
            ++nameLen;
        FieldDesc f;
        f.name = upperAscii(std::string(d, nameLen));
        while (!f.name.empty() && f.name.back() == ' ')
            f.name.pop_back();
        f.type = upperAscii(std::string_view(d + 11, 1))[0];
        f.length = static_cast<unsigned char>(d[16]);
        f.decimals = f.type == 'N' || f.type == 'F' ? static_cast<unsigned char>(d[17]) : 0;
        if (!validFieldName(f.name) || !validField(f) || findField(f.name) >= 0) return rc::kData;
        fields_.push_back(f);
        offsets_.push_back(offset);
        offset += f.length;
        pos += 32;
    }
    if (fields_.empty()) return rc::kData;
    if (offset != recordLength_) return rc::kData;
    std::uint64_t end = headerLength_ + std::uint64_t(headerCount_) * recordLength_;
    if (end > static_cast<std::uint64_t>(fileSize)) return rc::kData;  // count beyond the file
    return rc::kSuccess;
}

std::unique_ptr<DbfTable> DbfTable::open(const std::string& path, short& error) {
    std::unique_ptr<DbfTable> t(new DbfTable());
    t->file_ = fileSystem().open(path, OpenMode::ReadWrite);
    if (!t->file_) {
        error = rc::kOpen;
        return nullptr;
    }
    // The header is read before the file's length: another process appends
    // records before it writes the count that names them, so a count read
    // first is never beyond a length taken after it.
    char fixed[32];
    const bool fixedRead = t->file_->read(0, fixed, 32);
    long long size = t->file_->size();
    if (size < 0 || !fixedRead) {
        error = size >= 0 && size < 32 ? rc::kData : rc::kRead;
        return nullptr;
    }
    auto version = static_cast<unsigned char>(fixed[0]);
    t->headerCount_ = le32(fixed + 4);
    t->headerLength_ = le16(fixed + 8);
    t->recordLength_ = le16(fixed + 10);
    t->productionIndex_ = (fixed[28] & 0x01) != 0;
    if ((version != kVersionPlain && version != kVersionMemo) || t->headerLength_ < 32 + 32 + 1 ||
        t->headerLength_ > static_cast<std::uint64_t>(size) || t->recordLength_ < 2) {
        error = rc::kData;
        return nullptr;
    }
    std::vector<char> head(t->headerLength_);
    if (!t->file_->read(0, head.data(), head.size())) {
        error = rc::kRead;
        return nullptr;
    }
    // The count in the whole header may be newer than the one read above.
    t->headerCount_ = le32(head.data() + 4);
    if ((size = t->file_->size()) < 0) {
        error = rc::kRead;
        return nullptr;
    }
    error = t->parseHeader(head, size);
    if (error != rc::kSuccess) return nullptr;
    t->fileRecords_ = t->headerCount_;
    t->cache_ = std::make_unique<RecordBlockCache>(*t->file_, t->headerLength_, t->recordLength_);
    return t;
}

std::unique_ptr<DbfTable> DbfTable::create(const std::string& path,
                                           const std::vector<FieldDesc>& fields,
                                           bool productionIndex, short& error) {
    std::unique_ptr<DbfTable> t(new DbfTable());
    int offset = 1;
    bool memo = false;
    for (FieldDesc f : fields) {
        f.name = upperAscii(f.name);
        if (f.type == 'D' && f.length == 0) f.length = 8;
        if (f.type == 'L' && f.length == 0) f.length = 1;
        if (f.type == 'M' && f.length == 0) f.length = 10;
        if (!validFieldName(f.name) || !validField(f) || t->findField(f.name) >= 0 ||
            offset + f.length > 0xFFFF) {
            error = rc::kFieldType;
            return nullptr;
        }
        memo = memo || f.type == 'M';
        t->fields_.push_back(f);
        t->offsets_.push_back(offset);
        offset += f.length;
    }
    if (t->fields_.empty() || t->fields_.size() > 255) {
        error = rc::kFieldType;
        return nullptr;
    }
    t->recordLength_ = offset;
    t->headerLength_ = static_cast<std::uint32_t>(32 + 32 * t->fields_.size() + 1);
    t->productionIndex_ = productionIndex;

    std::vector<char> head(t->headerLength_ + 1, '\0');
    head[0] = static_cast<char>(memo ? kVersionMemo : kVersionPlain);
    putToday(&head[1]);
    putLe16(&head[8], static_cast<std::uint16_t>(t->headerLength_));
    putLe16(&head[10], static_cast<std::uint16_t>(t->recordLength_));
    head[28] = productionIndex ? 0x01 : 0x00;
    head[29] = static_cast<char>(kCodePage1252);
    for (std::size_t i = 0; i < t->fields_.size(); ++i) {
        char* d = &head[32 + 32 * i];
        const FieldDesc& f = t->fields_[i];
        std::memcpy(d, f.name.data(), f.name.size());
        d[11] = f.type;
        d[16] = static_cast<char>(f.length);
        d[17] = static_cast<char>(f.decimals);
    }
    head[t->headerLength_ - 1] = 0x0D;
    head[t->headerLength_] = 0x1A;

    t->file_ = fileSystem().create(path);
    if (!t->file_) {
        error = rc::kCreate;
        return nullptr;
    }
    if (!t->file_->write(0, head.data(), head.size())) {
        error = rc::kWrite;
        return nullptr;
    }
    t->cache_ = std::make_unique<RecordBlockCache>(*t->file_, t->headerLength_, t->recordLength_);
    error = rc::kSuccess;
    return t;
}

std::unique_ptr<DbfTable> DbfTable::createCopy(const std::string& path, short& error) {
    std::vector<char> head(headerLength_ + 1);
    if (!file_->read(0, head.data(), headerLength_)) {
        error = rc::kRead;
        return nullptr;
    }
    putToday(&head[1]);
    putLe32(&head[4], 0);
    head[headerLength_] = 0x1A;
    std::unique_ptr<DbfTable> t(new DbfTable());
    t->fields_ = fields_;
    t->offsets_ = offsets_;
    t->headerLength_ = headerLength_;
    t->recordLength_ = recordLength_;
    t->productionIndex_ = productionIndex_;
    t->file_ = fileSystem().create(path);
    if (!t->file_) {
        error = rc::kCreate;
        return nullptr;
    }
    if (!t->file_->write(0, head.data(), head.size())) {
        error = rc::kWrite;
        return nullptr;
    }
    t->cache_ = std::make_unique<RecordBlockCache>(*t->file_, t->headerLength_, t->recordLength_);
    error = rc::kSuccess;
    return t;
}

const char* DbfTable::peek(std::uint32_t recno, short& error) {
    error = rc::kSuccess;
    if (recno < 1 || recno > recordCount()) {
        error = rc::kParameter;
        return nullptr;
    }
    if (recno > fileRecords_) {
        return pending_.data() +
               std::size_t(recno - fileRecords_ - 1) * static_cast<std::size_t>(recordLength_);
    }
    const char* record = cache_->record(recno, fileRecords_);
    if (record == nullptr) error = rc::kRead;
    return record;
}

short DbfTable::read(std::uint32_t recno, char* out) {
    short error = rc::kSuccess;
    const char* record = peek(recno, error);
    if (record != nullptr) std::memcpy(out, record, static_cast<std::size_t>(recordLength_));
    return error;
}

short DbfTable::write(std::uint32_t recno, const char* record) {
    if (recno < 1 || recno > recordCount()) return rc::kParameter;
    const auto len = static_cast<std::size_t>(recordLength_);
    if (recno > fileRecords_) {
        std::memcpy(pending_.data() + std::size_t(recno - fileRecords_ - 1) * len, record, len);
        return rc::kSuccess;
    }
    if (!file_->write(headerLength_ + std::uint64_t(recno - 1) * len, record, len))
        return rc::kWrite;
    cache_->update(recno, record);
    return rc::kSuccess;
}

short DbfTable::writeRecords(std::uint32_t first, const char* bytes, std::size_t count) {
    const auto len = static_cast<std::size_t>(recordLength_);
    std::vector<char> out(count * len + 1);
    std::memcpy(out.data(), bytes, count * len);
    out.back() = 0x1A;
    return file_->write(headerLength_ + std::uint64_t(first - 1) * len, out.data(), out.size())
               ? rc::kSuccess
               : rc::kWrite;
}

short DbfTable::spill() {
    if (pending_.empty()) return rc::kSuccess;
    short r = writeRecords(fileRecords_ + 1, pending_.data(), pendingRecords_);
    if (r != rc::kSuccess) return r;
    fileRecords_ += pendingRecords_;
    pending_.clear();
    pendingRecords_ = 0;
    return rc::kSuccess;
}

short DbfTable::append(const char* record) {
    if (recordCount() >= 0x7FFFFFFEu) return rc::kWrite;
    pending_.insert(pending_.end(), record, record + recordLength_);
    ++pendingRecords_;
    return pending_.size() >= kSpillBytes ? spill() : rc::kSuccess;
}

short DbfTable::flush(bool sync) {
    short r = spill();
    if (r != rc::kSuccess) return r;
    if (headerCount_ == fileRecords_) return rc::kSuccess;
    if (sync && !file_->sync()) return rc::kWrite;
    char stamp[7];
    putToday(stamp);
    putLe32(stamp + 3, fileRecords_);
    if (!file_->write(1, stamp, sizeof stamp)) return rc::kWrite;
    if (sync && !file_->sync()) return rc::kWrite;
    headerCount_ = fileRecords_;
    return rc::kSuccess;
}

short DbfTable::refresh() {
    if (!pending_.empty() || fileRecords_ != headerCount_) return rc::kSuccess;
    char count[4];
    if (!file_->read(4, count, 4)) return rc::kRead;
    std::uint32_t onDisk = le32(count);
    if (onDisk == headerCount_) return rc::kSuccess;
    long long size = file_->size();
    if (size < 0 || headerLength_ + std::uint64_t(onDisk) * recordLength_ > std::uint64_t(size))
        return rc::kData;
    if (onDisk < headerCount_) cache_->clear();
    headerCount_ = fileRecords_ = onDisk;
    return rc::kSuccess;
}

}  // namespace xbase
