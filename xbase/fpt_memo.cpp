// The FPT memo file (see fpt_memo.h).
//
// Invariants:
//  1. nextFree_ is never below the end of the file in blocks, even when the
//     header on disk names less (a crash after memo data was written but
//     before the header): blocks that records may point to are never reused.
//  2. A memo is only ever read whole from inside the file; a block number
//     that points into the header, past the end, or at anything but a text
//     memo header reads as empty text.
//  3. Slack bytes after a memo up to its last block boundary are zeros, so an
//     appended memo leaves the file exactly nextFree_ blocks long.
#include "xbase/fpt_memo.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "xbase/return_codes.h"

namespace xbase {
namespace {

constexpr std::uint32_t kHeaderBytes = 512;
constexpr std::uint32_t kTextMemo = 1;

std::uint32_t be32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
void putBe32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
}

}  // namespace

FptFile::~FptFile() = default;

std::uint32_t FptFile::blocksFor(std::uint64_t textLength) const {
    auto bs = static_cast<std::uint64_t>(blockSize_);
    return static_cast<std::uint32_t>((8 + textLength + bs - 1) / bs);
}

std::uint32_t FptFile::firstDataBlock() const {
    return (kHeaderBytes + static_cast<std::uint32_t>(blockSize_) - 1) /
           static_cast<std::uint32_t>(blockSize_);
}

std::unique_ptr<FptFile> FptFile::open(const std::string& path, short& error) {
    std::unique_ptr<FptFile> f(new FptFile());
    f->file_ = fileSystem().open(path, OpenMode::ReadWrite);
    if (!f->file_) {
        error = rc::kOpen;
        return nullptr;
    }
    unsigned char head[8];
    long long size = f->file_->size();
    if (size < kHeaderBytes || !f->file_->read(0, head, sizeof head)) {
        error = rc::kMemo;
        return nullptr;
    }
    f->blockSize_ = (head[6] << 8) | head[7];
    if (f->blockSize_ == 0) {
        error = rc::kMemo;
        return nullptr;
    }
    f->headerNextFree_ = be32(head);
    error = f->refresh();
    return error == rc::kSuccess ? std::move(f) : nullptr;
}

std::unique_ptr<FptFile> FptFile::create(const std::string& path, int blockSize, short& error) {
    std::unique_ptr<FptFile> f(new FptFile());
    if (blockSize < 1 || blockSize > 0xFFFF) {
        error = rc::kParameter;
        return nullptr;
    }
    f->blockSize_ = blockSize;
    f->file_ = fileSystem().create(path);
    if (!f->file_) {
        error = rc::kCreate;
        return nullptr;
    }
    std::vector<char> head(std::max<std::uint32_t>(kHeaderBytes, f->firstDataBlock() * blockSize),
                           0);
    f->nextFree_ = f->headerNextFree_ = f->firstDataBlock();
    putBe32(head.data(), f->nextFree_);
    head[6] = static_cast<char>(blockSize >> 8);
    head[7] = static_cast<char>(blockSize & 0xFF);
    if (!f->file_->write(0, head.data(), head.size())) {
        error = rc::kWrite;
        return nullptr;
    }
    error = rc::kSuccess;
    return f;
}

short FptFile::refresh() {
    unsigned char head[4];
    long long size = file_->size();
    if (size < 0 || !file_->read(0, head, sizeof head)) return rc::kRead;
    headerNextFree_ = be32(head);
    auto bs = static_cast<std::uint64_t>(blockSize_);
    std::uint64_t fileBlocks = (static_cast<std::uint64_t>(size) + bs - 1) / bs;
    std::uint64_t next =
        std::max<std::uint64_t>({headerNextFree_, fileBlocks, firstDataBlock(), reservedBelow_});
    if (next > 0xFFFFFFFFu) return rc::kMemo;
    nextFree_ = static_cast<std::uint32_t>(next);
    return rc::kSuccess;
}

long long FptFile::textLength(std::uint32_t block) {
    long long size = file_->size();
    if (block < firstDataBlock() || size < 0) return -1;
    std::uint64_t off = std::uint64_t(block) * static_cast<std::uint64_t>(blockSize_);
    unsigned char head[8];
    if (off + 8 > static_cast<std::uint64_t>(size) || !file_->read(off, head, sizeof head))
        return -1;
    std::uint64_t length = be32(head + 4);
    if (be32(head) != kTextMemo || off + 8 + length > static_cast<std::uint64_t>(size)) return -1;
    return static_cast<long long>(length);
}

short FptFile::read(std::uint32_t block, std::string& text) {
    text.clear();
    if (block == 0) return rc::kSuccess;
    if (block < firstDataBlock()) return rc::kMemo;
    // One read takes the block's header and, for most texts, the whole text;
    // only a longer one needs the file's size, checked before its buffer is
    // made, and a second read.
    constexpr std::size_t kFirstRead = 4096;
    const std::uint64_t off = std::uint64_t(block) * static_cast<std::uint64_t>(blockSize_);
    unsigned char first[kFirstRead];
    const long long got = file_->readSome(off, first, kFirstRead);
    if (got < 8 || be32(first) != kTextMemo) return rc::kMemo;
    const std::uint64_t length = be32(first + 4);
    const std::uint64_t have = std::min(length, static_cast<std::uint64_t>(got) - 8);
    if (length > have) {
        const long long size = file_->size();
        if (size < 0 || off + 8 + length > static_cast<std::uint64_t>(size)) return rc::kMemo;
    }
    text.assign(reinterpret_cast<const char*>(first) + 8, static_cast<std::size_t>(have));
    if (length > have) {
        text.resize(static_cast<std::size_t>(length));
        if (!file_->read(off + 8 + have, text.data() + have, length - have)) {
            text.clear();
            return rc::kRead;
        }
    }
    return rc::kSuccess;
}

short FptFile::writeAt(std::uint32_t block, std::string_view text) {
    std::vector<char> out(
        std::size_t(blocksFor(text.size())) * static_cast<std::size_t>(blockSize_), 0);
    putBe32(out.data(), kTextMemo);
    putBe32(out.data() + 4, static_cast<std::uint32_t>(text.size()));
    std::memcpy(out.data() + 8, text.data(), text.size());
    std::uint64_t off = std::uint64_t(block) * static_cast<std::uint64_t>(blockSize_);
    return file_->write(off, out.data(), out.size()) ? rc::kSuccess : rc::kWrite;
}

short FptFile::append(std::string_view text, std::uint32_t& block) {
    block = 0;
    if (text.empty()) return rc::kSuccess;
    if (text.size() > 0x7FFFFFFFu ||
        std::uint64_t(nextFree_) + blocksFor(text.size()) > 0xFFFFFFFFu)
        return rc::kMemo;
    short r = writeAt(nextFree_, text);
    if (r != rc::kSuccess) return r;
    block = nextFree_;
    nextFree_ += blocksFor(text.size());
    return rc::kSuccess;
}

short FptFile::write(std::uint32_t oldBlock, std::string_view text, std::uint32_t& block) {
    block = 0;
    if (text.empty()) return rc::kSuccess;
    if (oldBlock != 0 && oldBlock < nextFree_) {
        long long oldLength = textLength(oldBlock);
        if (oldLength >= 0 && blocksFor(text.size()) <= blocksFor(std::uint64_t(oldLength))) {
            short r = writeAt(oldBlock, text);
            if (r == rc::kSuccess) block = oldBlock;
            return r;
        }
    }
    return append(text, block);
}

short FptFile::flush(bool sync) {
    if (nextFree_ == headerNextFree_) return rc::kSuccess;
    if (sync && !file_->sync()) return rc::kWrite;
    char head[4];
    putBe32(head, nextFree_);
    if (!file_->write(0, head, sizeof head)) return rc::kWrite;
    if (sync && !file_->sync()) return rc::kWrite;
    headerNextFree_ = nextFree_;
    return rc::kSuccess;
}

}  // namespace xbase
