// CdxFile: opening (with checks of every header, the directory and each
// tag's root), creating, adding tags, the ordered flush with its marker, and
// the index lock with the change counter for other processes.
//
// Design note. Flush order: (1) the marker in the file header says
// "mid-flush", (2) every dirty page is written, the change counter moves on,
// (3) the marker says "clean" with the table's record count. A crash at any
// point leaves either the old clean state or a mid-flush marker that tells
// the table to rebuild. Pages written early to bound memory go out behind a
// mid-flush marker too. Released pages are reused only in files we trust: one
// we created, or one whose marker was clean when we opened it.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

#include "xbase/cdx_tag_header.h"
#include "xbase/cdx_tag_impl.h"
#include "xbase/return_codes.h"

namespace xbase {
namespace {

constexpr std::uint8_t kDirectoryOptions =
    cdx::kOptDirectory | cdx::kOptCompound | cdx::kOptCompact;
constexpr std::size_t kMaxTagName = 10;

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// Tag names: a letter or underscore, then letters, digits and underscores.
bool validTagName(std::string_view name) {
    if (name.empty() || name.size() > kMaxTagName) return false;
    auto word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    return !std::isdigit(static_cast<unsigned char>(name[0])) &&
           std::all_of(name.begin(), name.end(), word);
}

}  // namespace

namespace {

// Takes the index write lock shared, trying for up to a second; false when
// it stays taken (by a writer, or by a handle of this process).
bool waitForSharedLock(File& file) {
    constexpr int kTries = 1000;
    for (int i = 0; i < kTries; ++i) {
        if (file.lock(cdx::kLockOffset, 1, LockKind::Shared, false)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

}  // namespace

struct CdxFile::Impl {
    Impl(std::unique_ptr<File> f, bool writable) : state(std::move(f), writable) {}

    short load();
    short loadTag(std::string name, std::uint32_t headerOffset);

    cdx::FileState state;
    std::unique_ptr<cdx::Tree> directory;
    std::vector<std::unique_ptr<CdxTag>> tags;  // in the order they were created
};

short CdxFile::Impl::load() {
    cdx::PageCache& cache = state.cache;
    if (cache.fileEnd() < cdx::kTagHeaderSize + cdx::kPageSize) return rc::kIndex;
    // The change counter first, then the file's length, then pages: what
    // another process changes after the counter was read, it bumps the
    // counter for, so the next refresh drops what this one read meanwhile.
    if (!state.readCounter(state.seenCounter)) return rc::kRead;
    cache.syncFileEnd();
    short error = rc::kSuccess;
    const unsigned char* first = cache.page(0, error);
    const unsigned char* second = first ? cache.page(cdx::kPageSize, error) : nullptr;
    if (second == nullptr) return error;
    cdx::TagHeader header;
    if (!cdx::parseTagHeader(first, second, cache.fileEnd(), header)) return rc::kIndex;
    directory =
        std::make_unique<cdx::Tree>(cache, state.freeList, 0, header.root, header.keyLength, ' ');
    if (short e = directory->checkRoot()) return e;
    if (short e = state.readMarker()) return e;

    cdx::LeafPos pos;
    bool found = false;
    short walk = directory->first(pos, found);
    while (walk == rc::kSuccess && found) {
        std::string name(reinterpret_cast<const char*>(pos.leaf->key(pos.index)),
                         static_cast<std::size_t>(directory->keyLength()));
        name.erase(name.find_last_not_of(' ') + 1);
        if (short e = loadTag(std::move(name), pos.leaf->recno(pos.index))) return e;
        state.afterRead();
        walk = directory->step(pos, 1, found);
    }
    if (walk != rc::kSuccess) return walk;
    std::sort(tags.begin(), tags.end(), [](const auto& a, const auto& b) {
        return a->impl_->tree.headerOffset() < b->impl_->tree.headerOffset();
    });
    if (state.writable && state.marker && state.markerState == cdx::kMarkerClean) {
        state.freeList.enableReuse();
    }
    state.afterRead();
    return rc::kSuccess;
}

short CdxFile::Impl::loadTag(std::string name, std::uint32_t headerOffset) {
    cdx::PageCache& cache = state.cache;
    if (headerOffset % cdx::kPageSize != 0 || headerOffset < cdx::kTagHeaderSize ||
        std::uint64_t{headerOffset} + cdx::kTagHeaderSize > cache.fileEnd()) {
        return rc::kIndex;
    }
    short error = rc::kSuccess;
    const unsigned char* first = cache.page(headerOffset, error);
    const unsigned char* second =
        first ? cache.page(headerOffset + cdx::kPageSize, error) : nullptr;
    if (second == nullptr) return error;
    // A flush cut short (our marker left dirty) may have written a tag's
    // header before its new root, which may lie past the end: the table
    // rebuilds such a tag at open, so only a file whose last flush finished
    // must have sound roots.
    const bool midFlush = state.marker && state.markerState == cdx::kMarkerDirty;
    const std::uint64_t rootLimit = midFlush ? std::uint64_t{0xFFFFFFFFu} + 1 : cache.fileEnd();
    cdx::TagHeader header;
    if (!cdx::parseTagHeader(first, second, rootLimit, header)) return rc::kIndex;
    std::unique_ptr<CdxTag> tag(new CdxTag());
    tag->adopt(
        std::make_unique<CdxTag::Impl>(state, headerOffset, header.root, header.keyLength, ' '));
    if (short e = tag->impl_->tree.checkRoot(); e != rc::kSuccess && !midFlush) return e;
    tag->impl_->name = upperAscii(name);
    tag->impl_->keyExpr = std::move(header.keyExpr);
    tag->impl_->forExpr = std::move(header.forExpr);
    tag->impl_->unique = (header.options & cdx::kOptUnique) != 0;
    tag->impl_->descending = header.descending;
    tags.push_back(std::move(tag));
    return rc::kSuccess;
}

std::unique_ptr<CdxFile> CdxFile::open(const std::string& path, OpenMode mode, short& error) {
    std::unique_ptr<File> file = fileSystem().open(path, mode);
    if (!file) {
        error = rc::kOpen;
        return nullptr;
    }
    // The file is read holding its write lock shared, so that no writer of
    // another process is half way through its pages (which would read as a
    // damaged index). A handle of this process may hold the lock itself:
    // after a while the file is read without it, as a reader always may.
    File& lockable = *file;
    const bool locked = waitForSharedLock(lockable);
    std::unique_ptr<CdxFile> cdx(new CdxFile());
    cdx->impl_ = std::make_unique<Impl>(std::move(file), mode == OpenMode::ReadWrite);
    error = cdx->impl_->load();
    if (locked) lockable.unlock(cdx::kLockOffset, 1);
    if (error != rc::kSuccess) return nullptr;
    return cdx;
}

std::unique_ptr<CdxFile> CdxFile::create(const std::string& path, short& error) {
    std::unique_ptr<File> file = fileSystem().create(path);
    if (!file) {
        error = rc::kCreate;
        return nullptr;
    }
    std::unique_ptr<CdxFile> cdx(new CdxFile());
    cdx->impl_ = std::make_unique<Impl>(std::move(file), true);
    cdx::FileState& state = cdx->impl_->state;
    // Directory header at 0 (two pages), its root leaf at 1024.
    std::uint32_t first = state.cache.appendPage();
    std::uint32_t second = state.cache.appendPage();
    std::uint32_t root = state.cache.appendPage();
    cdx::TagHeader header;
    header.root = root;
    header.keyLength = static_cast<int>(kMaxTagName);
    header.options = kDirectoryOptions;
    cdx::writeTagHeader(header, state.cache.pageOverwrite(first),
                        state.cache.pageOverwrite(second));
    cdx::LeafNode leaf(header.keyLength, ' ');
    leaf.attr = cdx::kAttrLeaf | cdx::kAttrRoot;
    state.cache.putLeaf(root, std::move(leaf));
    cdx->impl_->directory = std::make_unique<cdx::Tree>(state.cache, state.freeList, first, root,
                                                        header.keyLength, ' ');
    state.freeList.enableReuse();
    error = cdx->flush(0, false);
    if (error != rc::kSuccess) return nullptr;
    return cdx;
}

CdxFile::~CdxFile() = default;

std::vector<CdxTag*> CdxFile::tags() {
    std::vector<CdxTag*> out;
    for (auto& t : impl_->tags)
        out.push_back(t.get());
    return out;
}

CdxTag* CdxFile::tag(std::string_view name) {
    std::string wanted = upperAscii(name);
    wanted.erase(wanted.find_last_not_of(' ') + 1);
    for (auto& t : impl_->tags) {
        if (t->impl_->name == wanted) return t.get();
    }
    return nullptr;
}

CdxTag* CdxFile::addTag(const CdxTagSpec& spec, short& error) {
    cdx::FileState& state = impl_->state;
    const auto dirKeyLength = static_cast<std::size_t>(impl_->directory->keyLength());
    if (!state.writable) {
        error = rc::kWrite;
        return nullptr;
    }
    std::string name = upperAscii(spec.name);
    if (!validTagName(name) || name.size() > dirKeyLength || spec.keyLength < 1 ||
        spec.keyLength > cdx::kMaxKeyLength || spec.keyExpr.empty() ||
        !cdx::expressionsFit(spec.keyExpr, spec.forExpr) || tag(name) != nullptr) {
        error = rc::kParameter;
        return nullptr;
    }
    // The header's two pages must be adjacent, so they come from the end of the file.
    std::uint32_t headerOffset = state.cache.appendPage();
    std::uint32_t second = state.cache.appendPage();
    std::uint32_t root = state.freeList.allocate(error);
    if (headerOffset == cdx::kNone || second == cdx::kNone || root == cdx::kNone) {
        error = rc::kWrite;
        return nullptr;
    }
    cdx::TagHeader header;
    header.root = root;
    header.keyLength = spec.keyLength;
    header.options = static_cast<std::uint8_t>(cdx::kOptCompound | cdx::kOptCompact |
                                               (spec.unique ? cdx::kOptUnique : 0) |
                                               (spec.forExpr.empty() ? 0 : cdx::kOptFor));
    header.keyExpr = spec.keyExpr;
    header.forExpr = spec.forExpr;
    cdx::writeTagHeader(header, state.cache.pageOverwrite(headerOffset),
                        state.cache.pageOverwrite(second));
    cdx::LeafNode leaf(spec.keyLength, spec.filler);
    leaf.attr = cdx::kAttrLeaf | cdx::kAttrRoot;
    state.cache.putLeaf(root, std::move(leaf));

    std::string dirKey = name;
    dirKey.resize(dirKeyLength, ' ');
    cdx::Tree::Outcome outcome = cdx::Tree::Outcome::Unchanged;
    error = impl_->directory->insert(reinterpret_cast<const unsigned char*>(dirKey.data()),
                                     headerOffset, false, outcome);
    if (error == rc::kSuccess) error = state.afterChange();
    if (error != rc::kSuccess) return nullptr;

    std::unique_ptr<CdxTag> tag(new CdxTag());
    tag->adopt(
        std::make_unique<CdxTag::Impl>(state, headerOffset, root, spec.keyLength, spec.filler));
    tag->impl_->name = name;
    tag->impl_->keyExpr = spec.keyExpr;
    tag->impl_->forExpr = spec.forExpr;
    tag->impl_->unique = spec.unique;
    impl_->tags.push_back(std::move(tag));
    return impl_->tags.back().get();
}

short CdxFile::flush(std::uint32_t tableRecordCount, bool sync) {
    cdx::FileState& state = impl_->state;
    if (!state.writable) return rc::kSuccess;
    if (state.cache.dirtyPages() > 0) {
        if (!state.marker || state.markerState != cdx::kMarkerDirty) {
            if (short e = state.writeMarker(cdx::kMarkerDirty, tableRecordCount, sync)) return e;
        }
        if (short e = state.cache.writeDirty()) return e;
    }
    if (state.changedSinceBump) {
        if (short e = state.bumpCounter()) return e;
    }
    if (state.marker && state.markerState == cdx::kMarkerClean &&
        state.markerCount == tableRecordCount) {
        return rc::kSuccess;
    }
    // Everything written so far (here or early) is durable before "clean".
    if (sync && state.marker && state.markerState == cdx::kMarkerDirty && !state.file->sync()) {
        return rc::kWrite;
    }
    return state.writeMarker(cdx::kMarkerClean, tableRecordCount, sync);
}

bool CdxFile::cleanState(std::uint32_t& recordCount) const {
    const cdx::FileState& state = impl_->state;
    if (!state.marker || state.markerState != cdx::kMarkerClean) return false;
    recordCount = state.markerCount;
    return true;
}

bool CdxFile::hasMarker() const {
    return impl_->state.marker;
}

short CdxFile::lockForWrite() {
    cdx::FileState& state = impl_->state;
    if (!state.writable) return rc::kParameter;
    if (state.locked) return rc::kSuccess;
    if (!state.file->lock(cdx::kLockOffset, 1, LockKind::Exclusive, true)) return rc::kLocked;
    state.locked = true;
    // The marker decides whether a flush marks the file dirty before it
    // writes pages: it must be the file's, even when no counter moved.
    std::uint32_t counter = 0;
    if (short e = state.readCounterAndMarker(counter)) {
        unlockWrite();
        return e;
    }
    if (counter != state.seenCounter) adoptChanges(counter, state.markerState == cdx::kMarkerClean);
    return rc::kSuccess;
}

void CdxFile::unlockWrite() {
    cdx::FileState& state = impl_->state;
    if (!state.locked) return;
    if (state.changedSinceBump) state.bumpCounter();
    state.file->unlock(cdx::kLockOffset, 1);
    state.locked = false;
}

void CdxFile::refreshIfChanged() {
    cdx::FileState& state = impl_->state;
    std::uint32_t counter = 0;
    if (!state.readCounter(counter) || counter == state.seenCounter) return;
    adoptChanges(counter,
                 state.readMarker() == rc::kSuccess && state.markerState == cdx::kMarkerClean);
}

void CdxFile::adoptChanges(std::uint32_t counter, bool markerClean) {
    cdx::FileState& state = impl_->state;
    state.seenCounter = counter;
    state.cache.dropClean();
    state.cache.syncFileEnd();
    // A writer that died mid-flush may have left the free chain half done.
    if (!markerClean) state.freeList.disableReuse();
    // Roots may have moved; every cursor must find its place again.
    auto reloadRoot = [&state](cdx::Tree& tree) {
        short error = rc::kSuccess;
        const unsigned char* header = state.cache.page(tree.headerOffset(), error);
        if (header != nullptr) tree.adoptRoot(cdx::le32(header + cdx::kHdrRoot));
    };
    reloadRoot(*impl_->directory);
    for (auto& t : impl_->tags) {
        reloadRoot(t->impl_->tree);
        ++t->impl_->changeCount;
    }
}

std::uint64_t CdxFile::pagesRead() const {
    return impl_->state.cache.pagesRead();
}

File& CdxFile::file() {
    return *impl_->state.file;
}

}  // namespace xbase
